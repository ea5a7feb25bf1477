#include "subscriber.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace kvx::server {

namespace {
constexpr auto kFirstBackoff = std::chrono::milliseconds(250);
constexpr auto kMaxBackoff = std::chrono::milliseconds(8000);
constexpr int kPollMs = 200;
}  // namespace

Subscriber::Subscriber(asio::io_context& io, RedisAddress address, std::string password, Events events)
    : io_(io), address_(std::move(address)), password_(std::move(password)), events_(std::move(events)),
      wake_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), thread_([this] { run(); }) {}

Subscriber::~Subscriber() {
  stopping_ = true;
  const uint64_t one = 1;
  if (write(wake_, &one, sizeof one) < 0) {
    // The thread still sees stopping_ within one poll period.
  }
  thread_.join();
  if (context_) redisFree(context_);
  close(wake_);
}

void Subscriber::request(Intent intent) {
  {
    std::lock_guard lock(mutex_);
    intents_.push_back(std::move(intent));
  }
  const uint64_t one = 1;
  if (write(wake_, &one, sizeof one) < 0) {
    // Already signalled (the counter is full): the thread wakes anyway.
  }
}

void Subscriber::run() {
  auto backoff = kFirstBackoff;
  while (!stopping_) {
    std::string error;
    context_ = connectToRedis(address_, password_, false, error);
    if (!context_) {
      waitBeforeRetry(backoff);
      backoff = std::min(kMaxBackoff, backoff * 2);
      continue;
    }
    backoff = kFirstBackoff;
    ++generation_;
    ready_ = false;
    unanswered_.clear();
    linked_ = true;
    asio::post(io_, [this, generation = generation_] { events_.linkUp(generation); });
    while (!stopping_ && applyIntents() && readReplies()) {
      pollfd waiters[2] = {{context_->fd, POLLIN, 0}, {wake_, POLLIN, 0}};
      if (poll(waiters, 2, kPollMs) < 0 && errno != EINTR) break;
      if (waiters[0].revents && redisBufferRead(context_) != REDIS_OK) break;
    }
    linked_ = false;
    ready_ = false;
    redisFree(context_);
    context_ = nullptr;
    if (!stopping_) asio::post(io_, [this] { events_.linkDown(); });
  }
}

void Subscriber::waitBeforeRetry(std::chrono::milliseconds pause) {
  // Requests made meanwhile still change what is wanted.
  for (auto waited = std::chrono::milliseconds(0); waited < pause && !stopping_; waited += kFirstBackoff) {
    pollfd waiter{wake_, POLLIN, 0};
    poll(&waiter, 1, static_cast<int>(kFirstBackoff.count()));
    applyIntents();
  }
}

bool Subscriber::applyIntents() {
  std::deque<Intent> intents;
  {
    std::lock_guard lock(mutex_);
    intents.swap(intents_);
  }
  uint64_t count;
  if (read(wake_, &count, sizeof count) < 0) {
    // Nothing signalled since the last read.
  }
  for (const Intent& intent : intents) {
    switch (intent.kind) {
      case Intent::kWant:
        wanted_[intent.key] = intent.id;
        if (ready_ && !sendCommand("SUBSCRIBE", intent.key)) return false;
        break;
      case Intent::kDrop:
        wanted_.erase(intent.key);
        if (ready_ && !sendCommand("UNSUBSCRIBE", intent.key)) return false;
        break;
      case Intent::kResubscribe:
        if (!context_ || ready_ || intent.id != generation_) break;
        ready_ = true;
        for (const auto& [key, id] : wanted_)
          if (!sendCommand("SUBSCRIBE", key)) return false;
        break;
    }
  }
  return true;
}

bool Subscriber::sendCommand(const char* verb, const std::string& key) {
  const std::string channel = kRelayChannelPrefix + key;
  if (redisAppendCommand(context_, "%s %b", verb, channel.data(), channel.size()) != REDIS_OK) return false;
  ++unanswered_[key];
  for (int done = 0; !done;)
    if (redisBufferWrite(context_, &done) != REDIS_OK) return false;
  return true;
}

bool Subscriber::readReplies() {
  for (;;) {
    void* raw = nullptr;
    if (redisGetReplyFromReader(context_, &raw) != REDIS_OK) return false;
    if (!raw) return true;
    handle(*RedisReply(static_cast<redisReply*>(raw)));
  }
}

void Subscriber::handle(const redisReply& reply) {
  // {message, channel, payload} or {(un)subscribe, channel, count}
  if (reply.type != REDIS_REPLY_ARRAY || reply.elements != 3) return;
  const std::string kind = replyText(reply.element[0]);
  const std::string channel = replyText(reply.element[1]);
  if (channel.rfind(kRelayChannelPrefix, 0) != 0) return;
  std::string key = channel.substr(kRelayChannelPrefix.size());
  if (kind == "message") {
    const std::string payload = replyText(reply.element[2]);
    // to, except, frame (empty for a join's mark)
    const size_t toEnd = payload.find('\n');
    const size_t exceptEnd = toEnd == std::string::npos ? toEnd : payload.find('\n', toEnd + 1);
    if (exceptEnd == std::string::npos) return;
    Delivery delivery{payload.substr(0, toEnd), payload.substr(toEnd + 1, exceptEnd - toEnd - 1),
                      std::make_shared<const std::vector<uint8_t>>(payload.begin() + exceptEnd + 1, payload.end())};
    asio::post(io_, [this, key = std::move(key), delivery = std::move(delivery)] { events_.message(key, delivery); });
    return;
  }
  if (kind != "subscribe" && kind != "unsubscribe") return;
  // Answers come in the order of the requests: only the answer to the
  // latest one tells how the channel stands.
  const auto pending = unanswered_.find(key);
  if (pending == unanswered_.end() || --pending->second > 0) return;
  unanswered_.erase(pending);
  const auto wanted = wanted_.find(key);
  if (kind == "subscribe" && wanted != wanted_.end())
    asio::post(io_, [this, key = std::move(key), id = wanted->second] { events_.heard(key, id); });
}

}  // namespace kvx::server
