// Several kavrik-server nodes sharing conferences through a private Redis on
// loopback, with participants played through the conference library.
#include <gtest/gtest.h>

#include <cstdlib>
#include <future>
#include <memory>
#include <string>

#include "redis_process.h"
#include "server_process.h"
#include "test_participant.h"

namespace kvx::test {
namespace {

using conf::TlmShout;
constexpr int kJoined = TlmShout::kJoined, kLeft = TlmShout::kLeft, kUsers = TlmShout::kUserList;
// The heartbeat's time-to-live and period, with room for a loaded machine.
constexpr int kDeadNodeNoticeMs = 10000 + 3000 + 3000;

class ClusterTest : public testing::Test {
 protected:
  void SetUp() override {
    setenv("KAVRIK_CLUSTER_SECRET", "test cluster secret", 1);
    ASSERT_TRUE(redis.running());
  }

  std::unique_ptr<ServerProcess> node(const std::string& name) {
    auto server = std::make_unique<ServerProcess>(
        std::vector<std::string>{"--log-level", "4", "--redis", redis.url(), "--node-name", name});
    EXPECT_TRUE(server->running()) << server->firstLine() << server->log();
    return server;
  }
  static std::unique_ptr<Participant> enter(ServerProcess& server, bool create, const std::string& name) {
    auto p = std::make_unique<Participant>(server.port());
    EXPECT_TRUE(p->enter(create, name));
    EXPECT_EQ(p->nextShout().first, kUsers) << name;
    return p;
  }
  static void seeJoin(Participant& p, const std::string& name, const std::string& users) {
    EXPECT_EQ(p.nextShout(), std::make_pair(kJoined, name));
    EXPECT_EQ(p.nextShout(), std::make_pair(kUsers, users));
  }

  RedisProcess redis;
};

TEST_F(ClusterTest, MembersOnTwoNodesShareJoinsChatViewStatesAndTheMasterRole) {
  auto a = node("a"), b = node("b");
  auto ann = enter(*a, true, "ann");
  EXPECT_TRUE(ann->master);
  auto bob = enter(*b, false, "bob");
  EXPECT_FALSE(bob->master);
  seeJoin(*ann, "bob", "ann\nbob\n");
  auto cy = enter(*a, false, "cy");
  seeJoin(*ann, "cy", "ann\nbob\ncy\n");
  seeJoin(*bob, "cy", "ann\nbob\ncy\n");

  ASSERT_TRUE(bob->shout(TlmShout::kChat, 0, "bob: hi"));
  for (Participant* p : {ann.get(), cy.get()}) EXPECT_EQ(p->nextShout(), std::make_pair(0, std::string("bob: hi")));
  EXPECT_TRUE(bob->quiet());

  // View states cross nodes in the order the master sent them.
  for (uint32_t us = 1; us <= 50; ++us) ASSERT_TRUE(ann->viewState(us));
  for (Participant* p : {bob.get(), cy.get()})
    for (uint32_t us = 1; us <= 50; ++us) {
      auto frame = p->receive();
      ASSERT_TRUE(frame);
      ASSERT_EQ(frame->type, conf::kTlmFullManipInfo);
      EXPECT_EQ(frame->decode<conf::TlmFullManipInfo>().us, us);
    }

  // Hand-over from a master on node a to a requester on node b.
  ASSERT_TRUE(bob->simple(conf::kTlmWantMaster, 0));
  EXPECT_EQ(ann->nextSimple(), std::make_pair(int(conf::kTlmReleaseMaster), 0));
  ASSERT_TRUE(cy->simple(conf::kTlmWantMaster, 0));
  EXPECT_EQ(cy->nextSimple(), std::make_pair(int(conf::kTlmWantMaster), 3)) << "another request is pending";
  ASSERT_TRUE(ann->simple(conf::kTlmReleaseMaster, 0));
  EXPECT_EQ(bob->nextSimple(), std::make_pair(int(conf::kTlmNowMaster), 0));
  ASSERT_TRUE(b->waitForLog(" is now master of conference 01234567"));
  ASSERT_TRUE(ann->viewState(100));
  ASSERT_TRUE(bob->viewState(101));
  for (Participant* p : {ann.get(), cy.get()}) {
    auto frame = p->receive();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->decode<conf::TlmFullManipInfo>().us, 101u) << "only the new master is relayed";
  }

