// httpProxyConnect through real proxies started on loopback with private
// configuration: squid with Digest, with Basic and without authentication,
// and tinyproxy with Basic. Each tunnel then carries a conference login.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "child_process.h"
#include "http_proxy.h"
#include "kvx_participant.h"
#include "run_command.h"
#include "server_process.h"
#include "squid_proxy.h"
#include "temp_env.h"
#include "test_participant.h"

namespace kvx::test {
namespace {

constexpr const char* kUser = "alice";
constexpr const char* kPassword = "wonder land";

enum class Proxy { SquidDigest, SquidBasic, SquidOpen, TinyproxyBasic };

// Runs one proxy with its own folder, configuration and password file.
class ProxyUnderTest {
 public:
  explicit ProxyUnderTest(Proxy kind) : kind_(kind), port_(ChildProcess::freePort()) {
    if (kind != Proxy::TinyproxyBasic) {
      const auto login = kind == Proxy::SquidDigest  ? SquidProxy::Login::Digest
                         : kind == Proxy::SquidBasic ? SquidProxy::Login::Basic
                                                     : SquidProxy::Login::None;
      squid_ = std::make_unique<SquidProxy>(env_, login, kUser, kPassword);
      missing_ = squid_->missing();
      port_ = squid_->port();
      up_ = squid_->up();
      return;
    }
    const std::string program = "/usr/bin/tinyproxy";
    if (access(program.c_str(), X_OK) != 0) {
      missing_ = program;
      return;
    }
    // Started as root tinyproxy drops to the "proxy" user: the folder must be its.
    const std::filesystem::path dir = env_.path("proxy");
    std::filesystem::create_directory(dir);
    chmod(env_.root().c_str(), 0711);
    chmod(dir.c_str(), 0755);
    std::string config = "Port " + std::to_string(port_) +
                         "\nListen 127.0.0.1\nTimeout 30\nMaxClients 10\nAllow 127.0.0.1\n" + "PidFile \"" +
                         (dir / "tinyproxy.pid").string() + "\"\nLogFile \"" + (dir / "tinyproxy.log").string() +
                         "\"\nLogLevel Info\nBasicAuth " + kUser + " " + "wonder_land\n";
    if (getuid() == 0) config += "User proxy\nGroup proxy\n";
    writeFile(dir / "proxy.conf", config);
    if (passwd* proxyUser = getpwnam("proxy"); proxyUser && getuid() == 0) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        chown(entry.path().c_str(), proxyUser->pw_uid, proxyUser->pw_gid);
      chown(dir.c_str(), proxyUser->pw_uid, proxyUser->pw_gid);
    }
    process_ = std::make_unique<ChildProcess>(std::vector<std::string>{program, "-d", "-c", (dir / "proxy.conf").string()},
                                              env_.path("proxy.out").string());
    up_ = ChildProcess::waitForPort(port_, 15000);
  }

  const std::string& missing() const { return missing_; }
  int port() const { return port_; }
  bool up() const { return up_; }
  std::string diagnostics() const {
    if (squid_) return squid_->diagnostics();
    return readFile(env_.path("proxy.out")) + readFile(env_.path("proxy") / "tinyproxy.log");
  }
  const char* password() const { return kind_ == Proxy::TinyproxyBasic ? "wonder_land" : kPassword; }

  struct Attempt {
    int result;
    std::string error;
    std::unique_ptr<conf::PosixNetStream> stream;
  };
  Attempt connect(conf::ProxyAuthState& state, const std::string& serverPort, const std::string& user,
                  const std::string& password) {
    Attempt attempt{-1, {}, nullptr};
    attempt.stream = conf::PosixNetStream::connect("127.0.0.1", std::to_string(port_), 5000, attempt.error);
    if (!attempt.stream) return attempt;
    attempt.result = conf::httpProxyConnect(state, *attempt.stream, "127.0.0.1", serverPort, attempt.error, user,
                                            password);
    return attempt;
  }

