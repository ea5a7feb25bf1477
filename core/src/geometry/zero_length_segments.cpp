// Removal of line segments whose two ends (almost) coincide: they draw
// nothing and only cost time.
#include "scene/geom.h"

#include <cmath>
#include <vector>

namespace kvx {

namespace {

constexpr float kMinSegmentLength = 0.00001f;

bool zeroLength(const Vertex& a, const Vertex& b) {
  return std::fabs(a.x - b.x) + std::fabs(a.y - b.y) + std::fabs(a.z - b.z) < kMinSegmentLength;
}

}  // namespace

void geom::RemoveZeroLengthSegments() {
  if (type != line) return;
  const int32_t segments = vertexCount() / 2;
  int32_t kept = 0;
  for (int32_t s = 0; s < segments; ++s) kept += zeroLength(vertices[2 * s], vertices[2 * s + 1]) ? 0 : 1;
  if (kept == segments) return;
  // A fresh array of exactly the kept size; all-zero geometry ends up empty
  // and is dropped later like any empty object.
  std::vector<Vertex> remaining;
  remaining.reserve(2 * kept);
  for (int32_t s = 0; s < segments; ++s) {
    if (zeroLength(vertices[2 * s], vertices[2 * s + 1])) continue;
    remaining.push_back(vertices[2 * s]);
    remaining.push_back(vertices[2 * s + 1]);
  }
  vertices.swap(remaining);
  rebuildTriangleTable();
}

}  // namespace kvx
