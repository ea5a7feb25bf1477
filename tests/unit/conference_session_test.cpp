// The client session over an in-memory connection: login answers, the
// dispatcher, the master role, chat and the view states a master sends.
#include "byte_stream.h"
#include "conf_dpy_data.h"
#include "services/digests.h"
#include "conference_doubles.h"
#include "conference_settings.h"
#include "conference_session.h"
#include "file_hash.h"
#include "host_list.h"
#include "log_capture.h"
#include "memory_net_stream.h"
#include "sdk/plugin_state.h"
#include "srv_con.h"
#include "temp_env.h"
#include "tl_msg.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kvx::test {
namespace {

using namespace conf;

// Frames a session wrote, decoded by type.
std::vector<std::pair<int, std::vector<uint8_t>>> framesIn(const std::string& bytes) {
  std::vector<std::pair<int, std::vector<uint8_t>>> frames;
  MemoryNetStream stream(bytes);
  while (stream.consumed() < bytes.size()) {
    TlMsg message;
    if (receiveFrame(stream, message) < 0) break;
    frames.emplace_back(message.type(),
                        std::vector<uint8_t>(message.payload(), message.payload() + message.payloadLength()));
  }
  return frames;
}

template <class Message>
Message decoded(const std::vector<uint8_t>& payload) {
  Message message;
  ByteStreamIn in(payload.data(), payload.size());
  EXPECT_EQ(message.serialize(in), 0);
  return message;
}

struct Session : ::testing::Test {
  RecordedEvents events;
  NoConnector connector;
  RecordingSdk sdk;
  StandInFrame frame;
  kvx_ManipInfo manip = {};
  kvx_FrameInfo frameInfo = {640, 480, 0, 0, 320, 240};
  ConfDpyData view{&frame, &sdk, &manip, &frameInfo};
  ConferenceSession session{events, connector, &view};
  std::unique_ptr<MemoryNetStream> stream;

  void SetUp() override {
    setReceiveLimits(kConferenceMaxLength, kConferenceMaxType);
    sdk.state().manip = &manip;
    sdk.state().frame = &frameInfo;
    manip.fieldOfView = 32;
  }
  void TearDown() override { setReceiveLimits(kDefaultMaxLength, kDefaultMaxType); }
  // Attaches the session to a connection that will deliver `input`.
  void over(const std::string& input, bool create = false) {
    stream = std::make_unique<MemoryNetStream>(input);
    session.attach(*stream, create);
  }
  std::string loginAnswer(int32_t status, int32_t master) {
    TlmConnectNexus answer;
    answer.status = status;
    answer.masterFlag = master;
    return frameBytes(kTlmConnectNexus, answer);
  }
};

TEST_F(Session, LoginSendsTheRequestAndTakesTheRoleOfTheAnswer) {
  over(loginAnswer(0, 1), true);
  ASSERT_EQ(session.srvCon()->login(true, "0123456789abcdefXYZ", "a-password-of-20-chr"), 1);
  EXPECT_TRUE(session.isMaster());
  EXPECT_EQ(events.roles, std::vector<bool>{true});
  const auto sent = framesIn(stream->output);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].first, kTlmConnectNexus);
  const auto request = decoded<TlmConnectNexus>(sent[0].second);
  EXPECT_EQ(request.protocolLevel, 3);
  EXPECT_EQ(request.masterFlag, 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(request.fileHash), 16), "0123456789abcdef");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(request.password), 16), "a-password-of-20");
}

TEST_F(Session, RefusedLoginsShowTheirText) {
  struct Case {
    int status;
    bool create;
    std::string text;
  };
  const Case cases[] = {
      {2, true, "Conference already exist. Please use 'Connect' button to retry"},
      {2, false,
       "Conference does not exist. Please check file hash and password or use the 'Create' button to create a new "
       "conference"},
      {5, false, "Server protocol has changed. Please download a new KVX viewer from https://www.tamo.example/kavrik/downloads/"},
      {6, true,
       "The server protocol level is older than your viewer's. Please tell the conference creator to download a new "
       "KVX viewerfrom https://www.tamo.example/kavrik/downloads/"},
      {7, false, ""},
  };
  for (const Case& c : cases) {
    events = {};
    LogCapture log(LOG_ERROR);
    over(loginAnswer(c.status, 0), c.create);
    EXPECT_EQ(session.srvCon()->login(c.create, "0123456789abcdef", "pw"), -1);
    ASSERT_EQ(events.refusals.size(), 1u);
    EXPECT_EQ(events.refusals[0], std::make_pair(c.status, c.text));
    EXPECT_NE(log.text().find("SrvCon::login: connection server error message\n"), std::string::npos);
  }
}

