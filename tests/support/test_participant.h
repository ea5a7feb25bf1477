#pragma once
// A conference participant played by the tests with the conference library
// itself: connects, logs in, sends and reads frames.
#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "byte_stream.h"
#include "data_to_message.h"
#include "posix_net_stream.h"
#include "tl_msg.h"
#include "tlm_messages.h"

namespace kvx::test {

struct ReceivedFrame {
  int type = 0;
  std::vector<uint8_t> payload;

  template <class Message>
  Message decode() const {
    Message message;
    conf::ByteStreamIn in(payload.data(), payload.size());
    EXPECT_EQ(message.serialize(in), 0) << "type " << type;
    return message;
  }
};

class Participant {
 public:
  static constexpr const char* kHash = "0123456789abcdef";

  explicit Participant(const std::string& port, int timeoutMs = 3000) {
    std::string error;
    stream_ = conf::PosixNetStream::connect("127.0.0.1", port, timeoutMs, error);
    EXPECT_TRUE(stream_) << error;
  }

  bool connected() const { return stream_ != nullptr; }
  conf::PosixNetStream& stream() { return *stream_; }

  bool send(int type, conf::TlmData& message) {
    auto frame = conf::dataToMessage(type, message);
    return frame && conf::sendFrame(*stream_, *frame) == 0;
  }
  bool sendRaw(const std::string& bytes) {
    return stream_->write(bytes.data(), static_cast<int>(bytes.size())) == static_cast<int>(bytes.size());
  }

  // The login answer's status, or -1 when none came. Shouts that come
  // first (a notice, say) are kept in `notices`.
  int login(bool create, const std::string& password = "secret", const std::string& hash = kHash,
            int protocolLevel = conf::kProtocolLevel) {
    conf::TlmConnectNexus request;
    request.protocolLevel = protocolLevel;
    request.masterFlag = create ? 1 : 0;
    request.setFileHash(hash);
    request.setPassword(password);
    if (!send(conf::kTlmConnectNexus, request)) return -1;
    for (;;) {
      auto frame = receive();
      if (!frame) return -1;
      if (frame->type == conf::kTlmShout) {
        notices.push_back(frame->decode<conf::TlmShout>().text());
        continue;
      }
      if (frame->type != conf::kTlmConnectNexus) return -1;
      const auto answer = frame->decode<conf::TlmConnectNexus>();
      master = answer.masterFlag != 0;
      return answer.status;
    }
  }

  // Logs in and gives the pseudonym, as a viewer does.
  bool enter(bool create, const std::string& pseudonym, const std::string& password = "secret") {
    return login(create, password) == 0 && shout(conf::TlmShout::kJoined, 0, pseudonym);
  }

  bool shout(int32_t kind, uint32_t flags, const std::string& text) {
    conf::TlmShout message;
    message.kind = kind;
    message.flags = flags;
    message.setText(text);
    return send(conf::kTlmShout, message);
  }
  bool simple(int type, int32_t value, uint32_t seq = 0) {
    conf::TlmSimple message;
    message.value = value;
    message.seq = seq;
    return send(type, message);
  }
  bool viewState(uint32_t us, uint32_t flags = 0) {
    conf::TlmFullManipInfo view;
    view.us = us;
    view.nx = static_cast<float>(us);
    view.f = flags;
    return send(conf::kTlmFullManipInfo, view);
  }

  // The next frame, or nothing after the time-out or when the connection ends.
  std::optional<ReceivedFrame> receive(int timeoutMs = 3000) {
    stream_->setTimeout(timeoutMs);
    conf::TlMsg message;
    if (conf::receiveFrame(*stream_, message) < 0) return std::nullopt;
    return ReceivedFrame{message.type(), {message.payload(), message.payload() + message.payloadLength()}};
  }
  // The next shout as kind and text; kind -1 when another frame or none came.
  std::pair<int, std::string> nextShout(int timeoutMs = 3000) {
    auto frame = receive(timeoutMs);
    if (!frame || frame->type != conf::kTlmShout) return {-1, frame ? "type " + std::to_string(frame->type) : ""};
    const auto shout = frame->decode<conf::TlmShout>();
    return {shout.kind, shout.text()};
  }
  // The next frame's type and TlmSimple value; type -1 when none came.
  std::pair<int, int32_t> nextSimple(int timeoutMs = 3000) {
    auto frame = receive(timeoutMs);
    if (!frame) return {-1, 0};
    if (frame->type == conf::kTlmShout || frame->type == conf::kTlmConnectNexus ||
        frame->type == conf::kTlmFullManipInfo)
      return {frame->type, 0};
    return {frame->type, frame->decode<conf::TlmSimple>().value};
  }
  // Reads and drops frames until the server closes the connection; false
  // when it stays open for the whole time-out.
  bool waitClosed(int timeoutMs = 3000) {
    stream_->setTimeout(timeoutMs);
    char buffer[512];
    for (;;) {
      errno = 0;
      const int got = stream_->read(buffer, sizeof buffer);
      if (got == 0) return true;
      if (got < 0) return errno == ECONNRESET;
    }
  }
  // True when nothing arrives within the time.
  bool quiet(int timeoutMs = 200) { return !receive(timeoutMs); }
  void disconnect() { stream_.reset(); }

  bool master = false;
  std::vector<std::string> notices;

 private:
  std::unique_ptr<conf::PosixNetStream> stream_;
};

}  // namespace kvx::test
