#pragma once
// Plain, slow renderings of the capture optimisation, written as directly
// as the algorithms read: quadratic partner searches, one array shift per
// removed object, a linear search inside each welding bucket. The fast
// versions in core/src/geometry must give exactly the same scenes.
#include "geometry/processing.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace kvx::reference {

inline void reportStep(ProgressFn progress, int32_t i, int32_t count) {
  if (progress && (i & 255) == 255) progress(static_cast<float>(i) / static_cast<float>(count - 1));
}

inline bool mergeObjects(scene& s) {
  if (s.progress) s.progress(0.0f);
  for (int32_t i = s.objectCount() - 1; i >= 0; --i) {
    const geom& g = *s.objects[i]->geometry;
    if (g.vertices.empty() || g.triangleTable.empty()) s.RemoveObject(i);
  }
  bool ok = true;
  for (int32_t i = 0; ok && i < s.objectCount(); ++i) {
    reportStep(s.progress, i, s.objectCount());
    int32_t end = i;
    while (end + 1 < s.objectCount() && mergeable(*s.objects[i], *s.objects[end + 1])) {
      if (!mergeObjectInto(*s.objects[i], *s.objects[end + 1])) {
        ok = false;
        break;
      }
      ++end;
    }
    s.RemoveObjects(i + 1, end);
  }
  for (int32_t i = 0; ok && i < s.objectCount(); ++i) {
    reportStep(s.progress, i, s.objectCount());
    for (int32_t k = i + 1; k < s.objectCount();) {
      if (!mergeable(*s.objects[i], *s.objects[k])) {
        ++k;
        continue;
      }
      if (!mergeObjectInto(*s.objects[i], *s.objects[k])) {
        ok = false;
        break;
      }
      s.RemoveObject(k);  // the next object moves into place k
    }
  }
  if (s.progress) s.progress(-1.0f);
  return ok;
}

inline bool removeDuplicateTriangles(std::vector<Tri>& table) {
  const std::vector<Tri> copy = table;
  std::vector<Tri> t = table;
  for (Tri& tri : t) {
    int m = 0;
    for (int c = 1; c < 3; ++c)
      if (tri.i[c] < tri.i[m]) m = c;
    tri = {{tri.i[m], tri.i[(m + 1) % 3], tri.i[(m + 2) % 3]}};
  }
  std::stable_sort(t.begin(), t.end(), [](const Tri& a, const Tri& b) { return a.i[0] < b.i[0]; });
  size_t count = t.size();
  bool removed = false;
  for (size_t k = count; k-- > 0;) {
    for (size_t j = k; j-- > 0 && t[j].i[0] == t[k].i[0];) {
      const bool same = t[j].i[1] == t[k].i[1] && t[j].i[2] == t[k].i[2];
      const bool swapped = t[j].i[1] == t[k].i[2] && t[j].i[2] == t[k].i[1];
      if (same || swapped) {
        t[k] = t[count - 1];
        --count;
        removed = true;
        break;
      }
    }
  }
  t.resize(count);
  table = removed ? t : copy;
  return removed;
}

inline float axisCoordinate(const Vertex& v, int axis) { return axis == 1 ? v.x : axis == 2 ? v.y : v.z; }

inline void weldOnce(geom& g, ProgressFn progress, const Bounds& bounds, int axis) {
  const int32_t n = g.vertexCount();
  for (Vertex& v : g.vertices) v.mark = g.type == points ? 1 : 0;
  if (g.type == tri_indexed)
    for (const Tri& t : g.triangleTable)
      for (int32_t index : t.i) g.vertices[index].mark = 1;

  // The first axis whose fullest bucket is small enough, else the last one
  // with a usable range; none: unchanged.
  std::vector<std::vector<int32_t>> buckets;
  bool usableFound = false;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const float minimum = bounds.v[2 * (axis - 1)], maximum = bounds.v[2 * (axis - 1) + 1];
    if (std::isfinite(1 / (maximum - minimum))) {
      buckets.assign(n, {});
      usableFound = true;
      for (int32_t i = 0; i < n; ++i) {
        if (progress && (i & 255) == 255) progress(0.3f * i / (n + 1));
        if (!g.vertices[i].mark) continue;
        float t = (axisCoordinate(g.vertices[i], axis) - minimum) / (maximum - minimum);
        if (!std::isfinite(t) || t < 0 || t > 1) t = 0;
        buckets[static_cast<int32_t>((n - 1) * t)].push_back(i);
      }
      size_t fullest = 0;
      for (const auto& bucket : buckets) fullest = std::max(fullest, bucket.size());
      if (static_cast<int32_t>(fullest) < n / 20) break;
    }
    axis = axis == 1 ? 3 : axis - 1;
  }
  if (!usableFound) {
    for (Vertex& v : g.vertices) v.mark = 0;
    return;
  }

  std::vector<int32_t> newIndex(n, -1);
  std::vector<Vertex> kept;
  for (const auto& bucket : buckets) {
    std::vector<int32_t> taken;
    for (int32_t i : bucket) {
      for (int32_t j : taken)
        if (std::memcmp(&kept[j], &g.vertices[i], sizeof(Vertex)) == 0) newIndex[i] = j;
      if (newIndex[i] >= 0) continue;
      newIndex[i] = static_cast<int32_t>(kept.size());
      taken.push_back(newIndex[i]);
      kept.push_back(g.vertices[i]);
    }
  }
  for (Tri& t : g.triangleTable)
    for (int32_t& index : t.i) index = newIndex[index];
  g.vertices = kept;
  if (!g.triangleTable.empty()) reference::removeDuplicateTriangles(g.triangleTable);
  for (Vertex& v : g.vertices) v.mark = 0;
}

inline void weldVertices(geom& g, ProgressFn progress, const Bounds& bounds, int axis) {
  for (;;) {
    const int32_t before = g.triangleCount();
    weldOnce(g, progress, bounds, axis);
    if (g.triangleCount() == before) return;
  }
}

inline bool optimize(scene& s) {
  for (auto& object : s.objects) {
    geom& g = *object->geometry;
    if (g.type == tri_list || (g.type == quads_list && object->smooth))
      toIndependentPrimitives(*object);
    else if (g.type == line_strip || g.type == line_loop)
      lineStripToLineList(g);
  }
  bool ok = reference::mergeObjects(s);
  for (auto& object : s.objects) {
    geom& g = *object->geometry;
    g.RemoveZeroLengthSegments();
    if (ok && (g.type == tri_indexed || g.type == points)) reference::weldVertices(g, s.progress, s.bounds, 3);
  }
  for (int32_t i = s.objectCount() - 1; i >= 0; --i)
    if (s.objects[i]->geometry->vertices.empty() || s.objects[i]->geometry->triangleTable.empty())
      s.RemoveObject(i);
  return ok;
}

}  // namespace kvx::reference
