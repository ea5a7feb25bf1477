// Headless participants (`kvx conference`) meeting on the project's server:
// login, chat, views relayed and applied in order, the master role handed
// over or kept, and participants vanishing.
#include "kvx_participant.h"
#include "png_pixels.h"
#include "run_command.h"
#include "server_process.h"
#include "temp_env.h"

#include <gtest/gtest.h>

namespace kvx::test {
namespace {

struct Conference : ::testing::Test {
  TempEnv env;
  ServerProcess server;
  std::string scene = env.path("scene.kvx").string();

  void SetUp() override {
    ASSERT_TRUE(server.running()) << server.firstLine();
    ASSERT_EQ(runCommand(std::string(KVX_BIN_DIR) + "/kvx sample " + scene).status, 0);
  }
  std::string out(const std::string& name) { return env.path(name + ".jsonl").string(); }
  std::vector<std::string> base(const std::string& pseudo) {
    return {"127.0.0.1:" + server.port(), "--file", scene, "--pseudo", pseudo, "--password", "pw"};
  }
  std::unique_ptr<KvxParticipant> start(const std::string& pseudo, std::vector<std::string> extra) {
    auto args = base(pseudo);
    args.insert(args.end(), extra.begin(), extra.end());
    return std::make_unique<KvxParticipant>(args, out(pseudo));
  }
};

// The `view` lines' sequence numbers, in order.
std::vector<int> appliedViews(const KvxParticipant& p) {
  std::vector<int> seqs;
  for (const auto& line : p.lines())
    if (line.rfind("{\"event\":\"view\",\"us\":", 0) == 0) seqs.push_back(std::stoi(line.substr(21)));
  return seqs;
}

TEST_F(Conference, MasterHandsOverAndTheSlaveSeesWhatTheMasterSees) {
  const std::string annPng = env.path("ann.png").string(), bobPng = env.path("bob.png").string();
  auto ann = start("ann", {"--create", "--after-views", "5", "--linger", "0.3", "--snapshot", annPng});
  ASSERT_TRUE(ann->waitFor(R"({"event":"login","master":true})")) << ann->output();
  auto bob = start("bob", {"--chat", "hello all", "--become-master", "--views", "5", "--linger", "0.5", "--snapshot", bobPng});
  EXPECT_EQ(bob->waitExit(20000), 0) << bob->output();
  EXPECT_EQ(ann->waitExit(20000), 0) << ann->output();

  for (const char* line : {R"({"event":"connected"})", R"({"event":"login","master":false})",
                           R"({"event":"log","text":"Transition to master requested\n"})",
                           R"({"event":"log","text":"Now conference master\n"})", R"({"event":"master"})",
                           R"({"event":"log","text":"bob: hello all\n"})", R"({"event":"sent-view","us":5})",
                           R"({"event":"disconnected"})"})
    EXPECT_TRUE(bob->has(line)) << line << "\n" << bob->output();
  for (const char* line : {R"({"event":"log","text":"Logged in\n"})", R"({"event":"log","text":"bob connected to conference\n"})",
                           R"({"event":"log","text":"bob: hello all\n"})", R"({"event":"release-request","answer":"yes"})"})
    EXPECT_TRUE(ann->has(line)) << line << "\n" << ann->output();
  EXPECT_EQ(appliedViews(*ann), (std::vector<int>{1, 2, 3, 4, 5}));

  RgbImage master, slave;
  ASSERT_TRUE(readPngRgb(bobPng, master));
  ASSERT_TRUE(readPngRgb(annPng, slave));
  EXPECT_LT(differingShare(master, slave), 0.01) << "the slave draws the master's view";
}

TEST_F(Conference, ThreeParticipantsAndARefusedHandOver) {
  auto ann = start("ann", {"--create", "--release", "no", "--linger", "8"});
  ASSERT_TRUE(ann->waitFor(R"({"event":"login","master":true})")) << ann->output();
  auto cid = start("cid", {"--linger", "6"});
  ASSERT_TRUE(cid->waitFor(R"({"event":"login","master":false})")) << cid->output();
  auto bob = start("bob", {"--become-master", "--views", "2"});
  EXPECT_EQ(bob->waitExit(15000), 4) << bob->output();
  EXPECT_TRUE(bob->has(R"({"event":"master-refused"})")) << bob->output();
  EXPECT_TRUE(ann->has(R"({"event":"release-request","answer":"no"})")) << ann->output();
  EXPECT_TRUE(ann->waitFor(R"({"event":"log","text":"bob disconnected\n"})")) << ann->output();
  EXPECT_TRUE(cid->has(R"({"event":"log","text":"bob connected to conference\n"})")) << cid->output();
  EXPECT_EQ(ann->waitExit(15000), 0);
  EXPECT_EQ(cid->waitExit(15000), 0);
}

TEST_F(Conference, ViewsReachEveryParticipantInOrder) {
  auto ann = start("ann", {"--create", "--after-views", "4"});
  ASSERT_TRUE(ann->waitFor(R"({"event":"login","master":true})")) << ann->output();
  auto cid = start("cid", {"--after-views", "4"});
  ASSERT_TRUE(cid->waitFor(R"({"event":"login","master":false})")) << cid->output();
  auto bob = start("bob", {"--become-master", "--views", "4", "--linger", "1"});
  EXPECT_EQ(bob->waitExit(20000), 0) << bob->output();
  EXPECT_EQ(cid->waitExit(20000), 0) << cid->output();
  EXPECT_EQ(appliedViews(*cid), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(appliedViews(*ann), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(Conference, JoiningWithoutConferenceOrLosingTheServerFails) {
  auto lone = start("lone", {});
  EXPECT_EQ(lone->waitExit(10000), 1) << lone->output();
  EXPECT_TRUE(lone->has(R"({"event":"refused","status":2,"text":"Conference does not exist. Please check file hash and password or use the 'Create' button to create a new conference"})"))
      << lone->output();

  auto ann = start("ann", {"--create", "--linger", "20"});
  ASSERT_TRUE(ann->waitFor(R"({"event":"login","master":true})")) << ann->output();
  auto bob = start("bob", {"--linger", "20"});
  ASSERT_TRUE(bob->waitFor(R"({"event":"login","master":false})")) << bob->output();
  bob->kill(SIGKILL);  // vanishes without a word
  EXPECT_TRUE(ann->waitFor(R"({"event":"log","text":"bob disconnected\n"})")) << ann->output();
  server.stop(SIGKILL);
  EXPECT_EQ(ann->waitExit(10000), 1) << ann->output();
  EXPECT_TRUE(ann->has(R"({"event":"disconnected","reason":"Socket Input Error"})")) << ann->output();

  auto nowhere = start("nowhere", {});
  EXPECT_EQ(nowhere->waitExit(10000), 1);
  EXPECT_EQ(runCommand(std::string(KVX_BIN_DIR) + "/kvx conference 127.0.0.1 --file " + scene + " 2>/dev/null").status, 2)
      << "no pseudonym";
}

}  // namespace
}  // namespace kvx::test
