// Same-attributes test: two objects that pass it can be drawn as one.
#include "geometry/processing.h"

#include <cstring>
#include <functional>
#include <string_view>

namespace kvx {

namespace {

bool sameRgb(const uint8_t a[3], const uint8_t b[3]) { return std::memcmp(a, b, 3) == 0; }

// Mixes one more value into a running hash.
void mix(size_t& hash, size_t value) { hash ^= value + 0x9e3779b97f4a7c15ull + (hash << 6) + (hash >> 2); }

// Floats equal under == hash alike: -0 is folded onto +0.
size_t floatHash(float f) { return std::hash<float>{}(f + 0.0f); }

size_t rgbHash(const uint8_t c[3]) { return (size_t(c[0]) << 16) | (size_t(c[1]) << 8) | c[2]; }

}  // namespace

bool sameMaterial(const SceneObject& a, const SceneObject& b) {
  if (a.textureName != b.textureName || !sameRgb(a.specular, b.specular) || !sameRgb(a.ambient, b.ambient) ||
      !sameRgb(a.emission, b.emission) || a.shininess != b.shininess || a.smooth != b.smooth || a.lit != b.lit ||
      a.pointSize != b.pointSize || a.lineWidth != b.lineWidth || a.lineStipplePattern != b.lineStipplePattern ||
      a.lineStippleFactor != b.lineStippleFactor)
    return false;
  if (a.polygonStipple.has_value() != b.polygonStipple.has_value()) return false;
  if (a.polygonStipple && *a.polygonStipple != *b.polygonStipple) return false;
  return a.blendSrc == b.blendSrc && a.blendDst == b.blendDst && a.polygonOffset[0] == b.polygonOffset[0] &&
         a.polygonOffset[1] == b.polygonOffset[1] && a.repeatU == b.repeatU && a.repeatV == b.repeatV &&
         a.envMap == b.envMap && a.blendByte == b.blendByte;
}

size_t materialHash(const SceneObject& o) {
  size_t hash = o.textureName;
  for (size_t value : {rgbHash(o.specular), rgbHash(o.ambient), rgbHash(o.emission), floatHash(o.shininess),
                       floatHash(o.pointSize), floatHash(o.lineWidth), floatHash(o.polygonOffset[0]),
                       floatHash(o.polygonOffset[1]), size_t(o.lineStipplePattern), size_t(o.lineStippleFactor),
                       size_t(o.blendSrc), size_t(o.blendDst), size_t(o.blendByte)})
    mix(hash, value);
  const size_t flags = size_t(o.smooth) | size_t(o.lit) << 1 | size_t(o.repeatU) << 2 | size_t(o.repeatV) << 3 |
                       size_t(o.envMap) << 4 | size_t(o.polygonStipple.has_value()) << 5;
  mix(hash, flags);
  if (o.polygonStipple)
    mix(hash, std::hash<std::string_view>{}(std::string_view(reinterpret_cast<const char*>(o.polygonStipple->data()),
                                                             o.polygonStipple->size())));
  return hash;
}

// How a geometry shows on screen when the object has neither a line width
// nor a point size (those are part of the material): faces, lines or points.
int drawingClass(const SceneObject& o) {
  if (o.lineWidth != 0 || o.pointSize != 0) return 0;
  const int32_t type = o.geometry->type;
  if (isLineType(type)) return 2;
  return type == points ? 3 : 1;
}

bool sameMergeKey(const SceneObject& a, const SceneObject& b) {
  return drawingClass(a) == drawingClass(b) && sameMaterial(a, b);
}

size_t mergeKeyHash(const SceneObject& object) {
  size_t hash = materialHash(object);
  mix(hash, size_t(drawingClass(object)));
  return hash;
}

bool mergeable(const SceneObject& a, const SceneObject& b) {
  return drawingClass(a) == drawingClass(b) && sameAttributes(a, b, true);
}

bool sameAttributes(const SceneObject& a, const SceneObject& b, bool ignoreType) {
  const bool bothColoured = a.geometry->perVertexColor && b.geometry->perVertexColor;
  if (!bothColoured && !sameRgb(a.diffuse, b.diffuse)) return false;
  if (!ignoreType && a.geometry->type != b.geometry->type) return false;
  return sameMaterial(a, b);
}

}  // namespace kvx
