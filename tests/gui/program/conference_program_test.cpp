// Conferences between kavrik programs started as a user would, on a
// loopback kavrik-server: the conference window driven with the real
// pointer and keyboard, its boxes answered as a user would, and what each
// program did read back from its debug log.
#include "command_ids.h"
#include "conference_frame.h"
#include "conference_panel.h"
#include "frame.h"
#include "program_driver.h"
#include "server_process.h"
#include "squid_proxy.h"
#include "temp_env.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>

namespace kvx::test {
namespace {

const std::string kBin = KVX_BIN_DIR;
const char* const kConferenceTitle = "3D Conference Control";

// Where the conference window's controls lie, relative to its top-left
// corner: measured on a window of this process, laid out as the programs'
// are, since a window of another process cannot be asked.
struct ConferenceLayout {
  wxPoint create, connect, chat, becomeMaster;
};

wxPoint centreIn(wxWindow* control, wxWindow* top) {
  const wxRect r = control->GetScreenRect();
  return wxPoint(r.x + r.width / 2, r.y + r.height / 2) - top->GetScreenPosition();
}

void letItSettle() {
  for (int i = 0; i < 30; ++i) {
    wxMilliSleep(20);
    wxYield();
  }
}

ConferenceLayout measureConferenceWindow() {
  auto* frame = new kavrik::MyFrame(nullptr, "measure", wxDefaultPosition, wxSize(640, 480),
                                    [](kavrik::SdkPluginLoader&) -> kvx_GL_Plugin* { return nullptr; });
  frame->Show();
  frame->dispatch(kavrik::CMD_COLLABORATION);
  auto* window = static_cast<kavrik::ConferenceFrame*>(frame->conferenceWindow());
  kavrik::ConferencePanel* panel = window->panel();
  letItSettle();
  ConferenceLayout layout;
  layout.create = centreIn(panel->createButton(), window);
  layout.connect = centreIn(panel->connectButton(), window);
  panel->notebook()->SetSelection(1);
  letItSettle();
  layout.chat = centreIn(panel->chatEntry(), window);
  layout.becomeMaster = centreIn(panel->becomeMasterButton(), window);
  frame->Destroy();
  letItSettle();
  return layout;
}

// One kavrik with settings and a debug log of its own.
class Participant {
 public:
  Participant(const TempEnv& env, const std::string& name, const std::string& scene,
              const std::vector<std::string>& settings)
      : folder_(env.path(name)), log_(env.path(name + ".log")) {
    std::string preferences;
    for (const std::string& line : settings) preferences += line + "\n";
    // A registry and data folder of its own: the settings live in the Files folder.
    writeFile(folder_ / "data/kavrik/Files/kvx_prefs.txt", preferences);
    writeFile(folder_ / "kavrik.log", "");  // no first-run box
    const std::vector<std::string> environment = {
        "KAVRIK_REGISTRY_DIR=" + (folder_ / "registry").string(), "XDG_DATA_HOME=" + (folder_ / "data").string(),
        "XDG_STATE_HOME=" + (folder_ / "state").string(), "XDG_CONFIG_HOME=" + (folder_ / "config").string(),
        "TMPDIR=" + folder_.string(), "KAVRIK_LOG_LEVEL=4"};
    viewer_ = std::make_unique<RunningViewer>(kBin + "/kavrik", folder_, std::vector<std::string>{scene}, environment,
                                              log_);
  }
  pid_t pid() const { return viewer_->pid(); }
  std::string log() const { return readFile(log_); }
  // A record of the conference panel, e.g. "log: bob: hi" or "connected".
  bool logged(const std::string& record) const {
    return log().find("ConferencePanel::" + record + "\n") != std::string::npos;
  }
  bool waitLogged(const std::string& record, int timeoutMs = 20000) const {
    return waitUntil([&] { return logged(record); }, timeoutMs);
  }
  int count(const std::string& record) const {
    const std::string text = log(), needle = "ConferencePanel::" + record + "\n";
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
    return n;
  }

 private:
  fs::path folder_, log_;
  std::unique_ptr<RunningViewer> viewer_;
};

class ConferencePrograms : public testing::Test {
 protected:
  void SetUp() override {
    if (!desktop.ok()) GTEST_SKIP() << "no X display";
    layout = measureConferenceWindow();
    scene = env.path("scene.kvx").string();
    ASSERT_EQ(runCommand(kBin + "/kvx sample " + scene).status, 0);
  }

