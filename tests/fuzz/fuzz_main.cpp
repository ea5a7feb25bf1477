// The libFuzzer program of one target, named by KVX_FUZZ_ENTRY.
#include "fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return kvx::fuzz::KVX_FUZZ_ENTRY(data, size);
}
