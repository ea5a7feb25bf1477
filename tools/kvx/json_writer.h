#pragma once
// A minimal streaming JSON writer for the tool's machine-readable output.
#include <cstdint>
#include <string>
#include <string_view>

namespace kvx::tool {

class JsonWriter {
 public:
  JsonWriter& beginObject();
  JsonWriter& endObject();
  JsonWriter& beginArray();
  JsonWriter& endArray();
  // The key of the next value inside an object.
  JsonWriter& key(std::string_view name);
  JsonWriter& value(std::string_view text);
  JsonWriter& value(const char* text) { return value(std::string_view(text)); }
  JsonWriter& value(bool flag);
  JsonWriter& value(int64_t number);
  JsonWriter& value(int number) { return value(static_cast<int64_t>(number)); }
  JsonWriter& value(uint32_t number) { return value(static_cast<int64_t>(number)); }
  // Nine significant digits, which read back as the same float; null when not finite.
  JsonWriter& value(float number);
  JsonWriter& null();
  // A JSON array of the values.
  template <typename T>
  JsonWriter& array(const T* values, size_t count) {
    beginArray();
    for (size_t i = 0; i < count; ++i) value(values[i]);
    return endArray();
  }

  const std::string& text() const { return out_; }

 private:
  void separate();
  std::string out_;
  bool needComma_ = false;
};

}  // namespace kvx::tool
