#pragma once
// Starts kavrik-server on loopback with a free port, reads its first line,
// keeps its log, and ends it by pid.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "temp_env.h"

namespace kvx::test {

class ServerProcess {
 public:
  explicit ServerProcess(std::vector<std::string> options = {}, std::string listen = "127.0.0.1:0") {
    std::vector<std::string> args = {std::string(KVX_BIN_DIR) + "/kavrik-server"};
    if (!listen.empty()) args.insert(args.end(), {"--listen", listen});
    args.insert(args.end(), options.begin(), options.end());
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      const int err = open(logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(err, 2);
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    stdout_ = out[0];
    firstLine_ = readLine(5000);
    const std::string prefix = "kavrik-server listening on 127.0.0.1:";
    if (firstLine_.rfind(prefix, 0) == 0) port_ = firstLine_.substr(prefix.size());
  }
  ~ServerProcess() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (stdout_ >= 0) close(stdout_);
  }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  const std::string& firstLine() const { return firstLine_; }
  const std::string& port() const { return port_; }
  bool running() const { return !port_.empty(); }
  std::string log() const { return readFile(logPath_); }

  // Waits until the log holds `text`; false after the time-out.
  bool waitForLog(const std::string& text, int timeoutMs = 3000) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
      if (log().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  // Sends the signal and returns the exit status (-1 when killed by a
  // signal or not ended within five seconds).
  int stop(int signal = SIGTERM) {
    if (pid_ <= 0 || exited_) return exitStatus_;
    kill(pid_, signal);
    return waitExit(5000);
  }
  int waitExit(int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
      int status;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return exitStatus_;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }

 private:
  std::string readLine(int timeoutMs) {
    std::string line;
    char c;
    pollfd waiter{stdout_, POLLIN, 0};
    while (poll(&waiter, 1, timeoutMs) > 0 && read(stdout_, &c, 1) == 1 && c != '\n') line += c;
    return line;
  }

  TempEnv env_;
  std::string logPath_ = env_.path("server.log").string();
  pid_t pid_ = -1;
  int stdout_ = -1;
  std::string firstLine_;
  std::string port_;
  bool exited_ = false;
  int exitStatus_ = -1;
};

}  // namespace kvx::test
