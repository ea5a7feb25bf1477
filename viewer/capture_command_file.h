#pragma once
// The command file the capture interceptor reads: the application's name,
// then one keyword per line, a disabled keyword written with a dot after its
// first letter. Lines from "__________" on belong to the user and are kept.
#include "capture_settings_file.h"

#include <string>

namespace kavrik {

inline constexpr const char* kKeptSectionMarker = "__________";

// The generated lines for `setting`.
std::string commandFileText(const CaptureSetting& setting);
// The lines of a command file from its "__________" line on, the name line
// excepted; empty without one.
std::string keptSection(const std::string& commandFileContent);
// Writes `setting` to the command file, keeping its own section. False when
// the file cannot be written; the old file then stays as it was.
bool writeCommandFile(const std::string& path, const CaptureSetting& setting);

}  // namespace kavrik
