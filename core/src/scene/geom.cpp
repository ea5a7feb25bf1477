#include "scene/geom.h"

#include "services/debuglog.h"

#include <new>

namespace kvx {

const char* primTypeName(int32_t type) {
  static const char* const names[] = {"tri_indexed", "tri_list",  "quads_list", "tri_strip",
                                      "tri_fan",     "quad_strip", "polygon",   "line",
                                      "line_loop",   "line_strip", "points"};
  if (type < tri_indexed || type > points) return "unknown type";
  return names[type];
}

bool isLineType(int32_t type) { return type == line || type == line_loop || type == line_strip; }

int32_t derivedTriangleCount(int32_t type, int32_t n) {
  int32_t count = 0;
  switch (type) {
    case tri_list: count = n / 3; break;
    // Only whole quads: a trailing partial quad would name missing vertices.
    case quads_list: count = 2 * (n / 4); break;
    case quad_strip: count = n - 2 - n % 2; break;
    case tri_strip:
    case tri_fan:
    case polygon: count = n - 2; break;
    case line: count = n / 2; break;
    case line_loop: count = n; break;
    case line_strip: count = n - 1; break;
    case points: count = n; break;
    default: count = 0;
  }
  return count < 0 ? 0 : count;
}

Tri derivedTriangle(int32_t type, int32_t n, int32_t k) {
  switch (type) {
    case tri_list: return {{3 * k, 3 * k + 1, 3 * k + 2}};
    case quads_list: {
      int32_t b = 4 * (k / 2);
      return k % 2 == 0 ? Tri{{b, b + 1, b + 2}} : Tri{{b, b + 2, b + 3}};
    }
    case tri_strip: return k % 2 == 0 ? Tri{{k, k + 1, k + 2}} : Tri{{k + 1, k, k + 2}};
    case tri_fan:
    case polygon: return {{0, k + 1, k + 2}};
    case quad_strip: {
      int32_t j = k + 1;
      return (j - 1) % 2 == 0 ? Tri{{j - 1, j, j + 2}} : Tri{{j + 1, j, j - 2}};
    }
    case line: return {{2 * k, 2 * k + 1, 2 * k + 1}};
    case line_loop: return k < n - 1 ? Tri{{k, k + 1, k + 1}} : Tri{{n - 1, 0, 0}};
    case line_strip: return {{k, k + 1, k + 1}};
    case points: return {{k, k, k}};
    default: return {{0, 0, 0}};
  }
}

void geom::zero() {
  vertices.clear();
  triangleTable.clear();
  try {
    vertices.reserve(4);
  } catch (const std::bad_alloc&) {
    KVX_LOG(LOG_ERROR, "geom::zero: malloc failed. nbptsalloc %d\n", 4);
  }
}

bool geom::rebuildTriangleTable() {
  if (type == tri_indexed) return true;
  const int32_t n = vertexCount();
  const int32_t count = derivedTriangleCount(type, n);
  try {
    if (count != triangleCount()) triangleTable.assign(count, Tri{});
  } catch (const std::bad_alloc&) {
    triangleTable.clear();
    return false;
  }
  for (int32_t k = 0; k < count; ++k) triangleTable[k] = derivedTriangle(type, n, k);
  return true;
}

void geom::shrinkToFit() {
  vertices.shrink_to_fit();
  triangleTable.shrink_to_fit();
}

}  // namespace kvx
