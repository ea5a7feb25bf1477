#include "redis_backend.h"

#include <cerrno>

#include "server_log.h"
#include "subscriber.h"

namespace kvx::server {

namespace {
constexpr auto kFirstBackoff = std::chrono::milliseconds(250);
constexpr auto kMaxBackoff = std::chrono::milliseconds(8000);
// Frames of one conference published while its subscription is confirmed.
constexpr size_t kMaxHeldFrames = 256;

// ARGV: key, member, create, max conferences, max members, member's node,
// join stamp (members are kept in join order, also across a write-back).
// The mark published on the conference's channel tells the member's node
// where the frames for the new member start: everything before it was
// published before the member joined.
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
redis.call('PUBLISH', 'kavrik:relay:' .. ARGV[1], ARGV[2] .. '\n\n')
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
}  // namespace

RedisBackend::RedisBackend(asio::io_context& io, RedisAddress address, std::string password, std::string node,
                           const ServerLog& log, Deliver deliver, std::function<void()> reconnected)
    : io_(io), address_(std::move(address)), password_(std::move(password)), node_(std::move(node)), log_(log),
      deliver_(std::move(deliver)), reconnected_(std::move(reconnected)) {
  connect();
  subscriber_ = std::make_unique<Subscriber>(
      io_, address_, password_,
      Subscriber::Events{[this](uint64_t generation) { onLinkUp(generation); }, [this] { onLinkDown(); },
                         [this](const std::string& key, uint64_t want) { onHeard(key, want); },
                         [this](const std::string& key, const Delivery& delivery) { deliver_(key, delivery); }});
  // Logins start once this node hears the others (or Redis is found away).
  for (int waited = 0; waited < 2000 && !subscriber_->linked() && context_; waited += 10)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

RedisBackend::~RedisBackend() {
  subscriber_.reset();
  if (context_) redisFree(context_);
}

std::string RedisBackend::state() const {
  if (passwordRefused_) return "refusing our password";
  if (!context_) return "unreachable";
  return linkUp_ ? "connected" : "subscription lost";
}

bool RedisBackend::connect() {
  if (context_) return true;
  if (std::chrono::steady_clock::now() < nextAttempt_) return false;
  std::string error;
  context_ = connectToRedis(address_, password_, true, error);
  const std::string where = "Redis at " + address_.host + ":" + std::to_string(address_.port);
  if (!context_) {
    backoff_ = std::min(kMaxBackoff, backoff_.count() ? backoff_ * 2 : kFirstBackoff);
    nextAttempt_ = std::chrono::steady_clock::now() + backoff_;
    passwordRefused_ = isPasswordError(error);
    const std::string why =
        passwordRefused_ ? (password_.empty() ? " wants a password (set KAVRIK_REDIS_PASSWORD): "
                                              : " refused the password in KAVRIK_REDIS_PASSWORD: ")
                         : " unreachable: ";
    log_.write(kLogErrors, where + why + error + "; new logins refused, next attempt in " +
                               std::to_string(backoff_.count()) + " ms");
    return false;
  }
  backoff_ = std::chrono::milliseconds(0);
  passwordRefused_ = false;
  log_.write(kLogEvents, where + " connected");
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
  // Once more on a connection found dead, which never ran the command; not
  // after a time-out, when Redis may have run it (a join run twice would
  // leave a member behind).
  for (int attempt = 0; attempt < 2; ++attempt)
    if (RedisReply reply = commandOnce(args); reply || context_ || timedOut_) return reply;
  return nullptr;
}

RedisReply RedisBackend::commandOnce(const std::vector<std::string>& args) {
  timedOut_ = false;
  if (!connect() || !drainPublishes()) return nullptr;
  std::vector<const char*> argv;
  std::vector<size_t> lengths;
  for (const std::string& a : args) {
    argv.push_back(a.data());
    lengths.push_back(a.size());
  }
  RedisReply reply(static_cast<redisReply*>(
      redisCommandArgv(context_, static_cast<int>(argv.size()), argv.data(), lengths.data())));
  timedOut_ = !reply && context_->err == REDIS_ERR_IO && (errno == EAGAIN || errno == EWOULDBLOCK);
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

void RedisBackend::whenHeard(const std::string& key, std::function<void(bool heard)> then) {
  if (!linkUp_) {
    log_.write(kLogErrors, "Redis subscription unreachable; new logins refused until it is back");
    return then(false);
  }
  auto [channel, added] = channels_.try_emplace(key);
  if (added) {
    channel->second.want = ++lastWant_;
    subscriber_->want(key, channel->second.want);
  }
  if (channel->second.state == Channel::kHeard) return then(true);
  channel->second.waiting.push_back(std::move(then));
}

void RedisBackend::onHeard(const std::string& key, uint64_t want) {
  const auto channel = channels_.find(key);
  // An answer to an earlier request, overtaken by a release and a new one.
  if (channel == channels_.end() || channel->second.want != want || channel->second.state == Channel::kHeard) return;
  channel->second.state = Channel::kHeard;
  auto held = std::exchange(channel->second.held, {});
  for (const auto& [heldKey, delivery] : held) publish(heldKey, delivery);
  for (auto& then : std::exchange(channel->second.waiting, {})) then(true);
  releaseIfUnused(key);
}

void RedisBackend::onLinkUp(uint64_t generation) {
  linkUp_ = true;
  // Publishes already sent reach Redis before the new subscriptions, so
  // they are not heard twice: once here, once through the channel.
  if (context_) drainPublishes();
  for (auto& [key, channel] : channels_) channel.state = Channel::kPending;
  subscriber_->resubscribe(generation);
  if (everLinked_) {
    log_.write(kLogEvents, "Redis subscription back; logins accepted again");
    reconnected_();
  }
  everLinked_ = true;
}

void RedisBackend::onLinkDown() {
  linkUp_ = false;
  log_.write(kLogErrors, "Redis subscription lost; reconnecting");
  std::vector<std::string> keys;
  for (auto& [key, channel] : channels_) {
    channel.state = Channel::kUnheard;
    keys.push_back(key);
  }
  for (const std::string& key : keys) {
    const auto channel = channels_.find(key);
    if (channel == channels_.end()) continue;
    // Members still waiting for their mark hear their node's frames now.
    deliver_(key, {"", "", std::make_shared<const std::vector<uint8_t>>()});
    for (const auto& [heldKey, delivery] : std::exchange(channel->second.held, {})) publish(heldKey, delivery);
    for (auto& then : std::exchange(channel->second.waiting, {})) then(false);
    releaseIfUnused(key);
  }
}

void RedisBackend::releaseIfUnused(const std::string& key) {
  const auto channel = channels_.find(key);
  if (channel == channels_.end() || !channel->second.members.empty() || !channel->second.waiting.empty()) return;
  channels_.erase(channel);
  subscriber_->drop(key);
}

JoinResult RedisBackend::join(const std::string& key, const std::string& member, bool create,
                              const JoinLimits& limits) {
  const auto channel = channels_.find(key);
  if (channel == channels_.end()) return JoinResult::kUnavailable;
  const long long stamp = std::chrono::duration_cast<std::chrono::microseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
  const std::string outcome = replyText(script(kJoinScript, {key, member, create ? "1" : "0",
                                                             std::to_string(limits.maxConferences),
                                                             std::to_string(limits.maxMembers), nodeOf(member),
                                                             std::to_string(stamp)})
                                            .get());
  if (outcome == "joined") {
    channel->second.members[member] = stamp;
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
    for (size_t i = 0; i < reply->elements; ++i) names.push_back(replyText(reply->element[i]));
  return names;
}

Departure RedisBackend::leave(const std::string& key, const std::string& member) {
  Departure departure;
  if (const auto channel = channels_.find(key); channel != channels_.end() && channel->second.members.erase(member))
    releaseIfUnused(key);
  const RedisReply reply = script(kLeaveScript, {key, member, nodeOf(member)});
  if (reply && reply->type == REDIS_REPLY_ARRAY && reply->elements == 2) {
    departure.newMaster = replyText(reply->element[0]);
    departure.conferenceEnded = reply->element[1]->integer == 1;
  }
  return departure;
}

MasterRequest RedisBackend::wantMaster(const std::string& key, const std::string& member) {
  const RedisReply reply = script(kWantMasterScript, {key, member});
  if (!reply || reply->type != REDIS_REPLY_ARRAY || reply->elements != 2) return {};
  const std::string outcome = replyText(reply->element[0]);
  const std::string master = replyText(reply->element[1]);
  if (outcome == "already") return {MasterRequest::kAlreadyMaster, master};
  if (outcome == "granted") return {MasterRequest::kGranted, master};
  if (outcome == "pending") return {MasterRequest::kPending, master};
  return {MasterRequest::kForwarded, master};
}

std::string RedisBackend::answerRelease(const std::string& key, const std::string& member, bool accepted) {
  return replyText(script(kAnswerReleaseScript, {key, member, accepted ? "1" : "0"}).get());
}

void RedisBackend::restore(const std::string& key, const std::string& member, const std::string& pseudonym,
                           bool master) {
  long long stamp = 0;
  if (const auto channel = channels_.find(key); channel != channels_.end())
    if (const auto found = channel->second.members.find(member); found != channel->second.members.end())
      stamp = found->second;
  script(kRestoreScript, {key, member, nodeOf(member), pseudonym, master ? "1" : "0", std::to_string(stamp)});
}

bool RedisBackend::send(const std::string& key, const Delivery& delivery) {
  std::string message = delivery.to + "\n" + delivery.except + "\n";
  message.append(delivery.frame->begin(), delivery.frame->end());
  // Publishes are pipelined: the relay never waits for Redis's answer,
  // which is read before the next other command or after a batch.
  constexpr int kMaxUnreadPublishes = 256;
  const std::string channel = kRelayChannelPrefix + key;
  const char* argv[] = {"PUBLISH", channel.data(), message.data()};
  const size_t lengths[] = {7, channel.size(), message.size()};
  if (!connect() || redisAppendCommandArgv(context_, 3, argv, lengths) != REDIS_OK) return false;
  for (int done = 0; !done;) {
    if (redisBufferWrite(context_, &done) != REDIS_OK) {
      markDown(context_->errstr);
      return false;
    }
  }
  if (++unreadPublishes_ >= kMaxUnreadPublishes) drainPublishes();
  return true;
}

void RedisBackend::publish(const std::string& key, const Delivery& delivery) {
  const auto channel = channels_.find(key);
  if (channel != channels_.end() && channel->second.state == Channel::kPending) {
    // Sent once the channel is heard, so that this node's members get it
    // through the channel, in its place among the others' frames.
    if (channel->second.held.size() < kMaxHeldFrames)
      channel->second.held.emplace_back(key, delivery);
    else
      log_.write(kLogRefusals, "frame for a conference dropped: its subscription is still being made");
    return;
  }
  const bool sent = send(key, delivery);
  // Without the channel this node's members hear only each other.
  if (channel != channels_.end() && (!sent || channel->second.state == Channel::kUnheard)) deliver_(key, delivery);
}

}  // namespace kvx::server
