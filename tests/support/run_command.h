#pragma once
// Runs a shell command and captures its standard output and exit status.
#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace kvx::test {

struct CommandResult {
  int status = -1;
  std::string output;
};

inline CommandResult runCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.output.append(buffer.data(), n);
  int raw = pclose(pipe);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return result;
}

}  // namespace kvx::test
