#pragma once
// Numbers written next to the ruler graduations, the bounds and the measurement.
#include <string>

namespace kvx {

// `value` with a precision that falls as it grows, without padding or
// trailing zeros, framed by one space on each side: " 12.5 ".
std::string formatNumberLabel(const char* prefix, double value);

}  // namespace kvx
