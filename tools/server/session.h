#pragma once
// One viewer's connection: reads frames within the conference limits,
// decodes them, and queues frames for it with a bound.
#include <array>
#include <asio.hpp>
#include <chrono>
#include <deque>
#include <memory>
#include <string>

#include "frames.h"
#include "tl_msg.h"

namespace kvx::conf {
class TlmData;
}

namespace kvx::server {

class ConferenceServer;
class Conference;

class Session : public std::enable_shared_from_this<Session> {
 public:
  // Frames queued for a member that stopped reading, before it is dropped.
  static constexpr size_t kMaxQueuedFrames = 256;

  Session(asio::ip::tcp::socket socket, ConferenceServer& server);

  void start(std::chrono::seconds loginTimeout);
  void send(const Frame& frame);
  // Sends the frames after `delay`, then goes on reading.
  void answerAfter(std::chrono::milliseconds delay, std::vector<Frame> frames);
  // Ends the connection; `reason` is logged when not empty.
  void drop(const std::string& reason);

  const std::string& peer() const { return peer_; }
  const std::string& address() const { return address_; }
  Conference* conference = nullptr;
  bool awaitingLogin = true;
  bool joining = false;  // login accepted for checks, waiting for the conference
  bool closed() const { return closed_; }
  bool named = false;
  bool isMaster = false;
  // Frames of the conference reach the member only from its join's mark on.
  bool hearing = true;
  // Names the member in the conference state shared by the nodes.
  std::string memberId;
  std::string pseudonym;
  uint32_t lastAck = 0;

 private:
  void readHeader();
  void readRest(int type, int size);
  void handle(int type, const uint8_t* payload, int length);
  void flush();
  void dropLater(const std::string& reason);

  asio::ip::tcp::socket socket_;
  ConferenceServer& server_;
  asio::steady_timer loginTimer_;
  asio::steady_timer answerTimer_;
  std::string peer_;
  std::string address_;
  std::array<uint8_t, conf::kMinFrameSize> head_{};
  std::vector<uint8_t> frame_;
  std::deque<Frame> queue_;
  size_t frontWritten_ = 0;  // bytes of the first queued frame already sent
  bool waitingToWrite_ = false;
  bool closed_ = false;
  bool paused_ = false;       // a refusal's answer is being held back
  bool overflowing_ = false;  // queue bound passed, drop pending
};

}  // namespace kvx::server
