// `kvx conference` against a server that breaks the protocol: each fault
// ends the participant with a failure status and a message, never a crash
// or a hang.
#include "kvx_participant.h"
#include "run_command.h"
#include "scripted_server.h"
#include "server_process.h"
#include "temp_env.h"

#include <gtest/gtest.h>

namespace kvx::test {
namespace {

// A frame as the wire carries it: type, payload length, payload, padding.
std::string frame(int type, int length, char fill = 0) {
  std::string bytes = {char(type >> 8), char(type & 0xFF), char(length >> 8), char(length & 0xFF)};
  bytes += std::string(length, fill);
  if (bytes.size() < 108) bytes.resize(108, 0);
  return bytes;
}

// The real server's port, for faults that come once the login is through.
int upstreamPort = 0;

using Script = std::function<void(int fd, const std::atomic<bool>& stop)>;

// Relays the login to the real server, then sends `bytes` in its place.
Script afterLogin(std::string bytes) {
  return [bytes](int fd, const std::atomic<bool>&) {
    const int upstream = ScriptedServer::relayFor(fd, upstreamPort, 2500);
    ScriptedServer::send(fd, bytes);
    ScriptedServer::readFor(fd, 1000);
    if (upstream >= 0) close(upstream);
  };
}

constexpr const char* kLoginFailed = R"({"event":"disconnected","reason":"Login failed"})";
constexpr const char* kInputError = R"({"event":"disconnected","reason":"Socket Input Error"})";

struct Fault {
  const char* name;
  Script script;
  const char* expected;  // part of the participant's last words
};

const std::vector<Fault>& faults() {
  static const std::vector<Fault> table = {
      {"ClosesDuringLogin", [](int fd, auto&) { ScriptedServer::readFor(fd, 300); }, kLoginFailed},
      {"StopsMidFrame",
       [](int fd, auto&) {
         ScriptedServer::readFor(fd, 300);
         ScriptedServer::send(fd, frame(1, 40).substr(0, 50));
       },
       kLoginFailed},
      {"StallsMidFrame",
       [](int fd, auto& stop) {
         ScriptedServer::readFor(fd, 300);
         ScriptedServer::send(fd, frame(1, 40).substr(0, 50));
         ScriptedServer::stall(fd, stop, 30000);
       },
       kLoginFailed},
      {"AnswersGarbage",
       [](int fd, auto&) {
         ScriptedServer::readFor(fd, 300);
         ScriptedServer::send(fd, std::string(300, '\xFF'));
         ScriptedServer::readFor(fd, 1000);
       },
       kLoginFailed},
      {"AnswersHttp",
       [](int fd, auto&) {
         ScriptedServer::readFor(fd, 300);
         ScriptedServer::send(fd, "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n");
         ScriptedServer::readFor(fd, 1000);
       },
       kLoginFailed},
      {"FrameAtTheLengthLimit",
       [](int fd, auto&) {
         ScriptedServer::readFor(fd, 300);
         ScriptedServer::send(fd, frame(10, 400, 'x'));
         ScriptedServer::readFor(fd, 1000);
       },
       kLoginFailed},
      {"FrameOverTheLengthLimit",
       [](int fd, auto&) {
         ScriptedServer::readFor(fd, 300);
         ScriptedServer::send(fd, frame(1, 401, 'x'));
         ScriptedServer::readFor(fd, 1000);
       },
       kLoginFailed},
      {"FrameOverTheTypeLimit",
       [](int fd, auto&) {
         ScriptedServer::readFor(fd, 300);
         ScriptedServer::send(fd, frame(11, 20));
         ScriptedServer::readFor(fd, 1000);
       },
       kLoginFailed},
      {"LargestFrameTheHeaderCanAnnounce",
       [](int fd, auto&) {
         ScriptedServer::readFor(fd, 300);
         ScriptedServer::send(fd, frame(0xFFFF, 0xFFFF).substr(0, 4096));
         ScriptedServer::readFor(fd, 1000);
       },
       kLoginFailed},
      {"InSessionStopsMidFrame", afterLogin(frame(2, 60).substr(0, 30)), kInputError},
      {"InSessionGarbage", afterLogin(std::string(300, '\xFF')), kInputError},
      {"InSessionFrameOverTheLengthLimit", afterLogin(frame(2, 401, 'x')), kInputError},
      {"InSessionFrameAtTheLengthLimit", afterLogin(frame(10, 400, 'x')), kInputError},
  };
  return table;
}

class ConferenceClientFaults : public testing::TestWithParam<Fault> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.running()) << server.firstLine();
    upstreamPort = std::stoi(server.port());
    ASSERT_EQ(runCommand(std::string(KVX_BIN_DIR) + "/kvx sample " + scene).status, 0);
  }
  TempEnv env;
  ServerProcess server;
  std::string scene = env.path("scene.kvx").string();
};

TEST_P(ConferenceClientFaults, EndWithAFailureAndAMessage) {
  ScriptedServer server(GetParam().script);
  KvxParticipant kvx({"127.0.0.1:" + std::to_string(server.port()), "--file", scene, "--pseudo", "ann", "--password",
                      "pw", "--create", "--linger", "8"},
                     env.path("ann.jsonl").string());
  // The client's network time-out is 10 s; past that it hangs.
  EXPECT_EQ(kvx.waitExit(20000), 1) << kvx.output();
  EXPECT_NE(kvx.output().find(GetParam().expected), std::string::npos) << kvx.output();
}

INSTANTIATE_TEST_SUITE_P(Faults, ConferenceClientFaults, testing::ValuesIn(faults()),
                         [](const testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kvx::test
