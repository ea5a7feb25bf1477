#pragma once
// A kavrik-publish document (.kvxdoc): a small header, then each control's
// persisted stream.
//   "KVXPDOC" NUL, version (u32 LE, 1), count (u32 LE),
//   then per control: byte count (u32 LE) and that many stream bytes.
#include <optional>
#include <string>
#include <vector>

namespace publish {

constexpr size_t kMaxControls = 256;
constexpr size_t kMaxStreamBytes = (512u << 20) + (1u << 20);

std::string encodeDocument(const std::vector<std::string>& streams);
// Nothing when the bytes are not a whole document; `error` says why.
std::optional<std::vector<std::string>> decodeDocument(const std::string& bytes, std::string& error);

}  // namespace publish
