// kavrik-server end to end on loopback, with participants played through
// the conference library.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "run_command.h"
#include "server_process.h"
#include "test_participant.h"

namespace kvx::test {
namespace {

using conf::TlmShout;
using Clock = std::chrono::steady_clock;
constexpr int kJoined = TlmShout::kJoined, kLeft = TlmShout::kLeft, kUsers = TlmShout::kUserList;

class ConferenceServerTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server.running()) << server.firstLine() << server.log(); }

  // A participant that has entered and read what its own entry brought it.
  std::unique_ptr<Participant> enter(bool create, const std::string& name, const std::string& password = "secret") {
    auto p = std::make_unique<Participant>(server.port());
    EXPECT_TRUE(p->enter(create, name, password));
    EXPECT_EQ(p->nextShout().first, kUsers) << name;
    return p;
  }
  // Reads the join announcement and user list that every earlier member gets.
  static void seeJoin(Participant& p, const std::string& name, const std::string& users) {
    EXPECT_EQ(p.nextShout(), std::make_pair(kJoined, name));
    EXPECT_EQ(p.nextShout(), std::make_pair(kUsers, users));
  }

  ServerProcess server{{"--log-level", "4"}};
};

TEST_F(ConferenceServerTest, ThreeParticipantsEndToEnd) {
  auto ann = enter(true, "ann");
  EXPECT_TRUE(ann->master);
  auto bob = enter(false, "bob");
  EXPECT_FALSE(bob->master);
  seeJoin(*ann, "bob", "ann\nbob\n");
  auto cy = enter(false, "cy");
  seeJoin(*ann, "cy", "ann\nbob\ncy\n");
  seeJoin(*bob, "cy", "ann\nbob\ncy\n");

  // Chat reaches the others with its flags cleared, never its sender.
  ASSERT_TRUE(bob->shout(TlmShout::kChat, 0x6, "bob: hi"));
  for (Participant* p : {ann.get(), cy.get()}) {
    auto frame = p->receive();
    ASSERT_TRUE(frame);
    const auto shout = frame->decode<TlmShout>();
    EXPECT_EQ(std::make_tuple(shout.kind, shout.flags, std::string(shout.text())),
              std::make_tuple(0, 0u, std::string("bob: hi")));
  }
  EXPECT_TRUE(bob->quiet());

  // View states reach every other member in order and are acknowledged.
  for (uint32_t us = 1; us <= 20; ++us) ASSERT_TRUE(ann->viewState(us, us % 2 ? 0x21001 : 0));
  for (Participant* p : {bob.get(), cy.get()}) {
    for (uint32_t us = 1; us <= 20; ++us) {
      auto frame = p->receive();
      ASSERT_TRUE(frame);
      ASSERT_EQ(frame->type, conf::kTlmFullManipInfo);
      const auto view = frame->decode<conf::TlmFullManipInfo>();
      EXPECT_EQ(view.us, us);
      EXPECT_EQ(view.nx, static_cast<float>(us));
      EXPECT_EQ(frame->payload.size(), us % 2 ? 106u : 76u);
      ASSERT_TRUE(p->simple(conf::kTlmViewAck, 0, us));
    }
  }
  EXPECT_TRUE(ann->quiet());

  // Hand-over 4 -> 5 -> 6.
  ASSERT_TRUE(bob->simple(conf::kTlmWantMaster, 0, 20));
  EXPECT_EQ(ann->nextSimple(), std::make_pair(int(conf::kTlmReleaseMaster), 0));
  ASSERT_TRUE(ann->simple(conf::kTlmReleaseMaster, 0, 20));
  EXPECT_EQ(bob->nextSimple(), std::make_pair(int(conf::kTlmNowMaster), 0));
  ASSERT_TRUE(bob->simple(conf::kTlmNowMaster, 0, 20));
  EXPECT_TRUE(server.waitForLog(" is now master of conference 01234567"));

  // The old master is no longer relayed; the new one is.
  ASSERT_TRUE(ann->viewState(21));
  ASSERT_TRUE(bob->viewState(22));
  for (Participant* p : {ann.get(), cy.get()}) {
    auto frame = p->receive();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->decode<conf::TlmFullManipInfo>().us, 22u);
  }

  // A refused release: 4 -> 5, answered 4 -> type 4 with a non-zero value.
  ASSERT_TRUE(cy->simple(conf::kTlmWantMaster, 0));
  EXPECT_EQ(bob->nextSimple(), std::make_pair(int(conf::kTlmReleaseMaster), 0));
  ASSERT_TRUE(bob->simple(conf::kTlmReleaseMaster, 4));
  const auto refusal = cy->nextSimple();
  EXPECT_EQ(refusal.first, conf::kTlmWantMaster);
  EXPECT_NE(refusal.second, 0);
  EXPECT_TRUE(cy->quiet()) << "no role for the refused requester";

  EXPECT_EQ(server.log().find("secret"), std::string::npos) << "passwords never reach the log";
}

