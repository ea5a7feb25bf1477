#include "sdk/prepared_scene.h"

#include "sdk/exchange_module.h"
#include "services/capture_options.h"
#include "services/debuglog.h"
#include "services/load_errors.h"
#include "services/paths.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace kvx {
namespace {

// The scene reader reports through a plain function: the callback of the
// read running on this thread is found here.
struct ProgressTarget {
  kvx_CancelableProgressFn progress;
  void* context;
  bool stopped = false;
};
thread_local ProgressTarget* currentTarget = nullptr;

// Thrown through the scene reader, whose buffers and objects are all owned.
struct ReadStopped {};

void forwardProgress(float value) {
  ProgressTarget* target = currentTarget;
  if (!target) return;
  // The end report comes from a destructor, possibly while unwinding: it never throws.
  if (value < 0 || target->stopped) {
    if (value < 0) target->progress(target->context, value);
    return;
  }
  if (target->progress(target->context, value) != 0) {
    target->stopped = true;
    throw ReadStopped{};
  }
}

struct TargetScope {
  explicit TargetScope(ProgressTarget* target) : previous(currentTarget) { currentTarget = target; }
  ~TargetScope() { currentTarget = previous; }
  ProgressTarget* previous;
};

PreparedRead failure(int32_t result, std::string error) {
  return {nullptr, result, std::move(error)};
}

PreparedRead cancelled() { return failure(KVX_READ_CANCELLED, "Loading was cancelled."); }

PreparedRead readSceneFile(const char* path, const char* passPhrase, kvx_CancelableProgressFn progress,
                           void* context) {
  // The options a capture is processed with, as LoadFileE reads them.
  reloadCaptureOptions(paths().commandFile);
  auto prepared = std::make_unique<kvx_PreparedScene>();
  prepared->scene = std::make_unique<scene>();
  prepared->path = path;
  ProgressTarget target{progress, context};
  TargetScope scope(progress ? &target : nullptr);
  int32_t result = 0;
  try {
    result = prepared->scene->Read(path, passPhrase, &prepared->captured, progress ? forwardProgress : nullptr,
                                   &prepared->cutBox, &prepared->cutPlane, false);
  } catch (const ReadStopped&) {
    return cancelled();
  }
  prepared->scene->progress = nullptr;
  if (result <= FILE_NEEDS_PASS) return failure(result, loadErrorText(result));
  prepared->result = result;
  return {std::move(prepared), result, {}};
}

int32_t sizeOfModel(const std::string& path) {
  std::error_code ignored;
  const auto size = std::filesystem::file_size(path, ignored);
  return static_cast<int32_t>(std::clamp<uintmax_t>(ignored ? 0 : size, 8, INT32_MAX));
}

PreparedRead importModelFile(const ExchangeModule& module, const std::string& path,
                             kvx_CancelableProgressFn progress, void* context) {
  auto prepared = std::make_unique<kvx_PreparedScene>();
  prepared->scene = std::make_unique<scene>();
  prepared->path = path;
  char reason[512] = "";
  const int status = module.import(path.c_str(), prepared->scene.get(), progress, context, reason, sizeof reason);
  if (progress) progress(context, -1.0f);
  if (status == KVX_EXCHANGE_CANCELLED) return cancelled();
  if (status != 0) {
    KVX_LOG(LOG_ERROR, "import of %s failed: %s\n", path.c_str(), reason);
    return failure(FILE_CORRUPT, "Could not import '" + std::filesystem::path(path).filename().string() +
                                     "': " + reason);
  }
  const int32_t size = sizeOfModel(path);
  prepared->result = size;
  return {std::move(prepared), size, {}};
}

}  // namespace

PreparedRead readPreparedScene(const char* path, const char* passPhrase, kvx_CancelableProgressFn progress,
                               void* context) {
  if (!path || !*path) return failure(FILE_CANNOT_OPEN, loadErrorText(FILE_CANNOT_OPEN));
  try {
    if (isModelFileName(path)) {
      if (!std::filesystem::exists(path)) return failure(FILE_CANNOT_OPEN, loadErrorText(FILE_CANNOT_OPEN));
      const ExchangeModule& module = exchangeModule();
      if (module.handles(path, KVX_EXCHANGE_READ)) return importModelFile(module, path, progress, context);
      // Scene files under other names still open; a model does not without the module.
      PreparedRead read = readSceneFile(path, passPhrase, progress, context);
      if (!read.prepared && !module.usable() && read.result == FILE_CORRUPT) read.error = module.failure;
      return read;
    }
    return readSceneFile(path, passPhrase, progress, context);
  } catch (const std::bad_alloc&) {
    return failure(FILE_CORRUPT, "Not enough memory to load the file.");
  }
}

void copyText(const std::string& text, char* buffer, int size) {
  if (!buffer || size <= 0) return;
  const size_t length = std::min(text.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

}  // namespace kvx
