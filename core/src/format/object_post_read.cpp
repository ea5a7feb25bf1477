#include "format/object_post_read.h"

#include "services/capture_options.h"

namespace kvx {
namespace {

bool normalsAllEqual(const geom& g) {
  if (g.vertexCount() < 2) return false;
  const Vertex& first = g.vertices[0];
  for (const Vertex& v : g.vertices) {
    const float dx = v.nx - first.nx, dy = v.ny - first.ny, dz = v.nz - first.nz;
    if (dx * dx + dy * dy + dz * dz > 0.0001f) return false;
  }
  return true;
}

// True when the face normal of triangle t points against p0's stored normal.
bool facesAgainstNormal(const geom& g, const Tri& t) {
  const Vertex& a = g.vertices[t.i[0]];
  const Vertex& b = g.vertices[t.i[1]];
  const Vertex& c = g.vertices[t.i[2]];
  const float e1[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
  const float e2[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
  const float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
  return n[0] * a.nx + n[1] * a.ny + n[2] * a.nz < 0;
}

}  // namespace

void detectWinding(SceneObject& object) {
  const geom& g = *object.geometry;
  object.clockwise = false;
  if (!captureOption(CaptureOption::NOOPTIM) || g.vertexCount() <= 2 || g.triangleCount() < 1) return;
  const int32_t triangles = g.triangleCount();
  const int32_t samples = triangles < 9 ? 1 : 9;
  int against = 0;
  for (int32_t k = 0; k < samples; ++k) {
    const int64_t index = static_cast<int64_t>(triangles) * k / samples;
    if (facesAgainstNormal(g, g.triangleTable[index])) ++against;
  }
  object.clockwise = against * 2 > samples;
}

void settleObjectNormals(SceneObject& object) {
  geom& g = *object.geometry;
  const bool meaningless = object.lineWidth == 0 && object.pointSize == 0 && (!object.lit || normalsAllEqual(g));
  if (!meaningless) {
    g.noRealNormals = false;
  } else {
#ifdef KVX_HAVE_GEOMETRY
    g.RegenerateNormals(object.clockwise);  // also marks the normals as not real
#else
    g.noRealNormals = true;
#endif
  }
#ifdef KVX_HAVE_GEOMETRY
  if (!captureOption(CaptureOption::NOOPTIM)) g.Orient();
#endif
}

}  // namespace kvx
