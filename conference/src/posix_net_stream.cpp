#include "posix_net_stream.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kvx::conf {

namespace {
// Connects one resolved address without blocking longer than the time-out.
int connectWithin(const addrinfo& address, int timeoutMs, std::string& error) {
  const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC, address.ai_protocol);
  if (fd < 0) {
    error = std::strerror(errno);
    return -1;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  int result = ::connect(fd, address.ai_addr, address.ai_addrlen);
  if (result < 0 && errno == EINPROGRESS) {
    pollfd waiter{fd, POLLOUT, 0};
    result = ::poll(&waiter, 1, timeoutMs);
    if (result == 0) {
      ::close(fd);
      error = "connection timed out";
      return -1;
    }
    int soError = 0;
    socklen_t length = sizeof soError;
    ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length);
    errno = soError;
    result = soError ? -1 : 0;
  }
  if (result < 0) {
    error = std::strerror(errno);
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, flags);
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return fd;
}
}  // namespace

std::unique_ptr<PosixNetStream> PosixNetStream::connect(const std::string& host, const std::string& port,
                                                        int timeoutMs, std::string& error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* addresses = nullptr;
  if (const int failure = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &addresses)) {
    error = ::gai_strerror(failure);
    return nullptr;
  }
  int fd = -1;
  for (addrinfo* a = addresses; a && fd < 0; a = a->ai_next) fd = connectWithin(*a, timeoutMs, error);
  ::freeaddrinfo(addresses);
  if (fd < 0) return nullptr;
  return std::unique_ptr<PosixNetStream>(new PosixNetStream(fd, timeoutMs));
}

PosixNetStream::~PosixNetStream() { ::close(fd_); }

bool PosixNetStream::waitFor(short events) {
  pollfd waiter{fd_, events, 0};
  int ready;
  do ready = ::poll(&waiter, 1, timeoutMs_);
  while (ready < 0 && errno == EINTR);
  return ready > 0;
}

int PosixNetStream::read(void* buffer, int n) {
  if (!waitFor(POLLIN)) return -1;
  ssize_t got;
  do got = ::recv(fd_, buffer, n, 0);
  while (got < 0 && errno == EINTR);
  return got < 0 ? -1 : static_cast<int>(got);
}

int PosixNetStream::write(const void* buffer, int n) {
  const char* bytes = static_cast<const char*>(buffer);
  int sent = 0;
  while (sent < n) {
    if (!waitFor(POLLOUT)) return sent > 0 ? sent : -1;
    const ssize_t put = ::send(fd_, bytes + sent, n - sent, MSG_NOSIGNAL);
    if (put < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return sent > 0 ? sent : -1;
    }
    sent += static_cast<int>(put);
  }
  return sent;
}

void PosixNetStream::setReceiveBuffer(int bytes) { ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes); }

}  // namespace kvx::conf
