#include "redis_link.h"

#include <charconv>

namespace kvx::server {

namespace {
timeval toTimeval(std::chrono::milliseconds ms) {
  return {static_cast<time_t>(ms.count() / 1000), static_cast<suseconds_t>(ms.count() % 1000 * 1000)};
}
}  // namespace

bool parseRedisAddress(const std::string& url, RedisAddress& address, std::string& error) {
  error = "--redis takes redis://HOST:PORT[/DB], not \"" + url + "\"";
  const std::string scheme = "redis://";
  if (url.rfind(scheme, 0) != 0) return false;
  std::string rest = url.substr(scheme.size());
  if (const size_t slash = rest.find('/'); slash != std::string::npos) {
    const std::string db = rest.substr(slash + 1);
    const auto [end, failure] = std::from_chars(db.data(), db.data() + db.size(), address.db);
    if (failure != std::errc() || end != db.data() + db.size() || address.db < 0) return false;
    rest.resize(slash);
  }
  const size_t colon = rest.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  address.host = rest.substr(0, colon);
  const std::string port = rest.substr(colon + 1);
  const auto [end, failure] = std::from_chars(port.data(), port.data() + port.size(), address.port);
  return failure == std::errc() && end == port.data() + port.size() && address.port > 0 && address.port < 65536;
}

redisContext* connectToRedis(const RedisAddress& address, const std::string& password, bool selectDb,
                             std::string& error) {
  redisContext* context = redisConnectWithTimeout(address.host.c_str(), address.port, toTimeval(kRedisTimeout));
  if (!context || context->err) {
    error = context ? context->errstr : "out of memory";
    if (context) redisFree(context);
    return nullptr;
  }
  redisSetTimeout(context, toTimeval(kRedisTimeout));
  auto check = [&](RedisReply reply) {
    if (reply && reply->type != REDIS_REPLY_ERROR) return true;
    error = reply ? std::string(reply->str, reply->len) : std::string(context->errstr);
    return false;
  };
  const bool ready =
      (password.empty() ||
       check(RedisReply(static_cast<redisReply*>(redisCommand(context, "AUTH %b", password.data(), password.size()))))) &&
      (!selectDb || address.db == 0 ||
       check(RedisReply(static_cast<redisReply*>(redisCommand(context, "SELECT %d", address.db))))) &&
      // A Redis that wants a password answers the first command with NOAUTH.
      check(RedisReply(static_cast<redisReply*>(redisCommand(context, "PING"))));
  if (!ready) {
    redisFree(context);
    return nullptr;
  }
  return context;
}

bool isPasswordError(const std::string& error) {
  return error.rfind("NOAUTH", 0) == 0 || error.rfind("WRONGPASS", 0) == 0 || error.find("AUTH") != std::string::npos;
}

std::string replyText(const redisReply* reply) {
  return reply && (reply->type == REDIS_REPLY_STRING || reply->type == REDIS_REPLY_STATUS)
             ? std::string(reply->str, reply->len)
             : std::string();
}

}  // namespace kvx::server
