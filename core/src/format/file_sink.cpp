#include "format/file_sink.h"

#include "services/debuglog.h"

#include <cerrno>

#include <sys/stat.h>

namespace kvx {

KvxFileSink::KvxFileSink(const std::string& fileName) {
  // Only a plain file (or a link) is replaced; a device or pipe is written into.
  struct stat info;
  if (lstat(fileName.c_str(), &info) == 0 && (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)))
    std::remove(fileName.c_str());
  file_ = std::fopen(fileName.c_str(), "wb");
  if (!file_) error_ = SINK_OPEN_FAILED;
}

KvxFileSink::~KvxFileSink() { close(); }

bool KvxFileSink::put(const void* data, int32_t length) {
  bytesIn_ += length;
  if (!file_ || length < 0) {
    error_ = SINK_WRITE_FAILED;
    return false;
  }
  if (std::fwrite(data, 1, static_cast<size_t>(length), file_) != static_cast<size_t>(length)) {
    KVX_LOG(LOG_ERROR, "KvxFileSink::put: fwrite failed, errno %d\n", errno);
    error_ = SINK_WRITE_FAILED;
    return false;
  }
  bytesOut_ += length;
  return true;
}

bool KvxFileSink::putAtStart(const void* data, int32_t length) {
  if (!file_ || length < 0) {
    error_ = SINK_WRITE_FAILED;
    return false;
  }
  if (std::fseek(file_, 0, SEEK_SET) != 0)
    KVX_LOG(LOG_ERROR, "KvxFileSink::putAtStart: fseek errno %d\n", errno);
  bool written = std::fwrite(data, 1, static_cast<size_t>(length), file_) == static_cast<size_t>(length);
  if (!written) {
    KVX_LOG(LOG_ERROR, "KvxFileSink::putAtStart: fwrite errno %d\n", errno);
    error_ = SINK_WRITE_FAILED;
  }
  std::fseek(file_, 0, SEEK_END);
  return written;
}

bool KvxFileSink::flush() {
  if (!file_) return false;
  if (std::fflush(file_) != 0) {
    KVX_LOG(LOG_ERROR, "KvxFileSink::flush: fflush errno %d\n", errno);
    error_ = SINK_WRITE_FAILED;
    return false;
  }
  return true;
}

bool KvxFileSink::close() {
  if (!file_) return true;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!closed) error_ = SINK_WRITE_FAILED;
  return closed;
}

}  // namespace kvx
