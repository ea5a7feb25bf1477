#include "file_checks.h"

#include "scene/scene.h"
#include "services/load_errors.h"

#include <filesystem>
#include <system_error>

namespace kvx::tool {

std::optional<std::string> outputFolderProblem(const std::string& out) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(out).parent_path();
  if (folder.empty()) return std::nullopt;
  std::error_code error;
  const fs::file_status status = fs::status(folder, error);
  if (!fs::exists(status))
    return "the folder '" + folder.string() + "' does not exist; create it first (mkdir -p " + folder.string() + ")";
  if (!fs::is_directory(status)) return "'" + folder.string() + "' is not a folder";
  return std::nullopt;
}

std::string readProblem(int result, const std::string& passOption) {
  if (result == FILE_NEEDS_PASS) return "the file is enciphered; give its pass phrase with " + passOption + " PHRASE";
  return loadErrorText(result);
}

}  // namespace kvx::tool
