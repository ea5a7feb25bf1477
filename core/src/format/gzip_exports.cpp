// One-shot zlib compression exported for the hosts.
#include "kvx_sdk.h"

#include <zlib.h>

extern "C" int GZIP_Compress(unsigned char* dest, unsigned long* destLen, const unsigned char* source,
                             unsigned long sourceLen) {
  return compress(dest, destLen, source, sourceLen);
}

extern "C" int GZIP_UnCompress(unsigned char* dest, unsigned long* destLen,
                               const unsigned char* source, unsigned long sourceLen) {
  return uncompress(dest, destLen, source, sourceLen);
}
