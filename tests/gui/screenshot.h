#pragma once
// Pictures of windows for people to look at: saved only when
// KVX_SCREENSHOT_DIR names a folder, e.g.
//   KVX_SCREENSHOT_DIR=build/output/screens build/tests/gui_tests --gtest_filter='*Panel*'
#include "run_command.h"

#include <wx/window.h>

#include <cstdlib>
#include <string>

namespace kvx::test {

inline void saveScreenshot(wxWindow* window, const std::string& name) {
  const char* folder = std::getenv("KVX_SCREENSHOT_DIR");
  if (!folder || !*folder) return;
  window->Update();
  for (int i = 0; i < 10; ++i) {
    wxMilliSleep(20);
    wxYield();
  }
  const wxRect r = window->GetScreenRect();
  runCommand("mkdir -p '" + std::string(folder) + "' && import -window root -crop " + std::to_string(r.width) +
             "x" + std::to_string(r.height) + "+" + std::to_string(r.x) + "+" + std::to_string(r.y) +
             " +repage '" + folder + "/" + name + ".png' 2>/dev/null");
}

}  // namespace kvx::test
