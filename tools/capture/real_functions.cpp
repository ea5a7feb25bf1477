#include "real_functions.h"

#include <dlfcn.h>

#include <atomic>
#include <cstring>

namespace kvx::capture {
namespace {

using DlsymFn = void* (*)(void*, const char*);
using GetProcFn = void* (*)(const unsigned char*);

DlsymFn dlsymFunction() {
  static DlsymFn fn = [] {
    void* found = dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.34");
    if (!found) found = dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.2.5");
    return reinterpret_cast<DlsymFn>(found);
  }();
  return fn;
}

std::atomic<void*> programGlLibrary{nullptr};

// This library's own handle, for looking up its wrappers by name.
void* selfHandle() {
  static void* handle = [] {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&selfHandle), &info)) return static_cast<void*>(nullptr);
    return dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
  }();
  return handle;
}

const void* selfBase() {
  static const void* base = [] {
    Dl_info info{};
    return dladdr(reinterpret_cast<void*>(&selfBase), &info) ? info.dli_fbase : nullptr;
  }();
  return base;
}

void* viaGetProcAddress(const char* name) {
  static GetProcFn getProc = [] {
    void* fn = realDlsym(RTLD_NEXT, "glXGetProcAddressARB");
    if (!fn) {
      if (void* library = programGlLibrary.load()) fn = realDlsym(library, "glXGetProcAddressARB");
    }
    if (!fn) {
      // A program that opened GL privately and looked up nothing yet.
      if (void* library = dlopen("libGL.so.1", RTLD_LAZY | RTLD_NOLOAD)) fn = realDlsym(library, "glXGetProcAddressARB");
    }
    return reinterpret_cast<GetProcFn>(fn);
  }();
  return getProc ? getProc(reinterpret_cast<const unsigned char*>(name)) : nullptr;
}

}  // namespace

void* realDlsym(void* handle, const char* name) {
  DlsymFn fn = dlsymFunction();
  return fn ? fn(handle, name) : nullptr;
}

void* resolveReal(const char* name) {
  if (void* fn = realDlsym(RTLD_NEXT, name)) return fn;
  if (void* library = programGlLibrary.load())
    if (void* fn = realDlsym(library, name)) return fn;
  return viaGetProcAddress(name);
}

void noteProgramGlLibrary(void* handle) {
  if (handle && handle != RTLD_DEFAULT && handle != RTLD_NEXT) programGlLibrary.store(handle);
}

void* ownWrapper(const char* name) {
  if (!name || std::strncmp(name, "gl", 2) != 0) return nullptr;
  void* self = selfHandle();
  if (!self) return nullptr;
  void* fn = realDlsym(self, name);
  Dl_info info{};
  if (!fn || !dladdr(fn, &info) || info.dli_fbase != selfBase()) return nullptr;
  return fn;
}

bool calledFromGlStack(const void* returnAddress) {
  Dl_info info{};
  if (!dladdr(returnAddress, &info) || !info.dli_fname) return false;
  if (info.dli_fbase == selfBase()) return true;
  const char* file = std::strrchr(info.dli_fname, '/');
  file = file ? file + 1 : info.dli_fname;
  static const char* const stack[] = {"libGL.", "libGLX", "libGLdispatch", "libOpenGL", "libEGL",
                                      "libglapi", "libgallium", "_dri.so", "libgbm"};
  for (const char* prefix : stack)
    if (std::strstr(file, prefix)) return true;
  return false;
}

}  // namespace kvx::capture
