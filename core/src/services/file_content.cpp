#include "services/file_content.h"

#include "services/temp_file.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace kvx {

std::optional<std::string> readFileContent(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool replaceFileContent(const std::string& target, std::string_view content) {
  std::optional<TempFile> temporary = TempFile::beside(target);
  if (!temporary) return false;
  FILE* file = std::fopen(temporary->path().c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  ok = std::fflush(file) == 0 && ok;
  ok = std::fclose(file) == 0 && ok;
  return ok && temporary->replace(target);
}

}  // namespace kvx
