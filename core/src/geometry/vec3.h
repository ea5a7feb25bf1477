#pragma once
// Small float vector helpers for the geometry passes; single precision, as
// the vertex records themselves.
#include "scene/geom.h"

#include <cmath>

namespace kvx {

struct Vec3 {
  float x = 0, y = 0, z = 0;
};

inline Vec3 positionOf(const Vertex& v) { return {v.x, v.y, v.z}; }
inline Vec3 normalOf(const Vertex& v) { return {v.nx, v.ny, v.nz}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float length(Vec3 a) { return std::sqrt(dot(a, a)); }
inline bool isZero(Vec3 a) { return a.x == 0 && a.y == 0 && a.z == 0; }
// Scaled to length 1; a zero vector stays zero.
inline Vec3 normalized(Vec3 a) {
  const float len = length(a);
  return len == 0 ? a : a * (1 / len);
}

}  // namespace kvx