TEST_F(ConferenceServerTest, MasterRequestsWhilePendingFromTheMasterAndWithoutMaster) {
  auto ann = enter(true, "ann");
  auto bob = enter(false, "bob");
  seeJoin(*ann, "bob", "ann\nbob\n");
  auto cy = enter(false, "cy");
  seeJoin(*ann, "cy", "ann\nbob\ncy\n");
  seeJoin(*bob, "cy", "ann\nbob\ncy\n");

  ASSERT_TRUE(ann->simple(conf::kTlmWantMaster, 0));
  EXPECT_EQ(ann->nextSimple(), std::make_pair(int(conf::kTlmNowMaster), 0)) << "the master asking gets type 6";

  ASSERT_TRUE(bob->simple(conf::kTlmWantMaster, 0));
  EXPECT_EQ(ann->nextSimple().first, conf::kTlmReleaseMaster);
  ASSERT_TRUE(cy->simple(conf::kTlmWantMaster, 0));
  EXPECT_EQ(cy->nextSimple(), std::make_pair(int(conf::kTlmWantMaster), 3)) << "another request is pending";

  // The master leaving during the request hands the role to the requester.
  ann->disconnect();
  EXPECT_EQ(bob->nextSimple(), std::make_pair(int(conf::kTlmNowMaster), 0));
  for (Participant* p : {bob.get(), cy.get()}) {
    EXPECT_EQ(p->nextShout(), std::make_pair(kLeft, std::string("ann")));
    EXPECT_EQ(p->nextShout(), std::make_pair(kUsers, std::string("bob\ncy\n")));
  }

  // When the master leaves without a request, the next request is granted at once.
  bob->disconnect();
  EXPECT_EQ(cy->nextShout(), std::make_pair(kLeft, std::string("bob")));
  EXPECT_EQ(cy->nextShout(), std::make_pair(kUsers, std::string("cy\n")));
  ASSERT_TRUE(cy->simple(conf::kTlmWantMaster, 0));
  EXPECT_EQ(cy->nextSimple(), std::make_pair(int(conf::kTlmNowMaster), 0));
}

TEST_F(ConferenceServerTest, ARequesterLeavingClearsItsRequest) {
  auto ann = enter(true, "ann");
  auto bob = enter(false, "bob");
  seeJoin(*ann, "bob", "ann\nbob\n");
  auto cy = enter(false, "cy");
  seeJoin(*ann, "cy", "ann\nbob\ncy\n");
  seeJoin(*bob, "cy", "ann\nbob\ncy\n");

  ASSERT_TRUE(bob->simple(conf::kTlmWantMaster, 0));
  EXPECT_EQ(ann->nextSimple().first, conf::kTlmReleaseMaster);
  bob->disconnect();
  EXPECT_EQ(ann->nextShout().first, kLeft);
  EXPECT_EQ(ann->nextShout().first, kUsers);
  ASSERT_TRUE(ann->simple(conf::kTlmReleaseMaster, 0));  // the late answer changes nothing
  ASSERT_TRUE(ann->viewState(5));
  EXPECT_EQ(cy->nextShout().first, kLeft);
  EXPECT_EQ(cy->nextShout().first, kUsers);
  auto frame = cy->receive();
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->type, conf::kTlmFullManipInfo) << "ann is still master";

  ASSERT_TRUE(cy->simple(conf::kTlmWantMaster, 0));
  EXPECT_EQ(ann->nextSimple().first, conf::kTlmReleaseMaster) << "no request is left pending";
}

