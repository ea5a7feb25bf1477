#include "memory_stream.h"

#include <algorithm>
#include <cstring>

namespace glimmer {

// The stream identifier of this stand-in; IStream's own.
constexpr GUID IID_IByteStream = {0x0000000C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

HRESULT MemoryStream::QueryInterface(const GUID& iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid != IID_IUnknown && iid != IID_IByteStream) return E_NOINTERFACE;
  *object = static_cast<IByteStream*>(this);
  AddRef();
  return S_OK;
}

uint32_t MemoryStream::Release() {
  uint32_t left;
  if (refs_.release(left)) delete this;
  return left;
}

HRESULT MemoryStream::Read(void* buffer, uint32_t size, uint32_t* read) {
  if (!buffer && size) return E_POINTER;
  const size_t n = std::min<size_t>(size, bytes_.size() - position_);
  if (n) std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  if (read) *read = static_cast<uint32_t>(n);
  return n == size ? S_OK : S_FALSE;
}

HRESULT MemoryStream::Write(const void* buffer, uint32_t size, uint32_t* written) {
  if (!buffer && size) return E_POINTER;
  bytes_.append(static_cast<const char*>(buffer), size);
  if (written) *written = size;
  return S_OK;
}

}  // namespace glimmer
