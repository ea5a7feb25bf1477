#pragma once
// The folder of the running program, where its companions are installed.
#include <filesystem>

namespace kvx::tool {

// Empty when the kernel cannot say (no /proc).
std::filesystem::path programFolder();

}  // namespace kvx::tool
