#pragma once
// The exchange library's C interface: the names a program looks up when it
// loads libkvx_exchange.so at run time, so that loading the core itself
// never pulls in the model-format code. The scene handed in is a kvx::scene
// of the same build as the library.
#include <cstddef>

// Raised whenever a function below changes its arguments or meaning.
#define KVX_EXCHANGE_INTERFACE_VERSION 2

enum kvx_ExchangeDirection : int { KVX_EXCHANGE_READ = 0, KVX_EXCHANGE_WRITE = 1 };

// What kvx_ExchangeImportWithProgress returns when its progress callback asked to stop.
#define KVX_EXCHANGE_CANCELLED 1

// Reports import progress (0..1, or -1 when the reader cannot tell); a
// non-zero result stops the import.
using kvx_ExchangeProgressFn = int (*)(void* context, float progress);

extern "C" {

// KVX_EXCHANGE_INTERFACE_VERSION of the library; a loader refuses any other.
__attribute__((visibility("default"))) int kvx_ExchangeVersion(void);

// Reads the model at `path` into `scene`, which is cleared first. 0 on
// success; -1 with the reason in `error` (cut to `errorSize` bytes, always
// terminated when `errorSize` > 0; `error` may be null).
__attribute__((visibility("default"))) int kvx_ExchangeImport(const char* path, void* scene, char* error,
                                                              size_t errorSize);

// kvx_ExchangeImport with progress reports, called on the importing thread;
// KVX_EXCHANGE_CANCELLED (scene left empty) when `progress` asked to stop.
__attribute__((visibility("default"))) int kvx_ExchangeImportWithProgress(const char* path, void* scene,
                                                                          kvx_ExchangeProgressFn progress,
                                                                          void* context, char* error,
                                                                          size_t errorSize);

// Writes `scene` in the format named by the extension of `path`. 0 or -1 as above.
__attribute__((visibility("default"))) int kvx_ExchangeExport(const void* scene, const char* path, char* error,
                                                              size_t errorSize);

// The formats read or written, as "*.obj;*.stl;..." (lower case). The text
// lives as long as the library is loaded.
__attribute__((visibility("default"))) const char* kvx_ExchangeExtensions(kvx_ExchangeDirection direction);

// The C functions' types, for a loader's dlsym results.
using kvx_ExchangeVersionFn = int (*)(void);
using kvx_ExchangeImportFn = int (*)(const char*, void*, char*, size_t);
using kvx_ExchangeImportWithProgressFn = int (*)(const char*, void*, kvx_ExchangeProgressFn, void*, char*, size_t);
using kvx_ExchangeExportFn = int (*)(const void*, const char*, char*, size_t);
using kvx_ExchangeExtensionsFn = const char* (*)(kvx_ExchangeDirection);
}