TEST_F(ConferenceServerTest, OnlyChatIsRelayedAndOnlyTheFirstNameCounts) {
  auto ann = enter(true, "ann");
  auto bob = enter(false, "bob");
  seeJoin(*ann, "bob", "ann\nbob\n");

  ASSERT_TRUE(bob->shout(TlmShout::kChat, TlmShout::kNoticeFlag, "pop-up for everybody"));
  ASSERT_TRUE(bob->shout(TlmShout::kLeft, 0, "ann"));
  ASSERT_TRUE(bob->shout(TlmShout::kJoined, 0, "mallory"));
  ASSERT_TRUE(bob->shout(TlmShout::kUserList, 0, "nobody\n"));
  ASSERT_TRUE(bob->shout(7, 0, "odd kind"));
  ASSERT_TRUE(bob->shout(TlmShout::kChat, 0, "bob: real"));
  EXPECT_EQ(ann->nextShout(), std::make_pair(0, std::string("bob: real")));
  EXPECT_TRUE(ann->quiet());
}

TEST_F(ConferenceServerTest, PseudonymsCannotForgeUserListLines) {
  auto ann = enter(true, "ann");
  auto bob = std::make_unique<Participant>(server.port());
  ASSERT_TRUE(bob->enter(false, "bob\nadmin"));
  EXPECT_EQ(ann->nextShout(), std::make_pair(kJoined, std::string("bob admin")));
  EXPECT_EQ(ann->nextShout(), std::make_pair(kUsers, std::string("ann\nbob admin\n")));
}

TEST_F(ConferenceServerTest, ALongUserListIsCutToWholeEntriesWithinTheFrameLimit) {
  std::vector<std::unique_ptr<Participant>> members;
  std::string expected;
  for (int i = 0; i < 8; ++i) {
    const std::string name = std::string(60, char('a' + i));
    members.push_back(std::make_unique<Participant>(server.port()));
    ASSERT_TRUE(members.back()->enter(i == 0, name));
    if (expected.size() + 61 <= 391) expected += name + "\n";
  }
  // The last member's own list is the full one.
  std::pair<int, std::string> shout;
  do shout = members.back()->nextShout();
  while (shout.first == kJoined);
  EXPECT_EQ(shout, std::make_pair(kUsers, expected));
  EXPECT_EQ(expected.size(), 366u);
}

struct RefusalCase {
  const char* name;
  bool create;
  std::string password;
  int protocolLevel;
  int status;
};

TEST_F(ConferenceServerTest, LoginRefusals) {
  auto ann = enter(true, "ann");
  const RefusalCase cases[] = {
      {"creating an existing conference", true, "secret", 3, 2},
      {"joining a missing conference", false, "other", 3, 2},
      {"a password that differs only in its 16th character", false, "secretsecretsecX", 3, 2},
      {"an older protocol", false, "secret", 2, 5},
      {"a newer protocol", false, "secret", 4, 6},
  };
  for (const RefusalCase& c : cases) {
    Participant p(server.port());
    EXPECT_EQ(p.login(c.create, c.password, Participant::kHash, c.protocolLevel), c.status) << c.name;
  }
  // The same hash with another password is another conference.
  Participant other(server.port());
  EXPECT_EQ(other.login(true, "other"), 0);

  Participant twice(server.port());
  ASSERT_EQ(twice.login(false), 0);
  conf::TlmConnectNexus again;
  again.protocolLevel = 3;
  ASSERT_TRUE(twice.send(conf::kTlmConnectNexus, again));
  auto answer = twice.receive();
  ASSERT_TRUE(answer);
  ASSERT_EQ(answer->type, conf::kTlmConnectNexus);
  EXPECT_NE(answer->decode<conf::TlmConnectNexus>().status, 0) << "a second login is refused";
}