TEST_F(Session, LoginWithoutAnswerFails) {
  LogCapture log(LOG_ERROR);
  over("");
  EXPECT_EQ(session.srvCon()->login(false, "0123456789abcdef", ""), -1);
  EXPECT_NE(log.text().find("SrvCon::login: message receive failed\n"), std::string::npos);
}

TEST_F(Session, ProtoswitchRefusesWhatItCannotHandle) {
  LogCapture log(LOG_ERROR);
  int count = 0;
  const SrvCon::Entry* table = clientDispatchTable(count);
  ASSERT_EQ(count, 6);
  const int order[] = {1, 3, 5, 6, 4, 7};
  for (int i = 0; i < count; ++i) EXPECT_EQ(table[i].type, order[i]);

  over("");
  const uint8_t shortPayload[3] = {};
  EXPECT_EQ(protoswitch(session, table, count, 8, 0, nullptr), -1);
  EXPECT_EQ(protoswitch(session, table, count, kTlmNowMaster, 3, shortPayload), -1);
  const SrvCon::Entry noObject[] = {{9, [] { return std::unique_ptr<TlmData>(); }, nullptr}};
  EXPECT_EQ(protoswitch(session, noObject, 1, 9, 0, nullptr), -1);
  const std::string text = log.text();
  EXPECT_NE(text.find("protoswitch: unknown message type 8\n"), std::string::npos) << text;
  EXPECT_NE(text.find("protoswitch: can't deserialize mestype 6\n"), std::string::npos) << text;
  EXPECT_NE(text.find("protoswitch: can't create input object for mestype 9\n"), std::string::npos) << text;
}

TEST_F(Session, ShoutsGoToTheLogTheUsersBoxOrAMessage) {
  auto shout = [](int32_t kind, uint32_t flags, const std::string& text) {
    TlmShout s;
    s.kind = kind;
    s.flags = flags;
    s.setText(text);
    return frameBytes(kTlmShout, s);
  };
  const std::string input = shout(1, 0, "ann") + shout(2, 0, "bob") + shout(3, 0, "ann\nbob\n") + shout(3, 0, "") +
                            shout(0, 0, "ann: hi\n") + shout(0, 1, "Server full") + shout(0, 0, "");
  over(input);
  for (int i = 0; i < 7; ++i) session.onInput();
  EXPECT_EQ(events.logLines, (std::vector<std::string>{"ann connected to conference\n", "bob disconnected\n", "ann: hi\n"}));
  EXPECT_EQ(events.users, (std::vector<std::string>{"ann\nbob\n", ""}));
  EXPECT_EQ(events.notices, std::vector<std::string>{"Server full"});
  EXPECT_EQ(events.beeps, 7);
}

TEST_F(Session, MasterRoleRequestsAndReleases) {
  over(loginAnswer(0, 0) + simpleFrame(kTlmWantMaster, 3) + simpleFrame(kTlmNowMaster, 0) +
       simpleFrame(kTlmReleaseMaster, 0) + simpleFrame(kTlmReleaseMaster, 0));
  ASSERT_EQ(session.srvCon()->login(false, "0123456789abcdef", ""), 1);
  session.setLastSeq(9);
  session.requestMaster();
  session.onInput();  // refused
  EXPECT_EQ(events.masterRefusals, 1);
  session.onInput();  // now master
  EXPECT_TRUE(session.isMaster());
  session.requestMaster();  // already master: nothing sent
  events.releaseAnswer = false;
  session.onInput();
  EXPECT_TRUE(session.isMaster());
  events.releaseAnswer = true;
  session.onInput();
  EXPECT_FALSE(session.isMaster());
  EXPECT_EQ(events.roles, (std::vector<bool>{false, true, false}));
  EXPECT_EQ(events.logLines, (std::vector<std::string>{"Transition to master requested\n", "Now conference master\n",
                                                        "Master release refused\n"}));
  auto sent = framesIn(stream->output);
  ASSERT_EQ(sent.size(), 5u);
  const std::pair<int, int32_t> expected[] = {{1, 0}, {4, 0}, {6, 0}, {5, 4}, {5, 0}};
  for (size_t i = 1; i < sent.size(); ++i) {
    EXPECT_EQ(sent[i].first, expected[i].first);
    const auto simple = decoded<TlmSimple>(sent[i].second);
    EXPECT_EQ(simple.value, expected[i].second) << i;
    EXPECT_EQ(simple.seq, 9u) << "every answer carries lastSeq";
  }
}

