#include "module_objects.h"

#include <atomic>
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

namespace glimmer {
namespace {
std::atomic<int> objects{0};
}

void moduleObjectCreated() { ++objects; }
void moduleObjectDestroyed() { --objects; }
int moduleObjectCount() { return objects; }

std::string modulePath() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&modulePath), &info) || !info.dli_fname) return {};
  char resolved[PATH_MAX];
  return realpath(info.dli_fname, resolved) ? resolved : info.dli_fname;
}

}  // namespace glimmer
