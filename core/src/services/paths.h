#pragma once
// The installation folder and the table of working paths derived from it.
// The capture interceptor meets the system through these files.
#include <optional>
#include <string>

namespace kvx {

// Registry key of the core's installation folder (HKEY_LOCAL_MACHINE).
inline constexpr const char* kCaptureInstallKey = "SOFTWARE\\Tamo\\KavrikCapture";
// Registry key of the desktop program's installation folder.
inline constexpr const char* kViewerInstallKey = "SOFTWARE\\Tamo\\KavrikViewer";

// Reads "InstallPath" under `installKey`; when missing, registers the
// fallback folder and creates it with its "Files" subfolder. Returns the folder.
std::string installFolderCreating(const char* installKey = kCaptureInstallKey);

// Expands a template: one containing "%" becomes <install>/Files/ followed
// by the text after its last "%"; without "%" nothing is returned, so the
// caller's destination stays as it was.
std::optional<std::string> expandPathTemplate(const std::string& templ,
                                              const char* installKey = kCaptureInstallKey);

// <install>/Files/ without creating anything; nothing when unregistered.
std::optional<std::string> filesFolder(const char* installKey = kCaptureInstallKey);

// Folder of one captured application's files: <install>/Files/ for "Default",
// else <install>/Files/<name>/ with blanks and "/" replaced by "_" (and every
// dot of a name made only of dots), created when missing. Nothing when the
// installation folder is unregistered.
std::optional<std::string> applicationFolder(const std::string& appName,
                                             const char* installKey = kCaptureInstallKey);

struct PathTable {
  std::string captureScene;        // LastCapture.kvx
  std::string commandFile;         // kavrik_cmd.txt
  std::string viewerToCapture;     // view2capt.cmd
  std::string captureToViewer;     // capt2view.cmd
  std::string viewerRunning;       // vieweron.cmd
  std::string customSettings;      // custom_settings.txt
  std::string predefinedSettings;  // predefined_settings.txt
  std::string home;                // <install>
  std::string resources;           // <install>/resources/
};

// Builds the table, registering the fallback installation folder when needed.
PathTable buildPathTable(const char* installKey = kCaptureInstallKey);

// The path table of this binary, built by the SDK object or the program.
PathTable& paths();

// Name of the next texture dump: <state>/CaptureTexture%03d.bmp. The counter
// is reset by the scene writer and incremented before each name.
void resetTextureLogCounter();
std::string nextTextureLogName();

}  // namespace kvx
