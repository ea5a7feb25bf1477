#pragma once
// Sending a file as a mail attachment through the desktop's mail program
// (xdg-email), which lets the user choose the recipients.
#include <optional>
#include <string>

namespace kvx {

class MailClient {
 public:
  // Looks the program up on the PATH the first time and keeps a program
  // that was found. False when there is none or it reports a failure.
  bool send(const std::string& subject, const std::string& body, const std::string& attachment);

 private:
  std::optional<std::string> program_;
};

// Full path of an executable found on the PATH.
std::optional<std::string> findOnPath(const std::string& name);

}  // namespace kvx
