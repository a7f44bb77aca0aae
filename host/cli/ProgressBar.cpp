#include "cli/ProgressBar.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace {
constexpr int kBarWidth = 40;
constexpr auto kMinimumInterval = std::chrono::milliseconds(100);
}  // namespace

ProgressBar::ProgressBar(bool enabled) : FEnabled(enabled) {}

ProgressBar::~ProgressBar() {
  Done();
}

bool ProgressBar::StandardErrorIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

void ProgressBar::Update(int position, int total) {
  if (!FEnabled || total <= 0) return;
  const int percent = static_cast<int>(100LL * std::min(position, total) / total);
  const auto now = std::chrono::steady_clock::now();
  // Redraw only when the figure changes, and not more often than the eye can follow.
  if (percent == FLastPercent || (FDrawn && now - FLastDraw < kMinimumInterval && percent < 100)) {
    return;
  }
  FLastPercent = percent;
  FLastDraw = now;
  const int filled = percent * kBarWidth / 100;
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(kBarWidth - filled), ' ');
  std::fprintf(stderr, "\r[%s] %3d%% %d/%d", bar.c_str(), percent, position, total);
  std::fflush(stderr);
  FDrawn = true;
}

void ProgressBar::Done() {
  if (FDrawn) {
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    FDrawn = false;
  }
  FLastPercent = -1;
}
