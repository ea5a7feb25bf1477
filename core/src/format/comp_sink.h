#pragma once
// Deflates everything it is given (one zlib stream, default level) and
// passes the compressed bytes on in chunks of at most 512 bytes.
#include "format/kvx_sink.h"

#include <memory>
#include <zlib.h>

namespace kvx {

class KvxCompSink : public KvxSink {
 public:
  KvxCompSink();
  ~KvxCompSink() override;

  bool put(const void* data, int32_t length) override;
  bool ready() const override { return stream_ != nullptr; }
  // Finishes the zlib stream, then flushes the next sink.
  bool flush() override;

 private:
  // Hands the filled part of the output buffer on and resets it.
  bool passOn();
  bool deflateFailed(int status);

  static constexpr int kChunk = 512;
  std::unique_ptr<z_stream> stream_;
  Bytef out_[kChunk];
};

}  // namespace kvx
