#include "format/serializer.h"

#include "services/debuglog.h"

namespace kvx {

bool serializer::start_de(std::unique_ptr<uint8_t[]> buffer, int32_t size) {
  reset();
  if (!buffer || size <= 0) {
    KVX_LOG(LOG_ERROR, "serializer::start_de: NOTHING TO DESERIALIZE\n");
    return false;
  }
  buffer_ = std::move(buffer);
  size_ = size;
  return true;
}

const uint8_t* serializer::overrun(int32_t n) {
  if (!overrun_)  // one record is enough; a truncated payload would flood the log
    KVX_LOG(LOG_ERROR, "serialiser::getdataptr: empty! bsize %d, cur %d, cnt %d\n", size_, cursor_, n);
  overrun_ = true;
  return nullptr;
}

bool serializer::get_text(std::string& text) {
  uint8_t length = 0;
  if (!get_u8(length)) return false;
  const uint8_t* bytes = getdataptr(length);
  if (!bytes) return false;
  text.assign(reinterpret_cast<const char*>(bytes), length);
  return true;
}

bool serializer::end_deser() {
  const bool exact = cursor_ == size_ && !overrun_;
  if (!exact) KVX_LOG(LOG_ERROR, "serializer::end_deser: bad deserialisation size\n");
  reset();
  return exact;
}

void serializer::reset() {
  buffer_.reset();
  size_ = cursor_ = 0;
  overrun_ = false;
}

}  // namespace kvx
