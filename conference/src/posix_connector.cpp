#include "conference_connector.h"

#include "posix_net_stream.h"

#include <netdb.h>

#include <cstring>

namespace kvx::conf {

struct PosixConnector::Open {
  std::unique_ptr<PosixNetStream> stream;
};

PosixConnector::~PosixConnector() { close(); }

std::string PosixConnector::checkAddress(const std::string& host, const std::string& port) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (host.empty() || ::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) return "Invalid host name: " + host + "\n";
  ::freeaddrinfo(found);
  found = nullptr;
  if (port.empty() || ::getaddrinfo(nullptr, port.c_str(), &hints, &found) != 0)
    return "Invalid Service/Port: " + port + "\n";
  ::freeaddrinfo(found);
  return {};
}

NetStream* PosixConnector::connect(const std::string& host, const std::string& port, std::string& error) {
  close();
  auto stream = PosixNetStream::connect(host, port, timeoutMs_, error);
  if (!stream) return nullptr;
  open_ = new Open{std::move(stream)};
  return open_->stream.get();
}

void PosixConnector::close() {
  delete open_;
  open_ = nullptr;
}

bool PosixConnector::isConnected() const { return open_ != nullptr; }

int PosixConnector::fd() const { return open_ ? open_->stream->fd() : -1; }

}  // namespace kvx::conf
