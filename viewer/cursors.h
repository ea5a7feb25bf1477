#pragma once
// The cursor resources: stock cursors where the toolkit has the same one,
// else "<name>.cur" files (with their hot spots) in the resources folder.
#include <string>

#include <wx/cursor.h>

namespace kavrik {

// Not IsOk() when the resource cannot be loaded.
wxCursor loadCursorResource(const std::string& name, const std::string& resourceFolder);

}  // namespace kavrik
