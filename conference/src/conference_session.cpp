#include "conference_session.h"

#include "conf_dpy_data.h"
#include "conference_connector.h"
#include "conference_events.h"
#include "file_hash.h"
#include "host_list.h"
#include "http_proxy.h"
#include "login_texts.h"
#include "services/debuglog.h"
#include "shared_view_frame.h"
#include "srv_con.h"

#include <cstring>

namespace kvx::conf {

bool viewFieldsDiffer(const TlmFullManipInfo& a, const TlmFullManipInfo& b) {
  auto same = [](const float* x, const float* y, size_t n) { return std::memcmp(x, y, n * sizeof(float)) == 0; };
  return !(same(&a.nx, &b.nx, 1) && same(&a.ny, &b.ny, 1) && same(&a.viewHeight, &b.viewHeight, 1) &&
           same(&a.tx, &b.tx, 1) && same(&a.ty, &b.ty, 1) && same(a.q, b.q, 4) && same(&a.z, &b.z, 1) &&
           same(a.bounds, b.bounds, 6) && a.f == b.f && same(&a.cp, &b.cp, 1) && same(a.measure, b.measure, 6) &&
           a.camera == b.camera);
}

ConferenceSession::ConferenceSession(ConferenceEvents& events, ConferenceConnector& connector, ConfDpyData* view)
    : events_(events), connector_(connector), view_(view) {}

ConferenceSession::~ConferenceSession() {
  if (connected_) disconnect();
}

bool ConferenceSession::isMaster() const { return srvCon_ && srvCon_->isMaster; }
bool ConferenceSession::loggedIn() const { return srvCon_ && srvCon_->loginState == SrvCon::kAccepted; }

bool ConferenceSession::connect(const ConnectRequest& request) {
  if (connected_) {
    disconnect();
    return false;
  }
  if (request.pseudonym.empty()) {
    events_.missingPseudonym();
    return false;
  }
  if (request.scenePath.empty()) {
    events_.log("No kvx file is currently open\n");
    return false;
  }
  const auto digest = fileHash(request.scenePath);
  if (!digest) {
    events_.log("Error computing checksum for: " + request.scenePath + "\n");
    return false;
  }
  const std::string hash = digest->substr(0, kConferenceHashLength);
  std::string host, port;
  splitHostPort(request.hostField, host, port);
  if (!openConnection(request, host, port)) return false;

  serverEntry_ = host + ":" + port;
  events_.serverReached(serverEntry_);
  events_.log("Connected to " + request.hostField + "\n");
  connected_ = true;
  events_.connected();
  create_ = request.create;
  pseudonym_ = request.pseudonym;
  srvCon_ = std::make_unique<SrvCon>(*stream_, *this);
  events_.log("File hash " + hash + "\n");
  events_.log("Attempting login ... \n");
  if (srvCon_->login(request.create, hash, request.password) != 1) {
    events_.log("Login failed\n");
    disconnect();
    return false;
  }
  events_.log("Logged in\n");
  TlmShout name;
  name.kind = TlmShout::kJoined;
  name.setText(request.pseudonym);
  srvCon_->sendmessage(kTlmShout, name);
  return true;
}

bool ConferenceSession::openConnection(const ConnectRequest& request, const std::string& host,
                                       const std::string& port) {
  const std::string& targetHost = request.useProxy ? request.proxyHost : host;
  const std::string& targetPort = request.useProxy ? request.proxyPort : port;
  if (const std::string problem = connector_.checkAddress(targetHost, targetPort); !problem.empty()) {
    events_.log(problem);
    return false;
  }
  std::string user, password;
  ProxyAuthState state;
  for (;;) {
    std::string error;
    stream_ = connector_.connect(targetHost, targetPort, error);
    if (!stream_) {
      events_.log("Connection failed (" + error + ")\n");
      return false;
    }
    if (!request.useProxy) return true;
    std::string errorText;
    const int result = httpProxyConnect(state, *stream_, host, port, errorText, user, password);
    if (result == kTunnelOpen) {
      if (!user.empty()) proxyUser_ = user;
      return true;
    }
    connector_.close();
    stream_ = nullptr;
    if (result == kProxyLoginRequired && user.empty()) {
      const auto login =
          events_.askProxyLogin("Proxy login required for " + errorText, proxyUser_.empty() ? loginName_ : proxyUser_);
      if (!login) {
        events_.log("Login canceled");
        return false;
      }
      user = login->user;
      password = login->password;
      continue;
    }
    events_.proxyError(errorText);
    return false;
  }
}

void ConferenceSession::attach(NetStream& connection, bool create) {
  stream_ = &connection;
  connected_ = true;
  create_ = create;
  srvCon_ = std::make_unique<SrvCon>(connection, *this);
}

void ConferenceSession::disconnect() {
  const bool wasConnected = connected_;
  connected_ = false;
  srvCon_.reset();
  events_.disconnected();
  if (connector_.isConnected()) connector_.close();
  stream_ = nullptr;
  if (wasConnected) events_.log("Disconnected\n");
}

void ConferenceSession::onInput() {
  if (!srvCon_) return;
  if (srvCon_->receiveOne() < 0) {
    events_.log("Socket Input Error\n");
    disconnect();
  }
}

void ConferenceSession::requestMaster() {
  if (!srvCon_ || srvCon_->isMaster) return;
  if (sendSimple(kTlmWantMaster, 0, lastSeq_) == 0)
    events_.log("Transition to master requested\n");
  else
    events_.log("Message (wantmaster) send error\n");
}

void ConferenceSession::chat(const std::string& text) {
  if (!connected_ || !srvCon_) {
    events_.log("You must connect first\n");
    return;
  }
  const std::string line = pseudonym_ + ": " + text;
  TlmShout shout;
  shout.kind = TlmShout::kChat;
  shout.flags = 0;
  shout.setText(line);
  if (srvCon_->sendmessage(kTlmShout, shout) == 0)
    events_.log(line + "\n");
  else
    events_.log("Message (chat) send error\n");
}

void ConferenceSession::updateconference() {
  if (!srvCon_ || srvCon_->loginState != SrvCon::kAccepted || !srvCon_->isMaster || !view_) return;
  TlmFullManipInfo view;
  if (view_->getData(&view) != 0) return;
  if (!viewFieldsDiffer(view, lastSent_)) return;
  KVX_LOG(LOG_INFO, "updateconference: changed: sending\n");
  lastSent_ = view;
  view.us = ++lastSeq_;
  if (srvCon_->sendmessage(kTlmFullManipInfo, view) == 0) events_.viewSent(view);
}

int ConferenceSession::handleLoginAnswer(const TlmConnectNexus& answer) {
  if (answer.status == 0) {
    srvCon_->loginState = SrvCon::kAccepted;
    takeRole(answer.masterFlag != 0);
    return 0;
  }
  srvCon_->loginState = SrvCon::kRefused;
  events_.loginRefused(answer.status, loginRefusalText(answer.status, create_));
  return -1;
}

int ConferenceSession::handleShout(const TlmShout& shout) {
  events_.beep();
  std::string text = shout.text();
  switch (shout.kind) {
    case TlmShout::kJoined: text += " connected to conference"; break;
    case TlmShout::kLeft: text += " disconnected"; break;
    case TlmShout::kUserList: events_.showUsers(text); return 0;
    default: break;
  }
  if (text.empty()) return 0;
  if (shout.flags & TlmShout::kNoticeFlag) {
    events_.showNotice(text);
  } else {
    if (text.back() != '\n') text += '\n';
    events_.log(text);
  }
  return 0;
}

int ConferenceSession::process_Simple(int type, const TlmSimple& message) {
  switch (type) {
    case kTlmWantMaster:
      if (message.value != 0) events_.masterRefused();
      return 0;
    case kTlmReleaseMaster:
      if (events_.askRelease()) {
        takeRole(false);
        return sendSimple(kTlmReleaseMaster, 0, lastSeq_);
      }
      events_.log("Master release refused\n");
      return sendSimple(kTlmReleaseMaster, 4, lastSeq_);
    case kTlmNowMaster: {
      const int sent = sendSimple(kTlmNowMaster, 0, lastSeq_);
      events_.log("Now conference master\n");
      takeRole(true);
      return sent;
    }
    default: KVX_LOG(LOG_ERROR, "process_Simple: bad Simple message type %d\n", type); return -1;
  }
}

int ConferenceSession::handleViewState(const TlmFullManipInfo& view) {
  if (!view_ || !view_->frame() || !view_->frame()->viewReady()) return -1;
  if (view_->applyData(&view) != 0) return -1;
  view_->frame()->render();
  lastSeq_ = view.us;
  events_.viewApplied(view);
  return sendSimple(kTlmViewAck, 0, view.us);
}

void ConferenceSession::takeRole(bool master) {
  if (srvCon_) srvCon_->isMaster = master;
  events_.roleChanged(master);
}

int ConferenceSession::sendSimple(int type, int32_t value, uint32_t seq) {
  if (!srvCon_) return -1;
  TlmSimple message;
  message.value = value;
  message.seq = seq;
  return srvCon_->sendmessage(type, message);
}

}  // namespace kvx::conf
