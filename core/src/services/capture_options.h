#pragma once
// Capture options: one switch per keyword of the command file shared with
// the capture interceptor. A keyword is on exactly when it occurs anywhere
// in the file as a case-sensitive substring, so a disabled keyword is
// written with a dot after its first letter ("N.OOPTIM").
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kvx {

enum class CaptureOption {
  TRACEOGL, TRACEONLYCAPTURE, DONTUSEMATRIX, NOOPTIM, AUTOREFRESH1, AUTOREFRESH2,
  OPTIMINOPENGL, NOPYRAMID, TWO_CAPTURES, SIX_CAPTURES, CONVERTTODXF, MATRIX1,
  STARTSTOP, STOPONTIMER, CATIAENVOFF, MATRIX2, NOTEXTURE, NOPOINTS, NOWIREFRAME,
  CAPTURELINEASSOLID, DONTACCELERATETEXTURES, NOCONTINUOUSCAPTURE, LOGTEXTURESTOBMP,
  CAPTURETORAM, DONTCOMPRESSKVXFILE, TOGGLEONCLEAR, TOGGLEONDRAWBUFFER, TOGGLEONFLUSH,
  NOLIGHT, NORMALIZENORMALS, FORCELIGHTINCAPTUREDAPP, RECOMPUTENORMALS, PROESPECIAL,
  ROBCADSPECIAL, THREEDS_SPECIAL, NOFONT, TOGGLEYZ,
  Count
};

inline constexpr size_t kCaptureOptionCount = static_cast<size_t>(CaptureOption::Count);

// Keywords in the order they are examined, indexed by CaptureOption.
const std::array<std::string_view, kCaptureOptionCount>& captureOptionKeywords();

bool captureOption(CaptureOption option);
void setCaptureOption(CaptureOption option, bool on);
// All off except CAPTURETORAM, as at load time.
void resetCaptureOptions();
// Sets every option from the command file; an unreadable or empty file
// leaves them as they are. FORCELIGHTINCAPTUREDAPP always ends up off.
void reloadCaptureOptions(const std::string& commandFile);
// Sets every option from the file's content (the rule above).
void applyCaptureOptions(std::string_view content);

// The captured application's name: the first non-empty line of the command
// file; "MATRIX1" and "M.ATRIX1" count as no name.
std::optional<std::string> capturedApplicationName(const std::string& commandFile);

}  // namespace kvx
