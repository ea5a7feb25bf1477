#pragma once
// The serialiser interface: one operation table for writing and reading, so
// that each message class has a single serialise routine for both ways.
// Every operation returns 0 on success and a negative value on failure.
#include <cstddef>
#include <cstdint>

namespace kvx::conf {

class MemBuf;

class ByteStream {
 public:
  explicit ByteStream(bool littleEndian) : littleEndian_(littleEndian) {}
  virtual ~ByteStream() = default;
  ByteStream(const ByteStream&) = delete;
  ByteStream& operator=(const ByteStream&) = delete;

  virtual int int32(int32_t& value) = 0;
  virtual int int16(int16_t& value) = 0;
  virtual int uint32(uint32_t& value) = 0;
  virtual int uint16(uint16_t& value) = 0;
  virtual int float32(float& value) = 0;
  virtual int float64(double& value) = 0;
  // Writing: the string the pointer points to (null writes ""), and its zero
  // byte. Reading: points the pointer at the string inside the payload.
  virtual int stringRef(const char*& text) = 0;
  // A string of at most n characters in a buffer of n + 1 bytes (n < 1 when
  // writing: the whole string); reading always terminates the buffer.
  virtual int stringInto(char* buffer, int n) = 0;
  // n raw bytes: written from, or pointed at inside the payload.
  virtual int rawRef(const uint8_t*& bytes, int n) = 0;
  // n raw bytes written from, or copied into, the buffer.
  virtual int rawInto(uint8_t* buffer, int n) = 0;
  virtual bool isReading() const = 0;

 protected:
  bool littleEndian_;
};

// Appends to a MemBuf, optionally owning it.
class ByteStreamOut : public ByteStream {
 public:
  ByteStreamOut(MemBuf* sink, bool ownsSink, bool littleEndian = false);
  ~ByteStreamOut() override;

  int int32(int32_t& value) override;
  int int16(int16_t& value) override;
  int uint32(uint32_t& value) override;
  int uint16(uint16_t& value) override;
  int float32(float& value) override;
  int float64(double& value) override;
  int stringRef(const char*& text) override;
  int stringInto(char* buffer, int n) override;
  int rawRef(const uint8_t*& bytes, int n) override;
  int rawInto(uint8_t* buffer, int n) override;
  bool isReading() const override { return false; }

  MemBuf& sink() { return *sink_; }

 private:
  int put(uint64_t value, int width);
  int putBytes(const void* bytes, size_t n);

  MemBuf* sink_;
  bool ownsSink_;
};

// Reads from a window over a received payload.
class ByteStreamIn : public ByteStream {
 public:
  ByteStreamIn(const uint8_t* start, size_t length, bool littleEndian = false);

  int int32(int32_t& value) override;
  int int16(int16_t& value) override;
  int uint32(uint32_t& value) override;
  int uint16(uint16_t& value) override;
  int float32(float& value) override;
  int float64(double& value) override;
  int stringRef(const char*& text) override;
  int stringInto(char* buffer, int n) override;
  int rawRef(const uint8_t*& bytes, int n) override;
  int rawInto(uint8_t* buffer, int n) override;
  bool isReading() const override { return true; }

  size_t remaining() const { return length_ - cursor_; }

 private:
  int get(uint64_t& value, int width);
  // Length of the zero-terminated string at the cursor, or -1 when the
  // payload ends before its zero byte.
  long stringLength() const;

  const uint8_t* start_;
  size_t length_;
  size_t cursor_ = 0;
};

}  // namespace kvx::conf
