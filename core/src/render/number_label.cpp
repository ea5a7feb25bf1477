#include "render/number_label.h"

#include <cmath>
#include <cstdio>

namespace kvx {

std::string formatNumberLabel(const char* prefix, double value) {
  const char* format = value >= 10000 ? "%s%15.0f"
                       : value >= 1000 ? "%s%9.1f"
                       : value >= 100  ? "%s%3.2f"
                       : value >= 1    ? "%s%2.3f"
                                       : "%s%1.5f";
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, format, prefix ? prefix : "", value);
  std::string text;
  for (const char* c = buffer; *c; ++c)
    if (*c != ' ') text += *c;
  if (text.find('.') != std::string::npos && text.find_first_of("eEn") == std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  return " " + text + " ";
}

}  // namespace kvx