TEST(ConferenceServerLimits, AFullServerAndAFullConferenceRefusePolitely) {
  ServerProcess server({"--max-conferences", "1", "--max-members", "2"});
  ASSERT_TRUE(server.running());
  Participant ann(server.port()), bob(server.port());
  ASSERT_EQ(ann.login(true), 0);
  ASSERT_EQ(bob.login(false), 0);

  Participant third(server.port());
  EXPECT_EQ(third.login(false), 7);
  ASSERT_EQ(third.notices.size(), 1u);
  EXPECT_NE(third.notices[0].find("conference is full"), std::string::npos) << third.notices[0];

  Participant creator(server.port());
  EXPECT_EQ(creator.login(true, "another"), 7);
  ASSERT_EQ(creator.notices.size(), 1u);
  EXPECT_NE(creator.notices[0].find("server is full"), std::string::npos) << creator.notices[0];

  // The notice comes as a shout with the notice flag.
  Participant raw(server.port());
  conf::TlmConnectNexus request;
  request.protocolLevel = 3;
  request.setFileHash(Participant::kHash);
  request.setPassword("secret");
  ASSERT_TRUE(raw.send(conf::kTlmConnectNexus, request));
  auto notice = raw.receive();
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->decode<TlmShout>().flags, TlmShout::kNoticeFlag);
}

TEST_F(ConferenceServerTest, AConferenceEndsWithItsLastMember) {
  {
    Participant ann(server.port());
    ASSERT_EQ(ann.login(true), 0);
  }
  ASSERT_TRUE(server.waitForLog("conference 01234567 ended"));
  Participant bob(server.port());
  EXPECT_EQ(bob.login(false), 2) << "nothing left to join";
  EXPECT_EQ(bob.login(true), 0) << "and it can be created again";
}

// Hostile frames drop only their sender: its peer sees it leave, and a
// member of another conference goes on chatting.
struct HostileCase {
  const char* name;
  std::string bytes;
  const char* logLine;
};

std::string frame(int type, const std::string& payload) {
  std::string bytes = {char(type >> 8), char(type), char(payload.size() >> 8), char(payload.size())};
  bytes += payload;
  if (bytes.size() < 108) bytes.resize(108, '\0');
  return bytes;
}

TEST_F(ConferenceServerTest, HostileFramesDropOnlyTheirSender) {
  const HostileCase cases[] = {
      {"length 401", frame(3, std::string(401, 'x')), "frame length 401 above 400"},
      {"type 11", frame(11, "12345678"), "frame type 11 above 10"},
      {"type 2 has no class", frame(2, "12345678"), "message type 2 has no message class"},
      {"type 9 has no class", frame(9, "12345678"), "message type 9 has no message class"},
      {"short login", frame(1, std::string(10, '\0')), "undecodable payload of message type 1"},
      {"short view state", frame(7, std::string(75, '\0')), "undecodable payload of message type 7"},
      {"shout without zero byte", frame(3, std::string(8, '\0') + std::string(96, 'x')),
       "undecodable payload of message type 3"},
  };
  auto bystander = std::make_unique<Participant>(server.port());
  ASSERT_TRUE(bystander->enter(true, "by", "elsewhere"));
  EXPECT_EQ(bystander->nextShout().first, kUsers);
  auto listener = std::make_unique<Participant>(server.port());
  ASSERT_TRUE(listener->enter(false, "listener", "elsewhere"));
  EXPECT_EQ(listener->nextShout().first, kUsers);
  seeJoin(*bystander, "listener", "by\nlistener\n");

  auto ann = enter(true, "ann");
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.name);
    Participant mallory(server.port());
    ASSERT_TRUE(mallory.enter(false, "mallory"));
    seeJoin(*ann, "mallory", "ann\nmallory\n");
    ASSERT_TRUE(mallory.sendRaw(c.bytes));
    EXPECT_TRUE(mallory.waitClosed());
    EXPECT_TRUE(server.waitForLog(c.logLine)) << server.log();
    EXPECT_EQ(ann->nextShout(), std::make_pair(kLeft, std::string("mallory")));
    EXPECT_EQ(ann->nextShout(), std::make_pair(kUsers, std::string("ann\n")));
    ASSERT_TRUE(bystander->shout(0, 0, "still here"));
    EXPECT_EQ(listener->nextShout(), std::make_pair(0, std::string("still here")));
  }
  // Before login, a frame of another type drops the connection too.
  Participant early(server.port());
  ASSERT_TRUE(early.shout(0, 0, "hello?"));
  EXPECT_TRUE(early.waitClosed());
  EXPECT_TRUE(server.waitForLog("message type 3 before login"));
}

