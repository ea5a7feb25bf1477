#pragma once
// The words shown for a failed load, by the reader's result code. Shared by
// the desktop program and the kvx tool.
#include <string>

namespace kvx {

// For result 0 (a newer file) a non-empty web address is appended where the
// user can get a newer viewer.
std::string loadErrorText(int result, const std::string& webAddress = "");

}  // namespace kvx
