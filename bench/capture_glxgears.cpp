// glxgears' frame rate with and without the capture interceptor preloaded
// (needs an X server: DISPLAY). Compare the medians of the "fps" counter:
// the interceptor's cost outside a capture should stay within 10%.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

std::string interceptor() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  self[n > 0 ? n : 0] = 0;
  return (std::filesystem::path(self).parent_path() / "libkvx_capture.so").string();
}

// glxgears reports its rate after five seconds; the capture folder is
// empty, so no capture is ever made.
double framesPerSecond(const std::string& environment) {
  const std::string command = environment + " timeout -s INT 6 glxgears 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return 0;
  char line[256];
  double fps = 0;
  while (std::fgets(line, sizeof line, pipe))
    if (const char* at = std::strstr(line, "= ")) fps = std::atof(at + 2);
  pclose(pipe);
  return fps;
}

void run(benchmark::State& state, const std::string& environment) {
  if (!std::getenv("DISPLAY")) {
    state.SkipWithError("needs an X server (DISPLAY)");
    return;
  }
  double fps = 0;
  for (auto _ : state) fps = framesPerSecond(environment);
  if (fps <= 0) state.SkipWithError("glxgears reported no frame rate");
  state.counters["fps"] = fps;
}

void BM_GlxgearsPlain(benchmark::State& state) { run(state, "vblank_mode=0"); }

void BM_GlxgearsIntercepted(benchmark::State& state) {
  const std::string files = (std::filesystem::temp_directory_path() / "kvx-bench-no-capture").string();
  std::filesystem::create_directories(files);
  run(state, "vblank_mode=0 KVX_CAPTURE_FILES=" + files + " LD_PRELOAD=" + interceptor());
}

BENCHMARK(BM_GlxgearsPlain)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kSecond);
BENCHMARK(BM_GlxgearsIntercepted)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
