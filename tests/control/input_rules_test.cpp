// The control's keyboard table and pointer modes.
// gtest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "input_rules.h"
#include "kvx_commands.h"

#include <X11/keysym.h>

namespace glimmer {
namespace {

KeyAction forKeysym(unsigned long keysym) { return actionForVirtualKey(virtualKeyOf(keysym)); }

TEST(KeyboardTable, LettersActWhateverTheShiftState) {
  struct Case {
    unsigned long lower, upper;
    int command;
  } cases[] = {
      {XK_space, XK_space, EV_NEXT_CAMERA}, {XK_a, XK_A, EV_FIT},         {XK_b, XK_B, EV_VIEW_BOTTOM},
      {XK_f, XK_F, EV_VIEW_FRONT},          {XK_k, XK_K, EV_VIEW_BACK},   {XK_l, XK_L, EV_VIEW_LEFT},
      {XK_o, XK_O, EV_VIEW_CAMERA},         {XK_r, XK_R, EV_VIEW_RIGHT},  {XK_t, XK_T, EV_VIEW_TOP},
  };
  for (const Case& c : cases) {
    for (unsigned long keysym : {c.lower, c.upper}) {
      const KeyAction action = forKeysym(keysym);
      EXPECT_EQ(action.kind, KeyAction::Command) << keysym;
      EXPECT_EQ(action.command, c.command) << keysym;
    }
  }
  EXPECT_EQ(forKeysym(XK_p).kind, KeyAction::StartAnim);
  EXPECT_EQ(forKeysym(XK_P).kind, KeyAction::StartAnim);
  EXPECT_EQ(forKeysym(XK_Escape).kind, KeyAction::StopAnim);
}

TEST(KeyboardTable, KeysSharingALetterCodeActAsThatLetter) {
  struct Case {
    unsigned long keysym;
    unsigned long letter;
  } cases[] = {
      {XK_F1, XK_p},      {XK_F3, XK_r},      {XK_F5, XK_t},           {XK_KP_1, XK_a},
      {XK_KP_2, XK_b},    {XK_KP_6, XK_f},    {XK_KP_Add, XK_k},       {XK_KP_Separator, XK_l},
      {XK_KP_Divide, XK_o},
  };
  for (const Case& c : cases) {
    const KeyAction shared = forKeysym(c.keysym), letter = forKeysym(c.letter);
    EXPECT_EQ(shared.kind, letter.kind) << c.keysym;
    EXPECT_EQ(shared.command, letter.command) << c.keysym;
  }
}

TEST(KeyboardTable, OtherKeysDoNothing) {
  for (unsigned long keysym : std::initializer_list<unsigned long>{XK_c, XK_Z, XK_1, XK_F2, XK_F4, XK_KP_3, XK_Return,
                                                                   XK_Shift_L, XK_Left, 0})
    EXPECT_EQ(forKeysym(keysym).kind, KeyAction::Nothing) << keysym;
}

TEST(PointerModes, RightZoomsMiddlePansOtherwiseRotate) {
  EXPECT_EQ(manipModeFor(Button1Mask), kvx_BaseSDK::ROTATE);
  EXPECT_EQ(manipModeFor(0), kvx_BaseSDK::ROTATE);
  EXPECT_EQ(manipModeFor(Button2Mask), kvx_BaseSDK::PAN);
  EXPECT_EQ(manipModeFor(Button3Mask), kvx_BaseSDK::ZOOM);
  EXPECT_EQ(manipModeFor(Button3Mask | Button2Mask), kvx_BaseSDK::ZOOM);
  // Whatever the keyboard state.
  EXPECT_EQ(manipModeFor(Button2Mask | ShiftMask | ControlMask), kvx_BaseSDK::PAN);
  EXPECT_EQ(manipModeFor(Button3Mask | Mod1Mask), kvx_BaseSDK::ZOOM);
}

TEST(PointerModes, CoordinatesAreSignedSixteenBit) {
  EXPECT_EQ(toSigned16(100), 100);
  EXPECT_EQ(toSigned16(0xFFFF), -1);
  EXPECT_EQ(toSigned16(-5), -5);
  EXPECT_EQ(toSigned16(70000), 70000 - 65536);
}

}  // namespace
}  // namespace glimmer
