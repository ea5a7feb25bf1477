#include "services/capture_options.h"

#include "services/file_content.h"

#include <atomic>
#include <fstream>

namespace kvx {
namespace {

constexpr bool startValue(size_t index) { return index == static_cast<size_t>(CaptureOption::CAPTURETORAM); }

// Atomic: a scene file read on a loader thread reloads the options while
// the GUI thread's renderer reads them.
std::array<std::atomic<bool>, kCaptureOptionCount>& optionValues() {
  static std::array<std::atomic<bool>, kCaptureOptionCount> values;
  static const bool started = [] {
    for (size_t i = 0; i < kCaptureOptionCount; ++i) values[i].store(startValue(i), std::memory_order_relaxed);
    return true;
  }();
  (void)started;
  return values;
}

}  // namespace

const std::array<std::string_view, kCaptureOptionCount>& captureOptionKeywords() {
  static const std::array<std::string_view, kCaptureOptionCount> keywords = {
      "TRACEOGL", "TRACEONLYCAPTURE", "DONTUSEMATRIX", "NOOPTIM", "AUTOREFRESH1", "AUTOREFRESH2",
      "OPTIMINOPENGL", "NOPYRAMID", "2CAPTURES", "6CAPTURES", "CONVERTTODXF", "MATRIX1",
      "STARTSTOP", "STOPONTIMER", "CATIAENVOFF", "MATRIX2", "NOTEXTURE", "NOPOINTS", "NOWIREFRAME",
      "CAPTURELINEASSOLID", "DONTACCELERATETEXTURES", "NOCONTINUOUSCAPTURE", "LOGTEXTURESTOBMP",
      "CAPTURETORAM", "DONTCOMPRESSKVXFILE", "TOGGLEONCLEAR", "TOGGLEONDRAWBUFFER", "TOGGLEONFLUSH",
      "NOLIGHT", "NORMALIZENORMALS", "FORCELIGHTINCAPTUREDAPP", "RECOMPUTENORMALS", "PROESPECIAL",
      "ROBCADSPECIAL", "3DSSPECIAL", "NOFONT", "TOGGLEYZ"};
  return keywords;
}

bool captureOption(CaptureOption option) {
  return optionValues()[static_cast<size_t>(option)].load(std::memory_order_relaxed);
}

void setCaptureOption(CaptureOption option, bool on) {
  optionValues()[static_cast<size_t>(option)].store(on, std::memory_order_relaxed);
}

void resetCaptureOptions() {
  for (size_t i = 0; i < kCaptureOptionCount; ++i) optionValues()[i].store(startValue(i), std::memory_order_relaxed);
}

void applyCaptureOptions(std::string_view content) {
  const auto& keywords = captureOptionKeywords();
  for (size_t i = 0; i < kCaptureOptionCount; ++i)
    optionValues()[i].store(content.find(keywords[i]) != std::string_view::npos, std::memory_order_relaxed);
  setCaptureOption(CaptureOption::FORCELIGHTINCAPTUREDAPP, false);
}

void reloadCaptureOptions(const std::string& commandFile) {
  auto content = readFileContent(commandFile);
  if (!content || content->empty()) return;
  applyCaptureOptions(*content);
}

std::optional<std::string> capturedApplicationName(const std::string& commandFile) {
  std::ifstream in(commandFile, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    if (line.empty()) continue;
    if (line == "MATRIX1" || line == "M.ATRIX1") return std::nullopt;
    return line;
  }
  return std::nullopt;
}

}  // namespace kvx
