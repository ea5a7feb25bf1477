// The viewer's conference panel against a server that breaks the protocol:
// each fault ends in a message in the panel's log and a disconnected panel,
// from which a good server is joined again.
#include "conference_faults.h"
#include "conference_window_fixture.h"
#include "run_command.h"
#include "server_process.h"
#include "temp_env.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/textctrl.h>

namespace kvx::test {
namespace {

class ConferencePanelFaults : public ConferenceWindowTest, public testing::WithParamInterface<ConferenceFault> {
 protected:
  void SetUp() override {
    ConferenceWindowTest::SetUp();
    ASSERT_TRUE(server.running()) << server.firstLine();
    ASSERT_EQ(runCommand(std::string(KVX_BIN_DIR) + "/kvx sample " + scene).status, 0);
    loadFile(4096, scene);
  }
  TempEnv env;
  ServerProcess server;
  std::string scene = env.path("scene.kvx").string();
};

TEST_P(ConferencePanelFaults, EndInAMessageAndThePanelConnectsAgain) {
  kavrik::ConferenceFrame* window = open();
  kavrik::ConferencePanel* panel = window->panel();
  {
    ScriptedServer faulty(playAgainst(GetParam(), std::stoi(server.port())));
    panel->hostField()->SetValue("127.0.0.1:" + std::to_string(faulty.port()));
    panel->password()->SetValue("pw");
    panel->pseudonym()->SetValue("ann");
    panel->pressConnect(true);
    // The login waits at most the client's 10 s network time-out.
    ASSERT_TRUE(waitUntil([&] { return !panel->isConnected(); }, 15000)) << log(panel);
  }
  const std::string expected = GetParam().inSession ? "Socket Input Error\n" : "Login failed\n";
  EXPECT_NE(log(panel).find(expected), std::string::npos) << log(panel);
  EXPECT_EQ(statusText(window), "Disconnected");
  EXPECT_EQ(panel->connectButton()->GetLabel(), "Connect");
  EXPECT_TRUE(panel->createButton()->IsEnabled());
  EXPECT_TRUE(panel->hostField()->IsEnabled());
  EXPECT_FALSE(frame->hooks().isSet(kavrik::FrameHooks::VIEW_CHANGED));

  // A server of its own, so that the broken session's leftovers cannot refuse the creation.
  ServerProcess good;
  ASSERT_TRUE(good.running()) << good.firstLine();
  panel->hostField()->SetValue("127.0.0.1:" + good.port());
  panel->pressConnect(true);
  ASSERT_TRUE(waitUntil([&] { return panel->isMaster(); })) << log(panel);
  EXPECT_EQ(statusText(window), "Connected");
  panel->disconnect();
  EXPECT_EQ(statusText(window), "Disconnected");
}

INSTANTIATE_TEST_SUITE_P(Faults, ConferencePanelFaults, testing::ValuesIn(conferenceFaults()), conferenceFaultName);

}  // namespace
}  // namespace kvx::test
