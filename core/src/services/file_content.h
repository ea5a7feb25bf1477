#pragma once
// A small text file read or replaced whole.
#include <optional>
#include <string>
#include <string_view>

namespace kvx {

// The file's bytes; nothing when it cannot be opened.
std::optional<std::string> readFileContent(const std::string& path);

// Replaces a file's whole content through a temporary file beside it: a
// full disk or a missing folder leaves the old file as it was.
bool replaceFileContent(const std::string& target, std::string_view content);

}  // namespace kvx
