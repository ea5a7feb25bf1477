// Frames per second of a one-million-triangle scene drawn off-screen by
// Mesa's software rasteriser, through the SDK object as a host draws.
#include "kvx_sdk.h"
#include "sdk/plugin_state.h"

#include <GL/osmesa.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kWidth = 800, kHeight = 600;

// A wavy height field of (n-1)^2 * 2 triangles as one indexed object.
std::unique_ptr<kvx::SceneObject> heightField(int n) {
  auto object = std::make_unique<kvx::SceneObject>();
  kvx::geom& g = *object->geometry;
  g.type = kvx::tri_indexed;
  g.vertices.resize(size_t(n) * n);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      kvx::Vertex& v = g.vertices[size_t(j) * n + i];
      v.x = float(i) / n, v.y = float(j) / n;
      v.z = 0.05f * std::sin(v.x * 20) * std::cos(v.y * 20);
      v.nz = 1;
    }
  for (int j = 0; j + 1 < n; ++j)
    for (int i = 0; i + 1 < n; ++i) {
      const int a = j * n + i, b = a + 1, c = a + n, d = c + 1;
      g.triangleTable.push_back({{a, b, d}});
      g.triangleTable.push_back({{a, d, c}});
    }
  object->diffuse[1] = 180;
  return object;
}

struct OffscreenHost {
  std::vector<unsigned char> pixels = std::vector<unsigned char>(size_t(kWidth) * kHeight * 4);
  OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, nullptr);
  kvx_SystemInfo system = {};
  kvx_FrameInfo frame = {kWidth, kHeight, 0, 0, 0, 0};
  kvx_ManipInfo manip = {};
  kvx_GL_Plugin plugin;

  OffscreenHost() {
    OSMesaMakeCurrent(context, pixels.data(), GL_UNSIGNED_BYTE, kWidth, kHeight);
    plugin.InitDisplay(&system, &frame, &manip);
  }
  ~OffscreenHost() { OSMesaDestroyContext(context); }
};

void BM_MillionTriangleFrame(benchmark::State& bench) {
  OffscreenHost host;
  auto scene = std::make_unique<kvx::scene>();
  auto object = heightField(708);  // 1 000 000 triangles
  scene->AddObjet(object);
  host.plugin.state().scene = std::move(scene);
  host.plugin.ResetManip();
  host.plugin.RenderFrame();
  for (auto _ : bench) {
    host.plugin.RenderFrame();
    glFinish();
  }
  bench.counters["fps"] = benchmark::Counter(double(bench.iterations()), benchmark::Counter::kIsRate);
  bench.counters["triangles"] = double(host.plugin.state().scene->objects[0]->geometry->triangleCount());
}
BENCHMARK(BM_MillionTriangleFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
