#pragma once
// Gathers the whole payload and deflates it in one call when flushed: the
// same single zlib stream as KvxCompSink, several times faster and no
// larger. Past `gatherLimit` bytes of payload, or when memory for the
// payload or its deflated copy runs short, it carries on as a streaming
// KvxCompSink, which needs neither.
#include "format/comp_sink.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace kvx {

class KvxOneShotCompSink : public KvxSink {
 public:
  static constexpr size_t kDefaultGatherLimit = size_t(1) << 30;
  explicit KvxOneShotCompSink(size_t gatherLimit = kDefaultGatherLimit) : gatherLimit_(gatherLimit) {}
  ~KvxOneShotCompSink() override;

  bool put(const void* data, int32_t length) override;
  bool setNext(KvxSink* next) override;
  // Deflates the payload, hands it on, then flushes the next sink.
  bool flush() override;
  int32_t bytesOut() const override;
  int32_t errorCode() const override;

  bool streaming() const { return stream_ != nullptr; }

 private:
  bool grow(size_t needed);
  // Continues as a streaming sink, handing it what was gathered so far.
  bool startStreaming(const char* operation);

  // Compressed bytes go on in pieces, so that an enciphering sink below
  // needs no work buffer the size of the file.
  static constexpr size_t kHandOnPiece = 1 << 16;

  // Grown with realloc, which moves large blocks by remapping pages
  // instead of copying them.
  size_t gatherLimit_;
  bool flushed_ = false;
  uint8_t* buffer_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
  std::unique_ptr<KvxCompSink> stream_;
};

}  // namespace kvx
