#include "scene/scene_export.h"

#include <cstdlib>
#include <cstring>

namespace kvx {
namespace {

constexpr int kObjectStep = 256;

uint32_t colourWord(const geom& g, const Vertex& v) {
  if (!g.perVertexColor) return 0;
  return uint32_t(v.r) | uint32_t(v.g) << 8 | uint32_t(v.b) << 16;
}

bool copyObject(const geom& g, kvx_SceneObject& out) {
  out = {};
  out.vertices = static_cast<kvx_SceneVertex*>(std::malloc(sizeof(kvx_SceneVertex) * (g.vertices.size() + 1)));
  out.triangles = static_cast<int*>(std::malloc(sizeof(int) * 3 * (g.triangleTable.size() + 1)));
  if (!out.vertices || !out.triangles) return false;
  for (const Vertex& v : g.vertices)
    out.vertices[out.nbVertices++] = {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.u, v.v, colourWord(g, v)};
  for (const Tri& t : g.triangleTable) {
    std::memcpy(out.triangles + 3 * out.nbTriangles, t.i, sizeof t.i);
    ++out.nbTriangles;
  }
  return true;
}

}  // namespace

kvx_Scene* exportTriangles(const scene& source) {
  auto* result = static_cast<kvx_Scene*>(std::calloc(1, sizeof(kvx_Scene)));
  if (!result) return nullptr;
  for (const auto& object : source.objects) {
    if (result->nbObjects == result->capacity) {
      int capacity = result->capacity + kObjectStep;
      void* grown = std::realloc(result->objects, sizeof(kvx_SceneObject) * capacity);
      if (!grown) break;
      result->objects = static_cast<kvx_SceneObject*>(grown);
      result->capacity = capacity;
    }
    kvx_SceneObject& out = result->objects[result->nbObjects++];
    if (!copyObject(*object->geometry, out)) break;
    if (result->nbObjects == source.objectCount()) return result;
  }
  if (result->nbObjects == source.objectCount()) return result;
  kvx_FreeScene(result);
  return nullptr;
}

}  // namespace kvx
