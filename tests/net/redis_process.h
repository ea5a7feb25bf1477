#pragma once
// A private redis-server on a free loopback port, with its own configuration
// and folder, that keeps nothing on disk (and asks for `password` when one
// is given); stopped and started again by pid.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "run_command.h"
#include "temp_env.h"

namespace kvx::test {

class RedisProcess {
 public:
  explicit RedisProcess(const std::string& password = "") : password_(password) {
    port_ = freePort();
    std::ofstream config(config_);
    config << "bind 127.0.0.1\nport " << port_ << "\ndir " << env_.root().string()
           << "\nsave \"\"\nappendonly no\ndaemonize no\nlogfile " << env_.path("redis.log").string() << "\n";
    if (!password.empty()) config << "requirepass " << password << "\n";
    config.close();
    start();
  }
  ~RedisProcess() { stop(); }
  RedisProcess(const RedisProcess&) = delete;
  RedisProcess& operator=(const RedisProcess&) = delete;

  // True once it answers on its port.
  bool start() {
    pid_ = fork();
    if (pid_ == 0) {
      execlp("redis-server", "redis-server", config_.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int waited = 0; waited < 5000; waited += 20) {
      if (accepting()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  void stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  bool running() const { return pid_ > 0 && accepting(); }
  std::string url() const { return "redis://127.0.0.1:" + std::to_string(port_); }

  // One command through redis-cli; the answer's lines.
  std::vector<std::string> cli(const std::string& arguments) const {
    const std::string auth = password_.empty() ? "" : " --no-auth-warning -a " + password_;
    std::istringstream output(
        runCommand("redis-cli -h 127.0.0.1 -p " + std::to_string(port_) + auth + " --raw " + arguments).output);
    std::vector<std::string> lines;
    for (std::string line; std::getline(output, line);) lines.push_back(line);
    return lines;
  }
  // The relay channels subscribed to, with their number of subscribers.
  std::map<std::string, int> relaySubscriptions() const {
    std::map<std::string, int> counts;
    for (const std::string& channel : cli("PUBSUB CHANNELS 'kavrik:relay:*'")) {
      const auto answer = cli("PUBSUB NUMSUB " + channel);
      if (answer.size() == 2) counts[channel] = std::stoi(answer[1]);
    }
    return counts;
  }

 private:
  static int freePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    close(s);
    return ntohs(address.sin_port);
  }
  bool accepting() const {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port_);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(s);
    return ok;
  }

  TempEnv env_;
  std::string config_ = env_.path("redis.conf").string();
  std::string password_;
  int port_ = 0;
  pid_t pid_ = -1;
};

}  // namespace kvx::test
