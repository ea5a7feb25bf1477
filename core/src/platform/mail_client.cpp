#include "platform/mail_client.h"

#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kvx {

std::optional<std::string> findOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (!path) return std::nullopt;
  std::stringstream folders(path);
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    // An empty entry means the current folder.
    const std::filesystem::path dir = folder.empty() ? std::filesystem::path(".") : std::filesystem::path(folder);
    const std::string candidate = (dir / name).string();
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::nullopt;
}

bool MailClient::send(const std::string& subject, const std::string& body, const std::string& attachment) {
  if (!program_) program_ = findOnPath("xdg-email");
  if (!program_) return false;
  // Arguments go straight to the program: no shell sees the file name.
  std::string args[] = {*program_, "--subject", subject, "--body", body, "--attach", attachment};
  char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(),
                  args[4].data(), args[5].data(), args[6].data(), nullptr};
  pid_t pid;
  if (posix_spawn(&pid, program_->c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace kvx
