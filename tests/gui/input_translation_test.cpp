// Keys and pointer events of the canvas, translated for the core.
#include "command_ids.h"
#include "input_translation.h"

#include <gtest/gtest.h>
#include <wx/defs.h>

using namespace kavrik;

namespace {

TEST(ViewerKeys, MapToCommands) {
  const struct {
    int key;
    bool shift;
    int command;
  } cases[] = {{WXK_ESCAPE, false, 2000}, {WXK_SPACE, false, 211}, {'a', false, 207}, {'A', true, 207},
               {'f', false, 201},         {'L', false, 203},       {'o', false, 206}, {'T', false, 200},
               {WXK_DELETE, false, 804},  {WXK_DELETE, true, 877}, {WXK_CLEAR, true, 877},
               {WXK_END, false, 214},     {WXK_HOME, false, 215},  {WXK_LEFT, false, 213},
               {WXK_DOWN, false, 213},    {WXK_UP, false, 212},    {WXK_RIGHT, false, 212},
               {'x', false, 0},           {WXK_F1, false, 0}};
  for (const auto& c : cases) EXPECT_EQ(keyCommand(c.key, c.shift), c.command) << c.key;
}

TEST(ViewerPointer, ButtonsAndModesMakeTheRecord) {
  PointerState left{.leftDown = true, .moving = true};
  PointerState right{.rightDown = true, .moving = true};
  PointerState both{.leftDown = true, .rightDown = true, .moving = true};
  PointerState middle{.middleDown = true, .moving = true};
  PointerState release{.leftReleased = true};
  const struct {
    PointerState state;
    int mode, actions, buttons;
  } cases[] = {{left, CMD_ROTATE, 1, 1},     {left, CMD_PAN, 2, 1},          {left, CMD_ZOOM, 4, 1},
               {left, CMD_SELECTION, 8, 1},  {left, CMD_MEASUREMENT, 16, 1}, {left, 0, 1, 1},
               {right, CMD_SELECTION, 4, 3}, {right, CMD_ROTATE, 4, 3},      {both, CMD_ZOOM, 2, 3},
               {middle, CMD_ROTATE, 2, 2},   {release, CMD_ROTATE, 0, 0},    {release, CMD_MEASUREMENT, 16, 0}};
  for (const auto& c : cases) {
    kvx_MouseEvent event = translatePointer(c.state, c.mode);
    EXPECT_EQ(event.actions, c.actions) << "mode " << c.mode;
    EXPECT_EQ(event.buttons, c.buttons) << "mode " << c.mode;
  }
  PointerState modified{.controlDown = true, .shiftDown = true, .altDown = true};
  EXPECT_EQ(translatePointer(modified, CMD_ROTATE).modifiers, 7);
  EXPECT_TRUE(isDrag(middle));
  EXPECT_FALSE(isDrag(PointerState{.moving = true}));
  EXPECT_FALSE(isDrag(PointerState{.leftDown = true}));
}

}  // namespace
