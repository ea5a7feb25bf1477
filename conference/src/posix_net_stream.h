#pragma once
// A connected TCP socket as a NetStream: blocking, each read or write
// bounded by a time-out. Without event notification, set-notify does
// nothing.
#include <memory>
#include <string>

#include "net_stream.h"

namespace kvx::conf {

class PosixNetStream : public NetStream {
 public:
  // Connects within `timeoutMs`; null with `error` set on failure.
  static std::unique_ptr<PosixNetStream> connect(const std::string& host, const std::string& port,
                                                 int timeoutMs, std::string& error);
  ~PosixNetStream() override;

  int read(void* buffer, int n) override;
  // Writes all n bytes unless the peer fails or the time-out passes.
  int write(const void* buffer, int n) override;
  void setNotify(bool) override {}

  void setTimeout(int timeoutMs) { timeoutMs_ = timeoutMs; }
  // Shrinks the kernel's receive buffer, so that a peer that stops reading
  // makes the sender's queue grow soon.
  void setReceiveBuffer(int bytes);
  int fd() const { return fd_; }

 private:
  PosixNetStream(int fd, int timeoutMs) : fd_(fd), timeoutMs_(timeoutMs) {}
  bool waitFor(short events);

  int fd_;
  int timeoutMs_;
};

}  // namespace kvx::conf
