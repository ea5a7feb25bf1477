// Conversion of strips, fans and outlined polygons to independent
// primitives, so that look-alike objects can share one indexed geometry.
#include "geometry/processing.h"
#include "services/debuglog.h"

#include <new>
#include <vector>

namespace kvx {

namespace {

Vertex withNormalOf(const Vertex& v, const Vertex& normalSource) {
  Vertex copy = v;
  copy.nx = normalSource.nx;
  copy.ny = normalSource.ny;
  copy.nz = normalSource.nz;
  return copy;
}

// Quad q is made of 2q-2, 2q-1, 2q+1, 2q, all with the flat normal of 2q+1.
std::vector<Vertex> quadStripAsQuads(const std::vector<Vertex>& in) {
  const int32_t n = static_cast<int32_t>(in.size());
  std::vector<Vertex> out;
  if (n < 4) return out;
  out.reserve(2 * n - 4);
  for (int32_t q = 1; q <= n / 2 - 1; ++q) {
    const Vertex& flat = in[2 * q + 1];
    for (int32_t index : {2 * q - 2, 2 * q - 1, 2 * q + 1, 2 * q}) out.push_back(withNormalOf(in[index], flat));
  }
  return out;
}

// Triangle j (2 to n-1) of a strip alternates its first two corners to keep
// the winding; a fan always starts at vertex 0. All take the normal of j.
std::vector<Vertex> stripOrFanAsTriangles(const std::vector<Vertex>& in, bool fan) {
  const int32_t n = static_cast<int32_t>(in.size());
  std::vector<Vertex> out;
  if (n < 3) return out;
  out.reserve(3 * (n - 2));
  for (int32_t j = 2; j < n; ++j) {
    int32_t first = j - 2, second = j - 1;
    if (fan)
      first = 0;
    else if (j % 2 == 1)
      std::swap(first, second);
    for (int32_t index : {first, second, j}) out.push_back(withNormalOf(in[index], in[j]));
  }
  return out;
}

// Flat, lit, filled objects: strips and fans become lists.
void unrollFlatPrimitives(geom& g) {
  std::vector<Vertex> unrolled;
  int32_t newType = g.type;
  if (g.type == quad_strip && g.vertexCount() % 2 == 0) {
    unrolled = quadStripAsQuads(g.vertices);
    newType = quads_list;
  } else if (g.type == tri_strip || g.type == tri_fan) {
    unrolled = stripOrFanAsTriangles(g.vertices, g.type == tri_fan);
    newType = tri_list;
  } else {
    return;
  }
  std::vector<Vertex> old;
  old.swap(g.vertices);
  g.vertices.swap(unrolled);
  const int32_t oldType = g.type;
  g.type = newType;
  if (!g.rebuildTriangleTable()) {
    g.vertices.swap(old);
    g.type = oldType;
    g.rebuildTriangleTable();
    return;
  }
  g.Orient();
}

bool flatFilledAndLit(const SceneObject& o) {
  return !o.smooth && o.lit && o.pointSize == 0 && o.lineWidth == 0;
}

}  // namespace

void toIndependentPrimitives(SceneObject& object) {
  geom& g = *object.geometry;
  try {
    if (flatFilledAndLit(object)) {
      unrollFlatPrimitives(g);
    } else if (object.lineWidth != 0) {
      const bool outline = g.type == polygon ||
                           ((g.type == quad_strip || g.type == quads_list) && g.vertexCount() == 4);
      if (outline) {
        g.type = line_loop;
        g.rebuildTriangleTable();
      }
    }
  } catch (const std::bad_alloc&) {
    KVX_LOG(LOG_ERROR, "toIndependentPrimitives: malloc failed, %d vertices\n", g.vertexCount());
    return;
  }
  g.type = tri_indexed;
}

void lineStripToLineList(geom& g) {
  if (g.type != line_strip && g.type != line_loop) return;
  const int32_t n = g.vertexCount();
  if (n >= 3) {
    std::vector<Vertex> segments;
    try {
      segments.reserve(2 * n);
    } catch (const std::bad_alloc&) {
      KVX_LOG(LOG_ERROR, "lineStripToLineList: malloc failed, %d vertices\n", n);
      return;
    }
    for (int32_t k = 0; k + 1 < n; ++k) {
      segments.push_back(g.vertices[k]);
      segments.push_back(g.vertices[k + 1]);
    }
    if (g.type == line_loop) {
      segments.push_back(g.vertices[n - 1]);
      segments.push_back(g.vertices[0]);
    }
    g.vertices.swap(segments);
  }
  g.type = line;
  g.rebuildTriangleTable();
}

}  // namespace kvx
