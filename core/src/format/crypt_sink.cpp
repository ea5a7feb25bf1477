#include "format/crypt_sink.h"

#include "services/debuglog.h"

#include <new>

namespace kvx {

KvxCryptSink::KvxCryptSink(const char* passPhrase, int keyBytes) {
  if (!passPhrase || !*passPhrase || keyBytes > 16) return;
  try {
    work_.resize(16);
    cipher_ = std::make_unique<Cfb64>(passPhraseKey(passPhrase, keyBytes));
  } catch (const std::bad_alloc&) {
    KVX_LOG(LOG_ERROR, "KvxCryptSink::KvxCryptSink: out of memory\n");
    cipher_.reset();
  }
}

bool KvxCryptSink::put(const void* data, int32_t length) {
  if (!cipher_ || length < 0) return false;
  bytesIn_ += length;
  if (work_.size() < static_cast<size_t>(length)) {
    try {
      work_.resize(static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
      KVX_LOG(LOG_ERROR, "KvxCryptSink::put: out of memory\n");
      return false;
    }
  }
  cipher_->encipher(static_cast<const uint8_t*>(data), work_.data(), static_cast<size_t>(length));
  bytesOut_ += length;
  return next_ ? next_->put(work_.data(), length) : true;
}

bool kvxDecodeBuffer(const uint8_t* input, uint8_t* output, int32_t length, const char* passPhrase,
                     int keyBytes) {
  KVX_LOG(LOG_INFO, "kvxDecodeBuffer: key bytes: %d\n", keyBytes);
  if (!passPhrase || !*passPhrase || !input || !output || length < 1) return false;
  Cfb64 cipher(passPhraseKey(passPhrase, keyBytes > 16 ? 16 : keyBytes));
  cipher.decipher(input, output, static_cast<size_t>(length));
  return true;
}

}  // namespace kvx
