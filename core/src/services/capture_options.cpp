#include "services/capture_options.h"

#include "services/file_content.h"

#include <fstream>

namespace kvx {
namespace {

std::array<bool, kCaptureOptionCount> makeStartValues() {
  std::array<bool, kCaptureOptionCount> values{};
  values[static_cast<size_t>(CaptureOption::CAPTURETORAM)] = true;
  return values;
}

std::array<bool, kCaptureOptionCount>& optionValues() {
  static std::array<bool, kCaptureOptionCount> values = makeStartValues();
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

bool captureOption(CaptureOption option) { return optionValues()[static_cast<size_t>(option)]; }

void setCaptureOption(CaptureOption option, bool on) {
  optionValues()[static_cast<size_t>(option)] = on;
}

void resetCaptureOptions() { optionValues() = makeStartValues(); }

void applyCaptureOptions(std::string_view content) {
  const auto& keywords = captureOptionKeywords();
  for (size_t i = 0; i < kCaptureOptionCount; ++i)
    optionValues()[i] = content.find(keywords[i]) != std::string_view::npos;
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
