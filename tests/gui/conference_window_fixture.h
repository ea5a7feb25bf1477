#pragma once
// A frame with its conference window opened from the menu command.
#include "command_ids.h"
#include "conference_frame.h"
#include "conference_panel.h"
#include "gui_fixture.h"

#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <chrono>
#include <functional>

namespace kvx::test {

// Lets socket and window events run until `done` holds or the time passes.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    wxMilliSleep(10);
    pump();
  }
  return true;
}

class ConferenceWindowTest : public FrameTest {
 protected:
  kavrik::ConferenceFrame* open() {
    frame->dispatch(kavrik::CMD_COLLABORATION);
    pump();
    return static_cast<kavrik::ConferenceFrame*>(frame->conferenceWindow());
  }
  std::string statusText(kavrik::ConferenceFrame* window) {
    return window->GetStatusBar()->GetStatusText(0).utf8_string();
  }
  std::string log(kavrik::ConferencePanel* panel) { return panel->logBox()->GetValue().utf8_string(); }
};

}  // namespace kvx::test
