#pragma once
// Initial state of the Blowfish key schedule (the fractional hex digits of pi).
#include <cstdint>

namespace kvx {

extern const uint32_t kBlowfishInitP[18];
extern const uint32_t kBlowfishInitS[4][256];

}  // namespace kvx
