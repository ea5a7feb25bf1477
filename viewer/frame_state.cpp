// The frame's state shown to the user: tool states, check marks, cursor,
// menu enabling and the title.
#include "canvas.h"
#include "command_ids.h"
#include "cursors.h"
#include "frame.h"
#include "frame_rules.h"
#include "menu_table.h"
#include "program_paths.h"
#include "services/debuglog.h"

#include <wx/menu.h>
#include <wx/toolbar.h>

namespace kavrik {
namespace {

constexpr int kModeTools[] = {CMD_ROTATE, CMD_PAN, CMD_ZOOM, CMD_SELECTION, CMD_MEASUREMENT};
constexpr int kPanelTools[] = {CMD_ANNOTATIONS, CMD_CUTTING_PLANE, CMD_SCENE_PROPERTIES};
constexpr int kViewTools[] = {CMD_VIEW_TOP, CMD_VIEW_FRONT, CMD_VIEW_LEFT, CMD_FIT};
constexpr int kPanelItems[] = {CMD_ANNOTATIONS, CMD_CUTTING_PLANE, CMD_SCENE_PROPERTIES, CMD_MEASUREMENT};

void checkItem(wxMenuBar* bar, int command, bool on) {
  if (bar && bar->FindItem(command)) bar->Check(command, on);
}

// Every item of a menu and its submenus, submenu entries included.
void forEachItem(wxMenu* menu, const std::function<void(wxMenuItem*)>& visit) {
  for (wxMenuItem* item : menu->GetMenuItems()) {
    visit(item);
    if (item->GetSubMenu()) forEachItem(item->GetSubMenu(), visit);
  }
}

}  // namespace

void MyFrame::updateState() {
  if (wxToolBar* bar = GetToolBar()) {
    for (int tool : kModeTools) bar->ToggleTool(tool, tool == mouseMode_);
    for (int tool : kPanelTools) bar->ToggleTool(tool, tool == openPanel_);
    for (int tool : kViewTools) bar->ToggleTool(tool, tool == lastView_);
    bar->ToggleTool(CMD_ANIMATION, animating_);
  }
  kvx_SceneInfo info{};
  if (sdk_) sdk_->GetSceneInfo(&info);
  const DisplayChecks checks = displayChecks(info.sceneFlags);
  wxMenuBar* bar = GetMenuBar();
  checkItem(bar, CMD_LINES, checks.lines);
  checkItem(bar, CMD_FACES, checks.faces);
  checkItem(bar, CMD_TRANSLUCENT, checks.translucent);
  checkItem(bar, CMD_AXIS, checks.axis);
  checkItem(bar, CMD_TOGGLE_ZY, checks.toggleZY);
  for (int item : kPanelItems) checkItem(bar, item, item == openPanel_);
  SetCurseur(cursorForMode(mouseMode_, openPanel_ == CMD_CUTTING_PLANE));
}

void MyFrame::setMenuState(bool fileLoaded) {
  wxMenuBar* bar = GetMenuBar();
  if (!bar) return;
  for (size_t i = 0; i < bar->GetMenuCount(); ++i) {
    forEachItem(bar->GetMenu(i), [fileLoaded](wxMenuItem* item) {
      if (item->IsSeparator()) return;
      const int command = item->GetId();
      if (fileLoaded)
        item->Enable(true);
      else if (command >= 100 && command <= 1998)
        item->Enable(enabledWithoutFile(command));
    });
  }
}

void MyFrame::SetCurseur(int cursor) {
  previousCursor_ = cursor_;
  cursor_ = cursor;
  auto cached = cursors_.find(cursor);
  if (cached == cursors_.end()) {
    wxCursor loaded = loadCursorResource(cursorResourceName(cursor), resourceFolder(programPaths().installDir));
    if (!loaded.IsOk()) {
      KVX_LOG(kvx::LOG_ERROR, "MyFrame::SetCurseur: could not load cursor type %d\n", cursor);
      return;
    }
    cached = cursors_.emplace(cursor, loaded).first;
  }
  if (canvas_) canvas_->SetCursor(cached->second);
}

void MyFrame::restoreCursor() { SetCurseur(previousCursor_); }

void MyFrame::updateTitle() {
  kvx_SceneInfo info{};
  if (sdk_) sdk_->GetSceneInfo(&info);
  auto text = [&](int i) { return std::string(info.sceneTexts[i], strnlen(info.sceneTexts[i], 256)); };
  const bool loaded = fileSize_ > 0;
  title_ = wxString::FromUTF8(
      formatTitle(loaded ? text(3) : std::string(), loaded ? text(1) : std::string(), currentFile_, fileSize_));
  SetTitle(title_);
}

}  // namespace kavrik
