#pragma once
// Subcommands of the kvx tool. Each lives in its own file and registers
// itself with a static Registrar, so adding one touches nothing else.
#include <string>
#include <vector>

namespace kvx::tool {

// Exit statuses shared by every subcommand.
enum ExitCode { EXIT_OK = 0, EXIT_FAILED = 1, EXIT_USAGE = 2 };

struct Command {
  const char* name;
  const char* usage;    // arguments after the name
  const char* summary;  // one line for --help
  const char* options;  // what each argument and option means, for '<command> --help'
  // Arguments after the subcommand name.
  int (*run)(const std::vector<std::string>& args);
};

const std::vector<Command>& commands();

struct Registrar {
  explicit Registrar(const Command& command);
};

// Prints "kvx: <message>" and a hint to standard error; returns EXIT_USAGE.
int usageError(const std::string& message);

}  // namespace kvx::tool
