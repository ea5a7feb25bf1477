#include "data_to_message.h"

#include <cstdlib>
#include <cstring>

#include "byte_stream.h"
#include "mem_buf.h"
#include "services/debuglog.h"
#include "tlm_data.h"

namespace kvx::conf {

std::unique_ptr<TlMsg> dataToMessage(int type, TlmData& object) {
  ByteStreamOut stream(new MemBuf, true);
  int16_t type16 = static_cast<int16_t>(type);
  int16_t lengthPlaceholder = 0;
  if (stream.int16(type16) < 0 || stream.int16(lengthPlaceholder) < 0 || object.serialize(stream) < 0) {
    KVX_LOG(LOG_ERROR, "dataToMessage: serialization failed, message type %d\n", type);
    return nullptr;
  }
  MemBuf& buffer = stream.sink();
  const int size = buffer.size();
  // A length that does not fit the 16-bit field would announce a shorter
  // frame than the one sent and desynchronise the receiver.
  if (size - kFrameHeaderSize > 0xffff) {
    KVX_LOG(LOG_ERROR, "dataToMessage: serialization failed, message type %d\n", type);
    return nullptr;
  }
  if (size < kMinFrameSize) {
    uint8_t* padding = buffer.reserve(kMinFrameSize - size);
    if (!padding) {
      KVX_LOG(LOG_ERROR, "dataToMessage: pad failed, message type %d\n", type);
      return nullptr;
    }
    std::memset(padding, 0, kMinFrameSize - size);
  }
  uint8_t* block = buffer.detach();
  if (!block) {
    KVX_LOG(LOG_ERROR, "dataToMessage: pad failed, message type %d\n", type);
    return nullptr;
  }
  const int length = size - kFrameHeaderSize;
  block[2] = static_cast<uint8_t>(length >> 8);
  block[3] = static_cast<uint8_t>(length);
  return std::make_unique<TlMsg>(block, size);
}

}  // namespace kvx::conf