TEST_F(Session, BadSimpleTypeFails) {
  LogCapture log(LOG_ERROR);
  over("");
  EXPECT_EQ(session.process_Simple(8, TlmSimple()), -1);
  EXPECT_NE(log.text().find("process_Simple: bad Simple message type 8\n"), std::string::npos);
}

TEST_F(Session, MasterSendsOnlyChangedViewsAndContinuesTheSlavesSequence) {
  TlmFullManipInfo fromMaster;
  fromMaster.us = 41;
  fromMaster.z = 30;
  over(loginAnswer(0, 0) + frameBytes(kTlmFullManipInfo, fromMaster) + simpleFrame(kTlmNowMaster, 0));
  ASSERT_EQ(session.srvCon()->login(false, "0123456789abcdef", ""), 1);
  session.updateconference();  // slave: nothing
  session.onInput();           // view 41 applied
  EXPECT_EQ(session.lastSeq(), 41u);
  EXPECT_EQ(events.applied, std::vector<uint32_t>{41});
  session.onInput();  // now master
  session.updateconference();
  session.updateconference();  // unchanged: not sent
  manip.panX = 0.5f;
  session.updateconference();
  EXPECT_EQ(events.sent, (std::vector<uint32_t>{42, 43}));

  const auto sent = framesIn(stream->output);
  std::vector<int> types;
  for (const auto& frame : sent) types.push_back(frame.first);
  EXPECT_EQ(types, (std::vector<int>{1, 8, 6, 7, 7}));
  EXPECT_EQ(decoded<TlmSimple>(sent[1].second).seq, 41u) << "the acknowledgement names the view";
  EXPECT_EQ(decoded<TlmFullManipInfo>(sent[3].second).us, 42u);
  EXPECT_FLOAT_EQ(decoded<TlmFullManipInfo>(sent[4].second).tx, 0.5f);
}

TEST_F(Session, ViewStateBeforeTheViewExistsDropsTheConnection) {
  TlmFullManipInfo view;
  view.us = 1;
  over(frameBytes(kTlmFullManipInfo, view));
  frame.ready = false;
  session.onInput();
  EXPECT_FALSE(session.isConnected());
  EXPECT_EQ(events.logLines, (std::vector<std::string>{"Socket Input Error\n", "Disconnected\n"}));
  EXPECT_TRUE(stream->output.empty()) << "no acknowledgement";
}

TEST_F(Session, ChatWhileDisconnectedSendsNothing) {
  session.chat("hello");
  EXPECT_EQ(events.logLines, std::vector<std::string>{"You must connect first\n"});
}

TEST_F(Session, ConnectStopsEarlyWithItsLogLines) {
  TempEnv env;
  const std::string scene = env.path("scene.kvx").string();
  std::ofstream(scene) << "scene";
  ConnectRequest request;
  request.hostField = "127.0.0.1:1";
  request.scenePath = scene;
  EXPECT_FALSE(session.connect(request));
  EXPECT_EQ(events.pseudonymMissing, 1);
  request.pseudonym = "ann";
  request.scenePath.clear();
  EXPECT_FALSE(session.connect(request));
  const std::string missing = env.path("missing.kvx").string();
  request.scenePath = missing;
  EXPECT_FALSE(session.connect(request));
  request.scenePath = scene;
  EXPECT_FALSE(session.connect(request));
  EXPECT_EQ(events.logLines, (std::vector<std::string>{"No kvx file is currently open\n",
                                                        "Error computing checksum for: " + missing + "\n",
                                                        "Connection failed (refused)\n"}));
  EXPECT_EQ(events.connects, 0);
}

