// Normal regeneration: captured normals are often meaningless (unlit
// objects, one normal for everything), so they are rebuilt from the faces.
#include "geometry/vec3.h"
#include "scene/geom.h"
#include "services/debuglog.h"

#include <new>
#include <vector>

namespace kvx {

namespace {

bool validTriangle(const Tri& t, int32_t n) {
  for (int32_t index : t.i)
    if (index < 0 || index >= n) return false;
  return true;
}

}  // namespace

bool geom::RegenerateNormals(bool clockwise) {
  noRealNormals = true;
  const int32_t n = vertexCount();
  if (n <= 2 || triangleTable.empty()) return true;
  std::vector<Vec3> sums;
  try {
    sums.assign(n, Vec3{});
  } catch (const std::bad_alloc&) {
    KVX_LOG(LOG_ERROR, "geom::RegenerateNormals: malloc failed, %d vertices\n", n);
    return false;
  }
  for (const Tri& t : triangleTable) {
    if (!validTriangle(t, n)) continue;
    const Vec3 a = positionOf(vertices[t.i[0]]);
    Vec3 e1 = positionOf(vertices[t.i[1]]) - a;
    Vec3 e2 = positionOf(vertices[t.i[2]]) - a;
    if (isZero(e1) || isZero(e2)) continue;
    e1 = normalized(e1);
    e2 = normalized(e2);
    const Vec3 face = clockwise ? cross(e2, e1) : cross(e1, e2);
    if (isZero(face)) continue;
    const Vec3 unit = normalized(face);
    for (int32_t index : t.i) sums[index] = sums[index] + unit;
  }
  for (int32_t k = 0; k < n; ++k) {
    const Vec3 normal = normalized(sums[k]);
    vertices[k].nx = normal.x;
    vertices[k].ny = normal.y;
    vertices[k].nz = normal.z;
  }
  Orient();
  return true;
}

}  // namespace kvx
