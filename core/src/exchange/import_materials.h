#pragma once
// Assimp materials as the colours and drawing flags of scene objects.
#include "scene/scene_object.h"

#include <assimp/material.h>

namespace kvx {

// Blend factors of a translucent object; the renderer adds one to the
// stored source factor (0 means "no blending").
inline constexpr uint16_t kBlendSourceStored = 0x0302 - 1;  // GL_SRC_ALPHA
inline constexpr uint16_t kBlendDestination = 0x0303;       // GL_ONE_MINUS_SRC_ALPHA

// Diffuse, specular, ambient and emission colours, shininess (clamped to
// OpenGL's 0..128), flat and unlit shading models, and opacity below one
// (or a glTF "BLEND" alpha mode) as blending with the opacity as alpha.
void applyMaterial(const aiMaterial& material, SceneObject& object);

}  // namespace kvx
