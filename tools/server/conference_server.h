#pragma once
// Accepts viewers, logs them in to conferences named by (file hash,
// password), and forgets a conference with its last member.
#include <asio.hpp>
#include <map>
#include <memory>
#include <string>

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

  ConferenceServer(asio::io_context& io, const ServerOptions& options, const ServerLog& log);
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

 private:
  void accept();
  void refuse(const std::shared_ptr<Session>& session, int status, const std::string& why, bool throttled);
  void refuseFull(const std::shared_ptr<Session>& session, const std::string& notice);
  Conference* find(const std::string& fileHash, const uint8_t* password);

  asio::io_context& io_;
  ServerOptions options_;
  const ServerLog& log_;
  asio::ip::tcp::acceptor acceptor_;
  asio::steady_timer acceptRetry_;
  LoginThrottle throttle_;
  std::multimap<std::string, std::unique_ptr<Conference>> conferences_;
  int waitingForLogin_ = 0;
};

}  // namespace kvx::server
