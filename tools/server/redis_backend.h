#pragma once
// Conference state shared by several nodes in Redis: the registry, members,
// pseudonyms and master role changed by small Lua scripts (atomic), and the
// frames for members published on one channel per conference, which a node
// subscribes to while it holds members of that conference. Commands run on
// the server's thread with short time-outs; the subscription link is driven
// by a thread of its own (subscriber.h), which hands messages back to the
// server's thread.
#include <asio.hpp>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>

#include "conference_backend.h"
#include "redis_link.h"

namespace kvx::server {

class ServerLog;

class Subscriber;

class RedisBackend : public ConferenceBackend {
 public:
  using Deliver = std::function<void(const std::string& key, const Delivery&)>;
  RedisBackend(asio::io_context& io, RedisAddress address, std::string password, std::string node,
               const ServerLog& log, Deliver deliver, std::function<void()> reconnected);
  ~RedisBackend() override;

  void whenHeard(const std::string& key, std::function<void(bool heard)> then) override;
  bool announcesJoins() const override { return true; }
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
  // For the status line: "connected", "unreachable", "refusing our
  // password" or "subscription lost".
  std::string state() const;
  size_t subscriptions() const { return channels_.size(); }
  const std::string& node() const { return node_; }

 private:
  // A conference this node holds members of, or has logins waiting for.
  struct Channel {
    enum State { kPending, kHeard, kUnheard } state = kPending;
    uint64_t want = 0;                            // the request that subscribed it
    std::map<std::string, long long> members;   // local members by join stamp
    std::vector<std::function<void(bool)>> waiting;
    std::deque<std::pair<std::string, Delivery>> held;  // published while pending
  };

  bool connect();
  RedisReply commandOnce(const std::vector<std::string>& args);
  RedisReply script(const char* body, const std::vector<std::string>& args);
  void markDown(const std::string& why);
  // Reads the answers of pipelined publishes; false when the link broke.
  bool drainPublishes();
  bool send(const std::string& key, const Delivery& delivery);
  void releaseIfUnused(const std::string& key);
  void onLinkUp(uint64_t generation);
  void onLinkDown();
  void onHeard(const std::string& key, uint64_t want);

  asio::io_context& io_;
  RedisAddress address_;
  std::string password_;
  std::string node_;
  const ServerLog& log_;
  Deliver deliver_;
  std::function<void()> reconnected_;
  redisContext* context_ = nullptr;
  bool everConnected_ = false;
  bool passwordRefused_ = false;
  bool timedOut_ = false;  // the last command waited past its time-out
  int unreadPublishes_ = 0;
  std::chrono::milliseconds backoff_{0};
  std::chrono::steady_clock::time_point nextAttempt_{};
  std::map<std::string, Channel> channels_;
  uint64_t lastWant_ = 0;
  // Frames published while not subscribed would be lost to this node's
  // members: no logins then.
  bool linkUp_ = false;
  bool everLinked_ = false;
  std::unique_ptr<Subscriber> subscriber_;
};

}  // namespace kvx::server
