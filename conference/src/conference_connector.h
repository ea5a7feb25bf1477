#pragma once
// How a session reaches the server or proxy: the desktop program's socket
// or a plain POSIX connection. The socket is made once and reused.
#include <string>

namespace kvx::conf {

class NetStream;

class ConferenceConnector {
 public:
  virtual ~ConferenceConnector() = default;
  // The log line ("Invalid host name: ...\n" or "Invalid Service/Port:
  // ...\n") when the address is unusable; empty when it is fine.
  virtual std::string checkAddress(const std::string& host, const std::string& port) = 0;
  // Connects; null with `error` (the last error number or text) on failure.
  virtual NetStream* connect(const std::string& host, const std::string& port, std::string& error) = 0;
  virtual void close() = 0;
  virtual bool isConnected() const = 0;
};

// Blocking POSIX sockets, each step bounded by `timeoutMs`.
class PosixConnector : public ConferenceConnector {
 public:
  explicit PosixConnector(int timeoutMs) : timeoutMs_(timeoutMs) {}
  ~PosixConnector() override;
  std::string checkAddress(const std::string& host, const std::string& port) override;
  NetStream* connect(const std::string& host, const std::string& port, std::string& error) override;
  void close() override;
  bool isConnected() const override;
  // The descriptor to wait on, -1 while closed.
  int fd() const;

 private:
  int timeoutMs_;
  struct Open;
  Open* open_ = nullptr;
};

}  // namespace kvx::conf