  // The frame with the scene, moved to (x, y).
  std::optional<Desktop::Top> frameOf(const Participant& who, int x, int y) {
    auto frame = desktop.waitFor("scene.kvx", who.pid());
    if (frame) desktop.move(*frame, x, y);
    return frame;
  }
  // File > Online Collaboration... from the keyboard ("&Close" shares the
  // letter C), and the window it opens moved to (x, y). A busy program may
  // open its menu after the letters came: then it is closed and tried again,
  // more slowly.
  std::optional<Desktop::Top> openConference(const Participant& who, const Desktop::Top& frame, int x, int y) {
    std::optional<Desktop::Top> window;
    for (int attempt = 1; attempt <= 3 && !window; ++attempt) {
      desktop.focus(frame);
      input.MouseMove(frame.x + frame.width / 2, frame.y + frame.height / 2);
      input.Char('f', wxMOD_ALT);
      wxMilliSleep(400 * attempt);
      for (int key : {int('c'), int('c'), int(WXK_RETURN)}) {
        input.Char(key);
        wxMilliSleep(200 * attempt);
      }
      window = desktop.waitFor(kConferenceTitle, who.pid(), 5000 * attempt);
      if (!window) {
        input.Char(WXK_ESCAPE);
        input.Char(WXK_ESCAPE);
      }
    }
    if (window) desktop.move(*window, x, y);
    letItSettle();
    return window;
  }
  void click(const Desktop::Top& window, wxPoint at) {
    input.MouseMove(window.x + at.x, window.y + at.y);
    wxMilliSleep(150);
    input.MouseClick();
    wxMilliSleep(150);
  }
  void say(const Desktop::Top& window, const std::string& text) {
    desktop.focus(window);
    click(window, layout.chat);
    input.Text(text.c_str());
    input.Char(WXK_RETURN);
  }
  // A drag across the middle of a frame's canvas.
  void drag(const Desktop::Top& frame) {
    const int x = frame.x + frame.width / 2, y = frame.y + frame.height / 2;
    input.MouseMove(x - 120, y);
    wxMilliSleep(100);
    input.MouseMove(x - 110, y);
    wxMilliSleep(100);
    input.MouseDown();
    for (int step = 1; step <= 16; ++step) {
      input.MouseMove(x - 110 + step * 15, y + step * 4);
      wxMilliSleep(60);
    }
    input.MouseUp();
    wxMilliSleep(100);
  }
  wxImage shot(const Desktop::Top& window, const std::string& name) {
    const fs::path file = env.path(name + ".png");
    const wxImage image = screenshot(window.asWindow(), file);
    keepScreenshot(file, name);
    return image;
  }
  // Both canvases show the same view, and not the one before the drag.
  bool viewsAgree(const Desktop::Top& leader, const Desktop::Top& follower, const wxImage& before,
                  const std::string& name) {
    const wxImage led = shot(leader, name + "_leader"), followed = shot(follower, name + "_follower");
    lastAgreement = difference(led, followed);
    lastTurn = difference(before, followed);
    return led.IsOk() && followed.IsOk() && lastAgreement < 0.03 && lastTurn > 0.05;
  }
  // A drag on the leader's canvas turns the follower's view to the same.
  void expectDragFollowed(const Desktop::Top& leader, const Desktop::Top& follower, const std::string& name) {
    const wxImage before = shot(follower, name + "_before");
    drag(leader);
    input.MouseMove(5, 1000);  // off both canvases: the leader's pointer leaves the follower's view
    EXPECT_TRUE(waitUntil([&] { return viewsAgree(leader, follower, before, name); }, 20000))
        << "views differ by " << lastAgreement << ", the follower turned by " << lastTurn;
  }

