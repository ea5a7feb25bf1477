// The frame's rules that need no window: title, cursors, check marks, load
// error texts, File Properties text, the ".kvx" completion, menus, panel texts.
#include "command_ids.h"
#include "frame_rules.h"
#include "menu_table.h"
#include "panel_texts.h"

#include <gtest/gtest.h>

using namespace kavrik;

TEST(ViewerTitle, NamesCompanyUserFileAndSize) {
  EXPECT_EQ(formatTitle("", "", "", 0), "Kavrik  - Untitled (0 KB)");
  EXPECT_EQ(formatTitle("Acme", "joe", "/scenes/sample.kvx", 5000), "Kavrik  - Acme - joe - sample.kvx (4 KB)");
  EXPECT_EQ(formatTitle("", "joe", "C:\\scenes\\a/b\\part.kvx", 2048), "Kavrik  - joe - part.kvx (2 KB)");
  const std::string huge(400, 'x');
  const std::string title = formatTitle(huge, huge, "/f.kvx", 0);
  EXPECT_EQ(title.size(), 511u);
  EXPECT_EQ(title.find(std::string(256, 'x')), std::string::npos) << "each part keeps 255 characters";
}

TEST(ViewerCursors, FollowTheMouseMode) {
  const struct {
    int mode;
    bool cuttingPanel;
    int cursor;
    const char* name;
  } cases[] = {{CMD_ROTATE, false, 4, "WXCURSOR_ORBIT"},  {CMD_PAN, true, 5, "WXCURSOR_PAN"},
               {CMD_ZOOM, false, 6, "WXCURSOR_ZOOM"},     {CMD_SELECTION, false, 7, "WXCURSOR_SELECT"},
               {CMD_MEASUREMENT, true, 1, "WXCURSOR_COT"}, {0, true, 2, "WXCURSOR_PLANCUT"},
               {0, false, 0, "WXCURSOR_ARROW"}};
  for (const auto& c : cases) {
    EXPECT_EQ(cursorForMode(c.mode, c.cuttingPanel), c.cursor) << c.mode;
    EXPECT_STREQ(cursorResourceName(c.cursor), c.name);
  }
  EXPECT_STREQ(cursorResourceName(CURSOR_WAIT), "WXCURSOR_WAIT");
  EXPECT_STREQ(cursorResourceName(42), "WXCURSOR_ARROW");
}

TEST(ViewerChecks, ComeFromTheSceneFlags) {
  EXPECT_TRUE(displayChecks(0x1000).lines);
  EXPECT_TRUE(displayChecks(0x800).faces);
  EXPECT_TRUE(displayChecks(0x2000).translucent);
  EXPECT_TRUE(displayChecks(0x1).axis);
  EXPECT_TRUE(displayChecks(0x4).toggleZY);
  EXPECT_TRUE(displayChecks(0x400).nodes);
  const DisplayChecks none = displayChecks(0x40 | 0x2 | 0x8);
  EXPECT_FALSE(none.lines || none.faces || none.translucent || none.axis || none.toggleZY || none.nodes);
}

TEST(ViewerLoadErrors, HaveOneTextPerResult) {
  EXPECT_EQ(loadErrorText(0, "https://w.example/"),
            "To visualize this Kavrik file please update your Kavrik Vieweron the Tamo web site :\n\n"
            "https://w.example/\n");
  EXPECT_EQ(loadErrorText(1, ""), "File is not a Kavrik file, or contents could not be decrypted");
  EXPECT_EQ(loadErrorText(2, ""), "File format is corrupted, or contents could not be decrypted");
  EXPECT_EQ(loadErrorText(3, ""), "File does not exist");
  EXPECT_EQ(loadErrorText(4, ""), "Could not read file (I/O error)");
  EXPECT_EQ(loadErrorText(5, ""), "No objects in this file");
  EXPECT_EQ(loadErrorText(6, ""), "Undescript file load error");
  EXPECT_EQ(loadErrorText(7, ""), "Decryption error");
  EXPECT_EQ(loadErrorText(-3, ""), "Undescript file load error");
}

