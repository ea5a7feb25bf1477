// The whole optimisation of a raw capture (scene::Optimize) on synthetic
// captures of 10 000, 40 000 and 160 000 objects. The per-object counter
// should stay nearly flat: time(4N) / time(N) below 5.
#include "synthetic_capture.h"

#include "services/capture_options.h"

#include <benchmark/benchmark.h>

namespace {

void OptimiseCapture(benchmark::State& state) {
  kvx::setCaptureOption(kvx::CaptureOption::NOOPTIM, false);
  kvx::bench::SyntheticCapture shape;
  shape.objects = static_cast<int>(state.range(0));
  size_t objectsLeft = 0;
  // One untimed run first: the largest size runs a single iteration, which
  // would otherwise be the only one paying for mapping fresh heap pages.
  {
    kvx::scene warmUp;
    kvx::bench::fillSyntheticCapture(warmUp, shape);
    warmUp.Optimize();
  }
  for (auto _ : state) {
    state.PauseTiming();
    auto capture = std::make_unique<kvx::scene>();
    kvx::bench::fillSyntheticCapture(*capture, shape);
    state.ResumeTiming();
    benchmark::DoNotOptimize(capture->Optimize());
    objectsLeft = capture->objects.size();
    state.PauseTiming();
    capture.reset();  // freeing is not part of the optimisation
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
  state.counters["objects_left"] = static_cast<double>(objectsLeft);
  state.counters["time_per_object"] = benchmark::Counter(
      static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(OptimiseCapture)
    ->Arg(10000)
    ->Arg(40000)
    ->Arg(160000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
