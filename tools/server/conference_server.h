#pragma once
// Accepts viewers, logs them in to conferences named by (file hash,
// password), and forgets a conference with its last member.
#include <asio.hpp>
#include <map>
#include <memory>
#include <string>

#include "conference_backend.h"
#include "conference_key.h"
#include "login_throttle.h"
#include "server_log.h"
#include "server_options.h"

namespace kvx::conf {
class TlmConnectNexus;
}

namespace kvx::server {

class Conference;
class Session;

class ConferenceServer {
 public:
  // Connections still to log in; more are closed at once, so that idle
  // connections cannot pile up within the login time-out.
  static constexpr int kMaxWaitingForLogin = 1024;

  // Works alone, in memory, unless given a shared backend.
  ConferenceServer(asio::io_context& io, const ServerOptions& options, const ServerLog& log,
                   const std::string& clusterSecret = "");
  ~ConferenceServer();

  // Binds and listens; false with `error` set.
  bool listen(std::string& error);
  // "HOST:PORT" as bound, with the real port.
  std::string boundAddress() const;
  void stop();

  void login(const std::shared_ptr<Session>& session, conf::TlmConnectNexus& request);
  // Called once for every connection that ends.
  void leave(Session& session);
  const ServerLog& log() const { return log_; }

  void setBackend(std::unique_ptr<ConferenceBackend> backend) { backend_ = std::move(backend); }
  ConferenceBackend& backend() { return *backend_; }
  // A frame published for conference `key` reaches this node's members of it.
  void deliver(const std::string& key, const Delivery& delivery);
  const std::map<std::string, std::unique_ptr<Conference>>& conferences() const { return conferences_; }
  // Names this node's members in shared state.
  void setNodeName(const std::string& name) { nodeName_ = name; }
  uint64_t relayedFrames() const { return relayedFrames_; }

 private:
  void accept();
  // Joins or creates the conference once this node hears it.
  void join(const std::shared_ptr<Session>& session, const std::string& key, const std::string& fileHash,
            bool create);
  void refuse(const std::shared_ptr<Session>& session, int status, const std::string& why, bool throttled);
  void refuseFull(const std::shared_ptr<Session>& session, const std::string& notice);

  asio::io_context& io_;
  ServerOptions options_;
  const ServerLog& log_;
  asio::ip::tcp::acceptor acceptor_;
  asio::steady_timer acceptRetry_;
  LoginThrottle throttle_;
  ConferenceKeyMaker keyMaker_;
  std::unique_ptr<ConferenceBackend> backend_;
  std::map<std::string, std::unique_ptr<Conference>> conferences_;  // with local members, by key
  std::string nodeName_ = "local";
  uint64_t nextMember_ = 0;
  uint64_t relayedFrames_ = 0;
  int waitingForLogin_ = 0;
};

}  // namespace kvx::server
