#include "menu_table.h"

#include "command_ids.h"

namespace kavrik {
namespace {

constexpr MenuItemSpec rule{"", -1, ItemKind::Separator, false, false};

constexpr MenuItemSpec item(const char* label, int command, bool enabled = false, const char* accelerator = "") {
  return {label, command, ItemKind::Normal, enabled, false, accelerator};
}
constexpr MenuItemSpec check(const char* label, int command, bool checked = false) {
  return {label, command, ItemKind::Check, false, checked};
}
constexpr MenuItemSpec submenu(const char* label, int command) {
  return {label, command, ItemKind::Submenu, false, false};
}

constexpr MenuItemSpec fileItems[] = {
    item("&Open...", CMD_OPEN, true, "Ctrl+O"), submenu("Open &Recent", CMD_OPEN_RECENT),
    item("&Close", CMD_CLOSE, false, "Ctrl+W"), item("Save &As...", CMD_SAVE_AS, false, "Ctrl+Shift+S"),
    item("&Export Picture...", CMD_EXPORT_PICTURE), rule,
    item("Online &Collaboration...", CMD_COLLABORATION), rule,
    item("&Properties...", CMD_PROPERTIES), rule, item("E&xit", CMD_EXIT, true, "Ctrl+Q")};

constexpr MenuItemSpec editItems[] = {item("&Cut Selection", CMD_CUT_SELECTION),
                                      item("&Invert Selection", CMD_INVERT_SELECTION),
                                      item("Select &All", CMD_SELECT_ALL, false, "Ctrl+A")};

constexpr MenuItemSpec viewItems[] = {
    item("&Optimize View", CMD_FIT), submenu("Set &View", CMD_SET_VIEW), rule,
    item("&Rotate", CMD_ROTATE), item("&Pan", CMD_PAN), item("&Zoom", CMD_ZOOM), rule,
    item("Play &Animation", CMD_PLAY_ANIMATION), item("&Stop Animation", CMD_STOP_ANIMATION), rule,
    check("&Interpolation", CMD_INTERPOLATION, true), rule,
    check("S&cene Properties...", CMD_SCENE_PROPERTIES), rule,
    item("F&ull Screen", CMD_FULL_SCREEN, true, "F11")};

constexpr MenuItemSpec toolsItems[] = {check("&Annotations", CMD_ANNOTATIONS),
                                       submenu("&Set Camera", CMD_SET_CAMERA), rule,
                                       check("&Measurement", CMD_MEASUREMENT), rule,
                                       check("Cutting &Plane", CMD_CUTTING_PLANE)};

constexpr MenuItemSpec displayItems[] = {
    check("&Lines", CMD_LINES), check("&Faces", CMD_FACES), check("&Translucent", CMD_TRANSLUCENT), rule,
    check("&Axis and Boxes", CMD_AXIS, true), rule, check("Toggle &Z/Y", CMD_TOGGLE_ZY)};

constexpr MenuItemSpec helpItems[] = {
    item("&TAMO Website...", CMD_HELP_HOME, true), item("&Technical Support...", CMD_HELP_SUPPORT, true),
    item("&Documentation...", CMD_HELP_DOCUMENTATION, true),
    item("&Submit Feedback/Incident...", CMD_HELP_FEEDBACK, true), rule,
    item("&About Kavrik...", CMD_ABOUT, true)};

constexpr MenuItemSpec captureItems[] = {check("&Enable Capture", CMD_ENABLE_CAPTURE),
                                         item("Capture &Now", CMD_CAPTURE_NOW, true),
                                         item("Capture &Settings...", CMD_CAPTURE_SETTINGS, true)};

constexpr MenuSpec menus[] = {{"&File", fileItems},       {"&Edit", editItems},
                              {"&View", viewItems},       {"&Tools", toolsItems},
                              {"&Display", displayItems}, {"&Capture", captureItems},
                              {"&Help", helpItems}};

constexpr MenuItemSpec setView[] = {
    item("&Top View", CMD_VIEW_TOP),     item("&Front View", CMD_VIEW_FRONT),
    item("&Right View", CMD_VIEW_RIGHT), item("&Left View", CMD_VIEW_LEFT),
    item("Bac&k View", CMD_VIEW_BACK),   item("&Bottom View", CMD_VIEW_BOTTOM)};

constexpr ToolSpec tools[] = {
    {CMD_ROTATE, "but_rotate.bmp", "Rotate Mode", "Rotates the scene...", 0},
    {CMD_PAN, "but_pan.bmp", "Pan Mode", "Moves the scene...", 0},
    {CMD_ZOOM, "but_zoom.bmp", "Zoom Mode", "Zooms in/out the scene...", 1},
    {CMD_SELECTION, "but_sel.bmp", "Selection Mode", "Selects points/polygons in the scene...", 1},
    {CMD_FIT, "view_fit.bmp", "Optimize View", "Fits the scene in the window...", 0},
    {CMD_VIEW_LEFT, "view_left.bmp", "View Left", "Shows the left view of the 3D scene...", 0},
    {CMD_VIEW_FRONT, "view_front.bmp", "View Front", "Shows the front view of the 3D scene...", 0},
    {CMD_VIEW_TOP, "view_top.bmp", "View Top", "Shows the top view of the 3D scene...", 0},
    {CMD_ANIMATION, "but_play.bmp", "Animation", "Play/stop animation...", 1},
    {CMD_ANNOTATIONS, "but_annot.bmp", "Annotations", "Displays Annotations...", 1},
    {CMD_MEASUREMENT, "but_cot.bmp", "Measurement Mode", "Displays the Measurement interface...", 0},
    {CMD_CUTTING_PLANE, "but_cut.bmp", "Cutting Plane", "Displays the Cutting Plane interface...", 2},
    {CMD_SCENE_PROPERTIES, "but_info.bmp", "Scene Properties", "Displays Scene Properties...", 0}};

}  // namespace

std::span<const MenuSpec> menuTable() { return menus; }
std::span<const MenuItemSpec> setViewItems() { return setView; }
std::span<const ToolSpec> toolTable() { return tools; }

bool enabledWithoutFile(int command) {
  switch (command) {
    case CMD_OPEN:
    case CMD_OPEN_RECENT:
    case CMD_EXIT:
    case CMD_HELP_SUPPORT:
    case CMD_ABOUT:
    case CMD_HELP_HOME:
    case CMD_HELP_DOCUMENTATION:
    case CMD_HELP_FEEDBACK:
      return true;
    default:
      return command < 100 || command > 1998;
  }
}

}  // namespace kavrik
