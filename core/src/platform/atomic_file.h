#pragma once
// A file replaced as a whole: written to a temporary file in the target's
// folder and renamed over the target only on commit, so that a failed write
// (full disk, crash) leaves the previous file untouched.
#include <cstdio>
#include <string>

namespace kvx {

class AtomicFile {
 public:
  explicit AtomicFile(std::string target);
  ~AtomicFile();  // discards the temporary file unless committed
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file; mode "w" or "wb".
  bool open(const char* mode);
  FILE* stream() const { return stream_; }
  // Flushes, syncs and renames over the target; false when any step failed.
  bool commit();

 private:
  void discard();

  std::string target_;
  std::string temporary_;
  FILE* stream_ = nullptr;
};

}  // namespace kvx
