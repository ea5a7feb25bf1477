#pragma once
// Output sinks: the scene writer pushes the payload through a chain of them
// (compression, then encryption, then the file at the bottom). The base
// class on its own is a counting sink that writes nothing.
#include <cstdint>

namespace kvx {

// Error codes kept by sinks.
enum SinkError : int32_t { SINK_OK = 0, SINK_OPEN_FAILED = 3, SINK_WRITE_FAILED = 4, SINK_DEFLATE_FAILED = 6 };

class KvxSink {
 public:
  KvxSink() = default;
  virtual ~KvxSink() = default;
  KvxSink(const KvxSink&) = delete;
  KvxSink& operator=(const KvxSink&) = delete;

  virtual bool put(const void* data, int32_t length);
  // Overwrites the start of the output; counters are left alone.
  virtual bool putAtStart(const void* data, int32_t length);
  virtual bool ready() const { return true; }
  virtual bool setNext(KvxSink* next);
  // Pushes everything pending down the chain.
  virtual bool flush();
  virtual int32_t bytesIn() const { return bytesIn_; }
  virtual int32_t bytesOut() const { return bytesOut_; }
  // This sink's code if set, else the first code further down the chain.
  virtual int32_t errorCode() const;

 protected:
  int32_t bytesIn_ = 0;
  int32_t bytesOut_ = 0;
  KvxSink* next_ = nullptr;  // not owned
  int32_t error_ = SINK_OK;
};

}  // namespace kvx