TEST(ConferenceServerLimits, AConnectionThatDoesNotLogInIsClosed) {
  ServerProcess server({"--login-timeout", "1"});
  ASSERT_TRUE(server.running());
  Participant idle(server.port());
  Participant member(server.port());
  ASSERT_EQ(member.login(true), 0);
  EXPECT_TRUE(idle.waitClosed(5000));
  EXPECT_TRUE(server.waitForLog("dropped: no login within 1 s"));
  EXPECT_TRUE(member.simple(conf::kTlmWantMaster, 0));
  EXPECT_EQ(member.nextSimple().first, conf::kTlmNowMaster) << "a logged-in member stays";
}

TEST(ConferenceServerLimits, ConnectionsWaitingToLogInAreBounded) {
  ServerProcess server;
  ASSERT_TRUE(server.running());
  Participant member(server.port());
  ASSERT_EQ(member.login(true), 0);
  std::vector<std::unique_ptr<Participant>> idle;
  for (int i = 0; i < 1024; ++i) {
    idle.push_back(std::make_unique<Participant>(server.port()));
    ASSERT_TRUE(idle.back()->connected());
  }
  Participant oneTooMany(server.port());
  EXPECT_TRUE(oneTooMany.waitClosed());
  EXPECT_TRUE(server.waitForLog("1024 connections are waiting to log in"));

  idle.pop_back();
  const auto disconnections = [&] {
    const std::string log = server.log();
    int count = 0;
    for (size_t at = log.find(" disconnected"); at != std::string::npos; at = log.find(" disconnected", at + 1)) ++count;
    return count;
  };
  for (int waited = 0; waited < 3000 && disconnections() < 2; waited += 10)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(disconnections(), 2) << "the refused connection and the one closed";
  Participant next(server.port());
  EXPECT_EQ(next.login(false), 0) << "a place freed is taken again";
}

TEST_F(ConferenceServerTest, AMemberThatStopsReadingIsDroppedAtTheQueueBound) {
  Participant ann(server.port());
  ASSERT_EQ(ann.login(true), 0);
  Participant stalled(server.port());
  stalled.stream().setReceiveBuffer(4096);
  ASSERT_TRUE(stalled.enter(false, "stalled"));
  bool dropped = false;
  for (uint32_t us = 1; us <= 400000 && !dropped; ++us) {
    ASSERT_TRUE(ann.viewState(us));
    if (us % 2000 == 0) dropped = server.log().find("frames queued") != std::string::npos;
  }
  EXPECT_TRUE(dropped) << server.log();
  EXPECT_TRUE(server.waitForLog("dropped: not reading: more than 256 frames queued"));
  ASSERT_TRUE(ann.simple(conf::kTlmWantMaster, 0));
  std::pair<int, int32_t> answer;
  do answer = ann.nextSimple();
  while (answer.first == conf::kTlmShout);
  EXPECT_EQ(answer.first, conf::kTlmNowMaster) << "the sender is unaffected";
}

TEST_F(ConferenceServerTest, RepeatedFailedJoinsAreSlowedButSuccessesAreNot) {
  auto ann = enter(true, "ann");
  Participant guesser(server.port());
  const auto start = Clock::now();
  for (int i = 0; i < 5; ++i) ASSERT_EQ(guesser.login(false, "guess" + std::to_string(i)), 2);
  const auto fiveFailures = Clock::now() - start;
  EXPECT_GE(fiveFailures, std::chrono::milliseconds(1500)) << "50 + 100 + 200 + 400 + 800 ms";

  auto sixth = Clock::now();
  ASSERT_EQ(guesser.login(false, "guess5"), 2);
  ASSERT_EQ(guesser.login(false, "guess6"), 2);
  EXPECT_LT(Clock::now() - sixth, std::chrono::milliseconds(2600)) << "capped at one second each";

  Participant right(server.port());
  const auto success = Clock::now();
  EXPECT_EQ(right.login(false), 0);
  EXPECT_LT(Clock::now() - success, std::chrono::milliseconds(500));
}

