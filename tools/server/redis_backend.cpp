#include "redis_backend.h"

#include <poll.h>

#include <charconv>

#include "server_log.h"

namespace kvx::server {

namespace {
constexpr auto kCommandTimeout = std::chrono::milliseconds(1000);
constexpr auto kFirstBackoff = std::chrono::milliseconds(250);
constexpr auto kMaxBackoff = std::chrono::milliseconds(8000);
const std::string kChannelPrefix = "kavrik:relay:";

// ARGV: key, member, create, max conferences, max members, member's node,
// join stamp (members are kept in join order, also across a write-back).
const char* const kJoinScript = R"(
local conf = 'kavrik:conf:' .. ARGV[1]
local exists = redis.call('EXISTS', conf) == 1
if ARGV[3] == '1' then
  if exists then return 'exists' end
  if redis.call('SCARD', 'kavrik:conferences') >= tonumber(ARGV[4]) then return 'server-full' end
  redis.call('HSET', conf, 'created', '1', 'master', ARGV[2])
  redis.call('SADD', 'kavrik:conferences', ARGV[1])
else
  if not exists then return 'missing' end
  if redis.call('ZCARD', conf .. ':members') >= tonumber(ARGV[5]) then return 'conference-full' end
end
redis.call('ZADD', conf .. ':members', ARGV[7], ARGV[2])
redis.call('SADD', 'kavrik:node:' .. ARGV[6] .. ':members', ARGV[1] .. ' ' .. ARGV[2])
return 'joined')";

// ARGV: key, member, member's node. Returns {new master or '', ended}.
const char* const kLeaveScript = R"(
local conf = 'kavrik:conf:' .. ARGV[1]
redis.call('ZREM', conf .. ':members', ARGV[2])
redis.call('HDEL', conf .. ':names', ARGV[2])
redis.call('SREM', 'kavrik:node:' .. ARGV[3] .. ':members', ARGV[1] .. ' ' .. ARGV[2])
local requester = redis.call('HGET', conf, 'requester')
if requester == ARGV[2] then
  redis.call('HDEL', conf, 'requester')
  requester = false
end
local moved = ''
if redis.call('HGET', conf, 'master') == ARGV[2] then
  redis.call('HDEL', conf, 'master', 'requester')
  if requester then
    redis.call('HSET', conf, 'master', requester)
    moved = requester
  end
end
if redis.call('ZCARD', conf .. ':members') == 0 then
  redis.call('DEL', conf, conf .. ':members', conf .. ':names')
  redis.call('SREM', 'kavrik:conferences', ARGV[1])
  return {moved, 1}
end
return {moved, 0})";

// ARGV: key, member. Returns {outcome, master}.
const char* const kWantMasterScript = R"(
local conf = 'kavrik:conf:' .. ARGV[1]
local master = redis.call('HGET', conf, 'master')
if master == ARGV[2] then return {'already', master} end
if not master then
  redis.call('HSET', conf, 'master', ARGV[2])
  return {'granted', ARGV[2]}
end
if redis.call('HEXISTS', conf, 'requester') == 1 then return {'pending', master} end
redis.call('HSET', conf, 'requester', ARGV[2])
return {'forwarded', master})";

// ARGV: key, member, accepted. Returns the requester or ''.
const char* const kAnswerReleaseScript = R"(
local conf = 'kavrik:conf:' .. ARGV[1]
if redis.call('HGET', conf, 'master') ~= ARGV[2] then return '' end
local requester = redis.call('HGET', conf, 'requester')
if not requester then return '' end
redis.call('HDEL', conf, 'requester')
if ARGV[3] == '1' then redis.call('HSET', conf, 'master', requester) end
return requester)";

// ARGV: key. Pseudonyms in join order.
const char* const kPseudonymsScript = R"(
local conf = 'kavrik:conf:' .. ARGV[1]
local names = {}
for _, member in ipairs(redis.call('ZRANGE', conf .. ':members', 0, -1)) do
  local name = redis.call('HGET', conf .. ':names', member)
  if name then names[#names + 1] = name end
end
return names)";

