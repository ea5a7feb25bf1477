#pragma once
// The 1-million-triangle scene of the format benchmarks, its payload and
// the helper that times work in CPU time: the machines these run on are
// shared, so wall time mostly measures the neighbours.
#include "format/kvx_sink.h"
#include "scene/scene.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

namespace kvx::bench {

// Ten indexed grids of 250 x 200 cells: 1,000,000 triangles, ~500,000 vertices.
inline void buildLargeScene(scene& s) {
  const int columns = 250, rows = 200;
  for (int part = 0; part < 10; ++part) {
    auto o = std::make_unique<SceneObject>();
    geom& g = *o->geometry;
    for (int j = 0; j <= rows; ++j)
      for (int i = 0; i <= columns; ++i) {
        Vertex v;
        v.x = static_cast<float>(i) * 0.01f;
        v.z = static_cast<float>(j) * 0.01f + part * 2.5f;
        v.y = 0.2f * std::sin(v.x * 7) * std::cos(v.z * 5);
        const float nx = -1.4f * std::cos(v.x * 7) * std::cos(v.z * 5), nz = 1.0f * std::sin(v.x * 7) * std::sin(v.z * 5);
        const float length = std::sqrt(nx * nx + 1 + nz * nz);
        v.nx = nx / length, v.ny = 1 / length, v.nz = nz / length;
        g.vertices.push_back(v);
      }
    for (int j = 0; j < rows; ++j)
      for (int i = 0; i < columns; ++i) {
        const int a = j * (columns + 1) + i, b = a + 1, c = a + columns + 1, d = c + 1;
        g.triangleTable.push_back({{a, c, b}});
        g.triangleTable.push_back({{b, c, d}});
      }
    s.AddObjet(o);
  }
  s.createCurrentView();
}

struct CollectSink : KvxSink {
  std::vector<uint8_t> bytes;
  bool put(const void* data, int32_t n) override {
    auto* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + n);
    return KvxSink::put(data, n);
  }
};

inline std::vector<uint8_t> payloadOf(scene& s) {
  CollectSink sink;
  s.ser.setSink(&sink);
  s.serialise();
  s.ser.setSink(nullptr);
  return std::move(sink.bytes);
}

// The whole process's CPU time: inflating and deflating run on helper
// threads too.
inline double cpuMilliseconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

}  // namespace kvx::bench
