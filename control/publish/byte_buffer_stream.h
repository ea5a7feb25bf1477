#pragma once
// The container's stream for a control's persisted data: a byte buffer.
#include "glimmer_com.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace publish {

class ByteBufferStream final : public glimmer::IByteStream {
 public:
  explicit ByteBufferStream(std::string bytes = {}) : bytes_(std::move(bytes)) {}
  glimmer::HRESULT QueryInterface(const glimmer::GUID& iid, void** object) override {
    if (!object) return glimmer::E_POINTER;
    *object = iid == glimmer::IID_IUnknown ? this : nullptr;
    return *object ? glimmer::S_OK : glimmer::E_NOINTERFACE;
  }
  // Lives on the container's stack; references are not counted.
  uint32_t AddRef() override { return 1; }
  uint32_t Release() override { return 1; }
  glimmer::HRESULT Read(void* buffer, uint32_t size, uint32_t* read) override {
    const size_t n = std::min<size_t>(size, bytes_.size() - position_);
    if (n) std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    if (read) *read = static_cast<uint32_t>(n);
    return n == size ? glimmer::S_OK : glimmer::S_FALSE;
  }
  glimmer::HRESULT Write(const void* buffer, uint32_t size, uint32_t* written) override {
    bytes_.append(static_cast<const char*>(buffer), size);
    if (written) *written = size;
    return glimmer::S_OK;
  }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
  size_t position_ = 0;
};

}  // namespace publish
