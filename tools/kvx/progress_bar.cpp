#include "progress_bar.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kvx::tool {
namespace {

constexpr auto kQuietTime = std::chrono::seconds(1);
ProgressBar* running = nullptr;

}  // namespace

std::string progressLine(const std::string& label, float fraction, int barWidth) {
  if (!std::isfinite(fraction)) fraction = 0;
  fraction = std::clamp(fraction, 0.0f, 1.0f);
  const int filled = static_cast<int>(fraction * barWidth);
  char percent[8];
  std::snprintf(percent, sizeof percent, "%4d%%", static_cast<int>(fraction * 100));
  return label + " [" + std::string(filled, '#') + std::string(barWidth - filled, '.') + "]" + percent;
}

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

ProgressBar::ProgressBar(std::string label, bool onTerminal)
    : label_(std::move(label)), onTerminal_(onTerminal), start_(std::chrono::steady_clock::now()) {
  running = this;
}

ProgressBar::~ProgressBar() {
  if (running == this) running = nullptr;
  if (drawn_) std::fputc('\n', stderr);
}

void ProgressBar::report(float fraction) {
  if (running) running->show(fraction);
}

void ProgressBar::show(float fraction) {
  // Values outside 0..1 only tell the reader's own gauge to go away.
  if (!onTerminal_ || fraction < 0 || fraction > 1) return;
  if (!drawn_ && std::chrono::steady_clock::now() - start_ < kQuietTime) return;
  const int percent = static_cast<int>(fraction * 100);
  if (percent == lastPercent_) return;
  lastPercent_ = percent;
  drawn_ = true;
  std::fprintf(stderr, "\r%s", progressLine(label_, fraction).c_str());
  std::fflush(stderr);
}

}  // namespace kvx::tool
