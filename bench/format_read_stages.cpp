// The stages of reading the deflated and enciphered 1-million-triangle scene
// file, each on fresh memory as scene::Read meets it: file read, decipher,
// inflate (ours and zlib's), deserialise (with the per-object fix-ups, also
// timed alone) and the post-read steps. Times are CPU time per call.
#include "large_scene.h"

#include "format/crypt_sink.h"
#include "format/deflate_buffer.h"
#include "format/object_post_read.h"
#include "format/scene_read_steps.h"
#include "services/capture_options.h"
#include "services/huge_pages.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

using namespace kvx;
using namespace kvx::bench;

constexpr const char* kPass = "bench pass phrase";

struct Fixture {
  std::vector<uint8_t> payload;
  std::vector<uint8_t> deflated;    // the file's body before enciphering
  std::vector<uint8_t> enciphered;  // the file's body
  const std::string path = "/tmp/kvx-stages-" + std::to_string(getpid()) + ".kvx";

  Fixture() {
    scene s;
    buildLargeScene(s);
    payload = payloadOf(s);
    const kvx_CryptoDesc crypto = {kPass, 16};
    s.Write(path.c_str(), &crypto, 0, true, nullptr, nullptr, nullptr);
    FILE* f = std::fopen(path.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    enciphered.resize(std::ftell(f) - 8);
    std::fseek(f, 8, SEEK_SET);
    if (std::fread(enciphered.data(), 1, enciphered.size(), f) != enciphered.size()) std::abort();
    std::fclose(f);
    deflated = enciphered;
    kvxDecodeBuffer(deflated.data(), deflated.data(), static_cast<int32_t>(deflated.size()), kPass, 16);
  }
  ~Fixture() { std::remove(path.c_str()); }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

// A fresh buffer, as the reader allocates it.
std::unique_ptr<uint8_t[]> freshBuffer(size_t size) {
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[size]);
  prepareToFill(buffer.get(), size);
  return buffer;
}

std::unique_ptr<uint8_t[]> copyOf(const std::vector<uint8_t>& bytes) {
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[bytes.size()]);
  std::memcpy(buffer.get(), bytes.data(), bytes.size());
  return buffer;
}

// Times `stage` in CPU time; `prepare` runs untimed before each call.
template <typename Prepare, typename Stage>
void timeStage(benchmark::State& state, Prepare prepare, Stage stage) {
  for (auto _ : state) {
    auto input = prepare();
    const double start = cpuMilliseconds();
    stage(input);
    state.SetIterationTime((cpuMilliseconds() - start) / 1e3);
  }
}

auto nothing = [] { return 0; };

void BM_FileRead(benchmark::State& state) {
  const size_t length = fixture().enciphered.size();
  timeStage(state, nothing, [&](int) {
    FILE* f = std::fopen(fixture().path.c_str(), "rb");
    auto body = freshBuffer(length);
    std::fseek(f, 8, SEEK_SET);
    benchmark::DoNotOptimize(std::fread(body.get(), 1, length, f));
    std::fclose(f);
  });
}

void BM_Decipher(benchmark::State& state) {
  timeStage(state, [] { return copyOf(fixture().enciphered); }, [](std::unique_ptr<uint8_t[]>& body) {
    kvxDecodeBuffer(body.get(), body.get(), static_cast<int32_t>(fixture().enciphered.size()), kPass, 16);
  });
}

void BM_Inflate(benchmark::State& state) {
  const Fixture& f = fixture();
  timeStage(state, nothing, [&](int) {
    auto out = freshBuffer(f.payload.size() + 20);
    size_t produced = 0;
    inflateBuffer(f.deflated.data(), f.deflated.size(), out.get(), f.payload.size(), produced);
  });
}

void BM_InflateZlib(benchmark::State& state) {
  const Fixture& f = fixture();
  timeStage(state, nothing, [&](int) {
    auto out = freshBuffer(f.payload.size() + 20);
    uLongf length = f.payload.size();
    uncompress(out.get(), &length, f.deflated.data(), f.deflated.size());
  });
}

void BM_Deserialise(benchmark::State& state) {
  timeStage(state, [] { return std::make_pair(std::make_unique<scene>(), copyOf(fixture().payload)); },
            [](auto& input) {
              input.first->ser.version = 43;
              input.first->deserialise(std::move(input.second), static_cast<int32_t>(fixture().payload.size()));
            });
}

void BM_ObjectFixups(benchmark::State& state) {
  timeStage(state,
            [] {
              auto s = std::make_unique<scene>();
              s->ser.version = 43;
              s->deserialise(copyOf(fixture().payload), static_cast<int32_t>(fixture().payload.size()));
              return s;
            },
            [](std::unique_ptr<scene>& s) {
              for (auto& object : s->objects) {
                detectWinding(*object);
                settleObjectNormals(*object);
              }
            });
}

void BM_PostRead(benchmark::State& state) {
  timeStage(state,
            [] {
              auto s = std::make_unique<scene>();
              s->ser.version = 43;
              s->deserialise(copyOf(fixture().payload), static_cast<int32_t>(fixture().payload.size()));
              return s;
            },
            [](std::unique_ptr<scene>& s) { finishSceneRead(*s, nullptr, nullptr, nullptr, false); });
}

void BM_WholeRead(benchmark::State& state) {
  timeStage(state, nothing, [](int) {
    scene s;
    s.Read(fixture().path.c_str(), kPass, nullptr, nullptr, nullptr, nullptr, false);
  });
}

// A fixed count: the untimed preparation of some stages costs more than the stage.
#define STAGE(name) BENCHMARK(name)->UseManualTime()->Iterations(8)->Unit(benchmark::kMillisecond)
STAGE(BM_FileRead);
STAGE(BM_Decipher);
STAGE(BM_Inflate);
STAGE(BM_InflateZlib);
STAGE(BM_Deserialise);
STAGE(BM_ObjectFixups);
STAGE(BM_PostRead);
STAGE(BM_WholeRead);

}  // namespace

BENCHMARK_MAIN();