TEST(ConferenceHash, IsTheMd4OfTheWholeFile) {
  TempEnv env;
  struct Case {
    std::string content, digest;
  };
  const Case cases[] = {{"", "31d6cfe0d16ae931b73c59d7e0c089c0"},
                        {"abc", "a448017aaf21d8525fc10ae87aa6729d"},
                        {std::string(1300, 'x'), ""}};
  for (const Case& c : cases) {
    const std::string path = env.path("f.kvx").string();
    std::ofstream(path, std::ios::binary) << c.content;
    const auto digest = fileHash(path);
    ASSERT_TRUE(digest);
    EXPECT_EQ(digest->size(), 32u);
    if (!c.digest.empty()) {
      EXPECT_EQ(*digest, c.digest);
    }
  }
  Md4 whole;
  whole.update(std::string(1300, 'x'));
  EXPECT_EQ(fileHash(env.path("f.kvx").string()), toHex(whole.finish())) << "blocks of 512 change nothing";
  EXPECT_FALSE(fileHash(env.path("none.kvx").string()));
}

TEST(ConferenceHosts, ListKeepsNineNewestFirstWithoutRepeats) {
  HostList list = HostList::fromSetting("");
  EXPECT_EQ(list.entries(), std::vector<std::string>{"localhost:443"});
  for (int i = 0; i < 11; ++i) list.remember("server" + std::to_string(i) + ":443");
  ASSERT_EQ(list.entries().size(), 9u);
  EXPECT_EQ(list.entries().front(), "server10:443");
  EXPECT_EQ(list.entries().back(), "server2:443");
  list.remember("server5:443");
  EXPECT_EQ(list.entries().size(), 9u);
  EXPECT_EQ(list.entries()[0], "server5:443");
  EXPECT_EQ(list.entries()[1], "server10:443");
  EXPECT_EQ(HostList::fromSetting(list.toSetting()).entries(), list.entries());
  EXPECT_EQ(list.toSetting().substr(0, 24), "server5:443 server10:443");

  std::string host, port;
  splitHostPort("example:1234", host, port);
  EXPECT_EQ(host + "|" + port, "example|1234");
  splitHostPort("example", host, port);
  EXPECT_EQ(host + "|" + port, "example|443");
}

TEST(ConferenceSettingsStore, DefaultsAndRoundTrip) {
  std::map<std::string, std::string> store;
  auto get = [&](const std::string& key) -> std::optional<std::string> {
    auto found = store.find(key);
    return found == store.end() ? std::nullopt : std::optional<std::string>(found->second);
  };
  auto set = [&](const std::string& key, const std::string& value) { return store[key] = value, true; };

  ConferenceSettings s = loadConferenceSettings(get, "");
  EXPECT_EQ(s.hosts.entries(), std::vector<std::string>{"localhost:443"});
  EXPECT_EQ(s.pseudonym, "UnknownUser");
  EXPECT_FALSE(s.useProxy);
  EXPECT_EQ(loadConferenceSettings(get, "ann").pseudonym, "ann");

  store["conferenceUseHttpProxy"] = "0";
  store["conferenceHttpProxyHost"] = "proxy.lan";
  EXPECT_FALSE(loadConferenceSettings(get, "ann").useProxy) << "\"0\" leaves the proxy off";
  store["conferenceUseHttpProxy"] = "2";
  EXPECT_TRUE(loadConferenceSettings(get, "ann").useProxy);

  s.hosts.remember("example:4433");
  s.pseudonym = "bob";
  s.proxyUser = "alice";
  saveConferenceSettings(s, set);
  EXPECT_EQ(store["conferenceHosts"], "example:4433 localhost:443 ");
  EXPECT_EQ(store["conferenceUseHttpProxy"], "0");
  const ConferenceSettings back = loadConferenceSettings(get, "ann");
  EXPECT_EQ(back.hosts.entries(), s.hosts.entries());
  EXPECT_EQ(back.pseudonym, "bob");
  EXPECT_EQ(back.proxyUser, "alice");
}

}  // namespace
}  // namespace kvx::test
