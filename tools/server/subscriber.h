#pragma once
// The subscription link to Redis: one connection in subscribe mode, driven
// by a thread of its own, subscribed to exactly the channels of the
// conferences the server thread asks for. Requests are sent in the order
// they were made; a conference counts as heard once Redis confirmed its
// latest request, and then every frame published later reaches this node.
// All events are posted to the server's thread.
#include <asio.hpp>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "conference_backend.h"
#include "redis_link.h"

namespace kvx::server {

class Subscriber {
 public:
  struct Events {
    // A new connection (a new `generation`); nothing is subscribed until
    // resubscribe(generation).
    std::function<void(uint64_t generation)> linkUp;
    std::function<void()> linkDown;
    // The subscription asked for by want(key, id) is in effect.
    std::function<void(const std::string& key, uint64_t id)> heard;
    std::function<void(const std::string& key, const Delivery& delivery)> message;
  };

  Subscriber(asio::io_context& io, RedisAddress address, std::string password, Events events);
  ~Subscriber();
  Subscriber(const Subscriber&) = delete;
  Subscriber& operator=(const Subscriber&) = delete;

  void want(const std::string& key, uint64_t id) { request({Intent::kWant, key, id}); }
  void drop(const std::string& key) { request({Intent::kDrop, key, 0}); }
  // Subscribes the new connection to every conference wanted.
  void resubscribe(uint64_t generation) { request({Intent::kResubscribe, "", generation}); }
  bool linked() const { return linked_; }

 private:
  struct Intent {
    enum Kind { kWant, kDrop, kResubscribe } kind;
    std::string key;
    uint64_t id;
  };

  void request(Intent intent);
  void run();
  void waitBeforeRetry(std::chrono::milliseconds pause);
  // Each false when the connection broke.
  bool applyIntents();
  bool sendCommand(const char* verb, const std::string& key);
  bool readReplies();
  void handle(const redisReply& reply);

  asio::io_context& io_;
  RedisAddress address_;
  std::string password_;
  Events events_;
  int wake_ = -1;  // eventfd: requests waiting, or stopping
  std::mutex mutex_;
  std::deque<Intent> intents_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> linked_{false};

  // The thread's own.
  redisContext* context_ = nullptr;
  uint64_t generation_ = 0;
  bool ready_ = false;                      // resubscribed on this connection
  std::map<std::string, uint64_t> wanted_;  // key -> id of the request
  std::map<std::string, int> unanswered_;   // requests sent per key, not yet confirmed
  std::thread thread_;
};

}  // namespace kvx::server
