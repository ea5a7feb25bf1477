#pragma once
// The bottom of a sink chain: writes into a file.
#include "format/kvx_sink.h"

#include <cstdio>
#include <string>

namespace kvx {

class KvxFileSink : public KvxSink {
 public:
  // Deletes an existing plain file of that name, then creates it; failure sets
  // error code 3 and the sink is not ready.
  explicit KvxFileSink(const std::string& fileName);
  ~KvxFileSink() override;

  bool put(const void* data, int32_t length) override;
  bool putAtStart(const void* data, int32_t length) override;
  bool ready() const override { return file_ != nullptr; }
  // A file sink is always the bottom of the chain.
  bool setNext(KvxSink*) override { return false; }
  bool flush() override;
  // Closes the file; false (and error code 4) when buffered bytes could not be written.
  bool close();

 private:
  FILE* file_ = nullptr;
};

}  // namespace kvx
