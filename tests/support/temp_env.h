#pragma once
// A private folder for one test, with the registry store and the XDG folders
// pointed into it so that tests never touch the user's files.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>

namespace kvx::test {

class TempEnv {
 public:
  TempEnv() {
    std::string templ = (std::filesystem::temp_directory_path() / "kvxtest-XXXXXX").string();
    root_ = mkdtemp(templ.data());
    set("KAVRIK_REGISTRY_DIR", root_ / "registry");
    set("XDG_DATA_HOME", root_ / "data");
    set("XDG_STATE_HOME", root_ / "state");
    set("XDG_CONFIG_HOME", root_ / "config");
  }
  ~TempEnv() {
    for (const auto& [name, value] : saved_) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  TempEnv(const TempEnv&) = delete;
  TempEnv& operator=(const TempEnv&) = delete;

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path path(const std::string& name) const { return root_ / name; }

  // Sets an environment variable until the end of the test.
  void set(const std::string& name, const std::filesystem::path& value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    setenv(name.c_str(), value.c_str(), 1);
  }

 private:
  std::filesystem::path root_;
  std::map<std::string, std::optional<std::string>> saved_;
};

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

}  // namespace kvx::test
