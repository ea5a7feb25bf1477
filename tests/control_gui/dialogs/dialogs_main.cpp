// The dialog tests run inside one wx application under an X server.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  wxApp::SetInstance(new wxApp);
  if (!wxEntryStart(argc, argv)) {
    std::fprintf(stderr, "dialog tests: cannot start the toolkit (is DISPLAY set?)\n");
    return 1;
  }
  delete wxLog::SetActiveTarget(new wxLogStderr);
  wxInitAllImageHandlers();
  wxGUIEventLoop loop;
  wxEventLoopBase::SetActive(&loop);
  const int result = RUN_ALL_TESTS();
  wxEventLoopBase::SetActive(nullptr);
  wxEntryCleanup();
  return result;
}
