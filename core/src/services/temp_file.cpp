#include "services/temp_file.h"

#include <cstdio>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace kvx {

std::optional<TempFile> TempFile::beside(const std::string& target) {
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string pattern = folder + "." + name + ".XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd < 0) return std::nullopt;
  // mkstemp makes the file private; give it the mode a new file would get.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  close(fd);
  return TempFile(pattern);
}

TempFile::~TempFile() {
  if (!path_.empty()) unlink(path_.c_str());
}

bool TempFile::replace(const std::string& target) {
  struct stat existing;
  if (stat(target.c_str(), &existing) == 0) chmod(path_.c_str(), existing.st_mode & 07777);
  if (std::rename(path_.c_str(), target.c_str()) != 0) return false;
  path_.clear();
  return true;
}

}  // namespace kvx
