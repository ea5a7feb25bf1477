#include "document_folder.h"

#include "platform/folders.h"

#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <unistd.h>

namespace glimmer {
namespace {

constexpr const char* kFallbackName = "document.kvx";
constexpr size_t kMaxNameBytes = 200;

std::mutex folderMutex;
std::optional<std::string> folder;

}  // namespace

std::string safeDocumentName(const std::string& name) {
  std::string last = name;
  // A URL's query or fragment is not part of the file's name.
  if (const size_t scheme = last.find("://"); scheme != std::string::npos)
    last = last.substr(0, last.find_first_of("?#", scheme));
  const size_t cut = last.find_last_of("/\\");
  if (cut != std::string::npos) last = last.substr(cut + 1);
  std::string clean;
  for (unsigned char c : last)
    if (c >= 0x20 && c != 0x7F && c != ':') clean += static_cast<char>(c);
  while (!clean.empty() && (clean.front() == '.' || clean.front() == ' ')) clean.erase(0, 1);
  while (!clean.empty() && clean.back() == ' ') clean.pop_back();
  if (clean.size() > kMaxNameBytes) clean.erase(0, clean.size() - kMaxNameBytes);
  return clean.empty() ? kFallbackName : clean;
}

std::optional<std::string> DocumentFolder::path() {
  std::lock_guard lock(folderMutex);
  if (!folder || !kvx::folderExists(*folder)) folder = kvx::makePrivateTempFolder("glimmer-");
  return folder;
}

std::optional<std::string> DocumentFolder::freshPath(const std::string& name) {
  const auto dir = path();
  if (!dir) return std::nullopt;
  const std::string safe = safeDocumentName(name);
  const size_t dot = safe.rfind('.');
  const std::string stem = dot == std::string::npos || dot == 0 ? safe : safe.substr(0, dot);
  const std::string ext = dot == std::string::npos || dot == 0 ? "" : safe.substr(dot);
  for (int n = 1; n < 10000; ++n) {
    const std::string candidate = *dir + "/" + (n == 1 ? safe : stem + "-" + std::to_string(n) + ext);
    // Claims the name at once, so that two controls never share it.
    const int fd = ::open(candidate.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      return candidate;
    }
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

void DocumentFolder::removeAll() {
  std::lock_guard lock(folderMutex);
  if (!folder) return;
  std::error_code ignored;
  std::filesystem::remove_all(*folder, ignored);
  folder.reset();
}

}  // namespace glimmer
