#pragma once
// TRACEOGL: each intercepted call as "name(arg, arg, ...)".
#include "capture_session.h"

#include <cstdio>
#include <string>
#include <type_traits>

namespace kvx::capture {

template <typename T>
void appendTraceArgument(std::string& line, T value) {
  char text[64];
  if constexpr (std::is_floating_point_v<T>)
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  else if constexpr (std::is_pointer_v<T>)
    std::snprintf(text, sizeof text, "%p", static_cast<const void*>(value));
  else if constexpr (std::is_signed_v<T>)
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
  else
    std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(value));
  if (line.back() != '(') line += ", ";
  line += text;
}

template <typename... Args>
void traceCall(const char* name, Args... args) {
  std::string line = name;
  line += '(';
  (appendTraceArgument(line, args), ...);
  line += ')';
  traceLine(line.c_str());
}

}  // namespace kvx::capture

#define KVX_TRACE(...)                                                                   \
  do {                                                                                   \
    if (::kvx::capture::tracing()) ::kvx::capture::traceCall(__func__ __VA_OPT__(, ) __VA_ARGS__); \
  } while (0)

#define KVX_GL_ENTRY extern "C" __attribute__((visibility("default")))
