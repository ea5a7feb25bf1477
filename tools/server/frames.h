#pragma once
// Frames as the server queues them: built once, shared by every recipient.
#include <cstdint>
#include <memory>
#include <vector>

namespace kvx::conf {
class TlmData;
}

namespace kvx::server {

using Frame = std::shared_ptr<const std::vector<uint8_t>>;

// The wire bytes of a message object; null when it cannot be serialised.
Frame buildFrame(int type, conf::TlmData& message);
// A received frame passed on as it came, with its padding zeroed.
Frame copyFrame(int type, const uint8_t* payload, int length);

}  // namespace kvx::server
