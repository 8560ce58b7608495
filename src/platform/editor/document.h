// The host's document manager, reduced to what the module needs: one active
// drawing at a time, its database, and the host's command-line and status-bar
// services.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/db/database.h"
#include "platform/text/ustring.h"

namespace wb::editor {

// The active drawing's database; null when no drawing is open.
db::Database* ActiveDatabase();
void SetActiveDatabase(std::unique_ptr<db::Database> database);
std::unique_ptr<db::Database> ReleaseActiveDatabase();

// Where command-line text and the status-bar progress meter go. The CLI
// prints to the terminal, the desktop host to its widgets, tests capture.
class HostOutput {
 public:
  virtual ~HostOutput() = default;
  virtual void Print(const WString& text) = 0;
  virtual void ProgressStart(const WString& /*label*/, int /*min*/, int /*max*/) {}
  virtual void ProgressPos(int /*pos*/) {}
  virtual void ProgressEnd() {}
};
// Returns the previous sink; null restores the default (discard).
HostOutput* SetHostOutput(HostOutput* output);
HostOutput& Output();

// The active drawing view's window rectangle in screen pixels, asked of the
// host each time (the window may have moved since any command); headless
// hosts leave the default.
struct ScreenRect {
  int left = 0, top = 0, right = 1024, bottom = 768;
};
ScreenRect ActiveViewRect();
// Null restores the default.
void SetActiveViewRectSource(std::function<ScreenRect()> source);

}  // namespace wb::editor

// Host command-line printing (printf over UTF-16).
void acutPrintf(const char16_t* format, ...);

int acedSetStatusBarProgressMeter(const wb::WString& label, int minPos, int maxPos);
int acedSetStatusBarProgressMeterPos(int pos);
void acedRestoreStatusBar();

// File name of the working database as the host reports it.
wb::WString WorkingDatabaseFileName();
