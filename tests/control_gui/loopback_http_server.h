#pragma once
// A one-connection-at-a-time HTTP server on 127.0.0.1 for download tests.
// Each reply is scripted; gates let a test hold the reply at a chosen point.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace kvx::test {

class Gate {
 public:
  void open() {
    {
      std::lock_guard lock(m_);
      open_ = true;
    }
    cv_.notify_all();
  }
  void wait() {
    std::unique_lock lock(m_);
    cv_.wait(lock, [this] { return open_; });
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool open_ = false;
};

struct HttpReply {
  int status = 200;
  std::string body;
  size_t firstPart = 0;      // bytes of the body sent before `beforeRest`
  bool stallForever = false;  // never send the rest (until the server stops)
  std::string extraHeaders;   // whole lines, each ended by \r\n
  std::optional<std::string> contentLength;  // what it announces; the body's size when unset
};

class LoopbackHttpServer {
 public:
  explicit LoopbackHttpServer(HttpReply reply) : reply_(std::move(reply)) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(listener_, 4);
    socklen_t len = sizeof addr;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  ~LoopbackHttpServer() {
    stopping_ = true;
    beforeHeaders.open();
    beforeRest.open();
    shutdown(listener_, SHUT_RDWR);
    close(listener_);
    if (thread_.joinable()) thread_.join();
  }

  std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
  std::string requestLine() {
    std::lock_guard lock(m_);
    return requestLine_;
  }

  Gate beforeHeaders, beforeRest;

 private:
  void serve() {
    const int client = accept(listener_, nullptr, nullptr);
    if (client < 0) return;
    char buffer[4096];
    const ssize_t n = recv(client, buffer, sizeof buffer, 0);
    if (n > 0) {
      std::lock_guard lock(m_);
      requestLine_ = std::string(buffer, static_cast<size_t>(n)).substr(0, std::string(buffer, n).find("\r\n"));
    }
    beforeHeaders.wait();
    const std::string length = reply_.contentLength.value_or(std::to_string(reply_.body.size()));
    const std::string headers = "HTTP/1.1 " + std::to_string(reply_.status) + " X\r\n" +
                                (length.empty() ? "" : "Content-Length: " + length + "\r\n") + reply_.extraHeaders +
                                "Connection: close\r\n\r\n";
    sendAll(client, headers);
    sendAll(client, reply_.body.substr(0, reply_.firstPart));
    beforeRest.wait();
    if (!reply_.stallForever && !stopping_) sendAll(client, reply_.body.substr(reply_.firstPart));
    while (reply_.stallForever && !stopping_) usleep(10000);
    close(client);
  }
  static void sendAll(int fd, const std::string& data) {
    for (size_t at = 0; at < data.size();) {
      const ssize_t n = send(fd, data.data() + at, data.size() - at, MSG_NOSIGNAL);
      if (n <= 0) return;
      at += static_cast<size_t>(n);
    }
  }

  HttpReply reply_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::mutex m_;
  std::string requestLine_;
  std::atomic<bool> stopping_{false};
};

}  // namespace kvx::test