  TempEnv env;
  Desktop desktop;
  wxUIActionSimulator input;
  ConferenceLayout layout;
  std::string scene;
  double lastAgreement = 1, lastTurn = 0;
};

TEST_F(ConferencePrograms, TwoViewersFollowTheMasterChatAndHandOverTheRole) {
  ServerProcess server;
  ASSERT_TRUE(server.running()) << server.firstLine();
  // The server named both ways a user would name this machine.
  Participant alice(env, "alice", scene, {"conferenceHosts=localhost:" + server.port(), "conferencePseudo=alice"});
  Participant bob(env, "bob", scene, {"conferenceHosts=127.0.0.1:" + server.port(), "conferencePseudo=bob"});
  auto aliceFrame = frameOf(alice, 0, 0);
  auto bobFrame = frameOf(bob, 640, 0);
  ASSERT_TRUE(aliceFrame && bobFrame) << "the frames with the scene";

  auto aliceWindow = openConference(alice, *aliceFrame, 0, aliceFrame->height + 10);
  ASSERT_TRUE(aliceWindow) << "File > Online Collaboration... opens the conference window";
  click(*aliceWindow, layout.create);
  ASSERT_TRUE(alice.waitLogged("roleChanged: master")) << alice.log();
  auto bobWindow = openConference(bob, *bobFrame, 640, bobFrame->height + 10);
  ASSERT_TRUE(bobWindow);
  click(*bobWindow, layout.connect);
  ASSERT_TRUE(bob.waitLogged("connected")) << bob.log();
  EXPECT_FALSE(bob.logged("roleChanged: master"));

  // The master's drag turns the slave's view.
  expectDragFollowed(*aliceFrame, *bobFrame, "conference_master_drag");

  // Chat lines reach both logs.
  say(*aliceWindow, "hello from alice");
  say(*bobWindow, "hello from bob");
  for (const Participant* who : {&alice, &bob}) {
    EXPECT_TRUE(who->waitLogged("log: alice: hello from alice")) << who->log();
    EXPECT_TRUE(who->waitLogged("log: bob: hello from bob")) << who->log();
  }
  shot(*aliceWindow, "conference_program_master");
  shot(*bobWindow, "conference_program_slave");

  // "Become master" on bob's side; alice answers Yes.
  click(*bobWindow, layout.becomeMaster);
  auto question = desktop.waitFor("Master release", alice.pid());
  ASSERT_TRUE(question) << "alice is asked to release the master role";
  shot(*question, "conference_program_release_question");
  desktop.focus(*question);
  input.Char('y', wxMOD_ALT);
  ASSERT_TRUE(bob.waitLogged("roleChanged: master")) << bob.log();
  EXPECT_TRUE(alice.waitLogged("roleChanged: slave")) << alice.log();
  expectDragFollowed(*bobFrame, *aliceFrame, "conference_new_master_drag");

  // Closing alice's window and answering No keeps her in the conference.
  const int disconnects = alice.count("disconnected");
  desktop.close(*aliceWindow);
  auto closing = desktop.waitFor("Close connection?", alice.pid());
  ASSERT_TRUE(closing) << "closing while connected asks first";
  desktop.focus(*closing);
  input.Char('n', wxMOD_ALT);
  EXPECT_TRUE(waitUntil([&] { return !desktop.isShown(*aliceWindow); }, 10000)) << "the window hides";
  say(*bobWindow, "still there?");
  EXPECT_TRUE(alice.waitLogged("log: bob: still there?")) << alice.log();
  EXPECT_EQ(alice.count("disconnected"), disconnects) << alice.log();
  EXPECT_FALSE(bob.logged("log: alice disconnected")) << bob.log();
}

// Through a proxy that asks for a login: the first attempt goes without
// credentials, the Login box is answered and the conference comes up.
TEST_F(ConferencePrograms, LogsInThroughAnAuthenticatingProxy) {
  SquidProxy proxy(env);
  if (!proxy.missing().empty()) GTEST_SKIP() << proxy.missing() << " is not installed";
  ASSERT_TRUE(proxy.up()) << proxy.diagnostics();
  ServerProcess server;
  ASSERT_TRUE(server.running()) << server.firstLine();
  Participant alice(env, "alice", scene,
                    {"conferenceHosts=127.0.0.1:" + server.port(), "conferencePseudo=alice",
                     "conferenceUseHttpProxy=1", "conferenceHttpProxyHost=127.0.0.1",
                     "conferenceHttpProxyPort=" + std::to_string(proxy.port()),
                     std::string("conferenceHttpProxyUser=") + SquidProxy::kUser});
  auto frame = frameOf(alice, 0, 0);
  ASSERT_TRUE(frame);
  auto window = openConference(alice, *frame, 0, frame->height + 10);
  ASSERT_TRUE(window);
  shot(*window, "conference_program_proxy_settings");
  click(*window, layout.create);

  auto login = desktop.waitFor("Login", alice.pid());
  ASSERT_TRUE(login) << "the proxy refused the attempt without credentials\n" << alice.log() << proxy.diagnostics();
  EXPECT_FALSE(alice.logged("connected"));
  shot(*login, "conference_program_proxy_login");
  // The user name is preset and has the focus; Enter in the password presses OK.
  desktop.focus(*login);
  input.Char(WXK_TAB);
  input.Text(SquidProxy::kPassword);
  input.Char(WXK_RETURN);
  ASSERT_TRUE(alice.waitLogged("roleChanged: master")) << alice.log() << proxy.diagnostics();
  EXPECT_TRUE(alice.logged("connected"));
}

}  // namespace
}  // namespace kvx::test
