#include "exchange/import_textures.h"

#include "exchange/image_decoding.h"
#include "services/debuglog.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <optional>

namespace kvx {
namespace {

namespace fs = std::filesystem;

// Texture files larger than this are not read.
constexpr std::uintmax_t kMaxImageFileBytes = 256u << 20;

std::optional<DecodedImage> decodeEmbedded(const aiTexture& texture) {
  if (texture.mHeight == 0)  // compressed file bytes, mWidth long
    return decodeImage(reinterpret_cast<const uint8_t*>(texture.pcData), texture.mWidth);
  if (texture.mWidth > UINT16_MAX || texture.mHeight > UINT16_MAX) return std::nullopt;
  DecodedImage image;
  image.width = static_cast<uint16_t>(texture.mWidth);
  image.height = static_cast<uint16_t>(texture.mHeight);
  // aiTexel is laid out b, g, r, a, top row first.
  const auto* texels = reinterpret_cast<const uint8_t*>(texture.pcData);
  image.pixels.assign(texels, texels + size_t(image.width) * image.height * 4);
  flipRows(image.pixels, image.width, image.height);
  return image;
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// True when `candidate` lies in `folder` or below it.
bool isInside(const fs::path& folder, const fs::path& candidate) {
  std::error_code ec;
  const fs::path base = fs::weakly_canonical(folder.empty() ? fs::path(".") : folder, ec);
  const fs::path full = fs::weakly_canonical(candidate, ec);
  if (ec) return false;
  auto [baseEnd, fullAt] = std::mismatch(base.begin(), base.end(), full.begin(), full.end());
  return baseEnd == base.end();
}

// Models written elsewhere name their images with other folders, back
// slashes or another letter case: try the path as given, then the bare
// file name beside the model, then that name in any letter case. Only
// files in the model's folder or below are read, so that a model cannot
// pull arbitrary pictures of the user into a scene meant to be shared.
std::optional<fs::path> locateImage(const fs::path& folder, std::string reference) {
  std::replace(reference.begin(), reference.end(), '\\', '/');
  std::error_code ec;
  const fs::path given = folder / reference;
  if (isInside(folder, given) && fs::is_regular_file(given, ec)) return given;
  const std::string fileName = fs::path(reference).filename().string();
  if (fileName.empty() || fileName == "." || fileName == "..") return std::nullopt;
  if (fs::is_regular_file(folder / fileName, ec)) return folder / fileName;
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end; !ec && it != end; it.increment(ec))
    if (sameIgnoringCase(it->path().filename().string(), fileName) && it->is_regular_file(ec)) return it->path();
  return std::nullopt;
}

std::optional<DecodedImage> decodeFile(const fs::path& file) {
  std::error_code ec;
  const auto size = fs::file_size(file, ec);
  if (ec || size > kMaxImageFileBytes) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in && !in.eof()) return std::nullopt;
  return decodeImage(bytes.data(), bytes.size());
}

bool repeats(const aiMaterial& material, const char* key, unsigned index) {
  int mode = aiTextureMapMode_Wrap;
  material.Get(key, aiTextureType_DIFFUSE, index, mode);
  return mode != aiTextureMapMode_Clamp && mode != aiTextureMapMode_Decal;
}

}  // namespace

TextureBinding diffuseTextureOf(const aiMaterial& material) {
  TextureBinding binding;
  aiString path;
  unsigned uvChannel = 0;
  if (material.GetTexture(aiTextureType_DIFFUSE, 0, &path, nullptr, &uvChannel) != AI_SUCCESS || path.length == 0)
    return binding;
  binding.path = path.C_Str();
  binding.uvChannel = uvChannel < AI_MAX_NUMBER_OF_TEXTURECOORDS ? uvChannel : 0;
  binding.repeatU = repeats(material, _AI_MATKEY_MAPPINGMODE_U_BASE, 0);
  binding.repeatV = repeats(material, _AI_MATKEY_MAPPINGMODE_V_BASE, 0);
  return binding;
}

uint32_t TextureImporter::acquire(const std::string& path) {
  auto known = names_.find(path);
  const uint32_t name = known != names_.end() ? known->second : (names_[path] = load(path));
  if (name && known != names_.end()) target_.textures.addReference(name);
  return name;
}

uint32_t TextureImporter::load(const std::string& path) {
  std::optional<DecodedImage> image;
  if (const aiTexture* embedded = model_.GetEmbeddedTexture(path.c_str())) {
    image = decodeEmbedded(*embedded);
  } else if (auto file = locateImage(folder_, path)) {
    image = decodeFile(*file);
  } else {
    KVX_LOG(LOG_WARNING, "importModel: texture %s not found\n", path.c_str());
    return 0;
  }
  if (!image) {
    KVX_LOG(LOG_WARNING, "importModel: texture %s cannot be decoded\n", path.c_str());
    return 0;
  }
  auto texture = std::make_unique<SceneTexture>();
  texture->width = image->width;
  texture->height = image->height;
  texture->bitmap = std::move(image->pixels);
  texture->name = nextName_++;
  texture->refCount = 1;
  return target_.textures.add(std::move(texture))->name;
}

}  // namespace kvx
