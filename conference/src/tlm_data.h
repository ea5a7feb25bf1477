#pragma once
// Conference message objects: one class per message type, each with a
// single serialise routine that writes or reads depending on the stream.
#include <memory>
#include <string>

namespace kvx::conf {

class ByteStream;

// Frame type numbers.
enum TlmType : int {
  kTlmConnectNexus = 1,
  kTlmShout = 3,
  kTlmWantMaster = 4,
  kTlmReleaseMaster = 5,
  kTlmNowMaster = 6,
  kTlmFullManipInfo = 7,
  kTlmViewAck = 8,
};

constexpr int kProtocolLevel = 3;

class TlmData {
 public:
  virtual ~TlmData() = default;
  // 0, or -1 when the stream fails.
  virtual int serialize(ByteStream& stream) = 0;
  // A description for the debug log.
  virtual std::string dump() const { return {}; }
};

// An empty object of the class that a frame type carries; null for types
// without a message class.
std::unique_ptr<TlmData> makeMessageObject(int type);

}  // namespace kvx::conf
