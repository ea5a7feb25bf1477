#include "sock_net_stream.h"

#include <wx/socket.h>

namespace kavrik {

long conferenceNotifyMask(bool withOutputEvents) {
  long mask = wxSOCKET_INPUT_FLAG | wxSOCKET_CONNECTION_FLAG | wxSOCKET_LOST_FLAG;
  if (withOutputEvents) mask |= wxSOCKET_OUTPUT_FLAG;
  return mask;
}

int SockNetStream::read(void* buffer, int n) {
  socket_.Read(buffer, static_cast<wxUint32>(n));
  if (socket_.Error()) return -1;
  return static_cast<int>(socket_.LastCount());
}

int SockNetStream::write(const void* buffer, int n) {
  socket_.Write(buffer, static_cast<wxUint32>(n));
  if (socket_.Error()) return -1;
  return static_cast<int>(socket_.LastCount());
}

void SockNetStream::setNotify(bool withOutputEvents) { socket_.SetNotify(conferenceNotifyMask(withOutputEvents)); }

}  // namespace kavrik
