// Geometry equality: whether a merged file brings an object the scene
// already has.
#include "geometry/processing.h"

#include <cmath>
#include <cstring>

namespace kvx {

namespace {

// Captures of the same object differ by rounding, more so in depth.
constexpr float kToleranceXY = 0.0001f;
constexpr float kToleranceZ = 0.001f;

bool samePosition(const Vertex& a, const Vertex& b) {
  return std::fabs(a.x - b.x) <= kToleranceXY && std::fabs(a.y - b.y) <= kToleranceXY &&
         std::fabs(a.z - b.z) <= kToleranceZ;
}

bool validTriangle(const geom& g, const Tri& t) {
  for (int32_t index : t.i)
    if (index < 0 || index >= g.vertexCount()) return false;
  return true;
}

// Triangle by triangle: the first corners match, and the other two match
// in the same or the swapped order.
bool sameShape(const geom& a, const geom& b) {
  if (a.triangleCount() != b.triangleCount()) return false;
  for (int32_t k = 0; k < a.triangleCount(); ++k) {
    const Tri& ta = a.triangleTable[k];
    const Tri& tb = b.triangleTable[k];
    if (!validTriangle(a, ta) || !validTriangle(b, tb)) return false;
    auto at = [](const geom& g, const Tri& t, int c) -> const Vertex& { return g.vertices[t.i[c]]; };
    if (!samePosition(at(a, ta, 0), at(b, tb, 0))) return false;
    const bool same = samePosition(at(a, ta, 1), at(b, tb, 1)) && samePosition(at(a, ta, 2), at(b, tb, 2));
    const bool swapped = !same && samePosition(at(a, ta, 1), at(b, tb, 2)) && samePosition(at(a, ta, 2), at(b, tb, 1));
    if (!same && !swapped) return false;
  }
  return true;
}

}  // namespace

bool sameGeometry(const geom& a, const geom& b, bool tolerant) {
  if (tolerant) return sameShape(a, b);
  return a.vertices.size() == b.vertices.size() && a.triangleTable.size() == b.triangleTable.size() &&
         std::memcmp(a.vertices.data(), b.vertices.data(), a.vertices.size() * sizeof(Vertex)) == 0 &&
         std::memcmp(a.triangleTable.data(), b.triangleTable.data(), a.triangleTable.size() * sizeof(Tri)) == 0;
}

}  // namespace kvx
