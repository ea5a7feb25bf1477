#include "format/kvx_sink.h"

namespace kvx {

bool KvxSink::put(const void*, int32_t length) {
  bytesIn_ += length;
  bytesOut_ += length;
  return true;
}

bool KvxSink::putAtStart(const void*, int32_t) { return true; }

bool KvxSink::setNext(KvxSink* next) {
  next_ = next;
  return true;
}

bool KvxSink::flush() {
  if (!ready()) return false;
  return next_ ? next_->flush() : true;
}

int32_t KvxSink::errorCode() const {
  if (error_ != SINK_OK) return error_;
  return next_ ? next_->errorCode() : SINK_OK;
}

}  // namespace kvx
