// SDKInit under allocation failure: whichever allocation of the
// construction fails, the host gets null, never an exception.
#include "kvx_sdk.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace {

// Allocations left before operator new fails on this thread; negative: never.
thread_local long allocationsLeft = -1;

void* allocate(std::size_t size) {
  if (allocationsLeft == 0) throw std::bad_alloc();
  if (allocationsLeft > 0) --allocationsLeft;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(SdkEntry, EveryAllocationFailureGivesNull) {
  kvx_GL_Plugin* plugin = nullptr;
  long failingAt = 0;
  for (; failingAt < 10000 && !plugin; ++failingAt) {
    bool threw = false;
    allocationsLeft = failingAt;
    try {
      plugin = SDKInit();
    } catch (...) {
      threw = true;
    }
    allocationsLeft = -1;
    EXPECT_FALSE(threw) << "allocation " << failingAt;
  }
  ASSERT_NE(plugin, nullptr);
  EXPECT_GT(failingAt, 1) << "construction allocates nothing?";
  EXPECT_STREQ(plugin->GetDescriptor(), "Kavrik GL SDK 1.0");
  delete plugin;
}

}  // namespace
