// Reading and writing a 1-million-triangle scene file (stored, deflated,
// deflated and enciphered). Each benchmark reports beside its own figures
// the anchor measured in the same run: zlib's inflate of the same deflated
// body for reads, zlib's deflate at its default level (6) of the same
// payload for writes. Deflating and inflating run on all cores, so the
// calling thread's CPU time would leave out the helpers: ours_ms and
// zlib_ms are medians of wall time per call, ours_cpu_ms and zlib_cpu_ms of
// the whole process's CPU time; x_zlib and x_zlib_cpu are their ratios,
// size_x_zlib the file body against zlib's output.
#include "large_scene.h"

#include "services/capture_options.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
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

struct Times {
  double wallMs = 0, cpuMs = 0;
};

template <typename Work>
Times timesOf(Work work) {
  const auto wallStart = std::chrono::steady_clock::now();
  const double cpuStart = cpuMilliseconds();
  work();
  return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart).count(),
          cpuMilliseconds() - cpuStart};
}

// Medians of wall and CPU time, each taken on its own.
Times medianOf(std::vector<Times> runs) {
  auto median = [&](double Times::*field) {
    std::vector<double> values;
    for (const Times& t : runs) values.push_back(t.*field);
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
  };
  return {median(&Times::wallMs), median(&Times::cpuMs)};
}

template <typename Work>
Times medianTimes(int runs, Work work) {
  std::vector<Times> times;
  for (int i = 0; i < runs; ++i) times.push_back(timesOf(work));
  return medianOf(times);
}

// zlib's inflate of the body, into a buffer that is already mapped: the floor
// of a zlib reader.
Times zlibInflate() {
  Fixture& f = fixture();
  std::vector<uint8_t> out(f.payload.size());
  return medianTimes(5, [&] {
    uLongf length = out.size();
    uncompress(out.data(), &length, f.deflated.data(), f.deflated.size());
    benchmark::DoNotOptimize(out.data());
  });
}

Times zlibDeflate() {
  Fixture& f = fixture();
  std::vector<uint8_t> out(compressBound(f.payload.size()));
  return medianTimes(3, [&] {
    uLongf length = out.size();
    compress(out.data(), &length, f.payload.data(), f.payload.size());
    benchmark::DoNotOptimize(out.data());
  });
}

void report(benchmark::State& state, const std::vector<Times>& runs, Times anchor) {
  const Times ours = medianOf(runs);
  state.counters["ours_ms"] = ours.wallMs;
  state.counters["ours_cpu_ms"] = ours.cpuMs;
  state.counters["zlib_ms"] = anchor.wallMs;
  state.counters["zlib_cpu_ms"] = anchor.cpuMs;
  state.counters["x_zlib"] = ours.wallMs / anchor.wallMs;
  state.counters["x_zlib_cpu"] = ours.cpuMs / anchor.cpuMs;
  state.counters["payload_mb"] = fixture().payload.size() / 1e6;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fixture().payload.size()));
}

void BM_Read(benchmark::State& state) {
  const Mode mode = static_cast<Mode>(state.range(0));
  if (writeFile(mode) <= 8) state.SkipWithError("write failed");
  const char* pass = mode == ENCIPHERED ? "bench pass phrase" : nullptr;
  std::vector<Times> ours;
  for (auto _ : state) {
    ours.push_back(timesOf([&] {
      scene s;
      if (s.Read(fixture().path.c_str(), pass, nullptr, nullptr, nullptr, nullptr, false) <= 8)
        state.SkipWithError("read failed");
    }));
  }
  report(state, ours, zlibInflate());
}

void BM_Write(benchmark::State& state) {
  const Mode mode = static_cast<Mode>(state.range(0));
  std::vector<Times> ours;
  int32_t size = 0;
  for (auto _ : state) {
    ours.push_back(timesOf([&] { size = writeFile(mode); }));
    if (size <= 8) state.SkipWithError("write failed");
  }
  report(state, ours, zlibDeflate());
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
