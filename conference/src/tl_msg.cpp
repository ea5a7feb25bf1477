#include "tl_msg.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "net_stream.h"
#include "services/debuglog.h"

namespace kvx::conf {

namespace {
std::atomic<int> maxLength{kDefaultMaxLength};
std::atomic<int> maxType{kDefaultMaxType};
}  // namespace

void setReceiveLimits(int length, int type) {
  maxLength = length;
  maxType = type;
}

int receiveMaxLength() { return maxLength; }
int receiveMaxType() { return maxType; }

TlMsg::TlMsg() : cursor_(inline_) {}

TlMsg::TlMsg(uint8_t* block, int size) : heap_(block), size_(size), cursor_(block), ownsHeap_(true) {}

TlMsg::~TlMsg() {
  if (ownsHeap_) std::free(heap_);
}

int TlMsg::writeStep(NetStream& connection) {
  const int written = connection.write(cursor_, remaining());
  if (written <= 0) return written;
  cursor_ += written;
  return written;
}

int TlMsg::readStep(NetStream& connection) {
  const int wanted = remaining();
  const int got = connection.read(cursor_, wanted);
  if (got <= 0) return got;
  if (got > wanted) {
    KVX_LOG(LOG_ERROR, "TlMsg::after read: too much data !!\n");
    std::abort();
  }
  cursor_ += got;
  return afterRead() ? got : -1;
}

bool TlMsg::afterRead() {
  if (size_ != 0 || cursor_ - inline_ < kFrameHeaderSize) return true;
  const int length = (inline_[2] << 8) | inline_[3];
  size_ = length + kFrameHeaderSize;
  if (length > receiveMaxLength()) {
    KVX_LOG(LOG_WARNING, "TlMsg::read: bad message length %d\n", length);
    return false;
  }
  if (type() > receiveMaxType()) {
    KVX_LOG(LOG_WARNING, "TlMsg::read: bad message type %d\n", type());
    return false;
  }
  if (size_ > kMinFrameSize) {
    heap_ = static_cast<uint8_t*>(std::malloc(size_));
    if (!heap_) {
      KVX_LOG(LOG_ERROR, "TlMsg::afterread: out of memory\n");
      std::abort();
    }
    const long received = cursor_ - inline_;
    std::memcpy(heap_, inline_, received);
    cursor_ = heap_ + received;
    ownsHeap_ = true;
  }
  return true;
}

int sendFrame(NetStream& connection, TlMsg& message) {
  connection.setNotify(false);
  int result = 0;
  while (!message.complete()) {
    if (message.writeStep(connection) <= 0) {
      result = -1;
      break;
    }
  }
  connection.setNotify(true);
  return result;
}

int receiveFrame(NetStream& connection, TlMsg& message) {
  connection.setNotify(false);
  int result = 0;
  while (!message.complete()) {
    if (message.readStep(connection) <= 0) {
      result = -1;
      break;
    }
  }
  connection.setNotify(true);
  return result;
}

}  // namespace kvx::conf
