// Reading and writing a 1-million-triangle scene file (stored, deflated,
// deflated and enciphered), beside zlib's own inflate and deflate of the
// same payload. Every figure is in bytes of payload per second, so the
// ratio of a read to BM_ZlibInflate is the cost of the format itself.
#include "format/kvx_sink.h"
#include "scene/scene.h"
#include "services/capture_options.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace kvx;

// Ten indexed grids of 250 x 200 cells: 1,000,000 triangles, ~500,000 vertices.
void buildLargeScene(scene& s) {
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

struct Payload : KvxSink {
  std::vector<uint8_t> bytes;
  bool put(const void* data, int32_t n) override {
    auto* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + n);
    return KvxSink::put(data, n);
  }
};

struct Fixture {
  scene s;
  std::vector<uint8_t> payload;
  std::vector<uint8_t> deflated;
  const std::string path = "/tmp/kvx-bench-" + std::to_string(getpid()) + ".kvx";

  Fixture() {
    buildLargeScene(s);
    Payload sink;
    s.ser.setSink(&sink);
    s.serialise();
    s.ser.setSink(nullptr);
    payload = std::move(sink.bytes);
    uLongf length = compressBound(payload.size());
    deflated.resize(length);
    compress(deflated.data(), &length, payload.data(), payload.size());
    deflated.resize(length);
  }
  ~Fixture() { std::remove(path.c_str()); }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

enum Mode { STORED, DEFLATED, ENCIPHERED };

int32_t writeFile(Mode mode) {
  Fixture& f = fixture();
  setCaptureOption(CaptureOption::DONTCOMPRESSKVXFILE, mode == STORED);
  const kvx_CryptoDesc crypto = {"bench pass phrase", 16};
  return f.s.Write(f.path.c_str(), mode == ENCIPHERED ? &crypto : nullptr, 0, false, nullptr, nullptr, nullptr);
}

void BM_Write(benchmark::State& state) {
  const Mode mode = static_cast<Mode>(state.range(0));
  for (auto _ : state)
    if (writeFile(mode) <= 8) state.SkipWithError("write failed");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fixture().payload.size()));
}

void BM_Read(benchmark::State& state) {
  const Mode mode = static_cast<Mode>(state.range(0));
  if (writeFile(mode) <= 8) state.SkipWithError("write failed");
  const char* pass = mode == ENCIPHERED ? "bench pass phrase" : nullptr;
  for (auto _ : state) {
    scene s;
    if (s.Read(fixture().path.c_str(), pass, nullptr, nullptr, nullptr, nullptr, false) <= 8)
      state.SkipWithError("read failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fixture().payload.size()));
}

void BM_ZlibInflate(benchmark::State& state) {
  Fixture& f = fixture();
  std::vector<uint8_t> out(f.payload.size());
  for (auto _ : state) {
    uLongf length = out.size();
    uncompress(out.data(), &length, f.deflated.data(), f.deflated.size());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.payload.size()));
}

void BM_ZlibDeflate(benchmark::State& state) {
  Fixture& f = fixture();
  std::vector<uint8_t> out(compressBound(f.payload.size()));
  for (auto _ : state) {
    uLongf length = out.size();
    compress(out.data(), &length, f.payload.data(), f.payload.size());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.payload.size()));
}

const auto modes = [](benchmark::internal::Benchmark* b) {
  b->ArgName("stored0_deflated1_enciphered2")->Arg(STORED)->Arg(DEFLATED)->Arg(ENCIPHERED);
  b->Unit(benchmark::kMillisecond)->UseRealTime();
};

BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Read)->Apply(modes);
BENCHMARK(BM_ZlibDeflate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Write)->Apply(modes);

}  // namespace

BENCHMARK_MAIN();
