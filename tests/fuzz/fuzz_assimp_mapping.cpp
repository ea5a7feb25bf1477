// Our side of an import: Assimp scenes synthesized from the input bytes,
// shaped as Assimp hands them over after importPostProcessing's steps (one
// primitive type per mesh, indices in range, material indices valid), but
// with arbitrary values: non-finite coordinates and transforms, odd
// materials, embedded textures of arbitrary bytes, cameras and lights on
// missing or shared nodes, any up-axis statement. Assimp's own file parsers
// are not exercised here.
#include "exchange/scene_from_model.h"
#include "fuzz_entries.h"
#include "fuzz_files.h"
#include "scene/scene.h"

#include <assimp/GltfMaterial.h>
#include <assimp/material.h>
#include <assimp/metadata.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace kvx::fuzz {
namespace {

// Takes values off the input; zeros once it is used up.
class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), left_(size) {}
  uint8_t u8() {
    if (!left_) return 0;
    --left_;
    return *data_++;
  }
  unsigned below(unsigned n) { return n ? u8() % n : 0; }
  bool flag() { return u8() & 1; }
  float number() {
    // Mostly small values; sometimes the raw bits, NaNs and infinities included.
    if (u8() < 224) return static_cast<float>(static_cast<int8_t>(u8())) / 8;
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits = bits << 8 | u8();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  std::string text(size_t most) {
    std::string s;
    for (size_t n = below(static_cast<unsigned>(most) + 1); n > 0 && left_; --n) s += static_cast<char>(u8());
    return s;
  }
  std::string rest(size_t most) {
    const size_t n = std::min(most, left_);
    std::string s(reinterpret_cast<const char*>(data_), n);
    data_ += n;
    left_ -= n;
    return s;
  }

 private:
  const uint8_t* data_;
  size_t left_;
};

aiVector3D vector(Bytes& in) {
  const float x = in.number(), y = in.number(), z = in.number();
  return {x, y, z};
}

aiMatrix4x4 transform(Bytes& in) {
  aiMatrix4x4 m;
  switch (in.below(4)) {
    case 0: break;  // identity
    case 1: aiMatrix4x4::Translation(vector(in), m); break;
    case 2: aiMatrix4x4::Scaling(vector(in), m); break;
    default:
      for (unsigned r = 0; r < 4; ++r)
        for (unsigned c = 0; c < 4; ++c) m[r][c] = in.number();
  }
  return m;
}

// Node names the cameras and lights may refer to.
const char* const kNodeNames[] = {"root", "a", "b", "c", ""};

aiString nodeName(Bytes& in) { return aiString(kNodeNames[in.below(std::size(kNodeNames))]); }

aiNode* node(Bytes& in, unsigned meshCount, int depth) {
  auto* n = new aiNode();
  n->mName = depth == 0 ? aiString("root") : nodeName(in);
  n->mTransformation = transform(in);
  if (meshCount) {
    n->mNumMeshes = in.below(4);
    n->mMeshes = n->mNumMeshes ? new unsigned[n->mNumMeshes] : nullptr;
    for (unsigned i = 0; i < n->mNumMeshes; ++i) n->mMeshes[i] = in.below(meshCount);
  }
  const unsigned children = depth < 3 ? in.below(3) : 0;
  if (children) {
    n->mChildren = new aiNode*[children];
    for (unsigned i = 0; i < children; ++i) {
      n->mChildren[i] = node(in, meshCount, depth + 1);
      n->mChildren[i]->mParent = n;
      n->mNumChildren = i + 1;
    }
  }
  return n;
}

