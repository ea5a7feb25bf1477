#pragma once
// A progress bar on standard error for work that takes longer than a
// second, drawn only when standard error is a terminal.
#include <chrono>
#include <string>

namespace kvx::tool {

// "label [##########..........]  50%" for a fraction from 0 to 1.
std::string progressLine(const std::string& label, float fraction, int barWidth = 30);

// One bar at a time: the file readers and writers report through a plain
// function, so the running bar is process-wide.
class ProgressBar {
 public:
  // Starts the bar labelled `label`; `onTerminal` false keeps it silent.
  ProgressBar(std::string label, bool onTerminal);
  ~ProgressBar();  // ends the line when anything was drawn

  // For the readers and writers: reports to the running bar, if any.
  static void report(float fraction);

 private:
  void show(float fraction);

  std::string label_;
  bool onTerminal_;
  bool drawn_ = false;
  int lastPercent_ = -1;
  std::chrono::steady_clock::time_point start_;
};

// True when standard error is a terminal.
bool standardErrorIsTerminal();

}  // namespace kvx::tool
