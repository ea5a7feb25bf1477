#include "interaction/display_commands.h"

#include "interaction/predefined_views.h"

namespace kvx {
namespace {

struct DisplayToggle {
  int code;
  uint8_t displayBits;    // toggled in the live view
  uint8_t followedBit;    // the display bit the scene flags follow
  uint32_t sceneBits;     // set exactly when the followed bit is set
};

constexpr DisplayToggle kToggles[] = {
    {EV_LINES, KVX_DISPLAY_LINES, KVX_DISPLAY_LINES, KVX_SCENE_SHOW_LINES},
    {EV_FACES, KVX_DISPLAY_FACES, KVX_DISPLAY_FACES, KVX_SCENE_SHOW_FACES},
    {EV_TRANS, KVX_DISPLAY_TRANS, KVX_DISPLAY_TRANS, KVX_SCENE_SHOW_TRANSPARENT},
    {EV_NODES, KVX_DISPLAY_NORMALS, KVX_DISPLAY_NORMALS, KVX_SCENE_SHOW_NORMALS},
    {EV_AXIS, KVX_DISPLAY_AXIS1 | KVX_DISPLAY_AXIS2, KVX_DISPLAY_AXIS1, KVX_SCENE_SHOW_AXES},
};

}  // namespace

bool isDisplayCommand(int code) {
  if (code == EV_TOGGLE_UP_AXIS) return true;
  for (const DisplayToggle& toggle : kToggles)
    if (toggle.code == code) return true;
  return false;
}

void applyDisplayCommand(int code, kvx_ManipInfo* view, scene* scene) {
  if (code == EV_TOGGLE_UP_AXIS) {
    if (scene) scene->sceneFlags ^= KVX_SCENE_Z_UP;
    return;
  }
  for (const DisplayToggle& toggle : kToggles) {
    if (toggle.code != code || !view) continue;
    view->displayFlags ^= toggle.displayBits;
    if (!scene) return;
    if (view->displayFlags & toggle.followedBit)
      scene->sceneFlags |= toggle.sceneBits;
    else
      scene->sceneFlags &= ~toggle.sceneBits;
  }
}

}  // namespace kvx
