#pragma once
// Input bytes as a file, for readers that take a path.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace kvx::fuzz {

// A folder of this process's own under $TMPDIR (or /tmp), made once and
// removed at exit. Kept alive past static destruction for that.
inline const std::string& scratchFolder() {
  static const std::string* folder = [] {
    const char* tmp = std::getenv("TMPDIR");
    auto* path = new std::string(std::string(tmp && *tmp ? tmp : "/tmp") + "/kvx-fuzz-XXXXXX");
    if (!mkdtemp(path->data()))
      path->clear();
    else
      std::atexit([] { std::filesystem::remove_all(scratchFolder()); });
    return path;
  }();
  return *folder;
}

// Writes the bytes to the file `name` in the scratch folder; its path, or
// empty when it cannot be written.
inline std::string inputFile(const std::string& name, const uint8_t* data, size_t size) {
  if (scratchFolder().empty()) return {};
  const std::string path = scratchFolder() + "/input" + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return {};
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written ? path : std::string();
}

}  // namespace kvx::fuzz
