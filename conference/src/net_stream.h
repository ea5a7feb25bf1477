#pragma once
// The connection a conference talks over: a direct socket or a proxy tunnel.

namespace kvx::conf {

class NetStream {
 public:
  virtual ~NetStream() = default;
  // Byte count, 0 when the peer closed, -1 on error or time-out.
  virtual int read(void* buffer, int n) = 0;
  virtual int write(const void* buffer, int n) = 0;
  // Whether output-ready events are reported while idle; streams without
  // event notification ignore it.
  virtual void setNotify(bool withOutputEvents) = 0;
};

}  // namespace kvx::conf
