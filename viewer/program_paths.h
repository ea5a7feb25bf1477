#pragma once
// Where the desktop program finds its plug-ins, resources and working files.
#include "services/paths.h"

#include <string>

namespace kavrik {

struct ProgramPaths {
  // Folder of the running program, without a final "/"; empty when the
  // program path has no folder part.
  std::string installDir;
  kvx::PathTable table;     // the capture files of the installation's Files folder
  std::string preferences;  // <install>/Files/kvx_prefs.txt
};

// The process-wide paths, filled by initProgramPaths().
ProgramPaths& programPaths();

// Start-up: the install folder from the registry (registering the fallback
// when missing), replaced by the folder of `programPath` when one is known;
// then the path table.
void initProgramPaths(const std::string& programPath);

// "/usr/lib/kavrik/kavrik" -> "/usr/lib/kavrik"; a path without "/" -> "".
std::string folderOfProgram(const std::string& programPath);
// <install>/plugins/, or "./plugins/" for an empty install folder.
std::string pluginFolder(const std::string& installDir);
// <install>/resources/
std::string resourceFolder(const std::string& installDir);
// The plug-in file for a name: "kvx_core" -> "libkvx_core.so"; a name with
// an extension is kept.
std::string pluginFileName(const std::string& name);

// The per-application capture folder of the application named in the
// command file ("Default" when none is named).
std::string captureApplicationFolder();
// Copies the missing "pyra.txt" and "diff.kvx" of an application from the
// resources ("pyra.txt.<app>", "diff.kvx.<app>"); true when one was copied.
bool copyApplicationDefaults(const std::string& appName);

// The login name of the user, fetched once; at most 100 characters.
const std::string& currentUserName();

}  // namespace kavrik
