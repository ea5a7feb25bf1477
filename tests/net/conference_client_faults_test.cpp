// `kvx conference` against a server that breaks the protocol: each fault
// ends the participant with a failure status and a message, never a crash
// or a hang.
#include "conference_faults.h"
#include "kvx_participant.h"
#include "run_command.h"
#include "server_process.h"
#include "temp_env.h"

#include <gtest/gtest.h>

namespace kvx::test {
namespace {

constexpr const char* kLoginFailed = R"({"event":"disconnected","reason":"Login failed"})";
constexpr const char* kInputError = R"({"event":"disconnected","reason":"Socket Input Error"})";

class ConferenceClientFaults : public testing::TestWithParam<ConferenceFault> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.running()) << server.firstLine();
    ASSERT_EQ(runCommand(std::string(KVX_BIN_DIR) + "/kvx sample " + scene).status, 0);
  }
  TempEnv env;
  ServerProcess server;
  std::string scene = env.path("scene.kvx").string();
};

TEST_P(ConferenceClientFaults, EndWithAFailureAndAMessage) {
  ScriptedServer faulty(playAgainst(GetParam(), std::stoi(server.port())));
  KvxParticipant kvx({"127.0.0.1:" + std::to_string(faulty.port()), "--file", scene, "--pseudo", "ann", "--password",
                      "pw", "--create", "--linger", "8"},
                     env.path("ann.jsonl").string());
  // The client's network time-out is 10 s; past that it hangs.
  EXPECT_EQ(kvx.waitExit(20000), 1) << kvx.output();
  EXPECT_NE(kvx.output().find(GetParam().inSession ? kInputError : kLoginFailed), std::string::npos) << kvx.output();
}

INSTANTIATE_TEST_SUITE_P(Faults, ConferenceClientFaults, testing::ValuesIn(conferenceFaults()), conferenceFaultName);

}  // namespace
}  // namespace kvx::test
