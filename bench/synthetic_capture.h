#pragma once
// Synthetic raw captures: a height field cut into many small objects, the
// way a captured application hands over a terrain or a tessellated part.
// Objects are short strips of grid cells drawn as triangle strips, triangle
// lists, quads or indexed triangles, in a few materials that come both in
// runs and interleaved; neighbours share the corners of their common edge
// and every tenth object is drawn twice.
#include "scene/scene.h"

#include <cmath>
#include <memory>
#include <random>

namespace kvx::bench {

struct SyntheticCapture {
  int objects = 10000;
  int cellsPerObject = 4;
  int objectsPerRow = 64;
  int materials = 6;
  uint32_t seed = 1;
};

namespace detail {

// The same grid corner always gives the same vertex record.
inline Vertex gridVertex(int column, int row) {
  Vertex v;
  v.x = static_cast<float>(column);
  v.y = static_cast<float>(row);
  v.z = std::sin(column * 0.1f) * std::cos(row * 0.13f) * 4.0f;
  const float dx = std::cos(column * 0.1f) * 0.4f * std::cos(row * 0.13f);
  const float dy = -std::sin(column * 0.1f) * 0.52f * std::sin(row * 0.13f);
  const float length = std::sqrt(dx * dx + dy * dy + 1);
  v.nx = -dx / length;
  v.ny = -dy / length;
  v.nz = 1 / length;
  return v;
}

inline void drawCells(geom& g, int type, int column, int row, int cells) {
  g.type = type;
  auto at = [&](int c, int r) { return gridVertex(column + c, row + r); };
  switch (type) {
    case tri_strip:
      for (int c = 0; c <= cells; ++c) {
        g.vertices.push_back(at(c, 0));
        g.vertices.push_back(at(c, 1));
      }
      break;
    case tri_list:
      for (int c = 0; c < cells; ++c)
        for (auto [dc, dr] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 0}, {1, 1}, {0, 1}}) g.vertices.push_back(at(c + dc, dr));
      break;
    case quads_list:
      for (int c = 0; c < cells; ++c)
        for (auto [dc, dr] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 1}}) g.vertices.push_back(at(c + dc, dr));
      break;
    default:  // indexed: a strip's corners, two triangles per cell
      for (int c = 0; c <= cells; ++c) {
        g.vertices.push_back(at(c, 0));
        g.vertices.push_back(at(c, 1));
      }
      for (int c = 0; c < cells; ++c) {
        const int32_t b = 2 * c;
        g.triangleTable.push_back({{b, b + 2, b + 3}});
        g.triangleTable.push_back({{b, b + 3, b + 1}});
      }
  }
  g.rebuildTriangleTable();
}

}  // namespace detail

// Fills an empty scene with the capture and marks it raw.
inline void fillSyntheticCapture(scene& s, const SyntheticCapture& shape) {
  std::mt19937 rng(shape.seed);
  const int types[] = {tri_strip, tri_list, quads_list, tri_indexed};
  std::unique_ptr<SceneObject> previous;
  int material = 0;
  for (int k = 0; k < shape.objects; ++k) {
    auto object = std::make_unique<SceneObject>();
    if (k % 10 == 9 && previous) {
      *object = *previous;
      object->geometry = std::make_shared<geom>(*previous->geometry);
    } else {
      if (rng() % 4 == 0) material = static_cast<int>(rng() % shape.materials);  // runs of one material
      object->diffuse[0] = static_cast<uint8_t>(40 * material);
      object->smooth = material % 3 != 0;
      detail::drawCells(*object->geometry, types[rng() % 4], (k % shape.objectsPerRow) * shape.cellsPerObject,
                        k / shape.objectsPerRow, shape.cellsPerObject);
      previous = std::make_unique<SceneObject>(*object);
      previous->geometry = std::make_shared<geom>(*object->geometry);
    }
    s.AddObjet(object);
  }
  s.sceneFlags |= SCENE_RAW_CAPTURE;
  s.updateBounds();
}

}  // namespace kvx::bench
