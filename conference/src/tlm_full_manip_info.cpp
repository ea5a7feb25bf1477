#include <cstdio>

#include "byte_stream.h"
#include "services/debuglog.h"
#include "tlm_messages.h"

namespace kvx::conf {

namespace {
int floats(ByteStream& stream, float* values, int count) {
  for (int i = 0; i < count; ++i)
    if (stream.float32(values[i]) < 0) return -1;
  return 0;
}

int fields(ByteStream& stream, TlmFullManipInfo& m) {
  if (stream.int32(m.s) < 0 || stream.uint32(m.us) < 0 || stream.float32(m.nx) < 0 ||
      stream.float32(m.ny) < 0 || stream.float32(m.viewHeight) < 0 || stream.float32(m.tx) < 0 ||
      stream.float32(m.ty) < 0 || floats(stream, m.q, 4) < 0 || stream.float32(m.z) < 0 ||
      floats(stream, m.bounds, 6) < 0 || stream.uint32(m.f) < 0)
    return -1;
  // The optional parts follow only when the flags announce them.
  if ((m.f & TlmFullManipInfo::kCutActive) && stream.float32(m.cp) < 0) return -1;
  if ((m.f & TlmFullManipInfo::kMeasurePresent) && floats(stream, m.measure, 6) < 0) return -1;
  if ((m.f & TlmFullManipInfo::kAnnotationPanelOpen) && stream.int16(m.camera) < 0) return -1;
  return 0;
}
}  // namespace

int TlmFullManipInfo::serialize(ByteStream& stream) {
  if (fields(stream, *this) < 0) {
    KVX_LOG(LOG_ERROR, "TlmFullManipInfo::serialize: io failed\n");
    return -1;
  }
  return 0;
}

std::string TlmFullManipInfo::dump() const {
  char text[512];
  std::snprintf(text, sizeof text,
                "s %d us %u nx %.2f ny %.2f tx %.2f ty %.2f q1 %.2f q2 %.2f q3 %.2f q4 %.2f z %.2f f 0x%x cp %f", s,
                us, nx, ny, tx, ty, q[0], q[1], q[2], q[3], z, f, cp);
  return text;
}

}  // namespace kvx::conf
