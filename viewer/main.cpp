// Kavrik, the desktop viewer of .kvx scenes.
#include "capture_settings_dialog.h"
#include "viewer_app.h"

#include <cstdio>

wxIMPLEMENT_APP_NO_MAIN(kavrik::ViewerApp);

int main(int argc, char** argv) {
  // Answered before the toolkit starts, so that it works without a display.
  if (kavrik::versionRequested(argc, argv)) {
    std::fprintf(stderr, "%s\n", kavrik::versionLine(argv[0]).c_str());
    return 0;
  }
  if (kavrik::helpRequested(argc, argv)) {
    std::fputs(kavrik::usageText().c_str(), stdout);
    return 0;
  }
  if (kavrik::captureSettingsRequested(argc, argv)) return kavrik::runCaptureSettings(argc, argv);
  if (const char* option = kavrik::unknownOption(argc, argv)) {
    std::fprintf(stderr, "kavrik: unknown option '%s' (see 'kavrik --help')\n", option);
    return 2;
  }
  return wxEntry(argc, argv);
}
