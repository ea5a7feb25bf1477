#include "byte_stream.h"
#include "services/debuglog.h"
#include "tlm_messages.h"

namespace kvx::conf {

void TlmShout::setText(std::string_view text) {
  owned_.assign(text);
  text_ = owned_.c_str();
}

int TlmShout::serialize(ByteStream& stream) {
  if (stream.int32(kind) < 0 || stream.uint32(flags) < 0 || stream.stringRef(text_) < 0) {
    KVX_LOG(LOG_ERROR, "TlmShout::serialize: io failed\n");
    return -1;
  }
  return 0;
}

}  // namespace kvx::conf
