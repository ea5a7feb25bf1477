#pragma once
// The conference connection over the program's wxSocketClient. Reads and
// writes wait with the socket's default flags; the notification mask
// leaves out output events while a message is sent or received.
#include "net_stream.h"

class wxSocketClient;

namespace kavrik {

class SockNetStream : public kvx::conf::NetStream {
 public:
  explicit SockNetStream(wxSocketClient& socket) : socket_(socket) {}

  int read(void* buffer, int n) override;
  int write(const void* buffer, int n) override;
  void setNotify(bool withOutputEvents) override;

 private:
  wxSocketClient& socket_;
};

// Input, connection and lost events; with output events when asked.
long conferenceNotifyMask(bool withOutputEvents);

}  // namespace kavrik
