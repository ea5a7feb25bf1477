#include "platform/message_box.h"

#include <cstdio>

namespace kvx {
namespace {

MessageBoxHandler& installedHandler() {
  static MessageBoxHandler handler;
  return handler;
}

}  // namespace

void setMessageBoxHandler(MessageBoxHandler handler) { installedHandler() = std::move(handler); }

void showMessageBox(const std::string& caption, const std::string& text) {
  if (const MessageBoxHandler& handler = installedHandler()) {
    handler(caption, text);
    return;
  }
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

}  // namespace kvx