// ARGV: key, member, member's node, pseudonym or '', master '1'/'0', join stamp.
const char* const kRestoreScript = R"(
local conf = 'kavrik:conf:' .. ARGV[1]
redis.call('HSET', conf, 'created', '1')
redis.call('SADD', 'kavrik:conferences', ARGV[1])
redis.call('ZADD', conf .. ':members', 'NX', ARGV[6], ARGV[2])
if ARGV[4] ~= '' then redis.call('HSET', conf .. ':names', ARGV[2], ARGV[4]) end
redis.call('SADD', 'kavrik:node:' .. ARGV[3] .. ':members', ARGV[1] .. ' ' .. ARGV[2])
if ARGV[5] == '1' and redis.call('HEXISTS', conf, 'master') == 0 then redis.call('HSET', conf, 'master', ARGV[2]) end
return 1)";

std::string nodeOf(const std::string& member) { return member.substr(0, member.rfind('/')); }

std::string str(const redisReply* reply) {
  return reply && (reply->type == REDIS_REPLY_STRING || reply->type == REDIS_REPLY_STATUS)
             ? std::string(reply->str, reply->len)
             : std::string();
}

timeval toTimeval(std::chrono::milliseconds ms) {
  return {static_cast<time_t>(ms.count() / 1000), static_cast<suseconds_t>(ms.count() % 1000 * 1000)};
}

