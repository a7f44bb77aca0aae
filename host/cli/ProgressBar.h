// A progress bar on standard error, drawn only when it is a terminal.
#pragma once

#include <chrono>

#include "report/ProgressReporter.h"

class ProgressBar : public ProgressReporter {
 public:
  // `enabled` false (quiet, or not a terminal) draws nothing.
  explicit ProgressBar(bool enabled);
  ~ProgressBar() override;
  void Update(int position, int total) override;
  void Done() override;

  static bool StandardErrorIsTerminal();

 private:
  bool FEnabled;
  bool FDrawn = false;
  int FLastPercent = -1;
  std::chrono::steady_clock::time_point FLastDraw;
};
