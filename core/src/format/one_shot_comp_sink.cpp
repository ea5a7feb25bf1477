#include "format/one_shot_comp_sink.h"

#include "format/deflate_buffer.h"
#include "services/debuglog.h"
#include "services/huge_pages.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace kvx {

KvxOneShotCompSink::~KvxOneShotCompSink() { std::free(buffer_); }

bool KvxOneShotCompSink::grow(size_t needed) {
  const size_t capacity = std::min(std::max({needed, capacity_ * 2, size_t(1) << 16}), gatherLimit_);
  auto* grown = static_cast<uint8_t*>(std::realloc(buffer_, capacity));
  if (!grown) return false;
  preferHugePages(grown + size_, capacity - size_);
  buffer_ = grown;
  capacity_ = capacity;
  return true;
}

bool KvxOneShotCompSink::startStreaming(const char* operation) {
  KVX_LOG(LOG_WARNING, "KvxOneShotCompSink::%s: deflating as a stream after %zu bytes\n", operation, size_);
  stream_ = std::make_unique<KvxCompSink>();
  if (!stream_->ready() || !stream_->setNext(next_)) {
    error_ = SINK_DEFLATE_FAILED;
    return false;
  }
  const bool handedOn = size_ == 0 || stream_->put(buffer_, static_cast<int32_t>(size_));
  std::free(buffer_);
  buffer_ = nullptr;
  size_ = capacity_ = 0;
  return handedOn;
}

bool KvxOneShotCompSink::put(const void* data, int32_t length) {
  if (length < 0) return false;
  if (length == 0) return true;
  bytesIn_ += length;
  if (stream_) return stream_->put(data, length);
  const size_t needed = size_ + static_cast<size_t>(length);
  if (needed > capacity_ && (needed > gatherLimit_ || !grow(needed)))
    return startStreaming("put") && stream_->put(data, length);
  std::memcpy(buffer_ + size_, data, static_cast<size_t>(length));
  size_ += static_cast<size_t>(length);
  return true;
}

bool KvxOneShotCompSink::setNext(KvxSink* next) {
  next_ = next;
  return !stream_ || stream_->setNext(next);
}

bool KvxOneShotCompSink::flush() {
  if (stream_) return stream_->flush();
  if (flushed_) return next_ ? next_->flush() : true;
  flushed_ = true;
  DeflatedBuffer deflated = deflateBuffer(buffer_, size_);
  if (!deflated.bytes) return startStreaming("flush") && stream_->flush();
  std::free(buffer_);
  buffer_ = nullptr;
  size_ = capacity_ = 0;
  for (size_t at = 0; at < deflated.length; at += kHandOnPiece) {
    const int32_t piece = static_cast<int32_t>(std::min(kHandOnPiece, deflated.length - at));
    bytesOut_ += piece;
    if (next_ && !next_->put(deflated.bytes.get() + at, piece)) return false;
  }
  return next_ ? next_->flush() : true;
}

int32_t KvxOneShotCompSink::bytesOut() const { return bytesOut_ + (stream_ ? stream_->bytesOut() : 0); }

int32_t KvxOneShotCompSink::errorCode() const {
  if (error_ != SINK_OK) return error_;
  if (stream_) return stream_->errorCode();
  return next_ ? next_->errorCode() : SINK_OK;
}

}  // namespace kvx
