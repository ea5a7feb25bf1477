#pragma once
// The name of a conference: the MD4 digest of the scene file.
#include <optional>
#include <string>

namespace kvx::conf {

// 32 lowercase hex digits of the file's MD4 digest, fed in 512-byte
// blocks; nothing when the file cannot be opened or read.
std::optional<std::string> fileHash(const std::string& path);

// A conference uses the first 16 digits.
constexpr size_t kConferenceHashLength = 16;

}  // namespace kvx::conf
