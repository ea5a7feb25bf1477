#include "publish_document.h"

#include <cstdint>
#include <cstring>

namespace publish {
namespace {

constexpr char kMagic[8] = {'K', 'V', 'X', 'P', 'D', 'O', 'C', '\0'};
constexpr uint32_t kVersion = 1;

void put32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>(v >> (8 * i));
}

bool get32(const std::string& in, size_t& at, uint32_t& v) {
  if (in.size() - at < 4) return false;
  v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(in[at + i]);
  at += 4;
  return true;
}

}  // namespace

std::string encodeDocument(const std::vector<std::string>& streams) {
  std::string out(kMagic, sizeof kMagic);
  put32(out, kVersion);
  put32(out, static_cast<uint32_t>(streams.size()));
  for (const std::string& s : streams) {
    put32(out, static_cast<uint32_t>(s.size()));
    out += s;
  }
  return out;
}

std::optional<std::vector<std::string>> decodeDocument(const std::string& bytes, std::string& error) {
  if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
    error = "not a kavrik publish document";
    return std::nullopt;
  }
  size_t at = sizeof kMagic;
  uint32_t version, count;
  if (!get32(bytes, at, version) || !get32(bytes, at, count)) {
    error = "the document header is cut short";
    return std::nullopt;
  }
  if (version != kVersion) {
    error = "the document was written by a newer kavrik publish";
    return std::nullopt;
  }
  if (count > kMaxControls) {
    error = "the document holds too many controls";
    return std::nullopt;
  }
  std::vector<std::string> streams;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t size;
    if (!get32(bytes, at, size) || size > kMaxStreamBytes || bytes.size() - at < size) {
      error = "control " + std::to_string(i + 1) + " is cut short";
      return std::nullopt;
    }
    streams.push_back(bytes.substr(at, size));
    at += size;
  }
  if (at != bytes.size()) {
    error = "unexpected bytes after the last control";
    return std::nullopt;
  }
  return streams;
}

}  // namespace publish
