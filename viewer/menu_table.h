#pragma once
// The menus and tools of the main frame, as data: the frame builds its menu
// bar and tool bar from these tables, and the tests read them.
#include <span>

namespace kavrik {

enum class ItemKind { Normal, Check, Separator, Submenu };

struct MenuItemSpec {
  const char* label;
  int command;
  ItemKind kind;
  bool enabledAtStart;
  bool checkedAtStart;
  const char* accelerator = "";  // shown after the label, e.g. "Ctrl+O"
};

struct MenuSpec {
  const char* title;
  std::span<const MenuItemSpec> items;
};

std::span<const MenuSpec> menuTable();
// Items of the "Set View" submenu (command CMD_SET_VIEW).
std::span<const MenuItemSpec> setViewItems();

struct ToolSpec {
  int command;
  const char* bitmap;  // file in the resources folder
  const char* shortHelp;
  const char* longHelp;
  int separatorsAfter;
};

// In tool-bar order; a separator comes before the first tool.
std::span<const ToolSpec> toolTable();

// Menu state without a file: only Open, Exit and the Help items are enabled
// among the commands 100..1998.
bool enabledWithoutFile(int command);

}  // namespace kavrik
