#pragma once
// The texts the desktop program shows for a failed load, by result code.
#include <string>

namespace kvx::tool {

std::string loadErrorText(int result);

}  // namespace kvx::tool
