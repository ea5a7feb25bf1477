#pragma once
// Drives kavrik programs started as a user would: their processes (ended by
// pid), their top-level windows found by title and process, the real
// pointer and keyboard (XTest), and screenshots.
#include "run_command.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/image.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace kvx::test {

namespace fs = std::filesystem;

// One running kavrik, ended with the test. `environment` holds NAME=value
// pairs added to the test's own; standard error goes to `errorPath` if given.
class RunningViewer {
 public:
  RunningViewer(const fs::path& program, const fs::path& folder, const std::vector<std::string>& arguments,
                std::vector<std::string> environment = {}, const fs::path& errorPath = {}) {
    pid_ = fork();
    if (pid_ == 0) {
      if (chdir(folder.c_str()) != 0) _exit(127);
      if (!errorPath.empty()) {
        const int err = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err >= 0) dup2(err, 2);
      }
      for (std::string& pair : environment) putenv(pair.data());
      std::vector<char*> argv{const_cast<char*>(program.c_str())};
      for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
  }
  ~RunningViewer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    for (int waited = 0; waited < 5000; waited += 20) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) return;
      wxMilliSleep(20);
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  RunningViewer(const RunningViewer&) = delete;
  RunningViewer& operator=(const RunningViewer&) = delete;
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};

struct ScreenWindow {
  std::string id;
  std::string title;
  int x = 0, y = 0, width = 0, height = 0;
};

// The top-level window whose title contains `titlePart`, once it is mapped.
inline std::optional<ScreenWindow> waitForWindow(const std::string& titlePart, int seconds = 20) {
  const std::regex line(R"re((0x[0-9a-f]+) "([^"]*)": \(.*\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+))re");
  for (int i = 0; i < seconds * 5; ++i) {
    auto tree = runCommand("xwininfo -root -children 2>/dev/null");
    std::smatch m;
    std::string text = tree.output;
    while (std::regex_search(text, m, line)) {
      if (m[2].str().find(titlePart) != std::string::npos)
        return ScreenWindow{m[1], m[2], std::stoi(m[5]), std::stoi(m[6]), std::stoi(m[3]), std::stoi(m[4])};
      text = m.suffix();
    }
    wxMilliSleep(200);
  }
  return std::nullopt;
}

inline wxImage screenshot(const ScreenWindow& window, const fs::path& file) {
  runCommand("import -window " + window.id + " " + file.string() + " 2>/dev/null");
  wxImage image;
  if (fs::exists(file)) image.LoadFile(file.string(), wxBITMAP_TYPE_PNG);
  return image;
}

// A copy for people to look at, when KVX_SCREENSHOT_DIR names a folder.
inline void keepScreenshot(const fs::path& file, const std::string& name) {
  const char* folder = std::getenv("KVX_SCREENSHOT_DIR");
  if (!folder || !*folder || !fs::exists(file)) return;
  fs::create_directories(folder);
  fs::copy_file(file, fs::path(folder) / (name + ".png"), fs::copy_options::overwrite_existing);
}

// Fraction of pixels of a central patch that differ between two pictures.
inline double difference(const wxImage& a, const wxImage& b) {
  const int w = std::min(a.GetWidth(), b.GetWidth()), h = std::min(a.GetHeight(), b.GetHeight());
  int differ = 0, total = 0;
  for (int y = h / 4; y < 3 * h / 4; y += 2)
    for (int x = w / 4; x < 3 * w / 4; x += 2, ++total)
      differ += std::abs(a.GetRed(x, y) - b.GetRed(x, y)) + std::abs(a.GetGreen(x, y) - b.GetGreen(x, y)) +
                    std::abs(a.GetBlue(x, y) - b.GetBlue(x, y)) > 24;
  return total ? static_cast<double>(differ) / total : 0;
}

// Polls `done` until it holds or the time passes.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    wxMilliSleep(100);
  }
  return true;
}

// The X side of the windows of other processes: found by title and pid,
// moved, focused and closed as a window manager would.
class Desktop {
 public:
  Desktop();
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;
  bool ok() const { return display_ != nullptr; }

  struct Top {
    unsigned long id = 0;
    int x = 0, y = 0, width = 0, height = 0;
    ScreenWindow asWindow() const { return ScreenWindow{"0x" + hex(id), "", x, y, width, height}; }
  };

  // The mapped top-level window of process `pid` whose title contains `title`.
  std::optional<Top> waitFor(const std::string& title, pid_t pid, int timeoutMs = 20000);
  std::optional<Top> find(const std::string& title, pid_t pid);
  bool isShown(const Top& window);
  // Moves the window and waits until the server has it there.
  bool move(Top& window, int x, int y);
  // Keys go to this window, as after a click on its title bar.
  void focus(const Top& window);
  // The close box of a window manager.
  void close(const Top& window);

 private:
  static std::string hex(unsigned long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%lx", value);
    return text;
  }
  pid_t windowPid(unsigned long window);
  std::string windowTitle(unsigned long window);

  void* display_;
};

}  // namespace kvx::test
