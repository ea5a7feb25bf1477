#include "url_download.h"

#include "services/debuglog.h"
#include "services/temp_file.h"

#include <curl/curl.h>

#include <cstdio>
#include <mutex>
#include <optional>
#include <strings.h>
#include <unistd.h>

namespace glimmer {
namespace {

struct Transfer {
  FILE* file;
  DownloadState* state;
  uint64_t written = 0;
  uint64_t maxBytes;
};

size_t writeBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const size_t n = size * count;
  if (t->written + n > t->maxBytes) return 0;
  if (std::fwrite(data, 1, n, t->file) != n) return 0;
  t->written += n;
  return n;
}

// Progress notifications: bytes received and the announced total.
int onProgress(void* user, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t) {
  auto* t = static_cast<Transfer*>(user);
  t->state->received = static_cast<uint32_t>(received);
  t->state->total = static_cast<uint32_t>(total);
  return t->state->cancel ? 1 : 0;
}

bool fetch(const std::string& url, const std::string& partial, DownloadState& state, const DownloadLimits& limits) {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  FILE* file = std::fopen(partial.c_str(), "wb");
  if (!file) return false;
  Transfer transfer{file, &state, 0, limits.maxBytes};
  CURL* curl = curl_easy_init();
  CURLcode code = CURLE_FAILED_INIT;
  if (curl) {
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.stallSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits.stallSeconds);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    code = curl_easy_perform(curl);
    if (code != CURLE_OK)
      KVX_LOG(kvx::LOG_ERROR, "UrlDownload::fetch: %s failed: %s\n", url.c_str(), curl_easy_strerror(code));
    curl_easy_cleanup(curl);
  }
  const bool closed = std::fclose(file) == 0;
  return code == CURLE_OK && closed;
}

}  // namespace

bool looksLikeUrl(const std::string& name) {
  const size_t colon = name.find("://");
  if (colon == std::string::npos || colon == 0) return false;
  for (size_t i = 0; i < colon; ++i)
    if (!std::isalpha(static_cast<unsigned char>(name[i])) && name[i] != '+' && name[i] != '-' && name[i] != '.')
      return false;
  return true;
}

bool isDownloadableUrl(const std::string& name) {
  return strncasecmp(name.c_str(), "http://", 7) == 0 || strncasecmp(name.c_str(), "https://", 8) == 0;
}

DownloadLimits& downloadLimits() {
  static DownloadLimits limits;
  return limits;
}

bool UrlDownload::start(const std::string& url, const std::string& target, DownloadState& state,
                        DownloadLimits limits) {
  cancelAndJoin();
  state_ = &state;
  state.cancel = false;
  try {
    thread_ = std::thread([url, target, &state, limits] {
      state.done.reset();
      // The body lands beside the target, which it replaces only when complete.
      std::optional<kvx::TempFile> partial = kvx::TempFile::beside(target);
      const bool ok = partial && isDownloadableUrl(url) && fetch(url, partial->path(), state, limits) &&
                      partial->replace(target);
      if (!ok) ::unlink(target.c_str());
      state.error = ok ? 0 : 1;
      state.done.set();
      state.downloading = false;
    });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void UrlDownload::cancelAndJoin() {
  if (state_) state_->cancel = true;
  if (thread_.joinable()) thread_.join();
}

}  // namespace glimmer
