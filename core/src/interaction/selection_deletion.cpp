// Deletion of the selected vertices with the primitives that use them.
//
// Derived primitive types (strips, fans, loops) cannot lose a vertex in the
// middle and keep their shape, so a geometry that loses something is
// rewritten as independent primitives first: surfaces as indexed triangles,
// lines as a segment list. Kept vertices keep their order.
#include "interaction/selection.h"

#include <set>

namespace kvx {
namespace {

bool validTriangle(const Tri& t, int32_t n) {
  return t.i[0] >= 0 && t.i[0] < n && t.i[1] >= 0 && t.i[1] < n && t.i[2] >= 0 && t.i[2] < n;
}

bool usesMarked(const Tri& t, const std::vector<Vertex>& vertices) {
  return vertices[t.i[0]].mark || vertices[t.i[1]].mark || vertices[t.i[2]].mark;
}

// Segments whose two ends are both unmarked, as a line list.
void deleteFromLines(geom& g) {
  std::vector<Vertex> kept;
  for (const Tri& t : g.triangleTable) {
    if (!validTriangle(t, g.vertexCount()) || usesMarked(t, g.vertices)) continue;
    kept.push_back(g.vertices[t.i[0]]);
    kept.push_back(g.vertices[t.i[1]]);
  }
  g.vertices = std::move(kept);
  g.type = line;
  g.rebuildTriangleTable();
}

void deleteFromPoints(geom& g) {
  std::erase_if(g.vertices, [](const Vertex& v) { return v.mark != 0; });
  g.rebuildTriangleTable();
}

// Triangles that use a marked vertex go, then every vertex that is marked
// or no longer used; the indices are rewritten.
void deleteFromSurface(geom& g) {
  const int32_t n = g.vertexCount();
  std::erase_if(g.triangleTable, [&](const Tri& t) { return !validTriangle(t, n) || usesMarked(t, g.vertices); });
  g.type = tri_indexed;
  std::vector<int32_t> newIndex(n, -1);
  for (const Tri& t : g.triangleTable)
    for (int32_t index : t.i) newIndex[index] = 0;
  std::vector<Vertex> kept;
  for (int32_t k = 0; k < n; ++k) {
    if (newIndex[k] < 0) continue;
    newIndex[k] = static_cast<int32_t>(kept.size());
    kept.push_back(g.vertices[k]);
  }
  for (Tri& t : g.triangleTable)
    for (int32_t& index : t.i) index = newIndex[index];
  g.vertices = std::move(kept);
}

}  // namespace

void deleteMarkedVertices(scene& scene) {
  std::set<const geom*> processed;
  for (int32_t i = 0; i < scene.objectCount();) {
    geom& g = *scene.objects[i]->geometry;
    if (!processed.count(&g) && hasSelectedPoint(g)) {
      processed.insert(&g);
      if (g.mark) {
        g.vertices.clear();
        g.triangleTable.clear();
      } else if (isLineType(g.type)) {
        deleteFromLines(g);
      } else if (g.type == points) {
        deleteFromPoints(g);
      } else {
        deleteFromSurface(g);
      }
      g.mark = 0;
      g.boundsMark = kFlagSet;
    }
    if (processed.count(&g) && g.triangleTable.empty()) {
      scene.RemoveObject(i);  // the next object moves into place i
      continue;
    }
    ++i;
  }
}

}  // namespace kvx
