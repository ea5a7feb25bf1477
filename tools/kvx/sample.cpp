// kvx sample: writes the bundled demo scene.
#include "command.h"
#include "file_checks.h"
#include "format/sample_scene.h"
#include "scene/scene.h"

#include <cstdio>

namespace kvx::tool {
namespace {

int run(const std::vector<std::string>& args) {
  if (args.size() != 1 || args[0].starts_with("--")) return usageError("sample needs exactly one OUT.kvx");
  if (auto problem = outputFolderProblem(args[0])) {
    std::fprintf(stderr, "kvx sample: cannot write %s: %s\n", args[0].c_str(), problem->c_str());
    return EXIT_FAILED;
  }
  scene s;
  buildSampleScene(s);
  const int32_t result = s.Write(args[0].c_str(), nullptr, 0, true, nullptr, nullptr, nullptr);
  if (result <= FILE_NEEDS_PASS) {
    std::fprintf(stderr, "kvx sample: cannot write %s: %s\n", args[0].c_str(),
                 result == FILE_IO_ERROR ? "write error (disk full?)" : "cannot create the file (check the folder's permissions)");
    return EXIT_FAILED;
  }
  return EXIT_OK;
}

const Registrar registrar({"sample", "OUT.kvx", "write the demo scene",
                           "  OUT.kvx  the scene file to write; its folder must exist\n", run});

}  // namespace
}  // namespace kvx::tool
