#pragma once
// The program's own OpenGL entry points behind the interceptor's wrappers,
// found however the program reached its GL: linked, or opened at run time.
#include <string_view>

namespace kvx::capture {

// The dynamic linker's own symbol lookup (the interceptor replaces dlsym).
void* realDlsym(void* handle, const char* name);

// The next definition of `name` after the interceptor: the linked GL
// library, else the one the program opened itself, else the loader's
// glXGetProcAddressARB. Null when none has it.
void* resolveReal(const char* name);

// Remembers a library the program opened and looked GL functions up in.
void noteProgramGlLibrary(void* handle);

// The interceptor's own wrapper of a GL or GLX function, or null.
void* ownWrapper(const char* name);

// True when the caller's code lies in a GL library or driver, whose own
// lookups must see the real functions.
bool calledFromGlStack(const void* returnAddress);

}  // namespace kvx::capture

// Calls the real function; does nothing when the program has none.
#define KVX_REAL(name, ...)                                                            \
  do {                                                                                 \
    static decltype(&::name) kvxReal = nullptr;                                        \
    if (!kvxReal) kvxReal = reinterpret_cast<decltype(&::name)>(::kvx::capture::resolveReal(#name)); \
    if (kvxReal) kvxReal(__VA_ARGS__);                                                 \
  } while (0)

// The same, for functions whose result the wrapper returns.
#define KVX_REAL_RESULT(fallback, name, ...)                                           \
  [&]() {                                                                              \
    static decltype(&::name) kvxReal = nullptr;                                        \
    if (!kvxReal) kvxReal = reinterpret_cast<decltype(&::name)>(::kvx::capture::resolveReal(#name)); \
    return kvxReal ? kvxReal(__VA_ARGS__) : (fallback);                                \
  }()