redisContext* connectTo(const RedisAddress& address, const std::string& password, bool selectDb, std::string& error) {
  redisContext* context = redisConnectWithTimeout(address.host.c_str(), address.port, toTimeval(kCommandTimeout));
  if (!context || context->err) {
    error = context ? context->errstr : "out of memory";
    if (context) redisFree(context);
    return nullptr;
  }
  redisSetTimeout(context, toTimeval(kCommandTimeout));
  auto check = [&](RedisReply reply) {
    if (reply && reply->type != REDIS_REPLY_ERROR) return true;
    error = reply ? std::string(reply->str, reply->len) : std::string(context->errstr);
    return false;
  };
  if (!password.empty() &&
      !check(RedisReply(static_cast<redisReply*>(redisCommand(context, "AUTH %b", password.data(), password.size()))))) {
    redisFree(context);
    return nullptr;
  }
  if (selectDb && address.db != 0 &&
      !check(RedisReply(static_cast<redisReply*>(redisCommand(context, "SELECT %d", address.db))))) {
    redisFree(context);
    return nullptr;
  }
  return context;
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

RedisBackend::RedisBackend(asio::io_context& io, RedisAddress address, std::string password, std::string node,
                           const ServerLog& log, Deliver deliver, std::function<void()> reconnected)
    : io_(io), address_(std::move(address)), password_(std::move(password)), node_(std::move(node)), log_(log),
      deliver_(std::move(deliver)), reconnected_(std::move(reconnected)) {
  connect();
  subscriber_ = std::thread([this] { subscribe(); });
  // Logins start once this node hears the others (or Redis is found away).
  for (int waited = 0; waited < 2000 && !subscribed_ && connected(); waited += 10)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

RedisBackend::~RedisBackend() {
  stopping_ = true;
  subscriber_.join();
  if (context_) redisFree(context_);
}

bool RedisBackend::connect() {
  if (context_) return true;
  if (std::chrono::steady_clock::now() < nextAttempt_) return false;
  std::string error;
  context_ = connectTo(address_, password_, true, error);
  if (!context_) {
    backoff_ = std::min(kMaxBackoff, backoff_.count() ? backoff_ * 2 : kFirstBackoff);
    nextAttempt_ = std::chrono::steady_clock::now() + backoff_;
    log_.write(kLogErrors, "Redis at " + address_.host + ":" + std::to_string(address_.port) +
                               " unreachable: " + error + "; new logins refused, next attempt in " +
                               std::to_string(backoff_.count()) + " ms");
    return false;
  }
  backoff_ = std::chrono::milliseconds(0);
  log_.write(kLogEvents, "Redis at " + address_.host + ":" + std::to_string(address_.port) + " connected");
  if (everConnected_) asio::post(io_, reconnected_);
  everConnected_ = true;
  return true;
}

void RedisBackend::markDown(const std::string& why) {
  log_.write(kLogErrors, "Redis connection lost: " + why);
  redisFree(context_);
  context_ = nullptr;
  unreadPublishes_ = 0;
  // A connection found dead (Redis restarted, say) is tried again at once.
  backoff_ = std::chrono::milliseconds(0);
  nextAttempt_ = std::chrono::steady_clock::now();
}

bool RedisBackend::drainPublishes() {
  for (; unreadPublishes_ > 0; --unreadPublishes_) {
    void* reply = nullptr;
    if (redisGetReply(context_, &reply) != REDIS_OK) {
      markDown(context_->errstr);
      return false;
    }
    freeReplyObject(reply);
  }
  return true;
}

RedisReply RedisBackend::command(const std::vector<std::string>& args) {
  for (int attempt = 0; attempt < 2; ++attempt)
    if (RedisReply reply = commandOnce(args); reply || context_) return reply;
  return nullptr;
}

RedisReply RedisBackend::commandOnce(const std::vector<std::string>& args) {
  if (!connect() || !drainPublishes()) return nullptr;
  std::vector<const char*> argv;
  std::vector<size_t> lengths;
  for (const std::string& a : args) {
    argv.push_back(a.data());
    lengths.push_back(a.size());
  }
  RedisReply reply(static_cast<redisReply*>(
      redisCommandArgv(context_, static_cast<int>(argv.size()), argv.data(), lengths.data())));
  if (!reply) {
    markDown(context_->errstr);
    return nullptr;
  }
  if (reply->type == REDIS_REPLY_ERROR) {
    log_.write(kLogErrors, "Redis refused " + args.front() + ": " + std::string(reply->str, reply->len));
    return nullptr;
  }
  return reply;
}

RedisReply RedisBackend::script(const char* body, const std::vector<std::string>& args) {
  std::vector<std::string> all = {"EVAL", body, "0"};
  all.insert(all.end(), args.begin(), args.end());
  return command(all);
}

JoinResult RedisBackend::join(const std::string& key, const std::string& member, bool create,
                              const JoinLimits& limits) {
  if (!subscribed_) {
    log_.write(kLogErrors, "Redis subscription unreachable; new logins refused until it is back");
    return JoinResult::kUnavailable;
  }
  const long long stamp = std::chrono::duration_cast<std::chrono::microseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
  const std::string outcome = str(script(kJoinScript, {key, member, create ? "1" : "0",
                                                       std::to_string(limits.maxConferences),
                                                       std::to_string(limits.maxMembers), nodeOf(member),
                                                       std::to_string(stamp)})
                                      .get());
  if (outcome == "joined") {
    joinStamps_[member] = stamp;
    return JoinResult::kJoined;
  }
  if (outcome == "exists") return JoinResult::kExists;
  if (outcome == "missing") return JoinResult::kMissing;
  if (outcome == "server-full") return JoinResult::kServerFull;
  if (outcome == "conference-full") return JoinResult::kConferenceFull;
  return JoinResult::kUnavailable;
}

void RedisBackend::name(const std::string& key, const std::string& member, const std::string& pseudonym) {
  command({"HSET", "kavrik:conf:" + key + ":names", member, pseudonym});
}

std::vector<std::string> RedisBackend::pseudonyms(const std::string& key) {
  std::vector<std::string> names;
  const RedisReply reply = script(kPseudonymsScript, {key});
  if (reply && reply->type == REDIS_REPLY_ARRAY)
    for (size_t i = 0; i < reply->elements; ++i) names.push_back(str(reply->element[i]));
  return names;
}

Departure RedisBackend::leave(const std::string& key, const std::string& member) {
  Departure departure;
  joinStamps_.erase(member);
  const RedisReply reply = script(kLeaveScript, {key, member, nodeOf(member)});
  if (reply && reply->type == REDIS_REPLY_ARRAY && reply->elements == 2) {
    departure.newMaster = str(reply->element[0]);
    departure.conferenceEnded = reply->element[1]->integer == 1;
  }
  return departure;
}

MasterRequest RedisBackend::wantMaster(const std::string& key, const std::string& member) {
  const RedisReply reply = script(kWantMasterScript, {key, member});
  if (!reply || reply->type != REDIS_REPLY_ARRAY || reply->elements != 2) return {};
  const std::string outcome = str(reply->element[0]);
  const std::string master = str(reply->element[1]);
  if (outcome == "already") return {MasterRequest::kAlreadyMaster, master};
  if (outcome == "granted") return {MasterRequest::kGranted, master};
  if (outcome == "pending") return {MasterRequest::kPending, master};
  return {MasterRequest::kForwarded, master};
}

std::string RedisBackend::answerRelease(const std::string& key, const std::string& member, bool accepted) {
  return str(script(kAnswerReleaseScript, {key, member, accepted ? "1" : "0"}).get());
}

void RedisBackend::restore(const std::string& key, const std::string& member, const std::string& pseudonym,
                           bool master) {
  const auto stamp = joinStamps_.find(member);
  script(kRestoreScript, {key, member, nodeOf(member), pseudonym, master ? "1" : "0",
                          std::to_string(stamp == joinStamps_.end() ? 0 : stamp->second)});
}

void RedisBackend::publish(const std::string& key, const Delivery& delivery) {
  std::string message = delivery.to + "\n" + delivery.except + "\n";
  message.append(delivery.frame->begin(), delivery.frame->end());
  // Publishes are pipelined: the relay never waits for Redis's answer,
  // which is read before the next other command or after a batch.
  constexpr int kMaxUnreadPublishes = 256;
  const std::string channel = kChannelPrefix + key;
  const char* argv[] = {"PUBLISH", channel.data(), message.data()};
  const size_t lengths[] = {7, channel.size(), message.size()};
  bool sent = connect() && redisAppendCommandArgv(context_, 3, argv, lengths) == REDIS_OK;
  for (int done = 0; sent && !done;) {
    if (redisBufferWrite(context_, &done) != REDIS_OK) {
      markDown(context_->errstr);
      sent = false;
    }
  }
  if (sent && ++unreadPublishes_ >= kMaxUnreadPublishes) drainPublishes();
  // Without Redis the local members still hear each other.
  if (!sent || !subscribed_) deliver_(key, delivery);
}

void RedisBackend::subscribe() {
  auto backoff = kFirstBackoff;
  bool wasSubscribed = false;
  while (!stopping_) {
    std::string error;
    redisContext* context = connectTo(address_, password_, false, error);
    RedisReply reply;
    if (context) {
      const std::string pattern = kChannelPrefix + "*";
      reply.reset(static_cast<redisReply*>(redisCommand(context, "PSUBSCRIBE %b", pattern.data(), pattern.size())));
    }
    if (!reply) {
      if (context) redisFree(context);
      for (auto waited = std::chrono::milliseconds(0); waited < backoff && !stopping_; waited += kFirstBackoff)
        std::this_thread::sleep_for(kFirstBackoff);
      backoff = std::min(kMaxBackoff, backoff * 2);
      continue;
    }
    backoff = kFirstBackoff;
    subscribed_ = true;
    // A new subscription after a loss: Redis may have restarted empty.
    if (wasSubscribed)
      asio::post(io_, [this] {
        log_.write(kLogEvents, "Redis subscription back; logins accepted again");
        reconnected_();
      });
    wasSubscribed = true;
    while (!stopping_) {
      void* raw = nullptr;
      if (redisGetReplyFromReader(context, &raw) != REDIS_OK) break;
      if (!raw) {
        pollfd waiter{context->fd, POLLIN, 0};
        if (poll(&waiter, 1, 200) > 0 && redisBufferRead(context) != REDIS_OK) break;
        continue;
      }
      RedisReply message(static_cast<redisReply*>(raw));
      // pmessage, pattern, channel, payload
      if (message->type != REDIS_REPLY_ARRAY || message->elements != 4 || str(message->element[0]) != "pmessage")
        continue;
      const std::string channel = str(message->element[2]);
      const std::string payload = str(message->element[3]);
      const size_t toEnd = payload.find('\n');
      const size_t exceptEnd = toEnd == std::string::npos ? toEnd : payload.find('\n', toEnd + 1);
      if (exceptEnd == std::string::npos || channel.size() <= kChannelPrefix.size()) continue;
      Delivery delivery{payload.substr(0, toEnd), payload.substr(toEnd + 1, exceptEnd - toEnd - 1),
                        std::make_shared<const std::vector<uint8_t>>(payload.begin() + exceptEnd + 1, payload.end())};
      asio::post(io_, [this, key = channel.substr(kChannelPrefix.size()), delivery = std::move(delivery)] {
        deliver_(key, delivery);
      });
    }
    subscribed_ = false;
    redisFree(context);
    if (!stopping_) asio::post(io_, [this] { log_.write(kLogErrors, "Redis subscription lost; reconnecting"); });
  }
}

}  // namespace kvx::server
