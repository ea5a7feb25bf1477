// The command dispatcher: one frame action per command number, as a rule
// with one OnEvent call of the same number.
#include "canvas.h"
#include "command_ids.h"
#include "frame_rules.h"
#include "frame.h"
#include "help_pages.h"
#include "recent_files.h"
#include "services/debuglog.h"
#include "tool_panel.h"
#include "view_panel.h"

#include <wx/menu.h>
#include <wx/toolbar.h>

namespace kavrik {
namespace {

constexpr int kAnimationPeriodMs = 33;

bool measurementTaken(kvx_GL_Plugin* sdk) {
  kvx_Measure measure{};
  if (sdk) sdk->GetMeasureData(&measure);
  for (int i = 0; i < 3; ++i)
    if (measure.pointA[i] != 0 || measure.pointB[i] != 0) return true;
  return false;
}

}  // namespace

void MyFrame::dispatch(int command) {
  // Keys reach here even while the menus wait for a background read.
  if (reading_) return;
  auto send = [this](int code) {
    if (sdk_) sdk_->OnEvent(code);
  };
  auto sendAndShow = [&](int code) {
    send(code);
    render();
    refreshToolPanel();
  };

  switch (command) {
    case CMD_OPEN:
      openFileFlow();
      setMenuState(fileSize_ > 0);
      applyDisplayPreferences();
      refreshToolPanel();
      break;
    case CMD_CLOSE:
      closeFile();
      setMenuState(false);
      refreshToolPanel();
      break;
    case CMD_EXIT:
      exitProgram();
      return;  // the frame may be gone
    case CMD_PROPERTIES:
      showFileProperties();
      break;
    case CMD_SAVE_AS:
      saveAsFlow();
      break;
    case CMD_EXPORT_PICTURE:
      exportPictureFlow();
      break;
    case CMD_FULL_SCREEN:
      ShowFullScreen(!IsFullScreen(), wxFULLSCREEN_NOBORDER | wxFULLSCREEN_NOCAPTION);
      break;
    case CMD_OPEN_RECENT:
      break;
    case CMD_COLLABORATION:
      openConference();
      break;
    case CMD_VIEW_TOP: case CMD_VIEW_FRONT: case CMD_VIEW_RIGHT: case CMD_VIEW_LEFT:
    case CMD_VIEW_BACK: case CMD_VIEW_BOTTOM: case CMD_FIT: case CMD_INTERPOLATION:
    case CMD_AUTO_LIGHT:
      lastView_ = command;
      updateState();
      sendAndShow(command);
      break;
    case CMD_VIEW_CAMERA: case CMD_NOOP_603:
    case CMD_LINES: case CMD_FACES: case CMD_TRANSLUCENT: case CMD_NODES: case CMD_AXIS: case CMD_606:
      sendAndShow(command);
      break;
    case CMD_CUT_SELECTION: case CMD_KEEP_SELECTION:
      if (!confirmCut(command)) break;
      [[fallthrough]];
    case CMD_NEXT_CAMERA: case CMD_NEXT_ITEM: case CMD_PREVIOUS_ITEM: case CMD_OBJECT_MODE:
    case CMD_SELECT_ALL: case CMD_INVERT_SELECTION:
      SetCurseur(CURSOR_WAIT);
      sendAndShow(command);
      break;
    case CMD_ROTATE: case CMD_PAN: case CMD_ZOOM:
      closeMeasurementIfEmpty();
      setMouseMode(command);
      break;
    case CMD_TOGGLE_ZY:
      send(CMD_TOGGLE_ZY);
      // The axes changed: fit the view, which no view tool shows.
      lastView_ = 0;
      sendAndShow(CMD_FIT);
      break;
    case CMD_HELP_SUPPORT: case CMD_HELP_HOME: case CMD_HELP_DOCUMENTATION: case CMD_HELP_FEEDBACK:
      prompts_->openWebPage(helpPageAddress(command));
      return;
    case CMD_ABOUT:
      prompts_->showAbout(this);
      return;
    case CMD_SELECTION:
      closeMeasurementIfEmpty();
      if (mouseMode_ != CMD_SELECTION) {
        setMouseMode(CMD_SELECTION);
      } else {
        mouseMode_ = CMD_ROTATE;
        updateState();
        send(CMD_SELECT_NONE);
      }
      break;
    case CMD_ANNOTATIONS: case CMD_CUTTING_PLANE: case CMD_SCENE_PROPERTIES:
      togglePanel(command);
      break;
    case CMD_MEASUREMENT:
      if (mouseMode_ == CMD_MEASUREMENT) {
        closePanel();
        mouseMode_ = CMD_ROTATE;
        updateState();
        send(CMD_ROTATE);
      } else {
        escapeState_ = false;
        togglePanel(CMD_MEASUREMENT);
        mouseMode_ = CMD_MEASUREMENT;
        updateState();
        send(CMD_MEASUREMENT);
      }
      break;
    case CMD_ANIMATION: case CMD_PLAY_ANIMATION: case CMD_STOP_ANIMATION:
      toggleAnimation();
      break;
    case CMD_ENABLE_CAPTURE: case CMD_CAPTURE_NOW: case CMD_CAPTURE_SETTINGS:
      captureCommand(command);
      break;
    case CMD_ESCAPE:
      stopAnimation();
      if (escapeState_) {
        mouseMode_ = savedMouseMode_;
      } else {
        savedMouseMode_ = mouseMode_;
        mouseMode_ = CMD_ROTATE;
      }
      escapeState_ = !escapeState_;
      updateState();
      sendAndShow(CMD_ESCAPE);
      break;
    default:
      if (command >= CMD_FIRST_RECENT && command < CMD_FIRST_RECENT + int(kRecentFileCount)) {
        openRecentFile(command - CMD_FIRST_RECENT);
      } else if (command >= CMD_FIRST_CAMERA && command <= CMD_LAST_CAMERA) {
        if (sdk_) sdk_->SetCurrentCamera(command - CMD_SET_CAMERA, true);
        render();
        refreshToolPanel();
      } else {
        send(command);
      }
      break;
  }
  updateState();
}

void MyFrame::setMouseMode(int mode) {
  escapeState_ = false;
  mouseMode_ = mode;
  updateState();
  if (sdk_) sdk_->OnEvent(mode);
  render();
  refreshToolPanel();
}

// Cutting that would leave the scene empty is asked about first: in point
// mode Cut Selection removes everything when every point is selected, and
// keeping the selection removes everything when nothing is.
bool MyFrame::confirmCut(int command) {
  if (!sdk_) return true;
  kvx_SceneInfo info{};
  sdk_->GetSceneInfo(&info);
  const bool removesAll = info.points > 0 && (command == CMD_CUT_SELECTION ? info.selectedPoints >= info.points
                                                                             : info.selectedPoints == 0);
  if (!removesAll) return true;
  return prompts_->confirm(this, "This removes every object of the scene.\nDo you want to go on?", "Cut Selection");
}

// A measurement belongs to its file: closing or opening another ends the
// mode and takes the panel away.
void MyFrame::leaveMeasurement() {
  if (openPanel_ == CMD_MEASUREMENT) closePanel();
  if (mouseMode_ != CMD_MEASUREMENT) return;
  mouseMode_ = CMD_ROTATE;
  if (sdk_) sdk_->OnEvent(CMD_ROTATE);
  updateState();
}

// A pointer mode chosen while the measurement panel shows no measurement
// takes the panel away.
void MyFrame::closeMeasurementIfEmpty() {
  if (openPanel_ == CMD_MEASUREMENT && !measurementTaken(sdk_)) closePanel();
}

void MyFrame::togglePanel(int command) {
  if (openPanel_ == command) {
    if (command != CMD_MEASUREMENT || mouseMode_ == CMD_MEASUREMENT) closePanel();
    return;
  }
  panel_->setToolPanel(createToolPanel(panel_, command, sdk_));
  openPanel_ = command;
  updateState();
  if (fileSize_ > 0) render();
}

void MyFrame::closePanel() {
  if (openPanel_ == -1) return;
  panel_->setToolPanel(nullptr);
  openPanel_ = -1;
  updateState();
  if (fileSize_ > 0) render();
}

void MyFrame::refreshToolPanel() {
  if (ToolPanel* panel = panel_ ? panel_->toolPanel() : nullptr) panel->refreshContents();
}

void MyFrame::toggleAnimation() {
  setStatusText("Playing animation...");
  setStatusText("");
  if (animationTimer_->IsRunning())
    stopAnimation();
  else
    startAnimation();
  updateState();
  if (animating_) setStatusText("*** click on play/stop button to stop animation ***");
  render();
  refreshToolPanel();
}

void MyFrame::startAnimation() {
  animationTimer_->Start(kAnimationPeriodMs);
  if (sdk_) sdk_->OnEvent(CMD_PLAY_ANIMATION);
  animating_ = true;
}

void MyFrame::stopAnimation() {
  if (sdk_) sdk_->OnEvent(CMD_STOP_ANIMATION);
  animationTimer_->Stop();
  animating_ = false;
  // Render presents the frame itself.
  if (canvas_) canvas_->renderNow();
}

void MyFrame::onAnimationTick(wxTimerEvent&) {
  if (!animating_ || !canvas_) return;
  if (sdk_ && canvas_->makeCurrent()) {
    bool more = false;
    sdk_->AnimFrame(&more, true);
    if (!more) sdk_->OnEvent(CMD_ANIMATION_STEP);
  }
  canvas_->repaint();
}

}  // namespace kavrik
