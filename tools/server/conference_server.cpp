#include "conference_server.h"

#include <cstring>

#include "conference.h"
#include "memory_backend.h"
#include "session.h"
#include "tlm_messages.h"

namespace kvx::server {

using namespace kvx::conf;

namespace {
// Login answer statuses.
constexpr int32_t kAccepted = 0;
constexpr int32_t kRefused = 1;
constexpr int32_t kConferenceExistence = 2;  // exists when creating, missing when joining
constexpr int32_t kClientTooOld = 5;
constexpr int32_t kClientTooNew = 6;
constexpr int32_t kFull = 7;
const char* const kUnreachableNotice =
    "The conference server cannot reach its shared conference state just now. Please try again in a minute.";

Frame loginAnswer(int32_t status, bool master) {
  TlmConnectNexus answer;
  answer.status = status;
  answer.protocolLevel = kProtocolLevel;
  answer.masterFlag = master ? 1 : 0;
  return buildFrame(kTlmConnectNexus, answer);
}
}  // namespace

ConferenceServer::ConferenceServer(asio::io_context& io, const ServerOptions& options, const ServerLog& log,
                                   const std::string& clusterSecret)
    : io_(io), options_(options), log_(log), acceptor_(io), acceptRetry_(io), keyMaker_(clusterSecret),
      backend_(std::make_unique<MemoryBackend>(
          [this](const std::string& key, const Delivery& delivery) { deliver(key, delivery); })) {}

ConferenceServer::~ConferenceServer() = default;

bool ConferenceServer::listen(std::string& error) {
  asio::error_code failure;
  asio::ip::tcp::resolver resolver(io_);
  const auto endpoints = resolver.resolve(options_.host, options_.port,
                                          asio::ip::resolver_base::passive | asio::ip::resolver_base::numeric_service,
                                          failure);
  if (failure || endpoints.empty()) {
    error = "cannot resolve " + options_.host + ": " + failure.message();
    return false;
  }
  const asio::ip::tcp::endpoint endpoint = *endpoints.begin();
  acceptor_.open(endpoint.protocol(), failure);
  if (!failure) acceptor_.set_option(asio::ip::tcp::acceptor::reuse_address(true), failure);
  if (!failure) acceptor_.bind(endpoint, failure);
  if (!failure) acceptor_.listen(asio::socket_base::max_listen_connections, failure);
  if (failure) {
    error = "cannot listen on " + options_.host + ":" + options_.port + ": " + failure.message();
    if (failure == asio::error::access_denied && endpoint.port() < 1024)
      error += " (ports below 1024 need privilege: use --listen HOST:PORT with a higher port, or start the "
               "server through its systemd unit, which grants that capability)";
    return false;
  }
  accept();
  return true;
}

std::string ConferenceServer::boundAddress() const {
  asio::error_code ignored;
  const auto endpoint = acceptor_.local_endpoint(ignored);
  const std::string host = endpoint.address().to_string();
  return (endpoint.address().is_v6() ? "[" + host + "]" : host) + ":" + std::to_string(endpoint.port());
}

void ConferenceServer::stop() {
  asio::error_code ignored;
  acceptor_.close(ignored);
  acceptRetry_.cancel();
}

void ConferenceServer::accept() {
  acceptor_.async_accept([this](const asio::error_code& error, asio::ip::tcp::socket socket) {
    if (error == asio::error::operation_aborted) return;
    if (error) {
      // Out of descriptors, say: wait a little instead of spinning.
      log_.write(kLogErrors, "accept failed: " + error.message());
      acceptRetry_.expires_after(std::chrono::milliseconds(100));
      acceptRetry_.async_wait([this](const asio::error_code& e) {
        if (!e) accept();
      });
      return;
    }
    auto session = std::make_shared<Session>(std::move(socket), *this);
    if (waitingForLogin_ >= kMaxWaitingForLogin) {
      log_.write(kLogRefusals, session->peer() + " refused: " + std::to_string(kMaxWaitingForLogin) +
                                   " connections are waiting to log in");
      session->awaitingLogin = false;
      session->drop("");
      accept();
      return;
    }
    ++waitingForLogin_;
    log_.write(kLogEvents, session->peer() + " connected");
    session->start(std::chrono::seconds(options_.loginTimeoutSeconds));
    accept();
  });
}

void ConferenceServer::deliver(const std::string& key, const Delivery& delivery) {
  if (const auto it = conferences_.find(key); it != conferences_.end()) relayedFrames_ += it->second->deliver(delivery);
}

void ConferenceServer::login(const std::shared_ptr<Session>& session, TlmConnectNexus& request) {
  if (session->conference || session->joining) {
    log_.write(kLogRefusals, session->peer() + ": second login refused");
    session->send(loginAnswer(kRefused, false));
    return;
  }
  if (request.protocolLevel < kProtocolLevel)
    return refuse(session, kClientTooOld, "protocol level " + std::to_string(request.protocolLevel) + " too old", false);
  if (request.protocolLevel > kProtocolLevel)
    return refuse(session, kClientTooNew, "protocol level " + std::to_string(request.protocolLevel) + " too new", false);

  const std::string fileHash(reinterpret_cast<const char*>(request.fileHash), TlmConnectNexus::kHashSize);
  const std::string key = keyMaker_.key(fileHash, request.password);
  const bool create = request.masterFlag != 0;
  session->joining = true;
  // The login timer bounds the wait; a session gone meanwhile is forgotten.
  backend_->whenHeard(key, [this, weak = std::weak_ptr<Session>(session), key, fileHash, create](bool heard) {
    const auto session = weak.lock();
    if (!session || session->closed()) return;
    session->joining = false;
    if (!heard) return refuseFull(session, kUnreachableNotice);
    join(session, key, fileHash, create);
  });
}

void ConferenceServer::join(const std::shared_ptr<Session>& session, const std::string& key,
                            const std::string& fileHash, bool create) {
  const std::string memberId = nodeName_ + "/" + std::to_string(++nextMember_);
  switch (backend_->join(key, memberId, create, {options_.maxConferences, options_.maxMembers})) {
    case JoinResult::kJoined: break;
    case JoinResult::kExists: return refuse(session, kConferenceExistence, "conference already exists", true);
    case JoinResult::kMissing: return refuse(session, kConferenceExistence, "no such conference", true);
    case JoinResult::kServerFull:
      return refuseFull(session, "The conference server is full: it holds " + std::to_string(options_.maxConferences) +
                                     " conferences. Please try again later.");
    case JoinResult::kConferenceFull:
      return refuseFull(session, "This conference is full: it has " + std::to_string(options_.maxMembers) +
                                     " members. Please try again later.");
    case JoinResult::kUnavailable: return refuseFull(session, kUnreachableNotice);
  }
  auto& conference = conferences_[key];
  if (!conference) conference = std::make_unique<Conference>(key, fileHash, *backend_, log_);
  session->memberId = memberId;
  conference->add(session, create, !backend_->announcesJoins());
  session->awaitingLogin = false;
  --waitingForLogin_;
  log_.write(kLogEvents, session->peer() + (create ? " created" : " joined") + " conference " + conference->label() +
                             " (" + std::to_string(conference->memberCount()) + " members)" +
                             (create ? ", as master" : ""));
  session->send(loginAnswer(kAccepted, create));
}

void ConferenceServer::refuse(const std::shared_ptr<Session>& session, int status, const std::string& why,
                              bool throttled) {
  log_.write(kLogRefusals, session->peer() + " login refused: " + why + " (status " + std::to_string(status) + ")");
  const auto delay = throttled ? throttle_.failed(session->address()) : std::chrono::milliseconds(0);
  session->answerAfter(delay, {loginAnswer(status, false)});
}

void ConferenceServer::refuseFull(const std::shared_ptr<Session>& session, const std::string& notice) {
  log_.write(kLogRefusals, session->peer() + " login refused: " + notice + " (status 7)");
  TlmShout shout;
  shout.flags = TlmShout::kNoticeFlag;
  shout.setText(notice);
  session->answerAfter(std::chrono::milliseconds(0), {buildFrame(kTlmShout, shout), loginAnswer(kFull, false)});
}

void ConferenceServer::leave(Session& session) {
  if (session.awaitingLogin) {
    session.awaitingLogin = false;
    --waitingForLogin_;
  }
  Conference* conference = session.conference;
  if (!conference) {
    log_.write(kLogEvents, session.peer() + " disconnected");
    return;
  }
  const bool ended = conference->remove(session);
  log_.write(kLogEvents, session.peer() + " left conference " + conference->label() + " (last view state applied: " +
                             std::to_string(session.lastAck) + ")");
  if (ended) log_.write(kLogEvents, "conference " + conference->label() + " ended");
  if (conference->memberCount() == 0) conferences_.erase(std::string(conference->key()));
}

}  // namespace kvx::server
