// The module loaded into the desktop host: the Qt dialog, prompt and drag
// services installed, real font measuring, the module's commands runnable
// from the command line and the WireBinder menu, and the command queue
// drained after every command, with the view refreshed after each.
#pragma once

#include <QObject>
#include <QString>
#include <deque>
#include <memory>
#include <vector>

#include "platform/db/database.h"
#include "platform/text/ustring.h"

class QAction;

namespace wb::ui {
class DialogBackend;
}
namespace wb::editor {
class PromptBackend;
class FontMetrics;
}  // namespace wb::editor
class DragBackend;

namespace wb::desktop {

class MainWindow;
class QtDialogBackend;
class QtPromptBackend;
class QtDragBackend;
class QtFontMetrics;

class ModuleHost : public QObject {
  Q_OBJECT

 public:
  explicit ModuleHost(MainWindow& window);
  ~ModuleHost() override;

  QtDialogBackend& dialogs() const { return *dialogs_; }
  QtPromptBackend& prompts() const { return *prompts_; }
  QtDragBackend& drags() const { return *drags_; }
  QAction* wireBinderAction() const { return wireBinderAction_; }

  // Runs a module command (or UNDO, REDO, LIST) by name once the current
  // one is done, ending a prompt it waits in; false for a name not known.
  bool Execute(const QString& name);
  // True while a command runs (possibly waiting in a prompt or drag).
  bool running() const { return running_; }
  // Commands run so far (tests wait on it).
  int completed() const { return completed_; }
  // Waits in every interactive loop at most this long (tests; 0: no limit).
  void SetTimeouts(int ms);
  // 経路図出力: route sheets of the loaded project, as a PDF. Commands
  // asked for meanwhile wait, as during a command.
  void RouteSheets();

 private:
  void Schedule();
  void RunPending();
  // The drawing may have changed: view, title, lineweight display.
  void Refresh();
  void AfterDialogAction();
  // A command typed while a prompt waits: queued, the prompt ends.
  bool QueueTyped(const QString& line);
  static bool Known(const WString& command);
  std::vector<db::ObjectId> ModelSpace() const;
  void ReportAdded(const std::vector<db::ObjectId>& before) const;
  void BuildMenu();

  MainWindow& window_;
  std::unique_ptr<QtDialogBackend> dialogs_;
  std::unique_ptr<QtPromptBackend> prompts_;
  std::unique_ptr<QtDragBackend> drags_;
  std::unique_ptr<QtFontMetrics> fonts_;
  ui::DialogBackend* previousDialogs_ = nullptr;
  editor::PromptBackend* previousPrompts_ = nullptr;
  DragBackend* previousDrags_ = nullptr;
  editor::FontMetrics* previousFonts_ = nullptr;
  QAction* wireBinderAction_ = nullptr;
  std::deque<WString> typed_;
  bool running_ = false;
  bool scheduled_ = false;
  int completed_ = 0;
};

}  // namespace wb::desktop
