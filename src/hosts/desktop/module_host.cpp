#include "hosts/desktop/module_host.h"

#include <QAction>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>

#include <unordered_set>

#include "app/command_table.h"
#include "hosts/common/host_commands.h"
#include "hosts/desktop/drag_backend.h"
#include "hosts/desktop/main_window.h"
#include "hosts/desktop/prompt_backend.h"
#include "hosts/desktop/qt_dialog_backend.h"
#include "paper/route_sheet_pages.h"
#include "platform/dialogs/dialog_backend.h"
#include "platform/dialogs/message_box.h"
#include "platform/editor/command_queue.h"
#include "platform/editor/document.h"
#include "platform/editor/undo.h"
#include "resources/string_table.h"
#include "ui/main_dlg.h"

namespace wb::desktop {

ModuleHost::ModuleHost(MainWindow& window) : window_(window) {
  dialogs_ = std::make_unique<QtDialogBackend>(&window);
  prompts_ = std::make_unique<QtPromptBackend>(window.view(), window.commandLine());
  drags_ = std::make_unique<QtDragBackend>(window.view(), window.commandLine());
  fonts_ = std::make_unique<QtFontMetrics>();
  previousDialogs_ = ui::SetBackend(dialogs_.get());
  previousPrompts_ = editor::SetPromptBackend(prompts_.get());
  previousDrags_ = editor::SetDragBackend(drags_.get());
  previousFonts_ = editor::SetFontMetrics(fonts_.get());

  dialogs_->afterAction = [this] { AfterDialogAction(); };
  editor::SetActiveViewRectSource([view = window.view()] {
    const QPoint topLeft = view->mapToGlobal(QPoint(0, 0));
    return editor::ScreenRect{topLeft.x(), topLeft.y(), topLeft.x() + view->width(), topLeft.y() + view->height()};
  });
  prompts_->beforeWait = [this] { Refresh(); };
  prompts_->typedCommand = [this](const QString& line) { return QueueTyped(line); };
  prompts_->transparentCommand = [this](const QString& line) { return window_.RunViewCommand(line); };
  window.SetCommandHandler([this](const QString& line) { return Execute(line.section(QLatin1Char(' '), 0, 0)); });

  acrxEntryPoint(kInitAppMsg, nullptr);
  BuildMenu();
}

ModuleHost::~ModuleHost() {
  prompts_->Interrupt();
  drags_->Interrupt();
  acrxEntryPoint(kUnloadAppMsg, nullptr);  // takes the module's dialogs with it
  editor::CommandStack::Instance().ClearQueue();
  window_.SetCommandHandler(nullptr);
  editor::SetActiveViewRectSource(nullptr);
  editor::SetFontMetrics(previousFonts_);
  editor::SetDragBackend(previousDrags_);
  editor::SetPromptBackend(previousPrompts_);
  ui::SetBackend(previousDialogs_);
}

void ModuleHost::BuildMenu() {
  QMenu* menu = window_.menuBar()->addMenu(QStringLiteral("ケーブル情報(&W)"));
  QStringList names;
  for (const ModuleCommand& command : ModuleCommands()) {
    const QString name = QString::fromStdU16String(command.name);
    names << name;
    QAction* action = menu->addAction(name, this, [this, name] { Execute(name); });
    if (name.compare(QLatin1String("QZ_WireBinder"), Qt::CaseInsensitive) == 0) {
      action->setText(QStringLiteral("ケーブル情報設定 (%1)").arg(name));
      action->setObjectName(QStringLiteral("wireBinderAction"));
      wireBinderAction_ = action;
      menu->addSeparator();
    }
  }
  menu->addSeparator();
  QAction* sheets = menu->addAction(QStringLiteral("経路図出力(&R)..."), this, &ModuleHost::RouteSheets);
  sheets->setObjectName(QStringLiteral("routeSheetsAction"));
  window_.AddCommandNames(names);
  if (wireBinderAction_) {
    QToolBar* bar = window_.addToolBar(QStringLiteral("WireBinder"));
    bar->setObjectName(QStringLiteral("wireBinderToolBar"));
    bar->addAction(wireBinderAction_);
  }
}

void ModuleHost::SetTimeouts(int ms) {
  dialogs_->set_modalTimeout(ms);
  prompts_->set_timeout(ms);
  drags_->set_timeout(ms);
}

bool ModuleHost::Known(const WString& command) {
  return !command.empty() && (hosts::IsHostCommand(command) || editor::CommandStack::Instance().Find(command));
}

bool ModuleHost::Execute(const QString& name) {
  const WString command = name.trimmed().toStdU16String();
  if (!Known(command)) return false;
  typed_.push_back(command);
  // As a command typed meanwhile, it ends a waiting prompt or drag.
  if (prompts_->waiting()) prompts_->Interrupt();
  if (drags_->active()) drags_->Interrupt();
  Schedule();
  return true;
}

bool ModuleHost::QueueTyped(const QString& line) {
  const WString command = line.section(QLatin1Char(' '), 0, 0).toStdU16String();
  if (!Known(command)) return false;
  typed_.push_back(command);
  Schedule();
  return true;
}

void ModuleHost::Schedule() {
  if (scheduled_) return;
  scheduled_ = true;
  QTimer::singleShot(0, this, [this] {
    scheduled_ = false;
    RunPending();
  });
}

// One undo step per command typed or picked from a menu, together with
// every command it queued (a repeating annotation, a dialog's button);
// UNDO, REDO and LIST run between steps.
void ModuleHost::RunPending() {
  if (running_) return;  // the running command's loop drains the queue
  running_ = true;
  auto& stack = editor::CommandStack::Instance();
  bool inStep = false;
  auto endStep = [&] {
    if (inStep) editor::EndCommand();
    inStep = false;
  };
  while (true) {
    WString line;
    if (!typed_.empty()) {
      line = typed_.front();
      typed_.pop_front();
      endStep();
      const editor::CommandEntry* entry = stack.Find(line);
      if (!entry || entry->InHistory()) window_.commandLine()->SetLastCommand(QString::fromStdU16String(line));
    } else if (stack.HasQueued()) {
      line = stack.TakeQueued();
      window_.commandLine()->PrintLine(QStringLiteral("コマンド: %1").arg(QString::fromStdU16String(line)));
    } else {
      break;
    }
    if (hosts::IsHostCommand(line)) {
      endStep();
      hosts::RunHostCommand(line, window_.view()->selection());
    } else {
      if (!inStep) editor::BeginCommand(line);
      inStep = true;
      const auto before = ModelSpace();
      if (!stack.Run(line))
        window_.commandLine()->PrintLine(QStringLiteral("コマンド \"%1\" はありません。").arg(QString::fromStdU16String(line)));
      ReportAdded(before);
    }
    ++completed_;
    Refresh();
  }
  endStep();
  Refresh();
  running_ = false;
}

void ModuleHost::RouteSheets() {
  if (running_) {
    window_.commandLine()->PrintLine(QStringLiteral("コマンドの実行中は経路図を出力できません。"));
    return;
  }
  SheetProject project;
  if (!MainDialogProject(project)) {
    AfxMessageBox(LoadModuleString(135));
    return;
  }
  const auto choice = window_.askPaper(PaperDialog::Mode::kSheets, window_.PaperPath(QStringLiteral("_経路図.pdf")));
  if (!choice) return;
  std::vector<int> rows;
  std::string problem;
  if (!choice->rows.isEmpty() &&
      !ParseRowSelection(choice->rows.toStdString(), static_cast<int>(project.list.rows.size()), rows, problem)) {
    window_.showError(QStringLiteral("行の指定「%1」が正しくありません。1 から %2 までの番号を 1,4-9 のように指定してください。")
                          .arg(choice->rows)
                          .arg(project.list.rows.size()));
    return;
  }
  paper::SheetRequest request;
  request.output = choice->path.toStdString();
  request.setup = choice->setup;
  running_ = true;
  const bool done = paper::MakeRouteSheets(project, rows, request, problem, [] { ui::PumpOneMessage(); });
  running_ = false;
  if (!typed_.empty() || editor::CommandStack::Instance().HasQueued()) Schedule();
  if (!done) {
    window_.showError(QStringLiteral("経路図を出力できませんでした。\n%1").arg(QString::fromStdString(problem)));
    return;
  }
  window_.commandLine()->PrintLine(QStringLiteral("%1 に経路図を出力しました。").arg(choice->path));
}

std::vector<db::ObjectId> ModuleHost::ModelSpace() const {
  const db::Database* database = editor::ActiveDatabase();
  return database ? database->ModelSpaceEntities() : std::vector<db::ObjectId>{};
}

// What a command left in the drawing, said on the command line: the mark
// texts placed and the annotations committed (the module itself is silent).
void ModuleHost::ReportAdded(const std::vector<db::ObjectId>& before) const {
  const db::Database* database = editor::ActiveDatabase();
  if (!database) return;
  const std::unordered_set<uint64_t> old = [&] {
    std::unordered_set<uint64_t> ids;
    for (db::ObjectId id : before) ids.insert(id.handle);
    return ids;
  }();
  for (db::ObjectId id : database->ModelSpaceEntities()) {
    if (old.count(id.handle)) continue;
    const QString handle = QString::fromStdString(db::Database::HandleText(id));
    if (database->EntityType(id) == "TEXT")
      window_.commandLine()->PrintLine(QStringLiteral("記号 %1 を配置しました (ハンドル %2)。")
                                       .arg(QString::fromStdString(database->Group(id, 1).value_or("")), handle));
    else if (auto insert = database->Insert(id))
      window_.commandLine()->PrintLine(QStringLiteral("注記 %1 を記入しました (ハンドル %2)。")
                                       .arg(QString::fromStdString(insert->blockName), handle));
  }
}

void ModuleHost::Refresh() { window_.DrawingChanged(); }

void ModuleHost::AfterDialogAction() {
  if (!editor::CommandStack::Instance().HasQueued()) return;
  // A button queued a command: a waiting prompt or drag ends, and the
  // command runs after the current one.
  if (prompts_->waiting()) prompts_->Interrupt();
  if (drags_->active()) drags_->Interrupt();
  Schedule();
}

}  // namespace wb::desktop
