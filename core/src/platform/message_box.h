#pragma once
// Message boxes shown by the core. A host installs a handler (the desktop
// program shows a dialog); without one the text goes to standard error.
#include <functional>
#include <string>

namespace kvx {

using MessageBoxHandler = std::function<void(const std::string& caption, const std::string& text)>;

// An empty handler restores the default.
void setMessageBoxHandler(MessageBoxHandler handler);
void showMessageBox(const std::string& caption, const std::string& text);

}  // namespace kvx
