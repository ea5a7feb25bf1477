// glxgears' frame rate with and without the capture interceptor preloaded
// (needs an X server: DISPLAY). Compare the medians of the "fps" counter;
// "cpu_us_per_frame" (the program's own processor time per frame) is less
// disturbed by other load on the machine. The interceptor's cost outside a
// capture should stay within 10%.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
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

struct Run {
  double fps = 0;
  double cpuSeconds = 0;
  long frames = 0;
};

// glxgears reports its rate after five seconds and is then interrupted.
// The Files folder it is given holds no request, so nothing is captured.
Run runGlxgears(bool intercepted) {
  Run run;
  int out[2];
  if (pipe(out) != 0) return run;
  const std::string files = (std::filesystem::temp_directory_path() / "kvx-bench-no-capture").string();
  std::filesystem::create_directories(files);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    close(out[0]);
    setenv("vblank_mode", "0", 1);
    if (intercepted) {
      setenv("LD_PRELOAD", interceptor().c_str(), 1);
      setenv("KVX_CAPTURE_FILES", files.c_str(), 1);
    }
    execlp("timeout", "timeout", "-s", "INT", "5.5", "glxgears", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  FILE* stream = fdopen(out[0], "r");
  char line[256];
  while (stream && std::fgets(line, sizeof line, stream)) {
    long frames = 0;
    double seconds = 0, fps = 0;
    if (std::sscanf(line, "%ld frames in %lf seconds = %lf FPS", &frames, &seconds, &fps) == 3)
      run.frames = frames, run.fps = fps;
  }
  if (stream) std::fclose(stream);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  // timeout waits for its child, so the child's time is in timeout's.
  run.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
                   usage.ru_stime.tv_usec * 1e-6;
  return run;
}

void glxgears(benchmark::State& state, bool intercepted) {
  if (!std::getenv("DISPLAY")) {
    state.SkipWithError("needs an X server (DISPLAY)");
    return;
  }
  Run run;
  for (auto _ : state) run = runGlxgears(intercepted);
  if (run.frames <= 0) {
    state.SkipWithError("glxgears reported no frame rate");
    return;
  }
  state.counters["fps"] = run.fps;
  // The report covers five of the 5.5 seconds.
  state.counters["cpu_us_per_frame"] = run.cpuSeconds * 1e6 / (run.frames * 1.1);
}

void BM_GlxgearsPlain(benchmark::State& state) { glxgears(state, false); }
void BM_GlxgearsIntercepted(benchmark::State& state) { glxgears(state, true); }

BENCHMARK(BM_GlxgearsPlain)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kSecond);
BENCHMARK(BM_GlxgearsIntercepted)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
