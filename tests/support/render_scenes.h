#pragma once
// Coloured objects and scenes for drawing tests.
#include "scene_builders.h"

#include <initializer_list>
#include <memory>

namespace kvx::test {

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
