// Orientation pass: turns every face so that its winding agrees with the
// stored normal of its first vertex.
#include "geometry/vec3.h"
#include "scene/geom.h"
#include "services/capture_options.h"

#include <utility>

namespace kvx {

namespace {

bool inRange(int32_t index, int32_t n) { return index >= 0 && index < n; }

}  // namespace

void geom::Orient() {
  if (captureOption(CaptureOption::NOOPTIM)) return;
  const int32_t n = vertexCount();
  const int32_t count = triangleCount();
  const bool quads = type == quads_list;
  for (int32_t k = 0; k < count; k += quads ? 2 : 1) {
    const Tri& t = triangleTable[k];
    const int32_t a = t.i[0], b = t.i[1];
    // A quad is judged by its first, second and fourth vertex.
    const int32_t c = quads && k + 1 < count ? triangleTable[k + 1].i[2] : t.i[2];
    if (!inRange(a, n) || !inRange(b, n) || !inRange(c, n)) continue;
    const Vec3 pa = positionOf(vertices[a]);
    const Vec3 face = cross(positionOf(vertices[b]) - pa, positionOf(vertices[c]) - pa);
    if (dot(face, normalOf(vertices[a])) >= 0) continue;
    if (quads) {
      const int32_t q = k / 2;
      if (4 * q + 3 < n) std::swap(vertices[4 * q + 1], vertices[4 * q + 3]);
    } else if (type == tri_list) {
      if (3 * k + 2 < n) std::swap(vertices[3 * k + 1], vertices[3 * k + 2]);
    } else {
      std::swap(triangleTable[k].i[1], triangleTable[k].i[2]);
    }
  }
}

}  // namespace kvx
