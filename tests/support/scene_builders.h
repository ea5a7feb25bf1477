#pragma once
// Small scenes built in code for tests.
#include "scene/scene.h"

#include <array>
#include <initializer_list>
#include <memory>

namespace kvx::test {

inline Vertex vertexAt(float x, float y, float z, float nz = 1) {
  Vertex v;
  v.x = x, v.y = y, v.z = z;
  v.nz = nz;
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

// An object of `type` with these vertices, in one diffuse colour.
inline std::unique_ptr<SceneObject> makeObject(int32_t type, std::initializer_list<Vertex> vertices,
                                               uint8_t r = 255, uint8_t g = 255, uint8_t b = 255) {
  auto object = std::make_unique<SceneObject>();
  object->geometry->type = type;
  object->geometry->vertices.assign(vertices);
  object->geometry->rebuildTriangleTable();
  object->diffuse[0] = r, object->diffuse[1] = g, object->diffuse[2] = b;
  return object;
}

// A square of side 2 centred on the origin in the plane z = 0, facing +z.
inline std::unique_ptr<SceneObject> makeSquare(float half = 1, uint8_t r = 255, uint8_t g = 255,
                                               uint8_t b = 255) {
  auto object = makeObject(quads_list, {vertexAt(-half, -half, 0), vertexAt(half, -half, 0),
                                        vertexAt(half, half, 0), vertexAt(-half, half, 0)},
                           r, g, b);
  Vertex* v = object->geometry->vertices.data();
  v[1].u = 1, v[2].u = 1, v[2].v = 1, v[3].v = 1;
  return object;
}

inline std::unique_ptr<scene> sceneWith(std::unique_ptr<SceneObject> object) {
  auto s = std::make_unique<scene>();
  s->AddObjet(object);
  return s;
}

}  // namespace kvx::test
