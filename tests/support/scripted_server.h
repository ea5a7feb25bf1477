#pragma once
// A one-connection server on loopback that plays a script against the
// client it accepts: a stand-in for a broken or hostile server or proxy.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace kvx::test {

class ScriptedServer {
 public:
  // `script` gets the accepted socket; it is closed when the script returns.
  explicit ScriptedServer(std::function<void(int fd, const std::atomic<bool>& stop)> script)
      : script_(std::move(script)) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 4);
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  ~ScriptedServer() {
    stop_ = true;
    thread_.join();
    close(listener_);
  }
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  int port() const { return port_; }

  // Reads what arrives within `ms`, up to `limit` bytes.
  static std::string readFor(int fd, int ms, size_t limit = 65536) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (got.size() < limit && std::chrono::steady_clock::now() < end) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 20) <= 0) continue;
      char buffer[4096];
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n <= 0) break;
      got.append(buffer, n);
    }
    return got;
  }
  static void send(int fd, const std::string& bytes) {
    (void)!write(fd, bytes.data(), bytes.size());
  }
  // Passes bytes both ways between `fd` and a server on loopback `port`
  // for `ms`; the server's socket, or -1 when it cannot be reached.
  static int relayFor(int fd, int port, int ms) {
    const int upstream = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (connect(upstream, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      close(upstream);
      return -1;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
      pollfd p[2] = {{fd, POLLIN, 0}, {upstream, POLLIN, 0}};
      if (poll(p, 2, 20) <= 0) continue;
      for (int i = 0; i < 2; ++i) {
        if (!(p[i].revents & (POLLIN | POLLHUP))) continue;
        char buffer[4096];
        const ssize_t n = read(p[i].fd, buffer, sizeof buffer);
        if (n <= 0) return upstream;
        send(i == 0 ? upstream : fd, std::string(buffer, n));
      }
    }
    return upstream;
  }
  // Waits until the test ends or `ms` pass, reading and dropping what comes.
  static void stall(int fd, const std::atomic<bool>& stop, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stop && std::chrono::steady_clock::now() < end) readFor(fd, 50);
  }

 private:
  void serve() {
    while (!stop_) {
      pollfd p{listener_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      script_(fd, stop_);
      close(fd);
    }
  }

  std::function<void(int, const std::atomic<bool>&)> script_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace kvx::test
