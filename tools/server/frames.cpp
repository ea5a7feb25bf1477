#include "frames.h"

#include "data_to_message.h"

namespace kvx::server {

Frame buildFrame(int type, conf::TlmData& message) {
  auto built = conf::dataToMessage(type, message);
  if (!built) return nullptr;
  return std::make_shared<const std::vector<uint8_t>>(built->frame(), built->frame() + built->wireSize());
}

Frame copyFrame(int type, const uint8_t* payload, int length) {
  std::vector<uint8_t> bytes(std::max(conf::kFrameHeaderSize + length, conf::kMinFrameSize), 0);
  bytes[0] = static_cast<uint8_t>(type >> 8);
  bytes[1] = static_cast<uint8_t>(type);
  bytes[2] = static_cast<uint8_t>(length >> 8);
  bytes[3] = static_cast<uint8_t>(length);
  std::copy(payload, payload + length, bytes.begin() + conf::kFrameHeaderSize);
  return std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
}

}  // namespace kvx::server
