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
    {600, KVX_DISPLAY_LINES, KVX_DISPLAY_LINES, 0x1000},
    {601, KVX_DISPLAY_FACES, KVX_DISPLAY_FACES, 0x800},
    {602, KVX_DISPLAY_TRANS, KVX_DISPLAY_TRANS, 0x2000},
    {604, KVX_DISPLAY_NORMALS, KVX_DISPLAY_NORMALS, 0x200 | 0x400},
    {605, KVX_DISPLAY_AXIS1 | KVX_DISPLAY_AXIS2, KVX_DISPLAY_AXIS1, 0x01},
};

constexpr int kToggleUpAxis = 608;

}  // namespace

bool isDisplayCommand(int code) {
  if (code == kToggleUpAxis) return true;
  for (const DisplayToggle& toggle : kToggles)
    if (toggle.code == code) return true;
  return false;
}

void applyDisplayCommand(int code, kvx_ManipInfo* view, scene* scene) {
  if (code == kToggleUpAxis) {
    if (scene) scene->sceneFlags ^= kSceneZUp;
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
