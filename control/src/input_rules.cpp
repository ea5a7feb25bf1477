#include "input_rules.h"

#include "kvx_commands.h"

#include <X11/keysym.h>
#include <cctype>
#include <cstdint>

namespace glimmer {
namespace {

constexpr int VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B,
              VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F, VK_F1 = 0x70;

}  // namespace

int virtualKeyOf(unsigned long keysym) {
  if (keysym >= XK_a && keysym <= XK_z) return static_cast<int>(keysym - XK_a + 'A');
  if (keysym >= XK_A && keysym <= XK_Z) return static_cast<int>(keysym);
  if (keysym >= XK_0 && keysym <= XK_9) return static_cast<int>(keysym);
  if (keysym >= XK_F1 && keysym <= XK_F24) return static_cast<int>(keysym - XK_F1) + VK_F1;
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return static_cast<int>(keysym - XK_KP_0) + VK_NUMPAD0;
  switch (keysym) {
    case XK_Escape: return VK_ESCAPE;
    case XK_space: return VK_SPACE;
    case XK_KP_Multiply: return VK_MULTIPLY;
    case XK_KP_Add: return VK_ADD;
    case XK_KP_Separator: return VK_SEPARATOR;
    case XK_KP_Subtract: return VK_SUBTRACT;
    case XK_KP_Decimal: return VK_DECIMAL;
    case XK_KP_Divide: return VK_DIVIDE;
    default: return 0;
  }
}

KeyAction actionForVirtualKey(int virtualKey) {
  if (virtualKey <= 0 || virtualKey > 0xFF) return {};
  switch (std::tolower(virtualKey)) {
    case VK_ESCAPE: return {KeyAction::StopAnim};
    case 'p': return {KeyAction::StartAnim};
    case ' ': return {KeyAction::Command, EV_NEXT_CAMERA};
    case 'a': return {KeyAction::Command, EV_FIT};
    case 'b': return {KeyAction::Command, EV_VIEW_BOTTOM};
    case 'f': return {KeyAction::Command, EV_VIEW_FRONT};
    case 'k': return {KeyAction::Command, EV_VIEW_BACK};
    case 'l': return {KeyAction::Command, EV_VIEW_LEFT};
    case 'o': return {KeyAction::Command, EV_VIEW_CAMERA};
    case 'r': return {KeyAction::Command, EV_VIEW_RIGHT};
    case 't': return {KeyAction::Command, EV_VIEW_TOP};
    default: return {};
  }
}

unsigned int containerShortcutModifiers(unsigned int keyState) {
  if (!(keyState & (ControlMask | Mod1Mask))) return 0;
  return keyState & (ShiftMask | ControlMask | Mod1Mask);
}

kvx_BaseSDK::ManipMode manipModeFor(unsigned int buttonState) {
  if (buttonState & Button3Mask) return kvx_BaseSDK::ZOOM;
  if (buttonState & Button2Mask) return kvx_BaseSDK::PAN;
  return kvx_BaseSDK::ROTATE;
}

int toSigned16(int value) { return static_cast<int16_t>(static_cast<uint16_t>(value)); }

}  // namespace glimmer
