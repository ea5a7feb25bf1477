// kvx sample: writes the bundled demo scene.
#include "command.h"
#include "format/sample_scene.h"
#include "scene/scene.h"

#include <cstdio>

namespace kvx::tool {
namespace {

int run(const std::vector<std::string>& args) {
  if (args.size() != 1 || args[0].starts_with("--")) return usageError("sample needs exactly one OUT.kvx");
  scene s;
  buildSampleScene(s);
  const int32_t result = s.Write(args[0].c_str(), nullptr, 0, true, nullptr, nullptr, nullptr);
  if (result <= FILE_NEEDS_PASS) {
    std::fprintf(stderr, "kvx sample: cannot write %s (error %d)\n", args[0].c_str(), result);
    return EXIT_FAILED;
  }
  return EXIT_OK;
}

const Registrar registrar({"sample", "OUT.kvx", "write the demo scene", run});

}  // namespace
}  // namespace kvx::tool
