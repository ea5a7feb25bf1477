#pragma once
// A `kvx conference` participant started by a test: its JSON lines are
// collected in a file, its exit status waited for, and it is ended by pid.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <fcntl.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace kvx::test {

class KvxParticipant {
 public:
  KvxParticipant(const std::vector<std::string>& options, const std::string& outputPath,
                 const std::vector<std::string>& environment = {})
      : outputPath_(outputPath) {
    std::vector<std::string> args = {std::string(KVX_BIN_DIR) + "/kvx", "conference"};
    args.insert(args.end(), options.begin(), options.end());
    pid_ = fork();
    if (pid_ == 0) {
      const int out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err = open((outputPath + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, 1);
      dup2(err, 2);
      for (const std::string& pair : environment) putenv(const_cast<char*>(pair.c_str()));
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
  }
  ~KvxParticipant() { kill(SIGKILL); }
  KvxParticipant(const KvxParticipant&) = delete;
  KvxParticipant& operator=(const KvxParticipant&) = delete;

  void kill(int signal) {
    if (pid_ <= 0 || exited_) return;
    ::kill(pid_, signal);
    waitExit(5000);
  }
  // The exit status, or -1 when it did not end in time or was killed.
  int waitExit(int timeoutMs) {
    for (int waited = 0; !exited_ && waited < timeoutMs; waited += 10) {
      int status;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status_;
  }
  std::string output() const {
    std::ifstream in(outputPath_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::vector<std::string> lines() const {
    std::vector<std::string> result;
    std::istringstream in(output());
    // The writer escapes a line feed as \u000a; the tests spell it \n.
    for (std::string line; std::getline(in, line);) {
      for (size_t at; (at = line.find("\\u000a")) != std::string::npos;) line.replace(at, 6, "\\n");
      result.push_back(line);
    }
    return result;
  }
  bool has(const std::string& line) const {
    for (const auto& l : lines())
      if (l == line) return true;
    return false;
  }
  // Waits until a line equal to `line` has been written.
  bool waitFor(const std::string& line, int timeoutMs = 10000) const {
    for (int waited = 0; waited < timeoutMs; waited += 20) {
      if (has(line)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

 private:
  std::string outputPath_;
  pid_t pid_ = -1;
  bool exited_ = false;
  int status_ = -1;
};

}  // namespace kvx::test
