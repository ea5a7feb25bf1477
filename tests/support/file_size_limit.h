#pragma once
// Plays a full disk: while one lives, no file of this process can grow past
// the limit (the write fails instead of raising SIGXFSZ). Works for root,
// unlike permissions.
#include <csignal>
#include <sys/resource.h>

namespace kvx::test {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limited = old_;
    limited.rlim_cur = bytes;
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  void (*previousHandler_)(int) = nullptr;
};

}  // namespace kvx::test
