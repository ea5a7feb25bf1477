#pragma once
// The application object: command line, paths, the main frame and the
// first-run About box.
#include <wx/app.h>

#include <string>
#include <vector>

namespace kavrik {

class MyFrame;

// The version line of "--version", without its final newline.
std::string versionLine(const char* programPath);
// True for exactly one argument, "--version".
bool versionRequested(int argc, char** argv);
// True when the one argument is "--help" or "-h".
bool helpRequested(int argc, char** argv);
// What "--help" prints on standard output.
std::string usageText();
// An argument that looks like an option this program does not know, or null.
const char* unknownOption(int argc, char** argv);
// The file to open: the first argument when it is longer than 2 characters
// and not an option.
std::string fileArgument(const std::vector<std::string>& arguments);
// Creates the first-run marker when it is missing; true when it was created.
bool claimFirstRun(const std::string& markerPath);

inline constexpr const char* kFirstRunMarker = "kavrik.log";

class ViewerApp : public wxApp {
 public:
  bool OnInit() override;
};

}  // namespace kavrik

wxDECLARE_APP(kavrik::ViewerApp);
