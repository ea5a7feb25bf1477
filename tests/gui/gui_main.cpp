// The GUI tests run inside one wx application under an X server, with the
// registry, data and state folders in a private place for the whole run.
#include "program_paths.h"
#include "temp_env.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/uiaction.h>
#include <wx/gdicmn.h>
#include <wx/debug.h>

namespace {

// A failed wx assertion fails the test instead of opening a dialog.
void failOnAssert(const wxString& file, int line, const wxString& function, const wxString& condition,
                  const wxString& message) {
  ADD_FAILURE_AT(file.utf8_str(), line) << "wx assertion in " << function << ": " << condition << " "
                                         << message;
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

  kvx::test::TempEnv env;
  wxApp::SetInstance(new wxApp);
  if (!wxEntryStart(argc, argv)) {
    std::fprintf(stderr, "gui tests: cannot start the toolkit (is DISPLAY set?)\n");
    return 1;
  }
  wxSetAssertHandler(failOnAssert);
  delete wxLog::SetActiveTarget(new wxLogStderr);  // no message boxes from wx's log
  wxInitAllImageHandlers();
  // The X pointer is shared by every test process, and a program test leaves
  // it where it dragged. Parked in a corner no test window reaches, it sends
  // no real enter and leave events into the canvases under test.
  const wxSize screen = wxGetDisplaySize();
  wxUIActionSimulator().MouseMove(screen.x - 1, screen.y - 1);
  wxGUIEventLoop loop;
  wxEventLoopBase::SetActive(&loop);
  kavrik::initProgramPaths(std::string(KVX_BIN_DIR) + "/kavrik");
  int result = RUN_ALL_TESTS();
  wxEventLoopBase::SetActive(nullptr);
  wxEntryCleanup();
  return result;
}
