#pragma once
// One participant's conference: connecting (directly or through the proxy
// tunnel), the login, the master and slave roles, chat, and keeping the
// view in step through ConfDpyData. The desktop panel and the headless
// participant both drive it; it talks back through ConferenceEvents.
#include <cstdint>
#include <memory>
#include <string>

#include "tlm_messages.h"

namespace kvx::conf {

class ConfDpyData;
class ConferenceConnector;
class ConferenceEvents;
class NetStream;
class SrvCon;

struct ConnectRequest {
  std::string hostField;  // "host[:port]"
  bool useProxy = false;
  std::string proxyHost, proxyPort;
  std::string password;
  std::string pseudonym;
  std::string scenePath;  // empty when no scene file is open
  bool create = false;
};

class ConferenceSession {
 public:
  ConferenceSession(ConferenceEvents& events, ConferenceConnector& connector, ConfDpyData* view);
  ~ConferenceSession();

  // The Create and Connect buttons: true when logged in. While connected
  // it disconnects instead (the button then reads "Disconnect").
  bool connect(const ConnectRequest& request);
  void disconnect();
  bool isConnected() const { return connected_; }
  bool isMaster() const;
  bool loggedIn() const;

  // The socket has input: reads and dispatches one message; a failure
  // logs "Socket Input Error" and disconnects.
  void onInput();
  // The socket was lost.
  void onLost() { disconnect(); }

  // "Become master": asks the server unless already master.
  void requestMaster();
  // Sends a chat line ("pseudo: text") and logs it.
  void chat(const std::string& text);
  // The frame's view-changed hook while master: sends the view when it changed.
  void updateconference();

  uint32_t lastSeq() const { return lastSeq_; }
  void setLastSeq(uint32_t seq) { lastSeq_ = seq; }
  // The proxy user name that last worked (kept in the settings).
  const std::string& proxyUser() const { return proxyUser_; }
  void setProxyUser(const std::string& user) { proxyUser_ = user; }
  // The preset of the proxy login dialog when no user is remembered.
  void setLoginName(const std::string& name) { loginName_ = name; }
  // "host:port" of the last successful connection.
  const std::string& serverEntry() const { return serverEntry_; }

  // Handlers of the dispatch table.
  int handleLoginAnswer(const TlmConnectNexus& answer);
  int handleShout(const TlmShout& shout);
  int process_Simple(int type, const TlmSimple& message);
  int handleViewState(const TlmFullManipInfo& view);

  // For tests: talk over an already open connection.
  void attach(NetStream& connection, bool create);
  SrvCon* srvCon() { return srvCon_.get(); }

 private:
  bool openConnection(const ConnectRequest& request, const std::string& host, const std::string& port);
  void takeRole(bool master);
  int sendSimple(int type, int32_t value, uint32_t seq);

  ConferenceEvents& events_;
  ConferenceConnector& connector_;
  ConfDpyData* view_;
  NetStream* stream_ = nullptr;
  std::unique_ptr<SrvCon> srvCon_;
  bool connected_ = false;
  bool create_ = false;
  std::string pseudonym_;
  uint32_t lastSeq_ = 0;
  TlmFullManipInfo lastSent_;
  std::string proxyUser_;
  std::string loginName_ = "UnknownUser";
  std::string serverEntry_;
};

// Whether the view fields (nx to the camera index) of two states differ.
bool viewFieldsDiffer(const TlmFullManipInfo& a, const TlmFullManipInfo& b);

}  // namespace kvx::conf
