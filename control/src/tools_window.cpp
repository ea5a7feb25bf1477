#include "tools_window.h"

#include "glimmer_obj.h"
#include "x_connection.h"

#include <array>

namespace glimmer {
namespace {

IGlimmerSite* owner = nullptr;
bool created = false;

std::array<std::string, 4> bitmapPaths;
std::array<ToolButton, 4> buttons;
ToolsWindowSpec toolsSpec;
std::string picturePath;
AboutSpec about;

constexpr const char* kShortcuts[] = {"'T' : View top",    "'R' : View right", "'F' : View front",
                                      "'B' : View bottom", "'A' : Fit all",    "'L' : View left",
                                      "'K' : View back",   "'P' : Play animation", "'ESC' : Stop animation",
                                      "'Space' : next view"};

}  // namespace

const ToolsWindowSpec& ToolsWindow::spec(const std::string& moduleFolder) {
  // Control and bitmap numbers as the tools window has always paired them.
  constexpr int controls[4] = {TOOL_BROWSE, TOOL_PLAY, TOOL_STOP, TOOL_ABOUT};
  constexpr int bitmaps[4] = {204, 206, 205, 207};
  constexpr const char* tips[4] = {"Open a scene", "Play animation", "Stop animation", "About"};
  for (int i = 0; i < 4; ++i) {
    bitmapPaths[i] = moduleFolder + "/glimmer/bitmap" + std::to_string(bitmaps[i]) + ".png";
    buttons[i] = {controls[i], bitmapPaths[i].c_str(), tips[i]};
  }
  toolsSpec = {"kavrik publish - tools", buttons.data(), 4, 10, 10};
  return toolsSpec;
}

const AboutSpec& aboutSpec(const std::string& moduleFolder) {
  picturePath = moduleFolder + "/glimmer/bitmap208.png";
  about = {"kavrik publish - about",
           picturePath.c_str(),
           "Kavrik Publish",
           "1.4.6 build 040707",
           "https://kavrik.example.org",
           kShortcuts,
           static_cast<int>(std::size(kShortcuts)),
           "Close",
           "More >>",
           "https://kavrik.example.org/publish"};
  return about;
}

void ToolsWindow::setOwnerSite(IGlimmerSite* site) {
  if (!created) owner = site;
}

void ToolsWindow::siteLeaving(IGlimmerSite* site, IGlimmerSite* successor) {
  if (owner == site) owner = successor;
}

bool ToolsWindow::exists() { return created; }

void ToolsWindow::showFor(CGlimmerObj* control) {
  if (!owner) return;
  const ToolsWindowSpec& s = spec(control->moduleFolder());
  if (created && owner->ToolsWindow(ToolsAction::Show, s)) {
    owner->ToolsWindow(ToolsAction::Flash, s);
    return;
  }
  created = owner->ToolsWindow(ToolsAction::Create, s);
  if (!created && control) control->reportFailure("OnLButtonDown", "Can't create dialog !");
}

void ToolsWindow::command(int controlId) {
  CGlimmerObj* control = xconn::activeControl();
  if (!control) return;
  switch (controlId) {
    case TOOL_BROWSE:
      if (const auto name = control->BrowseForKvxFile()) control->SetFile(name->c_str());
      break;
    case TOOL_PLAY: control->StartAnim(); break;
    case TOOL_STOP: control->StopAnim(); break;
    case TOOL_ABOUT: control->showAbout(); break;
    default: break;
  }
}

void ToolsWindow::onControlShown(bool shown) {
  if (created && owner) owner->ToolsWindow(shown ? ToolsAction::Show : ToolsAction::Hide, toolsSpec);
}

void ToolsWindow::destroy() {
  if (created && owner) owner->ToolsWindow(ToolsAction::Destroy, toolsSpec);
  created = false;
  owner = nullptr;
}

}  // namespace glimmer
