// Deletion of marked vertices: the selection deletion and the clean-up
// after the pyramid marker. Every primitive that uses a marked vertex goes,
// then the vertices nobody uses.
#include "geometry/processing.h"
#include "scene/selection_flags.h"

#include <vector>

namespace kvx {

namespace {

// A segment of a line list goes as a whole.
void markWholeSegments(geom& g) {
  for (size_t k = 0; k + 1 < g.vertices.size(); k += 2) {
    Vertex& a = g.vertices[k];
    Vertex& b = g.vertices[k + 1];
    if (a.mark || b.mark) a.mark = b.mark = 1;
  }
}

bool usesMarked(const geom& g, const Tri& t) {
  for (int32_t index : t.i)
    if (g.vertices[index].mark) return true;
  return false;
}

bool anyTriangleUsesMarked(const geom& g) {
  for (const Tri& t : g.triangleTable)
    if (usesMarked(g, t)) return true;
  return false;
}

// Removes the triangles that use a marked vertex; the last triangle takes
// the place of a removed one and is examined next.
void removeMarkedTriangles(geom& g) {
  auto& table = g.triangleTable;
  for (size_t k = 0; k < table.size();) {
    if (usesMarked(g, table[k])) {
      table[k] = table.back();
      table.pop_back();
    } else {
      ++k;
    }
  }
}

// Drops the vertices flagged in `drop`: each freed slot takes the last kept
// vertex, then the triangles are rewritten through the moves.
void compactVertices(geom& g, std::vector<char> drop) {
  const int32_t count = g.vertexCount();
  std::vector<int32_t> moved(count);
  for (int32_t k = 0; k < count; ++k) moved[k] = k;
  int32_t n = count;
  for (int32_t i = 0; i < n; ++i) {
    if (!drop[i]) continue;
    while (n > i + 1 && drop[n - 1]) --n;
    if (n == i + 1) {
      n = i;
      break;
    }
    g.vertices[i] = g.vertices[n - 1];
    drop[i] = 0;
    moved[n - 1] = i;
    --n;
  }
  g.vertices.resize(n);
  for (Tri& t : g.triangleTable)
    for (int32_t& index : t.i) index = moved[index];
}

bool validTable(const geom& g) {
  for (const Tri& t : g.triangleTable)
    for (int32_t index : t.i)
      if (index < 0 || index >= g.vertexCount()) return false;
  return true;
}

// A table derived from the type stops describing the vertices once
// primitives are taken out of it: such geometries become indexed (strips
// and loops as line lists first, so that they stay lines).
void keepTableMeaningful(geom& g) {
  if (g.type == line_strip || g.type == line_loop) lineStripToLineList(g);
  if (g.type != tri_indexed && g.type != line && g.type != points) g.type = tri_indexed;
}

}  // namespace

void deleteMarkedVertices(scene& s) {
  for (size_t k = 0; k < s.objects.size();) {
    geom& g = *s.objects[k]->geometry;
    if (g.boundsMark != 0 || !validTable(g)) {
      ++k;
      continue;
    }
    if (g.mark) g.triangleTable.clear();
    if (anyTriangleUsesMarked(g)) {
      keepTableMeaningful(g);
      if (g.type == line) markWholeSegments(g);
      removeMarkedTriangles(g);
    }
    if (g.triangleTable.empty()) {
      s.RemoveObject(static_cast<int32_t>(k));  // the next object moves into place k
      continue;
    }
    std::vector<char> drop(g.vertices.size());
    for (size_t v = 0; v < drop.size(); ++v) drop[v] = g.vertices[v].mark ? 1 : 0;
    compactVertices(g, drop);
    std::vector<char> unused(g.vertices.size(), 1);
    for (const Tri& t : g.triangleTable)
      for (int32_t index : t.i) unused[index] = 0;
    compactVertices(g, unused);
    g.boundsMark = kFlagSet;
    ++k;
  }
}

}  // namespace kvx
