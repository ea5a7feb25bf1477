// kvx: inspect, convert and render .kvx scene files from the command line.
#include "command.h"
#include "kvx_version.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kvx::tool {
namespace {

std::vector<Command>& registry() {
  static std::vector<Command> list;
  return list;
}

void printHelp() {
  std::printf("Usage: kvx <command> [options]\n       kvx --help | --version\n\nCommands:\n");
  for (const Command& c : commands()) std::printf("  %-8s %s\n", c.name, c.summary);
  std::printf("\nRun 'kvx <command> --help' for the options of one command.\n");
}

}  // namespace

const std::vector<Command>& commands() { return registry(); }

Registrar::Registrar(const Command& command) {
  auto& list = registry();
  auto at = std::lower_bound(list.begin(), list.end(), command,
                             [](const Command& a, const Command& b) { return std::strcmp(a.name, b.name) < 0; });
  list.insert(at, command);
}

int usageError(const std::string& message) {
  std::fprintf(stderr, "kvx: %s (see 'kvx --help')\n", message.c_str());
  return EXIT_USAGE;
}

}  // namespace kvx::tool

int main(int argc, char** argv) {
  using namespace kvx::tool;
  if (argc < 2) return usageError("missing command");
  const std::string first = argv[1];
  if (first == "--help" || first == "-h" || first == "help") {
    printHelp();
    return EXIT_OK;
  }
  if (first == "--version") {
    std::printf("kvx %s\n", KVX_VERSION);
    return EXIT_OK;
  }
  for (const Command& c : commands()) {
    if (first != c.name) continue;
    std::vector<std::string> args(argv + 2, argv + argc);
    // After "--" the arguments belong to another program (kvx capture).
    const auto ownEnd = std::find(args.begin(), args.end(), "--");
    if (std::find(args.begin(), ownEnd, "--help") != ownEnd) {
      std::printf("Usage: kvx %s %s\n\n%s.\n\n%s", c.name, c.usage, c.summary, c.options);
      return EXIT_OK;
    }
    return c.run(args);
  }
  return usageError("unknown command '" + first + "'");
}
