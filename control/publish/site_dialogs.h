#pragma once
// The control's dialogs in wxWidgets: the tools window, the About dialog.
#include "glimmer_com.h"

#include <functional>

class wxWindow;

namespace publish {

// One per process; `command` receives the pressed button's control number.
class ToolsWindowHost {
 public:
  static bool act(glimmer::ToolsAction action, const glimmer::ToolsWindowSpec& spec,
                  const std::function<void(int)>& command);
};

void showAboutDialog(wxWindow* parent, const glimmer::AboutSpec& spec);

}  // namespace publish
