// kvx's side of the drawing commands: each is run by replacing this process
// with kvx-draw from the same folder, with the same arguments, so exit
// status, output and signals are the command's own.
#include "drawing_commands.h"
#include "program_folder.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kvx::tool {
namespace {

int runInDrawingProgram(const char* name, const std::vector<std::string>& args) {
  const std::string program = (programFolder() / kDrawingProgram).string();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  argv.push_back(const_cast<char*>(name));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::fflush(stdout);
  execv(program.c_str(), argv.data());
  std::fprintf(stderr, "kvx %s: cannot start %s: %s\n", name, program.c_str(), std::strerror(errno));
  return EXIT_FAILED;
}

const Registrar capture(drawingCommand("capture", [](const std::vector<std::string>& args) {
  return runInDrawingProgram("capture", args);
}));
const Registrar conference(drawingCommand("conference", [](const std::vector<std::string>& args) {
  return runInDrawingProgram("conference", args);
}));
const Registrar render(drawingCommand("render", [](const std::vector<std::string>& args) {
  return runInDrawingProgram("render", args);
}));

}  // namespace
}  // namespace kvx::tool