TEST(ViewerFileProperties, BreaksLongValuesIntoLinesOf19) {
  EXPECT_EQ(propertiesText("joe", "Acme", "short"),
            "User Name: joe\nCompany Name: Acme\nCustom Field: short");
  EXPECT_EQ(propertiesText("joe", "12345678901234567890", ""),
            "User Name: joe\nCompany Name: 12345678901234567890\nCustom Field: ")
      << "20 characters still fit";
  EXPECT_EQ(propertiesText("", "Very Long Company Name Limited", "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFG"),
            "User Name: \nCompany Name: \nVery Long Company N\name Limited\nCustom Field: \n"
            "abcdefghijklmnopqrs\ntuvwxyz0123456789AB\nCDEFG");
}

TEST(ViewerOpenDialog, AppendsKvxOnlyToMissingNamesWithoutIt) {
  EXPECT_EQ(completeKvxName("/s/scene", false), "/s/scene.kvx");
  EXPECT_EQ(completeKvxName("/s/scene", true), "/s/scene");
  EXPECT_EQ(completeKvxName("/s/scene.KVX", false), "/s/scene.KVX");
  EXPECT_EQ(completeKvxName("/s/kvx", false), "/s/kvx.kvx");
  EXPECT_TRUE(sameFileName("/a/LastCapture.kvx", "/a/lastcapture.KVX"));
  EXPECT_FALSE(sameFileName("/a/LastCapture.kvx", "/a/LastCapture.kvx2"));
}

TEST(ViewerMenus, WithoutAFileOnlyOpenOpenRecentExitAndHelpAreEnabled) {
  std::vector<int> enabled;
  for (int command = 100; command <= 1998; ++command)
    if (enabledWithoutFile(command)) enabled.push_back(command);
  EXPECT_EQ(enabled, (std::vector<int>{100, 103, 117, 700, 702, 703, 704, 705}));
  EXPECT_TRUE(enabledWithoutFile(2000));
  EXPECT_TRUE(enabledWithoutFile(CMD_FULL_SCREEN));
  EXPECT_FALSE(enabledWithoutFile(CMD_SAVE_AS));
  EXPECT_FALSE(enabledWithoutFile(CMD_EXPORT_PICTURE));
}

TEST(ViewerPanels, TextsShowMeasurementAndSceneProperties) {
  kvx_Measure measure{{1, 2, 3}, {4, 6, 3}, 5};
  EXPECT_EQ(measurementText(measure),
            "Point 1:\n   x = 1.000000\n   y = 2.000000\n   z = 3.000000\n\nPoint 2:\n   x = 4.000000\n"
            "   y = 6.000000\n   z = 3.000000\n\nMeasurement:\n   dX = 3.000000\n   dY = 4.000000\n"
            "   dZ = 0.000000\n\n    L = 5.000000");
  kvx_SceneInfo info{};
  info.points = 8;
  info.triangles = 12;
  info.objects = 1;
  info.lights = -1;
  EXPECT_NE(scenePropertiesText(info).find(" - 1 Automatic Light\n"), std::string::npos);
  info.lights = 1;
  EXPECT_NE(scenePropertiesText(info).find(" - 1 Light\n"), std::string::npos);
  info.lights = 0;
  EXPECT_EQ(scenePropertiesText(info),
            "-- Scene Properties --\n - 8 Points\n - 12 Triangles\n - 1 Objects\n - 0 Lights\n"
            " - 0 Textures\n - 0 Selected Points\n\n");
  EXPECT_EQ(annotationHeading("Door"), "Annotation for camera \n \"Door\"");
  EXPECT_EQ(annotationHeading(nullptr), "Annotation for current\ncamera :");
}
