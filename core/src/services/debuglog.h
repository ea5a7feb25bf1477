#pragma once
// The debug log: one logger per binary, written by the KVX_LOG macro.
// A record is "[stamp:]level:file:line:" followed by the formatted message;
// it is written only when the logger's level is at least the record's.
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

namespace kvx {

enum LogLevel { LOG_ERROR = 2, LOG_WARNING = 3, LOG_INFO = 4, LOG_DUMP = 8 };

class DebugLog {
 public:
  DebugLog();
  virtual ~DebugLog();
  // Starts a record; the next message() completes it.
  virtual void prolog(int level, const char* file, int line);
  virtual void message(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Replaces the whole level stack by this one level.
  virtual void setLevel(int level);
  // "stdout", "stderr" or a file path; the file is opened on the first record.
  virtual void setOutput(const std::string& name, bool truncate);
  virtual const std::string& outputName() const;

  void pushLevel(int level);
  void popLevel();
  int level() const { return levels_.back(); }
  bool enabled(int level) const { return this->level() >= level; }
  void setTimeStamp(bool on) { timeStamp_ = on; }
  void setReopenEachMessage(bool on) { reopen_ = on; }
  // Held from prolog() to message(): the core logs from loader threads too,
  // and a record's parts and the output stream are shared.
  std::mutex& recordLock() { return recordLock_; }

  DebugLog(const DebugLog&) = delete;
  DebugLog& operator=(const DebugLog&) = delete;

 private:
  bool openOutput();
  void closeOutput();

  std::vector<int> levels_{1};
  bool timeStamp_ = false;
  bool reopen_ = false;
  std::string outputName_ = "stderr";
  bool truncate_ = false;
  FILE* stream_ = nullptr;
  time_t lastMessage_ = 0;
  int pendingLevel_ = 0;
  const char* pendingFile_ = "";
  int pendingLine_ = 0;
  std::mutex recordLock_;
};

// The logger of this binary.
DebugLog& debugLog();

}  // namespace kvx

#define KVX_LOG(level, ...)                                 \
  do {                                                      \
    ::kvx::DebugLog& kvxLog_ = ::kvx::debugLog();           \
    if (kvxLog_.enabled(level)) {                           \
      std::lock_guard kvxRecord_(kvxLog_.recordLock());     \
      kvxLog_.prolog((level), __FILE_NAME__, __LINE__);     \
      kvxLog_.message(__VA_ARGS__);                         \
    }                                                       \
  } while (0)
