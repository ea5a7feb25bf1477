#pragma once
// The frame's rules that need no window: cursors, check marks, the title,
// the load error texts and the file properties text.
#include "services/load_errors.h"
#include <cstdint>
#include <string>

namespace kavrik {

// The load-error words are shared with the kvx tool.
using kvx::loadErrorText;

// Cursor numbers of SetCurseur.
enum CursorNumber { CURSOR_ARROW = 0, CURSOR_MEASURE = 1, CURSOR_CUT_PLANE = 2, CURSOR_WAIT = 3,
                    CURSOR_ORBIT = 4, CURSOR_PAN = 5, CURSOR_ZOOM = 6, CURSOR_SELECT = 7 };

// The cursor that shows a mouse mode.
int cursorForMode(int mouseMode, bool cuttingPlanePanelOpen);
// "WXCURSOR_ORBIT" and so on; "WXCURSOR_ARROW" for any other number.
const char* cursorResourceName(int cursor);

// Check marks of the Display menu, read from the scene flags word.
struct DisplayChecks {
  bool lines, faces, translucent, axis, toggleZY, nodes;
};
DisplayChecks displayChecks(uint32_t sceneFlags);

// The window title: application name, the author's company and user name
// when present, the file's base name or "Untitled", and its size in KB.
std::string formatTitle(const std::string& company, const std::string& user,
                        const std::string& currentFile, int fileSize);
// The part after the last "\" or "/".
std::string baseName(const std::string& path);


// "User Name: ...", "Company Name: ...", "Custom Field: ..." for File
// Properties; a long company name or custom field gets lines of its own.
std::string propertiesText(const std::string& user, const std::string& company,
                           const std::string& custom);

// The open dialog's filters: scene files and the common model formats the
// core imports, together first.
std::string openWildcard();

// The open dialog's name rule: a name that is not an existing file and
// does not end in ".kvx" (any letter case) gets ".kvx" appended.
std::string completeKvxName(const std::string& path, bool exists);

// File names compare without regard to letter case, as on the original
// file system (the last capture is recognised that way).
bool sameFileName(const std::string& a, const std::string& b);

}  // namespace kavrik
