#include "file_hash.h"

#include "services/digests.h"

#include <cstdio>
#include <memory>

namespace kvx::conf {

std::optional<std::string> fileHash(const std::string& path) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) return std::nullopt;
  Md4 digest;
  unsigned char block[512];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, file.get())) > 0) digest.update(block, n);
  if (std::ferror(file.get())) return std::nullopt;
  return toHex(digest.finish());
}

}  // namespace kvx::conf
