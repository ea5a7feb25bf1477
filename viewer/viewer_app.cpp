#include "viewer_app.h"

#include "about_box.h"
#include "frame.h"
#include "program_paths.h"
#include "services/debuglog.h"

#include <wx/image.h>
#include <wx/stdpaths.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace kavrik {

std::string versionLine(const char* programPath) {
  return std::string("TAMO ") + (programPath ? programPath : "") + " version " + kProgramVersion +
         " (Oct  1 2004 10:38:45)";
}

bool versionRequested(int argc, char** argv) { return argc == 2 && std::strcmp(argv[1], "--version") == 0; }

bool helpRequested(int argc, char** argv) {
  return argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
}

std::string usageText() {
  return "Usage: kavrik [FILE]\n"
         "       kavrik --capture-settings\n"
         "       kavrik --version | --help\n"
         "\n"
         "Shows the 3D scene in FILE (a .kvx file) in the Kavrik viewer; without FILE the\n"
         "viewer starts empty and File > Open chooses one.\n"
         "\n"
         "Options:\n"
         "  --capture-settings  edit the capture settings of each application\n"
         "  --version           print the version line on standard error\n"
         "  --help, -h          show this help\n";
}

const char* unknownOption(int argc, char** argv) {
  // "-" followed by a name: a file of that name would have to be given as ./-name.
  for (int i = 1; i < argc; ++i)
    if (argv[i][0] == '-' && argv[i][1] != '\0') return argv[i];
  return nullptr;
}

std::string fileArgument(const std::vector<std::string>& arguments) {
  if (arguments.size() < 2 || arguments[1].size() <= 2 || arguments[1].starts_with("-")) return "";
  return arguments[1];
}

bool claimFirstRun(const std::string& markerPath) {
  if (std::filesystem::exists(markerPath)) return false;
  FILE* marker = std::fopen(markerPath.c_str(), "a");
  if (!marker) return false;
  std::fclose(marker);
  return true;
}

bool ViewerApp::OnInit() {
  // The log stays silent unless asked for, as the core's does.
  const char* level = std::getenv("KAVRIK_LOG_LEVEL");
  kvx::debugLog().setLevel(level && *level ? std::atoi(level) : -1);
  wxInitAllImageHandlers();

  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(argv[i].utf8_string());
  const std::string file = fileArgument(arguments);
  initProgramPaths(wxStandardPaths::Get().GetExecutablePath().utf8_string());

  // The file is read while the window is built and comes up.
  auto* frame = new MyFrame(nullptr, "Tamo Kavrik", wxDefaultPosition, wxSize(640, 480), loadCoreLibrary, file);
  frame->Show();
  if (!file.empty()) {
    // Once the window is up, so that it draws while the file is read.
    frame->CallAfter([frame, file] { frame->loadFile(file); });
  } else if (claimFirstRun(kFirstRunMarker)) {
    frame->prompts().showAbout(frame);
  }
  return true;
}

}  // namespace kavrik
