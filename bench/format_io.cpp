// Reading and writing a 1-million-triangle scene file (stored, deflated,
// deflated and enciphered). Each benchmark reports beside its own figures
// the anchor measured in the same run: zlib's inflate of the same deflated
// body for reads, zlib's deflate at its default level (6) of the same
// payload for writes. ours_ms and zlib_ms are medians of CPU time per call;
// x_zlib is their ratio, size_x_zlib the file body against zlib's output.
#include "large_scene.h"

#include "services/capture_options.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

using namespace kvx;
using namespace kvx::bench;

struct Fixture {
  scene s;
  std::vector<uint8_t> payload;
  std::vector<uint8_t> deflated;  // zlib, default level
  const std::string path = "/tmp/kvx-bench-" + std::to_string(getpid()) + ".kvx";

  Fixture() {
    buildLargeScene(s);
    payload = payloadOf(s);
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

// zlib's inflate of the body, into a buffer that is already mapped: the floor
// of a zlib reader.
double zlibInflateMs() {
  Fixture& f = fixture();
  std::vector<uint8_t> out(f.payload.size());
  return medianCpuMs(5, [&] {
    uLongf length = out.size();
    uncompress(out.data(), &length, f.deflated.data(), f.deflated.size());
    benchmark::DoNotOptimize(out.data());
  });
}

double zlibDeflateMs() {
  Fixture& f = fixture();
  std::vector<uint8_t> out(compressBound(f.payload.size()));
  return medianCpuMs(3, [&] {
    uLongf length = out.size();
    compress(out.data(), &length, f.payload.data(), f.payload.size());
    benchmark::DoNotOptimize(out.data());
  });
}

void report(benchmark::State& state, std::vector<double>& ours, double anchor) {
  std::nth_element(ours.begin(), ours.begin() + ours.size() / 2, ours.end());
  const double median = ours[ours.size() / 2];
  state.counters["ours_ms"] = median;
  state.counters["zlib_ms"] = anchor;
  state.counters["x_zlib"] = median / anchor;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fixture().payload.size()));
}

void BM_Read(benchmark::State& state) {
  const Mode mode = static_cast<Mode>(state.range(0));
  if (writeFile(mode) <= 8) state.SkipWithError("write failed");
  const char* pass = mode == ENCIPHERED ? "bench pass phrase" : nullptr;
  std::vector<double> ours;
  for (auto _ : state) {
    const double start = cpuMilliseconds();
    scene s;
    if (s.Read(fixture().path.c_str(), pass, nullptr, nullptr, nullptr, nullptr, false) <= 8)
      state.SkipWithError("read failed");
    ours.push_back(cpuMilliseconds() - start);
  }
  report(state, ours, zlibInflateMs());
}

void BM_Write(benchmark::State& state) {
  const Mode mode = static_cast<Mode>(state.range(0));
  std::vector<double> ours;
  int32_t size = 0;
  for (auto _ : state) {
    const double start = cpuMilliseconds();
    size = writeFile(mode);
    if (size <= 8) state.SkipWithError("write failed");
    ours.push_back(cpuMilliseconds() - start);
  }
  report(state, ours, zlibDeflateMs());
  if (mode != STORED) state.counters["size_x_zlib"] = double(size - 8) / double(fixture().deflated.size());
}

const auto modes = [](benchmark::internal::Benchmark* b) {
  b->ArgName("stored0_deflated1_enciphered2")->Arg(STORED)->Arg(DEFLATED)->Arg(ENCIPHERED);
  b->Unit(benchmark::kMillisecond)->UseRealTime();
};

BENCHMARK(BM_Read)->Apply(modes);
BENCHMARK(BM_Write)->Apply(modes);

}  // namespace

BENCHMARK_MAIN();
