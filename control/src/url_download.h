#pragma once
// One URL downloaded to a file on a thread of its own. Only http:// and
// https:// are fetched (redirects too); the body may not exceed 512 MB and
// the transfer is abandoned after a stall. The file appears under its final
// name only when the whole body arrived; a failure leaves no file behind.
#include "auto_reset_event.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace glimmer {

bool isDownloadableUrl(const std::string& name);
// A name that looks like a URL of any scheme ("scheme://").
bool looksLikeUrl(const std::string& name);

struct DownloadState {
  AutoResetEvent done;
  std::atomic<int> error{0};
  std::atomic<bool> downloading{false};
  std::atomic<uint32_t> received{0}, total{0};
  std::atomic<bool> cancel{false};
};

struct DownloadLimits {
  uint64_t maxBytes = 512ull << 20;
  long stallSeconds = 30;
};

class UrlDownload {
 public:
  UrlDownload() = default;
  ~UrlDownload() { cancelAndJoin(); }
  UrlDownload(const UrlDownload&) = delete;
  UrlDownload& operator=(const UrlDownload&) = delete;

  // Starts the thread; false when it cannot be started.
  bool start(const std::string& url, const std::string& target, DownloadState& state, DownloadLimits limits);
  // Stops a running transfer and waits for its thread.
  void cancelAndJoin();

 private:
  std::thread thread_;
  DownloadState* state_ = nullptr;
};

// Limits used by new downloads; tests shorten the stall time.
DownloadLimits& downloadLimits();

}  // namespace glimmer
