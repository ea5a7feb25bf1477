#pragma once
// The one tools window of the process ("kavrik publish - tools") and the
// About dialog. The container shows them with its own toolkit through the
// site; every command acts on the ActiveControl.
#include "glimmer_com.h"

#include <string>

namespace glimmer {

class CGlimmerObj;

enum ToolCommand { TOOL_BROWSE = 204, TOOL_ABOUT = 206, TOOL_PLAY = 207, TOOL_STOP = 208 };

class ToolsWindow {
 public:
  // The overlay button was clicked with the tools-window flag set.
  static void showFor(CGlimmerObj* control);
  static void command(int controlId);
  static void onControlShown(bool shown);
  static void destroy();
  static void setOwnerSite(IGlimmerSite* site);
  // The control of `site` goes away: the tools window is the successor's to
  // show and destroy from now on.
  static void siteLeaving(IGlimmerSite* site, IGlimmerSite* successor);
  static bool exists();
  static const ToolsWindowSpec& spec(const std::string& moduleFolder);
};

// The About dialog's content; the picture lives in `moduleFolder`.
const AboutSpec& aboutSpec(const std::string& moduleFolder);

}  // namespace glimmer
