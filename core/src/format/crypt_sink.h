#pragma once
// Enciphers everything it is given (Blowfish CFB-64, one continuous stream
// from a zero register) and passes it on, byte for byte.
#include "format/cfb64.h"
#include "format/kvx_sink.h"

#include <memory>
#include <vector>

namespace kvx {

class KvxCryptSink : public KvxSink {
 public:
  // Not ready when the pass phrase is absent or empty or keyBytes exceeds 16.
  KvxCryptSink(const char* passPhrase, int keyBytes);

  bool put(const void* data, int32_t length) override;
  bool ready() const override { return cipher_ != nullptr; }

 private:
  std::unique_ptr<Cfb64> cipher_;
  std::vector<uint8_t> work_;
};

// Deciphers a whole body at once. False when the pass phrase is absent or
// empty, a buffer is absent or the length is below 1. A key length above
// 16 counts as 16. A wrong pass phrase cannot be told: it yields garbage.
bool kvxDecodeBuffer(const uint8_t* input, uint8_t* output, int32_t length, const char* passPhrase,
                     int keyBytes);

}  // namespace kvx
