#include "services/debuglog.h"

#include <cstdarg>

namespace kvx {

DebugLog::DebugLog() = default;

DebugLog::~DebugLog() { closeOutput(); }

void DebugLog::prolog(int level, const char* file, int line) {
  pendingLevel_ = level;
  pendingFile_ = file ? file : "";
  pendingLine_ = line;
}

void DebugLog::message(const char* format, ...) {
  if (!enabled(pendingLevel_) || !openOutput()) return;
  if (timeStamp_) {
    time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    std::fprintf(stream_, "%02d%02d%02d%02d%02d%02d%s:", local.tm_year % 100, local.tm_mon + 1,
                 local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, "");
  }
  std::fprintf(stream_, "%d:%s:%d:", pendingLevel_, pendingFile_, pendingLine_);
  va_list args;
  va_start(args, format);
  std::vfprintf(stream_, format, args);
  va_end(args);
  std::fflush(stream_);
  lastMessage_ = time(nullptr);
  if (reopen_) closeOutput();
}

void DebugLog::setLevel(int level) { levels_.assign(1, level); }

void DebugLog::pushLevel(int level) { levels_.push_back(level); }

void DebugLog::popLevel() {
  if (levels_.size() > 1) levels_.pop_back();
}

void DebugLog::setOutput(const std::string& name, bool truncate) {
  closeOutput();
  outputName_ = name;
  truncate_ = truncate;
}

const std::string& DebugLog::outputName() const { return outputName_; }

bool DebugLog::openOutput() {
  if (stream_) return true;
  if (outputName_ == "stdout") {
    stream_ = stdout;
  } else if (outputName_ == "stderr") {
    stream_ = stderr;
  } else {
    // Truncate only on the first opening; reopening after a record appends.
    stream_ = std::fopen(outputName_.c_str(), truncate_ ? "w" : "a");
    truncate_ = false;
    if (!stream_) return false;
    setvbuf(stream_, nullptr, _IOLBF, BUFSIZ);
  }
  return true;
}

void DebugLog::closeOutput() {
  if (stream_ && stream_ != stdout && stream_ != stderr) std::fclose(stream_);
  stream_ = nullptr;
}

DebugLog& debugLog() {
  static DebugLog log;
  return log;
}

}  // namespace kvx
