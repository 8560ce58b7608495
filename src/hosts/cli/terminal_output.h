// Command-line text and the progress meter on a terminal.
#pragma once

#include <cstdio>

#include "platform/editor/document.h"

namespace wb::cli {

class TerminalOutput : public editor::HostOutput {
 public:
  explicit TerminalOutput(bool quiet) : quiet_(quiet), tty_(IsTty()) {}
  void Print(const WString& text) override;
  void ProgressStart(const WString& label, int minPos, int maxPos) override;
  void ProgressPos(int pos) override;
  void ProgressEnd() override;
  // Ends a line the module's text left open, so that what the program
  // prints next (a message box) starts on its own.
  void EndLine();

 private:
  static bool IsTty();
  void Draw(int pos);
  bool quiet_;
  bool tty_;
  bool midLine_ = false;
  WString label_;
  int min_ = 0, max_ = 0, lastDrawn_ = -1;
};

}  // namespace wb::cli
