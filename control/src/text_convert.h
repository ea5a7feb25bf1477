#pragma once
// UTF-16 strings of the persisted stream and the dispatch interface, and
// the UTF-8 names the rest of the system uses.
#include <string>

namespace glimmer {

std::string toUtf8(const std::u16string& text);
std::u16string toUtf16(const std::string& text);
// Length of a zero-terminated UTF-16 string; 0 for null.
size_t bstrLength(const char16_t* text);

}  // namespace glimmer
