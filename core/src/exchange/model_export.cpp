#include "exchange/export_scene.h"
#include "exchange/model_exchange.h"
#include "exchange/png_encoding.h"
#include "services/debuglog.h"

#include <assimp/Exporter.hpp>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>
#include <set>

namespace kvx {
namespace {

namespace fs = std::filesystem;

enum class TextureStorage { None, Embedded, FilesBeside };

struct ExportFormat {
  const char* extension;
  const char* assimpId;
  bool trianglesOnly;  // the format (or Assimp's writer of it) knows no lines or points
  TextureStorage textures;
  bool singleMesh;  // Assimp's writer numbers the vertices of every mesh from 0
};

constexpr ExportFormat kFormats[] = {
    {".obj", "obj", false, TextureStorage::FilesBeside, false},
    {".stl", "stlb", true, TextureStorage::None, false},
    {".ply", "plyb", true, TextureStorage::None, true},
    {".gltf", "gltf2", false, TextureStorage::Embedded, false},
    {".glb", "glb2", false, TextureStorage::Embedded, false},
};

const ExportFormat* formatFor(const fs::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const ExportFormat& format : kFormats)
    if (extension == format.extension) return &format;
  return nullptr;
}

// Texture names that drawable objects use, in ascending order.
std::vector<uint32_t> usedTextures(const scene& source) {
  std::set<uint32_t> names;
  for (const auto& object : source.objects)
    if (object->textureName && source.textures.find(object->textureName)) names.insert(object->textureName);
  return {names.begin(), names.end()};
}

std::unique_ptr<aiTexture> embeddedPng(const std::vector<uint8_t>& png, uint32_t name) {
  auto texture = std::make_unique<aiTexture>();
  texture->mWidth = static_cast<unsigned>(png.size());
  texture->mHeight = 0;
  std::strcpy(texture->achFormatHint, "png");
  texture->pcData = new aiTexel[(png.size() + sizeof(aiTexel) - 1) / sizeof(aiTexel)];
  std::memcpy(texture->pcData, png.data(), png.size());
  texture->mFilename = ("texture_" + std::to_string(name) + ".png").c_str();
  return texture;
}

class TextureOutput {
 public:
  TextureOutput(const scene& source, const fs::path& modelPath, TextureStorage storage)
      : source_(source), modelPath_(modelPath), storage_(storage) {}
  ~TextureOutput() {
    if (!kept_)
      for (const fs::path& file : written_) fs::remove(file, ignored_);
  }

  // Fills in the options and makes the images; false when one cannot be written.
  bool prepare(ExportOptions& options, std::string& error) {
    if (storage_ == TextureStorage::None) return true;
    for (uint32_t name : usedTextures(source_)) {
      const std::vector<uint8_t> png = encodePng(*source_.textures.find(name));
      if (png.empty()) continue;  // an unusable bitmap leaves its objects untextured
      if (storage_ == TextureStorage::Embedded) {
        options.embeddedTextures.push_back(name);
        embedded_.push_back(embeddedPng(png, name));
      } else {
        const std::string fileName = modelPath_.stem().string() + "_texture" + std::to_string(name) + ".png";
        const fs::path file = modelPath_.parent_path() / fileName;
        std::ofstream out(file, std::ios::binary);
        written_.push_back(file);
        if (!out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size())).flush()) {
          error = "cannot write " + file.string();
          return false;
        }
        options.textureFiles.emplace_back(name, fileName);
      }
    }
    return true;
  }

  void attachTo(aiScene& model) {
    if (embedded_.empty()) return;
    model.mNumTextures = static_cast<unsigned>(embedded_.size());
    model.mTextures = new aiTexture*[embedded_.size()];
    for (size_t i = 0; i < embedded_.size(); ++i) model.mTextures[i] = embedded_[i].release();
    embedded_.clear();
  }

  void keep() { kept_ = true; }

  TextureOutput(const TextureOutput&) = delete;
  TextureOutput& operator=(const TextureOutput&) = delete;

 private:
  const scene& source_;
  fs::path modelPath_;
  TextureStorage storage_;
  std::vector<std::unique_ptr<aiTexture>> embedded_;
  std::vector<fs::path> written_;
  bool kept_ = false;
  std::error_code ignored_;
};

bool fail(std::string& error, std::string message) {
  KVX_LOG(LOG_ERROR, "exportModel: %s\n", message.c_str());
  error = std::move(message);
  return false;
}

}  // namespace

bool isExportFormat(const fs::path& path) { return formatFor(path) != nullptr; }

std::vector<std::string> exportExtensions() {
  std::vector<std::string> extensions;
  for (const ExportFormat& format : kFormats) extensions.emplace_back(format.extension);
  return extensions;
}

bool exportModel(const scene& source, const fs::path& path, std::string& error) {
  const ExportFormat* format = formatFor(path);
  if (!format) return fail(error, "cannot write '" + path.extension().string() + "' files (use .obj, .stl, .ply, .gltf or .glb)");
  try {
    ExportOptions options;
    options.trianglesOnly = format->trianglesOnly;
    TextureOutput textures(source, path, format->textures);
    if (!textures.prepare(options, error)) return fail(error, error);
    std::unique_ptr<aiScene> model = buildExportScene(source, options);
    if (!model) return fail(error, std::string("the scene holds nothing to write as ") + format->extension);
    if (format->singleMesh && model->mNumMeshes > 1)
      return fail(error, std::string(format->extension) + " output holds one object; this scene has " +
                             std::to_string(model->mNumMeshes) + " (use .obj, .stl or .glb)");
    textures.attachTo(*model);
    Assimp::Exporter exporter;
    if (exporter.Export(model.get(), format->assimpId, path.string()) != AI_SUCCESS)
      return fail(error, exporter.GetErrorString());
    textures.keep();
  } catch (const std::bad_alloc&) {
    return fail(error, "out of memory");
  }
  return true;
}

}  // namespace kvx
