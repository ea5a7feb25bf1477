// Appending one geometry to another, the core step of object merging.
#include "scene/geom.h"
#include "services/debuglog.h"

#include <new>
#include <vector>

namespace kvx {

namespace {

// Room for `extra` more entries: an empty array gets exactly that, a full
// one grows by half its size on top, so that merging a long run of small
// objects into one stays linear.
template <typename T>
bool growFor(std::vector<T>& array, size_t extra) {
  const size_t needed = array.size() + extra;
  if (needed <= array.capacity()) return true;
  const size_t capacity = array.capacity() == 0 ? extra : needed + array.size() / 2;
  try {
    array.reserve(capacity);
  } catch (const std::bad_alloc&) {
    KVX_LOG(LOG_ERROR, "geom::MergeGeom:malloc failed, nalloc %d\n", static_cast<int>(capacity));
    return false;
  }
  return true;
}

}  // namespace

bool geom::MergeGeom(const geom& other) {
  if (&other == this) return MergeGeom(geom(other));
  const size_t otherVertices = other.vertices.size();
  const size_t otherTriangles = other.triangleTable.size();
  if (otherVertices == 0 || otherTriangles == 0) return false;
  // Both arrays are reserved before anything is appended: on failure the
  // geometry is left exactly as it was.
  if (!growFor(vertices, otherVertices) || !growFor(triangleTable, otherTriangles)) return false;
  const int32_t offset = vertexCount();
  const Vertex* from = other.vertices.data();
  vertices.insert(vertices.end(), from, from + otherVertices);
  const Tri* triangles = other.triangleTable.data();
  const size_t base = triangleTable.size();
  triangleTable.resize(base + otherTriangles);
  for (size_t k = 0; k < otherTriangles; ++k) {
    const Tri& t = triangles[k];
    triangleTable[base + k] = {{t.i[0] + offset, t.i[1] + offset, t.i[2] + offset}};
  }
  perVertexColor = perVertexColor || other.perVertexColor;
  return true;
}

}  // namespace kvx
