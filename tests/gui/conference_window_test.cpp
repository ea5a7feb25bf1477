// The conference window: its controls and texts, and a real conference on
// a loopback kavrik-server with a headless participant as the other side.
#include "command_ids.h"
#include "conference_frame.h"
#include "conference_panel.h"
#include "conference_window_fixture.h"
#include "kvx_participant.h"
#include "run_command.h"
#include "screenshot.h"
#include "server_process.h"
#include "temp_env.h"
#include "user_pass_dlg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/notebook.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <signal.h>

#include <chrono>
#include <functional>

namespace kvx::test {
namespace {

TEST_F(ConferenceWindowTest, OpensOneWindowWithEveryControlDisconnected) {
  kavrik::ConferenceFrame* window = open();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(open(), window) << "the command shows the same window again";
  EXPECT_EQ(window->GetTitle(), "3D Conference Control");
  kavrik::ConferencePanel* panel = window->panel();

  wxNotebook* pages = panel->notebook();
  ASSERT_EQ(pages->GetPageCount(), 2u);
  EXPECT_EQ(pages->GetPageText(0), "Connection");
  EXPECT_EQ(pages->GetPageText(1), "Conference");
  const std::pair<wxButton*, const char*> buttons[] = {{panel->createButton(), "Create"},
                                                       {panel->connectButton(), "Connect"},
                                                       {panel->sendButton(), "Send"},
                                                       {panel->becomeMasterButton(), "Become master"}};
  for (const auto& [button, label] : buttons) EXPECT_EQ(button->GetLabel(), label);
  EXPECT_EQ(panel->useProxy()->GetLabel(), "Use HTTP proxy");

  // Disconnected: the fields open, no master request, proxy fields follow the box.
  EXPECT_EQ(statusText(window), "Disconnected");
  EXPECT_TRUE(panel->hostField()->IsEnabled());
  EXPECT_EQ(panel->hostField()->GetValue().utf8_string(), panel->settings().hosts.entries().front());
  EXPECT_FALSE(panel->becomeMasterButton()->IsEnabled());
  EXPECT_EQ(panel->useProxy()->GetValue(), panel->proxyHost()->IsEnabled());
  panel->useProxy()->SetValue(true);
  wxCommandEvent tick(wxEVT_CHECKBOX, panel->useProxy()->GetId());
  tick.SetInt(1);
  panel->useProxy()->ProcessWindowEvent(tick);
  EXPECT_TRUE(panel->proxyHost()->IsEnabled());
  EXPECT_TRUE(panel->proxyPort()->IsEnabled());
  saveScreenshot(window, "conference_connection_page");

  // Send while disconnected only tells the user.
  panel->chatEntry()->SetValue("anyone?");
  panel->sendChat();
  EXPECT_EQ(log(panel), "You must connect first\n");
  EXPECT_EQ(pages->GetSelection(), 1);
  saveScreenshot(window, "conference_log_page");
}

TEST_F(ConferenceWindowTest, ConnectingWithoutAFileLogsWhy) {
  kavrik::ConferencePanel* panel = open()->panel();
  panel->pressConnect(false);
  EXPECT_EQ(log(panel), "No kvx file is currently open\n");
  EXPECT_FALSE(panel->isConnected());
}

TEST_F(ConferenceWindowTest, ConferenceWithAHeadlessParticipant) {
  TempEnv env;
  ServerProcess server;
  ASSERT_TRUE(server.running()) << server.firstLine();
  const std::string scene = env.path("scene.kvx").string();
  ASSERT_EQ(runCommand(std::string(KVX_BIN_DIR) + "/kvx sample " + scene).status, 0);
  loadFile(4096, scene);

  kavrik::ConferenceFrame* window = open();
  kavrik::ConferencePanel* panel = window->panel();
  panel->hostField()->SetValue("127.0.0.1:" + server.port());
  panel->password()->SetValue("pw");
  panel->pseudonym()->SetValue("alice");
  panel->pressConnect(true);
  ASSERT_TRUE(waitUntil([&] { return panel->isMaster(); })) << log(panel);
  EXPECT_EQ(statusText(window), "Connected");
  EXPECT_EQ(panel->connectButton()->GetLabel(), "Disconnect");
  EXPECT_FALSE(panel->createButton()->IsEnabled());
  EXPECT_FALSE(panel->hostField()->IsEnabled());
  EXPECT_TRUE(frame->hooks().isSet(kavrik::FrameHooks::VIEW_CHANGED));
  EXPECT_EQ(panel->settings().hosts.entries().front(), "127.0.0.1:" + server.port());

  // The other side chats and asks for the master role; Yes hands it over.
  prompts->confirmations = {true};
  KvxParticipant bob({"127.0.0.1:" + server.port(), "--file", scene, "--pseudo", "bob", "--password", "pw",
                      "--chat", "hello from bob", "--become-master", "--linger", "3"},
                     env.path("bob.jsonl").string());
  ASSERT_TRUE(waitUntil([&] { return log(panel).find("bob: hello from bob\n") != std::string::npos; })) << log(panel);
  ASSERT_TRUE(waitUntil([&] { return !panel->isMaster(); })) << log(panel);
  EXPECT_EQ(prompts->questions.back(), "Master release: Ok to release master status ?");
  EXPECT_FALSE(frame->hooks().isSet(kavrik::FrameHooks::VIEW_CHANGED));
  EXPECT_TRUE(panel->becomeMasterButton()->IsEnabled());

  // Our own chat line goes out and into the log.
  panel->chatEntry()->SetValue("hi bob");
  panel->sendChat();
  EXPECT_NE(log(panel).find("alice: hi bob\n"), std::string::npos);
  EXPECT_TRUE(panel->chatEntry()->IsEmpty());

  // "Become master": bob answers release requests with yes.
  panel->pressBecomeMaster();
  ASSERT_TRUE(waitUntil([&] { return panel->isMaster(); })) << log(panel);
  EXPECT_FALSE(panel->becomeMasterButton()->IsEnabled());
  saveScreenshot(window, "conference_connected");

  // Closing and answering No keeps the conference in the hidden window.
  prompts->confirmations = {false};
  window->Close();
  pump();
  EXPECT_EQ(prompts->questions.back(), "Close connection?: Close conference connection ?");
  EXPECT_FALSE(window->IsShown());
  EXPECT_TRUE(panel->isConnected());
  EXPECT_EQ(open(), window);
  EXPECT_EQ(statusText(window), "Connected");

  // Yes disconnects.
  prompts->confirmations = {true};
  window->Close();
  pump();
  EXPECT_FALSE(panel->isConnected());
  EXPECT_NE(log(panel).find("Disconnected\n"), std::string::npos);
  EXPECT_EQ(panel->connectButton()->GetLabel(), "Connect");
  EXPECT_FALSE(frame->hooks().isSet(kavrik::FrameHooks::VIEW_CHANGED));
  bob.waitExit(10000);
}

// As slave the viewer applies the master's view states and shows its pointer.
TEST_F(ConferenceWindowTest, SlaveShowsTheMastersPointer) {
  TempEnv env;
  ServerProcess server;
  ASSERT_TRUE(server.running()) << server.firstLine();
  const std::string scene = env.path("scene.kvx").string();
  ASSERT_EQ(runCommand(std::string(KVX_BIN_DIR) + "/kvx sample " + scene).status, 0);
  loadFile(4096, scene);

  kavrik::ConferencePanel* panel = open()->panel();
  panel->hostField()->SetValue("127.0.0.1:" + server.port());
  panel->pseudonym()->SetValue("alice");
  panel->pressConnect(true);
  ASSERT_TRUE(panel->isMaster()) << log(panel);
  core().clear();

  prompts->confirmations = {true};
  KvxParticipant bob({"127.0.0.1:" + server.port(), "--file", scene, "--pseudo", "bob", "--become-master", "--views",
                      "5", "--linger", "1"},
                     env.path("bob.jsonl").string());
  ASSERT_TRUE(waitUntil([&] { return core().saw("ShowCursor(1)"); })) << log(panel);
  EXPECT_FALSE(panel->isMaster());
  EXPECT_EQ(bob.waitExit(10000), 0);

  panel->disconnect();
  EXPECT_EQ(core().calls.back(), "ShowCursor(0)") << "the pointer goes with the conference";
}

// The server vanishing while the release question is up: the loss waits
// until the message that asked is done, then ends the conference.
TEST_F(ConferenceWindowTest, ConnectionLostWhileAPromptIsUp) {
  TempEnv env;
  ServerProcess server;
  ASSERT_TRUE(server.running()) << server.firstLine();
  const std::string scene = env.path("scene.kvx").string();
  ASSERT_EQ(runCommand(std::string(KVX_BIN_DIR) + "/kvx sample " + scene).status, 0);
  loadFile(4096, scene);
  kavrik::ConferencePanel* panel = open()->panel();
  panel->hostField()->SetValue("127.0.0.1:" + server.port());
  panel->pseudonym()->SetValue("alice");
  panel->pressConnect(true);
  ASSERT_TRUE(panel->isMaster()) << log(panel);

  prompts->confirmations = {true};
  bool keptDuringPrompt = false;
  prompts->whileConfirming = [&] {
    server.stop(SIGKILL);
    // A modal box runs the event loop: the socket's loss arrives meanwhile.
    for (int i = 0; i < 50; ++i) {
      wxMilliSleep(10);
      pump();
    }
    keptDuringPrompt = panel->isConnected();
  };
  KvxParticipant bob({"127.0.0.1:" + server.port(), "--file", scene, "--pseudo", "bob", "--become-master"},
                     env.path("bob.jsonl").string());
  ASSERT_TRUE(waitUntil([&] { return !panel->isConnected(); })) << log(panel);
  EXPECT_TRUE(keptDuringPrompt) << "the session was torn down under the message being handled";
  EXPECT_NE(log(panel).find("Disconnected\n"), std::string::npos);
  EXPECT_EQ(panel->connectButton()->GetLabel(), "Connect");
  EXPECT_FALSE(frame->hooks().isSet(kavrik::FrameHooks::VIEW_CHANGED));
  prompts->whileConfirming = nullptr;
}

// Failed attempts say why in a box and leave the window as it was.
TEST_F(ConferenceWindowTest, RefusedAttemptsStayDisconnected) {
  TempEnv env;
  ServerProcess server;
  ASSERT_TRUE(server.running()) << server.firstLine();
  const std::string scene = env.path("scene.kvx").string();
  ASSERT_EQ(runCommand(std::string(KVX_BIN_DIR) + "/kvx sample " + scene).status, 0);
  loadFile(4096, scene);
  kavrik::ConferenceFrame* window = open();
  kavrik::ConferencePanel* panel = window->panel();
  panel->hostField()->SetValue("127.0.0.1:" + server.port());

  panel->pseudonym()->SetValue("");
  panel->pressConnect(true);
  EXPECT_EQ(prompts->messages, (std::vector<std::string>{"No Pseudo: Please enter pseudonym"}));

  // Joining a conference nobody created is refused by the server.
  panel->pseudonym()->SetValue("carol");
  panel->pressConnect(false);
  ASSERT_EQ(prompts->errors.size(), 1u) << log(panel);
  EXPECT_EQ(prompts->errors[0].rfind("Connection Error: ", 0), 0u) << prompts->errors[0];
  EXPECT_FALSE(panel->isConnected());
  EXPECT_EQ(statusText(window), "Disconnected");
  EXPECT_EQ(panel->connectButton()->GetLabel(), "Connect");
  EXPECT_TRUE(panel->createButton()->IsEnabled());
}

TEST_F(ConferenceWindowTest, LoginDialogShowsMessageAndFields) {
  kavrik::UserPassDlg dialog(frame, "Proxy login required for office", "ann");
  dialog.Show();
  pump();
  EXPECT_EQ(dialog.GetTitle(), "Login");
  EXPECT_EQ(dialog.user(), "ann");
  std::vector<wxTextCtrl*> fields;
  for (wxWindow* child : dialog.GetChildren())
    if (auto* field = dynamic_cast<wxTextCtrl*>(child)) fields.push_back(field);
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(fields[0]->GetSize().x, 100);
  EXPECT_TRUE(fields[1]->HasFlag(wxTE_PASSWORD));
  saveScreenshot(&dialog, "conference_login_dialog");
  dialog.Hide();
}

TEST_F(ConferenceWindowTest, ClosingTheFileDestroysTheWindow) {
  open();
  ASSERT_NE(frame->conferenceWindow(), nullptr);
  frame->closeFile();
  EXPECT_EQ(frame->conferenceWindow(), nullptr);
}

}  // namespace
}  // namespace kvx::test
