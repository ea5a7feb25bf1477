#include "program_folder.h"

#include <unistd.h>

namespace kvx::tool {

std::filesystem::path programFolder() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return {};
  self[n] = 0;
  return std::filesystem::path(self).parent_path();
}

}  // namespace kvx::tool