  // A departure on one node is announced on the other.
  cy->disconnect();
  for (Participant* p : {ann.get(), bob.get()}) {
    EXPECT_EQ(p->nextShout(), std::make_pair(kLeft, std::string("cy")));
    EXPECT_EQ(p->nextShout(), std::make_pair(kUsers, std::string("ann\nbob\n")));
  }
  EXPECT_EQ(a->log().find("secret"), std::string::npos) << "passwords never reach the log";
}

TEST_F(ClusterTest, TwoCreatorsRacingOnTwoNodesGetOneConference) {
  auto a = node("a"), b = node("b");
  for (int round = 0; round < 10; ++round) {
    const std::string hash = "race-hash-" + std::to_string(round) + "-xxxxxx";
    Participant first(a->port()), second(b->port());
    auto one = std::async(std::launch::async, [&] { return first.login(true, "pw", hash); });
    auto two = std::async(std::launch::async, [&] { return second.login(true, "pw", hash); });
    const int statusOne = one.get(), statusTwo = two.get();
    EXPECT_EQ(std::min(statusOne, statusTwo), 0) << "round " << round;
    EXPECT_EQ(std::max(statusOne, statusTwo), 2) << "round " << round;
  }
}

TEST_F(ClusterTest, ANodeKilledWhileHoldingTheMasterIsCleanedUpByTheOthers) {
  auto a = node("a"), b = node("b"), c = node("c");
  auto ann = enter(*a, true, "ann");
  auto bob = enter(*b, false, "bob");
  seeJoin(*ann, "bob", "ann\nbob\n");
  auto cy = enter(*c, false, "cy");
  seeJoin(*ann, "cy", "ann\nbob\ncy\n");
  seeJoin(*bob, "cy", "ann\nbob\ncy\n");
  ASSERT_TRUE(bob->simple(conf::kTlmWantMaster, 0));
  EXPECT_EQ(ann->nextSimple().first, conf::kTlmReleaseMaster);

  a->stop(SIGKILL);
  // The pending request inherits the role, then the departure is announced.
  auto role = bob->receive(kDeadNodeNoticeMs);
  ASSERT_TRUE(role);
  EXPECT_EQ(role->type, conf::kTlmNowMaster);
  for (Participant* p : {bob.get(), cy.get()}) {
    EXPECT_EQ(p->nextShout(kDeadNodeNoticeMs), std::make_pair(kLeft, std::string("ann")));
    EXPECT_EQ(p->nextShout(), std::make_pair(kUsers, std::string("bob\ncy\n")));
  }
  bob->disconnect();
  EXPECT_EQ(cy->nextShout(), std::make_pair(kLeft, std::string("bob")));
  EXPECT_EQ(cy->nextShout().first, kUsers);
  ASSERT_TRUE(cy->simple(conf::kTlmWantMaster, 0));
  EXPECT_EQ(cy->nextSimple(), std::make_pair(int(conf::kTlmNowMaster), 0)) << "the freed role is granted";
}

TEST_F(ClusterTest, ANodeRestartedUnderItsNameRemovesWhatItsEarlierRunLeft) {
  auto a = node("a"), b = node("b");
  auto ann = enter(*a, true, "ann");
  auto bob = enter(*b, false, "bob");
  seeJoin(*ann, "bob", "ann\nbob\n");
  a->stop(SIGKILL);
  a = node("a");
  // At once, not after the heartbeat time.
  EXPECT_EQ(bob->nextShout(), std::make_pair(kLeft, std::string("ann")));
  EXPECT_EQ(bob->nextShout(), std::make_pair(kUsers, std::string("bob\n")));
  ASSERT_TRUE(bob->simple(conf::kTlmWantMaster, 0));
  EXPECT_EQ(bob->nextSimple(), std::make_pair(int(conf::kTlmNowMaster), 0));
}

TEST_F(ClusterTest, NodesRefuseLoginsWithoutRedisAndRecoverAfterItsRestart) {
  auto a = node("a"), b = node("b");
  auto ann = enter(*a, true, "ann");
  auto bob = enter(*b, false, "bob");
  seeJoin(*ann, "bob", "ann\nbob\n");
  auto dan = enter(*a, false, "dan");
  seeJoin(*ann, "dan", "ann\nbob\ndan\n");
  seeJoin(*bob, "dan", "ann\nbob\ndan\n");

  redis.stop();
  Participant refused(a->port());
  EXPECT_EQ(refused.login(false), 7);
  ASSERT_EQ(refused.notices.size(), 1u);
  EXPECT_NE(refused.notices[0].find("Please try again"), std::string::npos) << refused.notices[0];
  EXPECT_TRUE(a->waitForLog("unreachable"));
  // Members of one node still hear each other.
  ASSERT_TRUE(ann->viewState(6));
  auto local = dan->receive();
  ASSERT_TRUE(local);
  EXPECT_EQ(local->decode<conf::TlmFullManipInfo>().us, 6u);

  ASSERT_TRUE(redis.start());
  // Each node writes its own members back once it sees Redis again.
  EXPECT_TRUE(a->waitForLog("wrote back 1 conferences and 2 members", 15000)) << a->log();
  EXPECT_TRUE(b->waitForLog("wrote back 1 conferences and 1 members", 15000)) << b->log();
  for (ServerProcess* n : {a.get(), b.get()}) EXPECT_TRUE(n->waitForLog("logins accepted again", 15000)) << n->log();

  auto cy = enter(*b, false, "cy");
  for (Participant* p : {ann.get(), bob.get(), dan.get()}) seeJoin(*p, "cy", "ann\nbob\ndan\ncy\n");
  ASSERT_TRUE(ann->viewState(7));
  for (Participant* p : {bob.get(), cy.get(), dan.get()}) {
    auto frame = p->receive();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->decode<conf::TlmFullManipInfo>().us, 7u) << "the master kept its role";
  }
}

TEST(ClusterOptions, ANodeRefusesToStartWithoutTheSharedSecret) {
  unsetenv("KAVRIK_CLUSTER_SECRET");
  ServerProcess server({"--redis", "redis://127.0.0.1:1"});
  EXPECT_FALSE(server.running());
  EXPECT_EQ(server.waitExit(5000), 2);
  EXPECT_NE(server.log().find("KAVRIK_CLUSTER_SECRET"), std::string::npos);
}

}  // namespace
}  // namespace kvx::test
