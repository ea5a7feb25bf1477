#include "platform/atomic_file.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace kvx {

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {}

AtomicFile::~AtomicFile() { discard(); }

bool AtomicFile::open(const char* mode) {
  discard();
  std::string templ = target_ + ".XXXXXX";
  int fd = mkstemp(templ.data());
  if (fd < 0) return false;
  // Keep the permissions an ordinary new file would get.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  stream_ = fdopen(fd, mode);
  if (!stream_) {
    close(fd);
    unlink(templ.c_str());
    return false;
  }
  temporary_ = templ;
  return true;
}

bool AtomicFile::commit() {
  if (!stream_) return false;
  bool ok = std::fflush(stream_) == 0 && !std::ferror(stream_) && fsync(fileno(stream_)) == 0;
  ok = std::fclose(stream_) == 0 && ok;
  stream_ = nullptr;
  if (ok) ok = std::rename(temporary_.c_str(), target_.c_str()) == 0;
  if (!ok) unlink(temporary_.c_str());
  temporary_.clear();
  return ok;
}

void AtomicFile::discard() {
  if (stream_) std::fclose(stream_);
  stream_ = nullptr;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace kvx
