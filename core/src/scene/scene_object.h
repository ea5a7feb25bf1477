#pragma once
// One drawable object: attributes and a geometry shared between copies.
#include "scene/geom.h"

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace kvx {

using Matrix4 = std::array<float, 16>;
inline constexpr Matrix4 kIdentityMatrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

struct SceneObject {
  // Copies share the geometry; it is destroyed with its last object.
  SceneObject() : geometry(std::make_shared<geom>()) {}

  // Number of objects sharing this object's geometry.
  long geometryRefCount() const { return geometry.use_count(); }

  Matrix4 matrix = kIdentityMatrix;
  std::vector<uint32_t> tags;
  uint32_t textureName = 0;  // 0 = untextured
  std::shared_ptr<geom> geometry;
  uint8_t diffuse[3] = {255, 255, 255};
  uint8_t specular[3] = {0, 0, 0};
  uint8_t ambient[3] = {0, 0, 0};
  uint8_t emission[3] = {0, 0, 0};
  float shininess = 0;
  bool clockwise = false;
  bool smooth = true;
  bool lit = true;
  float polygonOffset[2] = {0, 0};  // factor, units
  bool repeatU = false;
  bool repeatV = false;
  bool envMap = false;
  float pointSize = 0;  // nonzero: drawn as points
  float lineWidth = 0;  // nonzero: drawn as lines
  uint16_t lineStipplePattern = 0;
  uint8_t lineStippleFactor = 0;
  std::optional<std::array<uint8_t, 128>> polygonStipple;  // 32 x 32 bits
  uint16_t blendSrc = 0;  // 0 = no blending
  uint16_t blendDst = 0;
  uint8_t blendByte = 0;
};

}  // namespace kvx
