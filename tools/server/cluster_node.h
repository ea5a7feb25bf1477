#pragma once
// A node's duties towards the others: a heartbeat key, the clean-up of
// nodes whose heartbeat expired, writing its own members back after Redis
// lost them, and a status line every minute.
#include <asio.hpp>

namespace kvx::server {

class ConferenceServer;
class RedisBackend;
class ServerLog;

class ClusterNode {
 public:
  static constexpr auto kHeartbeatPeriod = std::chrono::seconds(3);
  static constexpr int kHeartbeatTtlSeconds = 10;
  static constexpr auto kStatusPeriod = std::chrono::milliseconds(60000);

  ClusterNode(asio::io_context& io, ConferenceServer& server, RedisBackend& redis, const ServerLog& log,
              std::chrono::milliseconds statusPeriod = kStatusPeriod);
  void start();
  // Writes this node's conferences, members and master roles back.
  void restore();

 private:
  void beat();
  void cleanUp(const std::string& deadNode);
  void writeStatus();

  ConferenceServer& server_;
  RedisBackend& redis_;
  const ServerLog& log_;
  asio::steady_timer heartbeat_;
  asio::steady_timer status_;
  std::chrono::milliseconds statusPeriod_;
};

}  // namespace kvx::server
