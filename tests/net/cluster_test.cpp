// Several kavrik-server nodes sharing conferences through a private Redis on
// loopback, with participants played through the conference library.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <thread>

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
  // Subscriptions change on their own connection, a moment after the
  // member that caused them.
  bool waitForSubscriptions(const std::map<std::string, int>& expected, int timeoutMs = 5000) {
    for (int waited = 0; waited < timeoutMs; waited += 20) {
      if (redis.relaySubscriptions() == expected) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  // The one relay channel not in `known`.
  std::string newChannel(const std::set<std::string>& known) {
    for (const auto& [channel, count] : redis.relaySubscriptions())
      if (!known.count(channel)) return channel;
    return "";
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

TEST_F(ClusterTest, ANodeSubscribesToAConferenceOnlyWhileItHoldsMembersThere) {
  auto a = node("a"), b = node("b");
  auto ann = enter(*a, true, "ann");
  const std::string x = newChannel({});
  ASSERT_FALSE(x.empty());
  EXPECT_TRUE(waitForSubscriptions({{x, 1}}));
  Participant bo(b->port());
  ASSERT_EQ(bo.login(true, "other password"), 0);
  const std::string y = newChannel({x});
  ASSERT_FALSE(y.empty());
  EXPECT_TRUE(waitForSubscriptions({{x, 1}, {y, 1}})) << "each node hears only its own conference";

  auto cy = enter(*b, false, "cy");
  seeJoin(*ann, "cy", "ann\ncy\n");
  EXPECT_TRUE(waitForSubscriptions({{x, 2}, {y, 1}}));
  cy->disconnect();
  EXPECT_EQ(ann->nextShout(), std::make_pair(kLeft, std::string("cy")));
  EXPECT_EQ(ann->nextShout(), std::make_pair(kUsers, std::string("ann\n")));
  EXPECT_TRUE(waitForSubscriptions({{x, 1}, {y, 1}})) << "node b left conference x's channel with its last member";
  bo.disconnect();
  EXPECT_TRUE(waitForSubscriptions({{x, 1}}));
}

TEST_F(ClusterTest, MembersJoiningANodeAnewWhileViewStatesStreamGetThemInOrderAndNothingOlder) {
  auto a = node("a"), b = node("b");
  auto ann = enter(*a, true, "ann");
  const std::string x = newChannel({});
  std::atomic<bool> streaming{true};
  std::atomic<uint32_t> lastSent{0};
  std::thread master([&] {
    for (uint32_t us = 1; streaming; ++us) {
      if (!ann->viewState(us)) return;
      lastSent = us;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  // Each round node b starts holding the conference again: its first
  // member joins while the channel is being subscribed.
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::string name = "m" + std::to_string(round);
    Participant member(b->port());
    ASSERT_EQ(member.login(false), 0);
    ASSERT_TRUE(member.shout(kJoined, 0, name));
    uint32_t previous = 0;
    int userLists = 0, viewStates = 0;
    for (auto frame = member.receive(); frame && viewStates < 30; frame = member.receive()) {
      if (frame->type == conf::kTlmShout) {
        const auto shout = frame->decode<TlmShout>();
        EXPECT_EQ(std::make_pair(shout.kind, std::string(shout.text())), std::make_pair(kUsers, "ann\n" + name + "\n"))
            << "nothing published before the join";
        ++userLists;
        continue;
      }
      ASSERT_EQ(frame->type, conf::kTlmFullManipInfo);
      const uint32_t us = frame->decode<conf::TlmFullManipInfo>().us;
      EXPECT_GT(us, previous) << "view states keep their order";
      previous = us;
      ++viewStates;
    }
    EXPECT_EQ(userLists, 1);
    EXPECT_EQ(viewStates, 30);
    member.disconnect();
    // Odd rounds join while node b may still be leaving the channel.
    if (round % 2 == 0) {
      ASSERT_TRUE(waitForSubscriptions({{x, 1}})) << "node b holds nobody in the conference";
    }
  }
  streaming = false;
  master.join();
  EXPECT_GT(lastSent.load(), 0u);
  // The master heard each join and departure once, in order.
  for (int round = 0; round < 5; ++round) {
    const std::string name = "m" + std::to_string(round);
    EXPECT_EQ(ann->nextShout(), std::make_pair(kJoined, std::string(name)));
    EXPECT_EQ(ann->nextShout(), std::make_pair(kUsers, "ann\n" + name + "\n"));
    EXPECT_EQ(ann->nextShout(), std::make_pair(kLeft, std::string(name)));
    EXPECT_EQ(ann->nextShout(), std::make_pair(kUsers, std::string("ann\n")));
  }
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
  const std::string x = newChannel({});
  auto bo = std::make_unique<Participant>(b->port());
  ASSERT_EQ(bo->login(true, "other password"), 0);
  ASSERT_FALSE(newChannel({x}).empty());

  redis.stop();
  Participant refused(a->port());
  EXPECT_EQ(refused.login(false), 7);
  ASSERT_EQ(refused.notices.size(), 1u);
  EXPECT_NE(refused.notices[0].find("Please try again"), std::string::npos) << refused.notices[0];
  EXPECT_TRUE(a->waitForLog("unreachable"));
  // Node b holds the other conference no longer when Redis is back.
  bo->disconnect();
  ASSERT_TRUE(b->waitForLog(" left conference"));
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
  EXPECT_TRUE(waitForSubscriptions({{x, 2}})) << "resubscribed to exactly the conferences held";

  auto cy = enter(*b, false, "cy");
  for (Participant* p : {ann.get(), bob.get(), dan.get()}) seeJoin(*p, "cy", "ann\nbob\ndan\ncy\n");
  ASSERT_TRUE(ann->viewState(7));
  for (Participant* p : {bob.get(), cy.get(), dan.get()}) {
    auto frame = p->receive();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->decode<conf::TlmFullManipInfo>().us, 7u) << "the master kept its role";
  }
}

TEST_F(ClusterTest, ANodeWritesAStatusLineEveryPeriod) {
  setenv("KAVRIK_STATUS_INTERVAL_MS", "200", 1);
  auto a = node("a");
  unsetenv("KAVRIK_STATUS_INTERVAL_MS");
  auto ann = enter(*a, true, "ann");
  auto bob = enter(*a, false, "bob");
  seeJoin(*ann, "bob", "ann\nbob\n");
  ASSERT_TRUE(bob->shout(TlmShout::kChat, 0, "bob: hi"));
  EXPECT_EQ(ann->nextShout(), std::make_pair(0, std::string("bob: hi")));
  // Frames handed to members here: ann's list, bob's join, both lists, the chat.
  EXPECT_TRUE(a->waitForLog("kavrik-server: status: 1 conferences, 2 members here, 5 frames relayed, Redis connected\n"))
      << a->log();
  redis.stop();
  EXPECT_TRUE(a->waitForLog(", 5 frames relayed, Redis unreachable\n", 10000)) << a->log();
}

class ClusterPasswordTest : public testing::Test {
 protected:
  void SetUp() override {
    setenv("KAVRIK_CLUSTER_SECRET", "test cluster secret", 1);
    ASSERT_TRUE(redis.running());
  }
  void TearDown() override { unsetenv("KAVRIK_REDIS_PASSWORD"); }
  RedisProcess redis{"right-horse-battery"};
};

TEST_F(ClusterPasswordTest, NodesWorkWithTheRightPasswordAndRefuseLoginsWithAClearErrorOtherwise) {
  struct Case {
    const char* password;  // null: not set
    int loginStatus;
    const char* logLine;
  } cases[] = {
      {"right-horse-battery", 0, "Redis at 127.0.0.1:"},
      {"wrong", 7, "refused the password in KAVRIK_REDIS_PASSWORD: WRONGPASS"},
      {nullptr, 7, "wants a password (set KAVRIK_REDIS_PASSWORD): NOAUTH"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.password ? c.password : "no password");
    if (c.password)
      setenv("KAVRIK_REDIS_PASSWORD", c.password, 1);
    else
      unsetenv("KAVRIK_REDIS_PASSWORD");
    ServerProcess server({"--log-level", "4", "--redis", redis.url(), "--node-name", "p"});
    ASSERT_TRUE(server.running()) << "a node starts as it does when Redis is away: " << server.log();
    Participant first(server.port());
    EXPECT_EQ(first.login(true), c.loginStatus);
    EXPECT_TRUE(server.waitForLog(c.logLine)) << server.log();
    if (c.loginStatus == 0) {
      Participant second(server.port());
      EXPECT_EQ(second.login(false), 0);
    } else {
      EXPECT_TRUE(server.waitForLog("new logins refused")) << server.log();
    }
    EXPECT_EQ(server.log().find("right-horse"), std::string::npos) << "the password never reaches the log";
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
