// The fuzz targets' seed corpora and the inputs of past findings, replayed
// through the targets' own entry functions: what once crashed a reader or
// broke one of the targets' checks must keep passing in every build.
#include "fuzz_entries.h"
#include "temp_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace kvx::test {
namespace {

namespace fs = std::filesystem;

struct FuzzTarget {
  const char* name;
  int (*entry)(const uint8_t*, size_t);
};

const FuzzTarget kTargets[] = {
    {"scene_read", &fuzz::scene_read},
    {"payload", &fuzz::payload},
    {"conference_frames", &fuzz::conference_frames},
    {"http_proxy", &fuzz::http_proxy},
    {"control_stream", &fuzz::control_stream},
    {"overlay_bitmap", &fuzz::overlay_bitmap},
    {"capture_settings", &fuzz::capture_settings},
    {"registry_store", &fuzz::registry_store},
    {"preferences", &fuzz::preferences},
    {"assimp_mapping", &fuzz::assimp_mapping},
};

std::vector<fs::path> inputsOf(const std::string& set, const std::string& target) {
  std::vector<fs::path> files;
  const fs::path folder = fs::path(KVX_SOURCE_DIR) / "tests/fuzz" / set / target;
  if (fs::is_directory(folder))
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.is_regular_file()) files.push_back(entry.path());
  return files;
}

class FuzzCorpus : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzCorpus, EverySeedAndPastFindingPasses) {
  const FuzzTarget& target = GetParam();
  TempEnv env;  // the registry target points the store at its own folder
  const auto seeds = inputsOf("corpus", target.name);
  EXPECT_FALSE(seeds.empty()) << "no seed corpus for " << target.name;
  auto inputs = seeds;
  const auto regressions = inputsOf("regressions", target.name);
  inputs.insert(inputs.end(), regressions.begin(), regressions.end());
  for (const fs::path& file : inputs) {
    SCOPED_TRACE(file.string());
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(target.entry(bytes.data(), bytes.size()), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpus, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kvx::test
