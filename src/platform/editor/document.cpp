#include "platform/editor/document.h"

#include <cstdarg>
#include <cstdio>

namespace wb::editor {
namespace {

std::unique_ptr<db::Database>& Slot() {
  static std::unique_ptr<db::Database> database;
  return database;
}

class NullOutput : public HostOutput {
 public:
  void Print(const WString&) override {}
};

NullOutput g_nullOutput;
HostOutput* g_output = &g_nullOutput;

}  // namespace

db::Database* ActiveDatabase() { return Slot().get(); }
void SetActiveDatabase(std::unique_ptr<db::Database> database) { Slot() = std::move(database); }
std::unique_ptr<db::Database> ReleaseActiveDatabase() { return std::move(Slot()); }

HostOutput* SetHostOutput(HostOutput* output) {
  HostOutput* previous = g_output == &g_nullOutput ? nullptr : g_output;
  g_output = output ? output : &g_nullOutput;
  return previous;
}

HostOutput& Output() { return *g_output; }

namespace {
std::function<ScreenRect()> g_viewRect;
}
ScreenRect ActiveViewRect() { return g_viewRect ? g_viewRect() : ScreenRect{}; }
void SetActiveViewRectSource(std::function<ScreenRect()> source) { g_viewRect = std::move(source); }

}  // namespace wb::editor

void acutPrintf(const char16_t* format, ...) {
  // Format() is variadic itself; the module only prints plain texts and
  // pre-formatted lines, so one %s-free pass suffices.
  va_list args;
  va_start(args, format);
  wb::WString text;
  for (const char16_t* p = format; *p; ++p) {
    if (*p == u'%' && p[1] == u's') {
      const char16_t* s = va_arg(args, const char16_t*);
      if (s) text += s;
      ++p;
    } else if (*p == u'%' && p[1] == u'd') {
      text += wb::Utf8ToUtf16(std::to_string(va_arg(args, int)));
      ++p;
    } else if (*p == u'%' && p[1] == u'%') {
      text += u'%';
      ++p;
    } else {
      text += *p;
    }
  }
  va_end(args);
  wb::editor::Output().Print(text);
}

int acedSetStatusBarProgressMeter(const wb::WString& label, int minPos, int maxPos) {
  wb::editor::Output().ProgressStart(label, minPos, maxPos);
  return 0;
}

int acedSetStatusBarProgressMeterPos(int pos) {
  wb::editor::Output().ProgressPos(pos);
  return 0;
}

void acedRestoreStatusBar() { wb::editor::Output().ProgressEnd(); }

wb::WString WorkingDatabaseFileName() {
  auto* database = wb::editor::ActiveDatabase();
  return database ? wb::Utf8ToUtf16(database->FileName()) : wb::WString();
}
