#pragma once
// A helper program started by a test, ended by its pid when the test ends.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace kvx::test {

class ChildProcess {
 public:
  // Output and errors go to `logPath`.
  ChildProcess(std::vector<std::string> args, const std::string& logPath) {
    pid_ = fork();
    if (pid_ == 0) {
      const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(log, 1);
      dup2(log, 2);
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
  }
  ~ChildProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    for (int waited = 0; waited < 5000; waited += 20) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Waits until something accepts connections on the loopback port.
  static bool waitForPort(int port, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
      const int fd = socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_port = htons(port);
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      const bool up = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
      close(fd);
      if (up) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  // A loopback port that was free a moment ago.
  static int freePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
  }

 private:
  pid_t pid_ = -1;
};

}  // namespace kvx::test
