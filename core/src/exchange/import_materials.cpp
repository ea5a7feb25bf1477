#include "exchange/import_materials.h"

#include <assimp/GltfMaterial.h>

#include <algorithm>
#include <cmath>

namespace kvx {
namespace {

uint8_t colourByte(float c) { return static_cast<uint8_t>(std::lround(std::clamp(c, 0.0f, 1.0f) * 255)); }

// Leaves `target` alone when the material does not have the colour.
void takeColour(const aiMaterial& material, const char* key, unsigned type, unsigned index, uint8_t target[3],
                float* alpha = nullptr) {
  aiColor4D colour;
  if (material.Get(key, type, index, colour) != AI_SUCCESS) return;
  target[0] = colourByte(colour.r);
  target[1] = colourByte(colour.g);
  target[2] = colourByte(colour.b);
  if (alpha) *alpha = colour.a;
}

float opacityOf(const aiMaterial& material, float diffuseAlpha) {
  float opacity = 1;
  material.Get(AI_MATKEY_OPACITY, opacity);
  return std::clamp(std::min(opacity, diffuseAlpha), 0.0f, 1.0f);
}

bool wantsBlending(const aiMaterial& material, float opacity) {
  aiString alphaMode;
  if (material.Get(AI_MATKEY_GLTF_ALPHAMODE, alphaMode) == AI_SUCCESS && alphaMode == aiString("BLEND")) return true;
  return opacity < 0.999f;
}

}  // namespace

void applyMaterial(const aiMaterial& material, SceneObject& object) {
  float diffuseAlpha = 1;
  takeColour(material, AI_MATKEY_COLOR_DIFFUSE, object.diffuse, &diffuseAlpha);
  takeColour(material, AI_MATKEY_COLOR_SPECULAR, object.specular);
  takeColour(material, AI_MATKEY_COLOR_AMBIENT, object.ambient);
  takeColour(material, AI_MATKEY_COLOR_EMISSIVE, object.emission);

  float shininess = 0;
  if (material.Get(AI_MATKEY_SHININESS, shininess) == AI_SUCCESS && std::isfinite(shininess))
    object.shininess = std::clamp(shininess, 0.0f, 128.0f);

  int shading = 0;
  if (material.Get(AI_MATKEY_SHADING_MODEL, shading) == AI_SUCCESS) {
    if (shading == aiShadingMode_Flat) object.smooth = false;
    if (shading == aiShadingMode_NoShading) object.lit = false;
  }

  const float opacity = opacityOf(material, diffuseAlpha);
  if (wantsBlending(material, opacity)) {
    object.blendSrc = kBlendSourceStored;
    object.blendDst = kBlendDestination;
    object.blendByte = colourByte(opacity);
  }
}

}  // namespace kvx
