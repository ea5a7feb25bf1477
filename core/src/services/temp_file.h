#pragma once
// A temporary file in the folder of a target file, removed unless it
// replaces the target. Saving through one never destroys the previous file.
#include <optional>
#include <string>
#include <utility>

namespace kvx {

class TempFile {
 public:
  // A new empty file named after the target in the target's folder;
  // nothing when it cannot be created there.
  static std::optional<TempFile> beside(const std::string& target);

  TempFile(TempFile&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }
  TempFile& operator=(TempFile&& other) noexcept {
    std::swap(path_, other.path_);
    return *this;
  }
  ~TempFile();

  const std::string& path() const { return path_; }
  // Renames the temporary file over the target, keeping the target's permissions when it existed.
  bool replace(const std::string& target);

 private:
  explicit TempFile(std::string path) : path_(std::move(path)) {}
  std::string path_;  // empty once moved into place
};

}  // namespace kvx
