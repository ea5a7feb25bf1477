#pragma once
// Small builders for geometry tests: vertices, objects and a guard that
// holds a capture option for the length of one test.
#include "scene/scene.h"
#include "services/capture_options.h"

#include <initializer_list>
#include <memory>

namespace kvx::test {

inline Vertex makeVertex(float x, float y, float z, float nx = 0, float ny = 0, float nz = 0) {
  Vertex v;
  v.x = x;
  v.y = y;
  v.z = z;
  v.nx = nx;
  v.ny = ny;
  v.nz = nz;
  return v;
}

// An object of the given type and vertices with its derived table, or the
// given table for tri_indexed.
inline std::unique_ptr<SceneObject> makeObject(int32_t type, std::initializer_list<Vertex> vertices,
                                             std::initializer_list<Tri> table = {}) {
  auto object = std::make_unique<SceneObject>();
  geom& g = *object->geometry;
  g.type = type;
  g.vertices = vertices;
  g.triangleTable = table;
  g.rebuildTriangleTable();
  return object;
}

// Holds one capture option at a value, restoring the old value afterwards.
class OptionGuard {
 public:
  OptionGuard(CaptureOption option, bool on) : option_(option), old_(captureOption(option)) {
    setCaptureOption(option, on);
  }
  ~OptionGuard() { setCaptureOption(option_, old_); }
  OptionGuard(const OptionGuard&) = delete;
  OptionGuard& operator=(const OptionGuard&) = delete;

 private:
  CaptureOption option_;
  bool old_;
};

}  // namespace kvx::test