aiMesh* mesh(Bytes& in, unsigned materialCount) {
  auto* m = new aiMesh();
  const unsigned vertices = in.below(33);
  m->mNumVertices = vertices;
  m->mMaterialIndex = in.below(materialCount);
  if (vertices) {
    m->mVertices = new aiVector3D[vertices];
    for (unsigned i = 0; i < vertices; ++i) m->mVertices[i] = vector(in);
    if (in.flag()) {
      m->mNormals = new aiVector3D[vertices];
      for (unsigned i = 0; i < vertices; ++i) m->mNormals[i] = vector(in);
    }
    const unsigned uvChannel = in.below(2);
    if (in.flag()) {
      m->mTextureCoords[uvChannel] = new aiVector3D[vertices];
      m->mNumUVComponents[uvChannel] = 2;
      for (unsigned i = 0; i < vertices; ++i) m->mTextureCoords[uvChannel][i] = vector(in);
    }
    if (in.flag()) {
      m->mColors[0] = new aiColor4D[vertices];
      for (unsigned i = 0; i < vertices; ++i) {
        const float r = in.number(), g = in.number(), b = in.number();
        m->mColors[0][i] = aiColor4D(r, g, b, 1);
      }
    }
  }
  // One primitive type per mesh, as the sorting step leaves them; a line
  // face may be a polyline.
  const unsigned kind = in.below(3);
  m->mPrimitiveTypes = kind == 0 ? aiPrimitiveType_POINT : kind == 1 ? aiPrimitiveType_LINE : aiPrimitiveType_TRIANGLE;
  const unsigned faces = vertices ? in.below(33) : 0;
  if (faces) {
    m->mFaces = new aiFace[faces];
    m->mNumFaces = faces;
    for (unsigned f = 0; f < faces; ++f) {
      aiFace& face = m->mFaces[f];
      face.mNumIndices = kind == 0 ? 1 : kind == 1 ? 2 + in.below(3) : 3;
      face.mIndices = new unsigned[face.mNumIndices];
      for (unsigned k = 0; k < face.mNumIndices; ++k) face.mIndices[k] = in.below(vertices);
    }
  }
  return m;
}

void colour(Bytes& in, aiMaterial& m, const char* key, unsigned type, unsigned index) {
  if (!in.flag()) return;
  const float r = in.number(), g = in.number(), b = in.number(), a = in.number();
  aiColor4D c(r, g, b, a);
  m.AddProperty(&c, 1, key, type, index);
}

void number(Bytes& in, aiMaterial& m, const char* key, unsigned type, unsigned index) {
  if (!in.flag()) return;
  float value = in.number();
  m.AddProperty(&value, 1, key, type, index);
}

// Texture references: embedded by index (in range or not), by the name of
// an embedded texture, or a file that is not there.
const char* const kTexturePaths[] = {"*0", "*1", "*7", "*-1", "embedded.png", "missing.png", "sub/../missing.jpg", ""};

aiMaterial* material(Bytes& in) {
  auto* m = new aiMaterial();
  switch (in.below(3)) {
    case 0: break;  // nameless
    case 1: {
      aiString name(AI_DEFAULT_MATERIAL_NAME);
      m->AddProperty(&name, AI_MATKEY_NAME);
      break;
    }
    default: {
      aiString name(in.text(12));
      m->AddProperty(&name, AI_MATKEY_NAME);
    }
  }
  colour(in, *m, AI_MATKEY_COLOR_DIFFUSE);
  colour(in, *m, AI_MATKEY_COLOR_SPECULAR);
  colour(in, *m, AI_MATKEY_COLOR_AMBIENT);
  colour(in, *m, AI_MATKEY_COLOR_EMISSIVE);
  number(in, *m, AI_MATKEY_SHININESS);
  number(in, *m, AI_MATKEY_OPACITY);
  if (in.flag()) {
    int shading = static_cast<int>(in.below(12));
    m->AddProperty(&shading, 1, AI_MATKEY_SHADING_MODEL);
  }
  if (in.flag()) {
    aiString mode(in.flag() ? "BLEND" : "MASK");
    m->AddProperty(&mode, AI_MATKEY_GLTF_ALPHAMODE);
  }
  if (in.flag()) {
    aiString path(kTexturePaths[in.below(std::size(kTexturePaths))]);
    m->AddProperty(&path, AI_MATKEY_TEXTURE_DIFFUSE(0));
    int uv = static_cast<int>(in.u8()) - 2;
    if (in.flag()) m->AddProperty(&uv, 1, AI_MATKEY_UVWSRC_DIFFUSE(0));
    int wrap = static_cast<int>(in.below(5));
    if (in.flag()) m->AddProperty(&wrap, 1, AI_MATKEY_MAPPINGMODE_U_DIFFUSE(0));
    if (in.flag()) m->AddProperty(&wrap, 1, AI_MATKEY_MAPPINGMODE_V_DIFFUSE(0));
  }
  return m;
}

