#pragma once
// One framed conference message: a 2-byte type, a 2-byte payload length
// (both big-endian), the payload, and zero padding up to 108 bytes. Frames
// are filled or drained step by step over a NetStream.
#include <cstdint>

namespace kvx::conf {

class NetStream;

constexpr int kFrameHeaderSize = 4;
constexpr int kMinFrameSize = 108;
// What a conference participant accepts; the defaults are wider.
constexpr int kConferenceMaxLength = 400;
constexpr int kConferenceMaxType = 10;
constexpr int kDefaultMaxLength = 32767;
constexpr int kDefaultMaxType = 32767;

// Process-wide limits on received frames.
void setReceiveLimits(int maxLength, int maxType);
int receiveMaxLength();
int receiveMaxType();

class TlMsg {
 public:
  // An empty message, ready to receive.
  TlMsg();
  // A built frame of `size` bytes (at least 108 allocated), taken over
  // from a std::malloc'ed block.
  TlMsg(uint8_t* block, int size);
  ~TlMsg();
  TlMsg(const TlMsg&) = delete;
  TlMsg& operator=(const TlMsg&) = delete;

  // One write of the remaining bytes; the count, or the connection's result
  // when that is 0 or negative.
  int writeStep(NetStream& connection);
  // One read of at most the remaining bytes; the count, or the connection's
  // result when that is 0 or negative, or -1 when the frame's header
  // exceeds the receive limits.
  int readStep(NetStream& connection);

  bool complete() const { return size_ != 0 && remaining() == 0; }
  int remaining() const { return static_cast<int>(base() + wireSize() - cursor_); }
  // 4 + payload length; 0 while unknown.
  int size() const { return size_; }
  int wireSize() const { return size_ > kMinFrameSize ? size_ : kMinFrameSize; }
  int type() const { return (base()[0] << 8) | base()[1]; }
  const uint8_t* frame() const { return base(); }
  const uint8_t* payload() const { return base() + kFrameHeaderSize; }
  int payloadLength() const { return size_ - kFrameHeaderSize; }
  // Whether the frame lives in a heap block rather than inline.
  bool onHeap() const { return heap_ != nullptr; }

 private:
  const uint8_t* base() const { return heap_ ? heap_ : inline_; }
  uint8_t* base() { return heap_ ? heap_ : inline_; }
  bool afterRead();

  uint8_t inline_[kMinFrameSize] = {};
  uint8_t* heap_ = nullptr;
  int size_ = 0;
  uint8_t* cursor_;
  bool ownsHeap_ = false;
};

// Sends a whole frame (output events off meanwhile); 0, or -1 on failure.
int sendFrame(NetStream& connection, TlMsg& message);
// Receives one whole frame into an empty message; 0, or -1 on failure.
int receiveFrame(NetStream& connection, TlMsg& message);

}  // namespace kvx::conf
