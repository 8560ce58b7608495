#include "hosts/cli/terminal_output.h"

#include <unistd.h>

#include <string>

namespace wb::cli {

bool TerminalOutput::IsTty() { return isatty(fileno(stderr)) != 0; }

void TerminalOutput::Print(const WString& text) {
  if (quiet_) return;
  std::fputs(Utf16ToUtf8(text).c_str(), stdout);
  std::fflush(stdout);
  if (!text.empty()) midLine_ = text.back() != u'\n';
}

void TerminalOutput::EndLine() {
  if (midLine_) std::fputs("\n", stdout);
  midLine_ = false;
}

void TerminalOutput::ProgressStart(const WString& label, int minPos, int maxPos) {
  label_ = label;
  min_ = minPos;
  max_ = maxPos;
  lastDrawn_ = -1;
  Draw(minPos);
}

void TerminalOutput::ProgressPos(int pos) { Draw(pos); }

void TerminalOutput::ProgressEnd() {
  if (quiet_ || max_ <= min_) return;
  Draw(max_);
  std::fputs(tty_ ? "\n" : "", stderr);
  max_ = min_ = 0;
}

void TerminalOutput::Draw(int pos) {
  if (quiet_ || max_ <= min_) return;
  const int width = 30;
  const int percent = static_cast<int>(100.0 * (pos - min_) / (max_ - min_));
  // Without a terminal, print every tenth step only, one per line.
  if (!tty_) {
    if (percent / 10 == lastDrawn_ / 10 && lastDrawn_ >= 0) return;
    std::fprintf(stderr, "%s %3d%% (%d/%d)\n", Utf16ToUtf8(label_).c_str(), percent, pos - min_,
                 max_ - min_);
    lastDrawn_ = percent;
    return;
  }
  if (percent == lastDrawn_) return;
  lastDrawn_ = percent;
  const int filled = width * percent / 100;
  std::string bar(filled, '#');
  bar.append(width - filled, '.');
  std::fprintf(stderr, "\r%s [%s] %3d%% %d/%d", Utf16ToUtf8(label_).c_str(), bar.c_str(), percent,
               pos - min_, max_ - min_);
  std::fflush(stderr);
}

}  // namespace wb::cli
