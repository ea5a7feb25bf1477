#pragma once
// Addresses of the maker's web pages opened from the Help menu. Each one can
// be changed in the preferences file.
#include <string>

namespace kavrik {

// The page of a Help command (700, 703, 704, 705); the home page otherwise.
std::string helpPageAddress(int command);

}  // namespace kavrik
