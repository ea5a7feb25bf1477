#include "exchange/import_look.h"
#include "exchange/import_materials.h"
#include "exchange/import_meshes.h"
#include "exchange/import_textures.h"
#include "exchange/import_up_axis.h"
#include "exchange/import_views.h"
#include "exchange/model_exchange.h"
#include "exchange/scene_from_model.h"
#include "scene/scene.h"
#include "services/debuglog.h"

#include <assimp/Importer.hpp>
#include <assimp/ProgressHandler.hpp>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <memory>
#include <new>
#include <optional>
#include <vector>

namespace kvx {
namespace {

constexpr size_t kStampLength = 255;
constexpr int kSourceStampField = 4;  // the "custom field" of the author stamp

bool isStandInMaterial(const aiMaterial& material);

// Hands Assimp's progress reports on; false makes Assimp stop reading.
class ForwardedProgress : public Assimp::ProgressHandler {
 public:
  explicit ForwardedProgress(const ImportProgress& progress) : progress_(progress) {}
  bool Update(float percentage) override { return progress_.report(percentage); }

 private:
  const ImportProgress& progress_;
};

// The importer deletes the handler it holds when it goes: a handler of ours
// is taken back before.
struct ProgressLease {
  explicit ProgressLease(Assimp::Importer& leased) : importer(leased) {}
  ProgressLease(const ProgressLease&) = delete;
  ProgressLease& operator=(const ProgressLease&) = delete;
  Assimp::Importer& importer;
  ~ProgressLease() { importer.SetProgressHandler(nullptr); }
};

class ModelWalker {
 public:
  ModelWalker(aiScene& model, const std::filesystem::path& folder, scene& target)
      : model_(model), target_(target), textures_(model, folder, target), usesLeft_(model.mNumMeshes, 0) {
    countUses(*model.mRootNode);
  }

  // Each mesh is freed once its last placement is converted, so that a big
  // model is not held twice over.
  bool addNode(const aiNode& node, const aiMatrix4x4& parentToWorld) {
    const aiMatrix4x4 toWorld = parentToWorld * node.mTransformation;
    for (unsigned i = 0; i < node.mNumMeshes; ++i) {
      const unsigned index = node.mMeshes[i];
      if (!addMesh(*model_.mMeshes[index], toWorld, usesLeft_[index] == 1)) return false;
      if (--usesLeft_[index] == 0) {
        delete model_.mMeshes[index];
        model_.mMeshes[index] = nullptr;
      }
    }
    for (unsigned i = 0; i < node.mNumChildren; ++i)
      if (!addNode(*node.mChildren[i], toWorld)) return false;
    return true;
  }

 private:
  bool addMesh(aiMesh& mesh, const aiMatrix4x4& toWorld, bool lastUse) {
    const aiMaterial* material =
        mesh.mMaterialIndex < model_.mNumMaterials ? model_.mMaterials[mesh.mMaterialIndex] : nullptr;
    const TextureBinding binding = material ? diffuseTextureOf(*material) : TextureBinding{};
    auto object = objectFromMesh(mesh, toWorld, binding.uvChannel, lastUse);
    if (object->geometry->vertices.empty()) return true;
    setDefaultMaterial(*object);
    if (material && !isStandInMaterial(*material)) applyMaterial(*material, *object);
    if (!binding.path.empty() && mesh.HasTextureCoords(binding.uvChannel)) {
      object->textureName = textures_.acquire(binding.path);
      object->repeatU = binding.repeatU;
      object->repeatV = binding.repeatV;
    }
    return target_.AddObjet(object);
  }

  void countUses(const aiNode& node) {
    for (unsigned i = 0; i < node.mNumMeshes; ++i) ++usesLeft_[node.mMeshes[i]];
    for (unsigned i = 0; i < node.mNumChildren; ++i) countUses(*node.mChildren[i]);
  }

  aiScene& model_;
  scene& target_;
  TextureImporter textures_;
  std::vector<unsigned> usesLeft_;
};

// The material Assimp makes up for a file that has none: named so, or
// nameless (PLY, all white), which would show the model as a white blob.
bool isStandInMaterial(const aiMaterial& material) {
  aiString name;
  if (material.Get(AI_MATKEY_NAME, name) != AI_SUCCESS) return true;
  return name == aiString(AI_DEFAULT_MATERIAL_NAME);
}

bool fail(scene& target, std::string& error, std::string message) {
  target.Clear();
  KVX_LOG(LOG_ERROR, "importModel: %s\n", message.c_str());
  error = std::move(message);
  return false;
}

}  // namespace

// Joining and normals are done on our side (objectFromMesh), in one linear
// pass where a mesh needs them.
unsigned importPostProcessing() {
  return aiProcess_Triangulate | aiProcess_SortByPType | aiProcess_ValidateDataStructure;
}

bool importModel(const std::filesystem::path& path, scene& target, std::string& error,
                 const ImportProgress* progress) {
  target.Clear();
  Assimp::Importer importer;
  std::optional<ForwardedProgress> forwarded;
  std::optional<ProgressLease> lease;
  if (progress) {
    forwarded.emplace(*progress);
    importer.SetProgressHandler(&*forwarded);
    lease.emplace(importer);
  }
  if (!importer.ReadFile(path.string(), importPostProcessing())) return fail(target, error, importer.GetErrorString());
  // The scene is mapped after the last report: a stop asked meanwhile still counts.
  if (progress && !progress->report(1.0f)) return fail(target, error, "the import was cancelled");
  const std::unique_ptr<aiScene> model(importer.GetOrphanedScene());
  return sceneFromModel(*model, path, target, error);
}

bool sceneFromModel(aiScene& model, const std::filesystem::path& path, scene& target, std::string& error) {
  target.Clear();
  if (!model.mRootNode || (model.mFlags & AI_SCENE_FLAGS_INCOMPLETE))
    return fail(target, error, "the model holds no complete scene");
  const UpAxis up = upAxisOf(model, path);
  try {
    if (!ModelWalker(model, path.parent_path(), target).addNode(*model.mRootNode, aiMatrix4x4()))
      return fail(target, error, "out of memory");
    target.updateBounds();
    importCameras(model, target);
    importLights(model, target);
    if (!model.mNumCameras) addOpeningCamera(target, up);
    if (target.lights.empty()) addDefaultLights(target);
  } catch (const std::bad_alloc&) {
    return fail(target, error, "out of memory");
  }
  if (target.objects.empty()) return fail(target, error, "the model holds no geometry");
  setDefaultBackground(target);
  // Bit 0x800 shows the faces when the scene is opened.
  target.sceneFlags = SCENE_STORED_INVERTED | upAxisSceneFlag(up);
  target.authorStamp[kSourceStampField] = path.filename().string().substr(0, kStampLength);
  return true;
}

}  // namespace kvx