TEST_F(ConferenceServerTest, AbruptDisconnectsAtAnyStageLeaveTheConferenceConsistent) {
  {
    Participant beforeLogin(server.port());
    ASSERT_TRUE(beforeLogin.sendRaw(std::string(50, '\0')));  // half a frame
  }
  auto ann = enter(true, "ann");
  auto bob = enter(false, "bob");
  seeJoin(*ann, "bob", "ann\nbob\n");
  auto cy = enter(false, "cy");
  seeJoin(*ann, "cy", "ann\nbob\ncy\n");
  seeJoin(*bob, "cy", "ann\nbob\ncy\n");

  // The master vanishes: announced once, and the role is free.
  ann->disconnect();
  for (Participant* p : {bob.get(), cy.get()}) {
    EXPECT_EQ(p->nextShout(), std::make_pair(kLeft, std::string("ann")));
    EXPECT_EQ(p->nextShout(), std::make_pair(kUsers, std::string("bob\ncy\n")));
  }
  EXPECT_TRUE(bob->quiet()) << "announced once";
  ASSERT_TRUE(cy->simple(conf::kTlmWantMaster, 0));
  EXPECT_EQ(cy->nextSimple().first, conf::kTlmNowMaster);
  ASSERT_TRUE(cy->viewState(1));
  auto frame = bob->receive();
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->type, conf::kTlmFullManipInfo);
  ASSERT_TRUE(bob->shout(0, 0, "bob: still on"));
  EXPECT_EQ(cy->nextShout(), std::make_pair(0, std::string("bob: still on")));
}

TEST(KavrikServerProgram, ExitStatusesAndFirstLine) {
  ServerProcess first;
  ASSERT_TRUE(first.running());
  EXPECT_EQ(first.firstLine(), "kavrik-server listening on 127.0.0.1:" + first.port());
  EXPECT_NE(first.port(), "0");

  ServerProcess busy({}, "127.0.0.1:" + first.port());
  EXPECT_EQ(busy.waitExit(5000), 1);
  const std::string message = busy.log();
  EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
  EXPECT_NE(message.find("cannot listen on 127.0.0.1:" + first.port()), std::string::npos) << message;

  for (const std::vector<std::string>& usage : std::vector<std::vector<std::string>>{
           {"--max-members", "0"}, {"--log-level", "5"}, {"--bogus"}, {"--login-timeout"}}) {
    ServerProcess wrong(usage, "");
    EXPECT_EQ(wrong.waitExit(5000), 2) << usage[0];
  }
  ServerProcess badListen({}, "127.0.0.1");
  EXPECT_EQ(badListen.waitExit(5000), 2);

  EXPECT_EQ(first.stop(SIGINT), 0);
  ServerProcess second;
  ASSERT_TRUE(second.running());
  EXPECT_EQ(second.stop(SIGTERM), 0);
}

TEST(KavrikServerProgram, WithoutPrivilegeTheDefaultPortIsRefusedInOneLine) {
  // Needs root to drop to an unprivileged user, and a kernel that keeps
  // port 443 privileged (so that nothing ends up listening beyond loopback).
  const std::string start = readFile("/proc/sys/net/ipv4/ip_unprivileged_port_start");
  if (getuid() != 0 || access("/usr/bin/setpriv", X_OK) != 0 || std::atoi(start.c_str()) <= 443)
    GTEST_SKIP() << "needs root, setpriv and a privileged port 443";
  const auto result = runCommand("/usr/bin/setpriv --reuid=nobody --regid=nogroup --clear-groups " +
                                 std::string(KVX_BIN_DIR) + "/kavrik-server 2>&1");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(std::count(result.output.begin(), result.output.end(), '\n'), 1) << result.output;
  EXPECT_NE(result.output.find("cannot listen on 0.0.0.0:443"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("--listen HOST:PORT"), std::string::npos);
  EXPECT_NE(result.output.find("systemd unit"), std::string::npos);
}

}  // namespace
}  // namespace kvx::test
