#pragma once
// A model in a common format made into a temporary scene file, so that it
// can be opened as scene files are; the file goes with the object.
#include <optional>
#include <string>

namespace kvx::tool {

class ImportedSceneFile {
 public:
  // Imports `model`; nothing (with the reason in `error`) when that fails.
  static std::optional<ImportedSceneFile> from(const std::string& model, std::string& error);
  ImportedSceneFile(ImportedSceneFile&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }
  ImportedSceneFile& operator=(ImportedSceneFile&&) = delete;
  ~ImportedSceneFile();

  const std::string& path() const { return path_; }

 private:
  explicit ImportedSceneFile(std::string path) : path_(std::move(path)) {}
  std::string path_;
};

// True when the name ends in ".kvx" in any letter case.
bool isSceneFileName(const std::string& path);

}  // namespace kvx::tool
