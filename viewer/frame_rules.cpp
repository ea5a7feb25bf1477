#include "frame_rules.h"

#include "command_ids.h"

#include <algorithm>
#include <cstdio>
#include <strings.h>

#include <cstring>

namespace kavrik {
namespace {

constexpr size_t kTitleLimit = 511;
constexpr size_t kSceneTextLimit = 255;
constexpr size_t kLongValue = 20;
constexpr size_t kValueLine = 19;

std::string authorPart(const std::string& text) {
  return text.empty() ? std::string() : " - " + text.substr(0, kSceneTextLimit);
}

std::string propertyLine(const char* label, const std::string& value) {
  if (value.size() <= kLongValue) return label + value;
  std::string text = std::string(label) + "\n";
  for (size_t at = 0; at < value.size(); at += kValueLine) {
    if (at) text += "\n";
    text += value.substr(at, kValueLine);
  }
  return text;
}

}  // namespace

int cursorForMode(int mouseMode, bool cuttingPlanePanelOpen) {
  switch (mouseMode) {
    case CMD_ROTATE: return CURSOR_ORBIT;
    case CMD_PAN: return CURSOR_PAN;
    case CMD_ZOOM: return CURSOR_ZOOM;
    case CMD_SELECTION: return CURSOR_SELECT;
    case CMD_MEASUREMENT: return CURSOR_MEASURE;
    default: return cuttingPlanePanelOpen ? CURSOR_CUT_PLANE : CURSOR_ARROW;
  }
}

const char* cursorResourceName(int cursor) {
  switch (cursor) {
    case CURSOR_MEASURE: return "WXCURSOR_COT";
    case CURSOR_CUT_PLANE: return "WXCURSOR_PLANCUT";
    case CURSOR_WAIT: return "WXCURSOR_WAIT";
    case CURSOR_ORBIT: return "WXCURSOR_ORBIT";
    case CURSOR_PAN: return "WXCURSOR_PAN";
    case CURSOR_ZOOM: return "WXCURSOR_ZOOM";
    case CURSOR_SELECT: return "WXCURSOR_SELECT";
    default: return "WXCURSOR_ARROW";
  }
}

DisplayChecks displayChecks(uint32_t flags) {
  return {.lines = (flags & KVX_SCENE_SHOW_LINES) != 0,
          .faces = (flags & KVX_SCENE_SHOW_FACES) != 0,
          .translucent = (flags & KVX_SCENE_SHOW_TRANSPARENT) != 0,
          .axis = (flags & KVX_SCENE_SHOW_AXES) != 0,
          .toggleZY = (flags & KVX_SCENE_Z_UP) != 0,
          .nodes = (flags & KVX_SCENE_SHOW_NORMALS) != 0};
}

std::string baseName(const std::string& path) {
  size_t cut = path.rfind('\\');
  if (cut == std::string::npos) cut = path.rfind('/');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string formatTitle(const std::string& company, const std::string& user,
                        const std::string& currentFile, int fileSize) {
  std::string name = currentFile.empty() ? std::string("Untitled") : baseName(currentFile);
  std::string title = "Kavrik " + authorPart(company) + authorPart(user) + " - " + name + " (" +
                      std::to_string(fileSize / 1024) + " KB)";
  if (title.size() > kTitleLimit) title.resize(kTitleLimit);
  return title;
}

std::string propertiesText(const std::string& user, const std::string& company,
                           const std::string& custom) {
  return "User Name: " + user + "\n" + propertyLine("Company Name: ", company) + "\n" +
         propertyLine("Custom Field: ", custom);
}

std::string openWildcard() {
  const char* models = "*.gltf;*.glb;*.obj;*.stl;*.ply;*.dae;*.3ds;*.fbx;*.off;*.3mf;*.x;*.lwo;*.ms3d;*.ase";
  return std::string("Kavrik files and models|*.kvx;") + models + "|Kavrik files (*.kvx)|*.kvx|" +
         "glTF (*.gltf;*.glb)|*.gltf;*.glb|Wavefront OBJ (*.obj)|*.obj|STL (*.stl)|*.stl|PLY (*.ply)|*.ply|" +
         "COLLADA (*.dae)|*.dae|3D Studio (*.3ds)|*.3ds|FBX (*.fbx)|*.fbx|Other models|" + models +
         "|All files|*";
}

std::string completeKvxName(const std::string& path, bool exists) {
  if (exists) return path;
  // A model keeps its own name: the core says that it is missing.
  for (const char* model : {".gltf", ".glb", ".obj", ".stl", ".ply", ".dae", ".3ds", ".fbx", ".off", ".3mf"})
    if (path.size() > std::strlen(model) && strcasecmp(path.c_str() + path.size() - std::strlen(model), model) == 0)
      return path;
  bool hasExtension = path.size() >= 4 && strcasecmp(path.c_str() + path.size() - 4, ".kvx") == 0;
  return hasExtension ? path : path + ".kvx";
}

bool sameFileName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace kavrik