// Compressed file bytes, or raw texels of a small size.
aiTexture* texture(Bytes& in) {
  auto* t = new aiTexture();
  t->mFilename = aiString(in.flag() ? "embedded.png" : "other.png");
  if (in.flag()) {
    const std::string bytes = in.rest(in.below(4) == 0 ? 4096 : 512);
    t->mWidth = static_cast<unsigned>(bytes.size());
    t->mHeight = 0;
    t->pcData = new aiTexel[bytes.size() / sizeof(aiTexel) + 1];
    std::memcpy(t->pcData, bytes.data(), bytes.size());
  } else {
    t->mWidth = in.below(9);
    t->mHeight = in.below(9);
    const unsigned texels = t->mWidth * t->mHeight;
    t->pcData = new aiTexel[texels ? texels : 1];
    for (unsigned i = 0; i < texels; ++i) t->pcData[i] = aiTexel{in.u8(), in.u8(), in.u8(), in.u8()};
  }
  return t;
}

aiCamera* camera(Bytes& in) {
  auto* c = new aiCamera();
  c->mName = nodeName(in);
  c->mPosition = vector(in);
  c->mUp = vector(in);
  c->mLookAt = vector(in);
  c->mHorizontalFOV = in.number();
  c->mAspect = in.number();
  return c;
}

aiLight* light(Bytes& in) {
  auto* l = new aiLight();
  l->mName = nodeName(in);
  l->mType = static_cast<aiLightSourceType>(in.below(7));
  l->mPosition = vector(in);
  l->mDirection = vector(in);
  const float r = in.number(), g = in.number(), b = in.number();
  l->mColorDiffuse = aiColor3D(r, g, b);
  l->mColorAmbient = aiColor3D(b, g, r);
  l->mAngleOuterCone = in.number();
  return l;
}

template <class T, class Make>
void fill(T**& array, unsigned& count, unsigned n, Make make) {
  if (!n) return;
  array = new T*[n];
  for (unsigned i = 0; i < n; ++i) {
    array[i] = make();
    count = i + 1;
  }
}

// The model's file name: its extension decides the up axis when the model
// does not state one.
const char* const kModelNames[] = {"model.obj", "model.stl", "model.3DS", "model.gltf", "model"};

}  // namespace

int assimp_mapping(const uint8_t* data, size_t size) {
  if (scratchFolder().empty()) return 0;
  Bytes in(data, size);
  auto model = std::make_unique<aiScene>();
  aiScene& m = *model;
  fill(m.mMaterials, m.mNumMaterials, 1 + in.below(3), [&] { return material(in); });
  fill(m.mMeshes, m.mNumMeshes, in.below(4), [&] { return mesh(in, m.mNumMaterials); });
  m.mRootNode = node(in, m.mNumMeshes, 0);
  fill(m.mCameras, m.mNumCameras, in.below(3), [&] { return camera(in); });
  fill(m.mLights, m.mNumLights, in.below(3), [&] { return light(in); });
  if (in.flag()) {
    m.mMetaData = aiMetadata::Alloc(1);
    m.mMetaData->Set(0, "UpAxis", static_cast<int32_t>(in.u8()) - 1);
  }
  const std::string file = scratchFolder() + "/" + kModelNames[in.below(std::size(kModelNames))];
  fill(m.mTextures, m.mNumTextures, in.below(3), [&] { return texture(in); });

  scene target;
  std::string error;
  sceneFromModel(m, file, target, error);
  return 0;
}

}  // namespace kvx::fuzz
