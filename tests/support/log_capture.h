#pragma once
// Points this binary's debug log at a private file for one test and gives
// back what was written.
#include <string>

#include "services/debuglog.h"
#include "temp_env.h"

namespace kvx::test {

class LogCapture {
 public:
  explicit LogCapture(int level = LOG_WARNING) {
    debugLog().setOutput(file_, true);
    debugLog().setLevel(level);
  }
  ~LogCapture() {
    debugLog().setLevel(1);
    debugLog().setOutput("stderr", false);
  }
  std::string text() const {
    std::fflush(nullptr);
    return readFile(file_);
  }

 private:
  TempEnv env_;
  std::string file_ = env_.path("debug.log").string();
};

}  // namespace kvx::test
