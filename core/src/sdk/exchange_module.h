#pragma once
// The exchange module (libkvx_exchange.so), opened the first time a model
// in a common format is read or written, from the folder of the library
// holding this code (or its "plugins" folder below). It stays loaded until
// the process ends: scenes it filled may hold its code's objects.
#include "exchange/exchange_interface.h"

#include <string>

namespace kvx {

struct ExchangeModule {
  kvx_ExchangeImportWithProgressFn import = nullptr;
  kvx_ExchangeExportFn exportScene = nullptr;
  kvx_ExchangeExtensionsFn extensions = nullptr;
  std::string failure;  // why the module could not be used; empty when it can

  bool usable() const { return failure.empty(); }
  // True when the module reads (or writes) files with the extension of `path`.
  bool handles(const std::string& path, kvx_ExchangeDirection direction) const;
};

// The module, loaded on first use from any thread; see `failure`.
const ExchangeModule& exchangeModule();

// True when the extension of `path` is neither empty nor ".kvx": such a file
// is a model for the exchange module.
bool isModelFileName(const std::string& path);

}  // namespace kvx
