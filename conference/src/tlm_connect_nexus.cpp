#include <algorithm>
#include <cstring>

#include "byte_stream.h"
#include "services/debuglog.h"
#include "tlm_messages.h"

namespace kvx::conf {

namespace {
void copyCut(uint8_t* field, int size, std::string_view text) {
  std::memset(field, 0, size);
  std::memcpy(field, text.data(), std::min(text.size(), static_cast<size_t>(size)));
}
}  // namespace

void TlmConnectNexus::setFileHash(std::string_view hash) { copyCut(fileHash, kHashSize, hash); }
void TlmConnectNexus::setPassword(std::string_view text) { copyCut(password, kPasswordSize, text); }

int TlmConnectNexus::serialize(ByteStream& stream) {
  bool failed = stream.int32(status) < 0 || stream.int32(protocolLevel) < 0 || stream.int32(masterFlag) < 0 ||
                stream.rawInto(fileHash, kHashSize) < 0 || stream.rawInto(password, kPasswordSize) < 0;
  for (int i = 0; i < kReservedWords && !failed; ++i) failed = stream.int32(reserved[i]) < 0;
  if (failed) {
    KVX_LOG(LOG_ERROR, "TlmConnectNexus::serialize: io failed\n");
    return -1;
  }
  return 0;
}

}  // namespace kvx::conf
