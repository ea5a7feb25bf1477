#pragma once
// An IByteStream over a byte buffer: writes append, reads go forward.
#include "glimmer_com.h"
#include "ref_counted.h"

#include <string>

namespace glimmer {

class MemoryStream final : public IByteStream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}

  HRESULT QueryInterface(const GUID& iid, void** object) override;
  uint32_t AddRef() override { return refs_.add(); }
  uint32_t Release() override;
  HRESULT Read(void* buffer, uint32_t size, uint32_t* read) override;
  HRESULT Write(const void* buffer, uint32_t size, uint32_t* written) override;

  const std::string& bytes() const { return bytes_; }
  size_t position() const { return position_; }

 private:
  ~MemoryStream() = default;
  RefCount refs_;
  std::string bytes_;
  size_t position_ = 0;
};

}  // namespace glimmer
