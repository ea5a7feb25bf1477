#pragma once
// Conference state shared by several nodes in Redis: the registry, members,
// pseudonyms and master role changed by small Lua scripts (atomic), and the
// frames for members published on one channel per conference. Commands run
// on the server's thread with short time-outs; the subscription reads on a
// thread of its own and hands messages to the server's thread.
#include <hiredis/hiredis.h>

#include <asio.hpp>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <thread>

#include "conference_backend.h"

namespace kvx::server {

class ServerLog;

struct RedisAddress {
  std::string host;
  int port = 6379;
  int db = 0;
};
// redis://HOST:PORT[/DB]; false with `error` set.
bool parseRedisAddress(const std::string& url, RedisAddress& address, std::string& error);

struct ReplyFree {
  void operator()(redisReply* reply) const { freeReplyObject(reply); }
};
using RedisReply = std::unique_ptr<redisReply, ReplyFree>;

class RedisBackend : public ConferenceBackend {
 public:
  using Deliver = std::function<void(const std::string& key, const Delivery&)>;
  RedisBackend(asio::io_context& io, RedisAddress address, std::string password, std::string node,
               const ServerLog& log, Deliver deliver, std::function<void()> reconnected);
  ~RedisBackend() override;

  JoinResult join(const std::string& key, const std::string& member, bool create, const JoinLimits& limits) override;
  void name(const std::string& key, const std::string& member, const std::string& pseudonym) override;
  std::vector<std::string> pseudonyms(const std::string& key) override;
  Departure leave(const std::string& key, const std::string& member) override;
  MasterRequest wantMaster(const std::string& key, const std::string& member) override;
  std::string answerRelease(const std::string& key, const std::string& member, bool accepted) override;
  void publish(const std::string& key, const Delivery& delivery) override;

  // One command; null when Redis cannot be reached (then retried after a
  // growing pause).
  RedisReply command(const std::vector<std::string>& args);
  // Writes back a local member after Redis lost its state.
  void restore(const std::string& key, const std::string& member, const std::string& pseudonym, bool master);
  bool connected() const { return context_ != nullptr; }
  const std::string& node() const { return node_; }

 private:
  bool connect();
  RedisReply commandOnce(const std::vector<std::string>& args);
  RedisReply script(const char* body, const std::vector<std::string>& args);
  void subscribe();
  void markDown(const std::string& why);
  // Reads the answers of pipelined publishes; false when the link broke.
  bool drainPublishes();

  asio::io_context& io_;
  RedisAddress address_;
  std::string password_;
  std::string node_;
  const ServerLog& log_;
  Deliver deliver_;
  std::function<void()> reconnected_;
  redisContext* context_ = nullptr;
  bool everConnected_ = false;
  int unreadPublishes_ = 0;
  std::map<std::string, long long> joinStamps_;  // of local members, for the write-back
  std::chrono::milliseconds backoff_{0};
  std::chrono::steady_clock::time_point nextAttempt_{};
  std::atomic<bool> stopping_{false};
  // Frames published while not subscribed would be lost to this node's
  // members: no logins then.
  std::atomic<bool> subscribed_{false};
  std::thread subscriber_;
};

}  // namespace kvx::server
