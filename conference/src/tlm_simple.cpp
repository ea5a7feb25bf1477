#include "byte_stream.h"
#include "services/debuglog.h"
#include "tlm_messages.h"

namespace kvx::conf {

int TlmSimple::serialize(ByteStream& stream) {
  if (stream.int32(value) < 0 || stream.uint32(seq) < 0) {
    KVX_LOG(LOG_ERROR, "TlmSimple::serialize: io failed\n");
    return -1;
  }
  return 0;
}

}  // namespace kvx::conf
