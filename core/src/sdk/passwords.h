#pragma once
// Scene passwords are kept and stored with every byte increased by 7.
#include <string>

namespace kvx {

std::string shiftPassword(const std::string& plain);
std::string unshiftPassword(const std::string& shifted);
// Case-insensitive comparison of the first 63 characters of both texts, so
// that a longer password still matches itself.
bool passwordMatches(const std::string& shiftedStored, const char* given);

}  // namespace kvx
