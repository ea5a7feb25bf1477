#pragma once
// Small scenes built in code for tests.
#include "scene/scene.h"

#include <initializer_list>
#include <memory>

namespace kvx::test {

inline Vertex vertexAt(float x, float y, float z) {
  Vertex v;
  v.x = x;
  v.y = y;
  v.z = z;
  v.nz = 1;
  return v;
}

// An object of the given primitive type over the given corner positions.
inline std::unique_ptr<SceneObject> objectOf(int32_t type, std::initializer_list<std::array<float, 3>> corners) {
  auto object = std::make_unique<SceneObject>();
  object->geometry->type = type;
  for (const auto& c : corners) object->geometry->vertices.push_back(vertexAt(c[0], c[1], c[2]));
  object->geometry->rebuildTriangleTable();
  return object;
}

inline void addObject(scene& s, std::unique_ptr<SceneObject> object) { s.AddObjet(object); }

// A unit square of two triangles in the z = 0 plane.
inline std::unique_ptr<SceneObject> unitSquare() {
  return objectOf(quads_list, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
}

}  // namespace kvx::test
