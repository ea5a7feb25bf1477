#include "format/comp_sink.h"

#include "services/debuglog.h"

#include <new>

namespace kvx {

KvxCompSink::KvxCompSink() {
  stream_.reset(new (std::nothrow) z_stream{});
  if (!stream_) {
    KVX_LOG(LOG_ERROR, "KvxCompSink::KvxCompSink: out of memory\n");
    return;
  }
  stream_->next_out = out_;
  stream_->avail_out = kChunk;
  const int status = deflateInit(stream_.get(), Z_DEFAULT_COMPRESSION);
  if (status != Z_OK) {
    KVX_LOG(LOG_ERROR, "KvxCompSink::KvxCompSink: deflateInit error %d\n", status);
    stream_.reset();
  }
}

KvxCompSink::~KvxCompSink() {
  if (stream_) deflateEnd(stream_.get());
}

bool KvxCompSink::passOn() {
  const int32_t produced = kChunk - static_cast<int32_t>(stream_->avail_out);
  stream_->next_out = out_;
  stream_->avail_out = kChunk;
  if (produced == 0) return true;
  bytesOut_ += produced;
  return next_ ? next_->put(out_, produced) : true;
}

bool KvxCompSink::deflateFailed(int status) {
  KVX_LOG(LOG_ERROR, "KvxCompSink::KvxCompSink: deflate() error %d\n", status);
  error_ = SINK_DEFLATE_FAILED;
  return false;
}

bool KvxCompSink::put(const void* data, int32_t length) {
  if (!stream_ || length < 0) return false;
  bytesIn_ += length;
  stream_->next_in = static_cast<Bytef*>(const_cast<void*>(data));
  stream_->avail_in = static_cast<uInt>(length);
  while (stream_->avail_in > 0) {
    const int status = deflate(stream_.get(), Z_NO_FLUSH);
    if (status != Z_OK && status != Z_BUF_ERROR) return deflateFailed(status);
    if (stream_->avail_out == 0 && !passOn()) return false;
  }
  return passOn();
}

bool KvxCompSink::flush() {
  if (!stream_) return false;
  stream_->next_in = nullptr;
  stream_->avail_in = 0;
  for (;;) {
    const int status = deflate(stream_.get(), Z_FINISH);
    if (status != Z_OK && status != Z_STREAM_END) return deflateFailed(status);
    if (!passOn()) return false;
    if (status == Z_STREAM_END) break;
  }
  return next_ ? next_->flush() : true;
}

}  // namespace kvx
