#pragma once
// Rules of Save As and Export Picture that need no window.
#include <optional>
#include <string>
#include <utility>

namespace kavrik {

enum class SaveKind { Scene, Dxf, Model, Unknown };

// By the extension, in any letter case.
SaveKind saveKindOf(const std::string& path);
// The Save As dialog's filters: scene files, DXF and the model formats the
// core exports.
std::string saveWildcard();
// A name without extension gets ".kvx".
std::string withSaveExtension(const std::string& path);
// A name without ".png" gets it.
std::string withPictureExtension(const std::string& path);

// Results of a save: a byte count (8 or more) for a scene file, kSavedDxf
// for a DXF file that was written, an error code otherwise.
inline constexpr int kSavedDxf = 8;
inline constexpr int kSaveFailed = 6;
bool savedWell(int result);
std::string saveErrorText(int result);

// "WIDTHxHEIGHT" with each side 1 to 16384; nothing for anything else.
std::optional<std::pair<int, int>> pictureSize(const std::string& text);

}  // namespace kavrik
