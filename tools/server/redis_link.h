#pragma once
// What both connections to Redis share: the address, the connection with
// its password check, and replies that free themselves.
#include <hiredis/hiredis.h>

#include <chrono>
#include <memory>
#include <string>

namespace kvx::server {

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

constexpr auto kRedisTimeout = std::chrono::milliseconds(1000);
const std::string kRelayChannelPrefix = "kavrik:relay:";

// Connects, authenticates with `password` when given, selects the database
// when `selectDb`, and checks that Redis answers; null with `error` set.
redisContext* connectToRedis(const RedisAddress& address, const std::string& password, bool selectDb,
                             std::string& error);
// True for Redis's answers to a missing or wrong password.
bool isPasswordError(const std::string& error);
// The text of a string or status reply; empty for other replies.
std::string replyText(const redisReply* reply);

}  // namespace kvx::server