 private:
  TempEnv env_;
  Proxy kind_;
  int port_;
  std::string missing_;
  std::unique_ptr<ChildProcess> process_;
  std::unique_ptr<SquidProxy> squid_;
  bool up_ = false;
};

// A conference login over an open tunnel.
int loginThrough(conf::PosixNetStream& tunnel) {
  conf::TlmConnectNexus request;
  request.protocolLevel = conf::kProtocolLevel;
  request.masterFlag = 1;
  request.setFileHash(Participant::kHash);
  request.setPassword("secret");
  auto frame = conf::dataToMessage(conf::kTlmConnectNexus, request);
  if (!frame || conf::sendFrame(tunnel, *frame) < 0) return -1;
  conf::TlMsg answer;
  if (conf::receiveFrame(tunnel, answer) < 0 || answer.type() != conf::kTlmConnectNexus) return -1;
  conf::TlmConnectNexus decoded;
  conf::ByteStreamIn in(answer.payload(), answer.payloadLength());
  if (decoded.serialize(in) < 0) return -1;
  return decoded.status;
}

struct ProxyCase {
  const char* name;
  Proxy kind;
  const char* realm;  // null: no authentication
  // What a wrong password gives: a 407 again, or (tinyproxy) a 401 that
  // is no proxy challenge at all.
  const char* wrongPasswordError;
};
// Failure reports name the case instead of dumping its bytes.
void PrintTo(const ProxyCase& c, std::ostream* out) { *out << c.name; }

class RealProxy : public testing::TestWithParam<ProxyCase> {};

TEST_P(RealProxy, ChallengeRightAndWrongCredentials) {
  const ProxyCase& c = GetParam();
  ProxyUnderTest proxy(c.kind);
  if (!proxy.missing().empty()) GTEST_SKIP() << proxy.missing() << " is not installed";
  ASSERT_TRUE(proxy.up()) << proxy.diagnostics();
  ServerProcess server;
  ASSERT_TRUE(server.running());

  conf::ProxyAuthState state;
  auto first = proxy.connect(state, server.port(), "", "");
  if (!c.realm) {
    ASSERT_EQ(first.result, conf::kTunnelOpen) << first.error;
    EXPECT_EQ(loginThrough(*first.stream), 0);
    return;
  }
  ASSERT_EQ(first.result, conf::kProxyLoginRequired) << first.error;
  EXPECT_EQ(first.error, c.realm);

  auto right = proxy.connect(state, server.port(), kUser, proxy.password());
  ASSERT_EQ(right.result, conf::kTunnelOpen) << right.error << proxy.diagnostics();
  EXPECT_EQ(loginThrough(*right.stream), 0) << "the tunnel carries conference frames";

  auto wrong = proxy.connect(state, server.port(), kUser, "not the password");
  EXPECT_EQ(wrong.result, conf::kTunnelFailed);
  EXPECT_EQ(wrong.error.substr(0, std::string(c.wrongPasswordError).size()), c.wrongPasswordError);
}

// The headless participant: the first attempt goes without credentials;
// without --proxy-user it stops with status 3, with it the login succeeds.
TEST_P(RealProxy, HeadlessParticipantAnswersTheLoginWithItsOptions) {
  const ProxyCase& c = GetParam();
  ProxyUnderTest proxy(c.kind);
  if (!proxy.missing().empty()) GTEST_SKIP() << proxy.missing() << " is not installed";
  ASSERT_TRUE(proxy.up()) << proxy.diagnostics();
  ServerProcess server;
  ASSERT_TRUE(server.running());
  TempEnv env;
  const std::string scene = env.path("scene.kvx").string();
  ASSERT_EQ(runCommand(std::string(KVX_BIN_DIR) + "/kvx sample " + scene).status, 0);
  const std::vector<std::string> args = {"127.0.0.1:" + server.port(), "--file", scene, "--pseudo", "ann", "--create",
                                         "--proxy", "127.0.0.1:" + std::to_string(proxy.port())};

  if (c.realm) {
    KvxParticipant bare(args, env.path("bare.jsonl").string());
    EXPECT_EQ(bare.waitExit(20000), 3) << bare.output();
    EXPECT_TRUE(bare.has(std::string(R"({"event":"proxy-login-required","realm":")") + c.realm + "\"}"))
        << bare.output();
  }
  auto withUser = args;
  withUser.insert(withUser.end(), {"--proxy-user", kUser});
  const std::string secret = std::string("KAVRIK_PROXY_PASSWORD=") + proxy.password();
  KvxParticipant user(withUser, env.path("user.jsonl").string(), {secret});
  EXPECT_EQ(user.waitExit(20000), 0) << user.output() << proxy.diagnostics();
  EXPECT_TRUE(user.has(R"({"event":"login","master":true})")) << user.output();
}

INSTANTIATE_TEST_SUITE_P(Loopback, RealProxy,
                         testing::Values(ProxyCase{"SquidDigest", Proxy::SquidDigest, "kvx digest", "Authorization failed"},
                                         ProxyCase{"SquidBasic", Proxy::SquidBasic, "kvx basic", "Authorization failed"},
                                         ProxyCase{"SquidWithoutAuthentication", Proxy::SquidOpen, nullptr, ""},
                                         ProxyCase{"TinyproxyBasic", Proxy::TinyproxyBasic, "Tinyproxy",
                                                   "Bad status from server:\nHTTP/1.0 401"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kvx::test
