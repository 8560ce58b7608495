#include "hosts/desktop/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <functional>
#include <string>

#include "hosts/common/host_commands.h"
#include "hosts/desktop/layer_panel.h"
#include "hosts/desktop/properties_panel.h"
#include "paper/plot.h"
#include "platform/editor/document.h"
#include "platform/editor/entity.h"

namespace wb::desktop {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  view_ = new DrawingView(this);
  setCentralWidget(view_);
  commandLine_ = new CommandLine(this);
  commandDock_ = new QDockWidget(QStringLiteral("コマンド ライン"), this);
  commandDock_->setObjectName(QStringLiteral("commandLine"));
  commandDock_->setWidget(commandLine_);
  commandDock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
  addDockWidget(Qt::BottomDockWidgetArea, commandDock_);
  resizeDocks({commandDock_}, {140}, Qt::Vertical);
  output_ = std::make_unique<DesktopOutput>(commandLine_, statusBar());
  commandLine_->SetHandler([this](const QString& text) { RunCommand(text); });
  connect(view_, &DrawingView::cursorMoved, this, [this](QPointF world) {
    statusBar()->showMessage(QStringLiteral("%1, %2").arg(world.x(), 0, 'f', 1).arg(world.y(), 0, 'f', 1));
  });
  connect(view_, &DrawingView::textTyped, commandLine_, &CommandLine::Type);
  connect(view_, &DrawingView::enterPressed, commandLine_, &CommandLine::Submit);
  connect(view_, &DrawingView::contextMenuAt, this, &MainWindow::ShowContextMenu);

  askUnsaved = [this](const QString& text) {
    return QMessageBox::warning(this, tr("WireBinder"), text,
                                QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                QMessageBox::Save);
  };
  askPath = [this](bool forSave) {
    const QString filter = QStringLiteral("DXF 図面 (*.dxf);;すべてのファイル (*)");
    return forSave ? QFileDialog::getSaveFileName(this, QStringLiteral("名前を付けて保存"), QString(), filter)
                   : QFileDialog::getOpenFileName(this, QStringLiteral("図面を開く"), QString(), filter);
  };
  showError = [this](const QString& text) { QMessageBox::warning(this, tr("WireBinder"), text); };
  askPaper = [this](PaperDialog::Mode mode, const QString& suggested) -> std::optional<PaperChoice> {
    PaperDialog dialog(mode, suggested, this);
    if (dialog.exec() != QDialog::Accepted || dialog.choice().path.isEmpty()) return std::nullopt;
    return dialog.choice();
  };

  BuildPanels();
  BuildMenus();
  AddCommandNames({});
  resize(1280, 860);
  UpdateTitle();
}

MainWindow::~MainWindow() {
  // The view must not outlive the drawing it points at.
  view_->SetDatabase(nullptr);
}

// Shortcuts work in every window of the application, so Ctrl+S, Ctrl+Z and
// Ctrl+Q act while a modeless dialog has the focus.
QAction* MainWindow::AddAction(QMenu* menu, const QString& text, const QKeySequence& key, std::function<void()> run) {
  QAction* action = menu->addAction(text, this, std::move(run));
  if (!key.isEmpty()) {
    action->setShortcut(key);
    action->setShortcutContext(Qt::ApplicationShortcut);
    addAction(action);
  }
  return action;
}

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  AddAction(file, QStringLiteral("開く(&O)..."), QKeySequence::Open, [this] {
    if (!MaybeKeepChanges()) return;
    QString path = askPath(false);
    if (!path.isEmpty()) Load(path);
  });
  AddAction(file, QStringLiteral("上書き保存(&S)"), QKeySequence::Save, [this] { Save(); });
  AddAction(file, QStringLiteral("名前を付けて保存(&A)..."), QKeySequence::SaveAs, [this] {
    QString path = askPath(true);
    if (!path.isEmpty()) SaveAs(path);
  });
  file->addSeparator();
  AddAction(file, QStringLiteral("印刷(&P)..."), QKeySequence::Print, [this] { Print(); });
  file->addSeparator();
  AddAction(file, QStringLiteral("終了(&X)"), QKeySequence::Quit, [this] { close(); });

  QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
  undoAction_ = AddAction(edit, QStringLiteral("元に戻す(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z),
                          [this] { RunCommand(QStringLiteral("UNDO")); });
  redoAction_ = AddAction(edit, QStringLiteral("やり直し(&R)"), QKeySequence(Qt::CTRL | Qt::Key_Y),
                          [this] { RunCommand(QStringLiteral("REDO")); });
  edit->addSeparator();
  AddAction(edit, QStringLiteral("オブジェクト情報(&L)"), {}, [this] { RunCommand(QStringLiteral("LIST")); });

  QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("表示(&V)"));
  QToolBar* zoom = addToolBar(QStringLiteral("ズーム"));
  zoom->setObjectName(QStringLiteral("zoomToolBar"));
  const struct {
    const char* text;
    const char* command;
    QKeySequence key;
  } kZoom[] = {
      {"図面全体(&E)", "ZOOM E", {}},
      {"窓ズーム(&W)", "ZOOM W", {}},
      {"前画面(&P)", "ZOOM P", {}},
      {"拡大(&I)", "ZOOM 2X", QKeySequence::ZoomIn},
      {"縮小(&O)", "ZOOM 0.5X", QKeySequence::ZoomOut},
      {"画面移動(&N)", "PAN", {}},
  };
  for (const auto& z : kZoom) {
    const QString command = QString::fromLatin1(z.command);
    zoom->addAction(AddAction(viewMenu, QString::fromUtf8(z.text), z.key, [this, command] { RunViewCommand(command); }));
  }
  viewMenu->addSeparator();
  lineWeightsAction_ = viewMenu->addAction(QStringLiteral("線の太さを表示(&L)"));
  lineWeightsAction_->setCheckable(true);
  connect(lineWeightsAction_, &QAction::toggled, this, &MainWindow::SetUserLineWeights);
  QAction* tall = AddAction(viewMenu, QStringLiteral("コマンド ラインを広げる(&C)"), QKeySequence(Qt::Key_F2), {});
  tall->setCheckable(true);
  connect(tall, &QAction::toggled, this, &MainWindow::SetTallCommandLine);
  viewMenu->addSeparator();
  for (QDockWidget* dock : findChildren<QDockWidget*>())
    if (dock != commandDock_) viewMenu->addAction(dock->toggleViewAction());
}

void MainWindow::BuildPanels() {
  auto dock = [this](QWidget* panel, const QString& title, const char* name) {
    auto* d = new QDockWidget(title, this);
    d->setObjectName(QString::fromLatin1(name));
    d->setWidget(panel);
    addDockWidget(Qt::RightDockWidgetArea, d);
    return d;
  };
  properties_ = new PropertiesPanel(this);
  layers_ = new LayerPanel(this);
  QDockWidget* props = dock(properties_, QStringLiteral("プロパティ"), "propertiesPanel");
  QDockWidget* layers = dock(layers_, QStringLiteral("画層"), "layerPanel");
  // Tabs: each panel gets the window's height for its tables.
  tabifyDockWidget(props, layers);
  props->raise();
  resizeDocks({props}, {380}, Qt::Horizontal);
  // The panels rebuild their tables: the drawing is refreshed after the
  // click that changed it has been handled.
  connect(properties_, &PropertiesPanel::edited, this, &MainWindow::DrawingChanged, Qt::QueuedConnection);
  connect(layers_, &LayerPanel::edited, this, &MainWindow::DrawingChanged, Qt::QueuedConnection);
  connect(view_, &DrawingView::selectionChanged, this, [this] {
    const auto& selection = view_->selection();
    properties_->Show(selection.empty() ? db::ObjectId{} : selection.front());
  });
}

void MainWindow::AddCommandNames(const QStringList& names) {
  commandNames_ << names;
  QStringList all = commandNames_;
  for (const char* own : {"ZOOM", "PAN", "REGEN", "LWDISPLAY"}) all << QString::fromLatin1(own);
  for (const WString& name : hosts::HostCommandNames()) all << QString::fromStdU16String(name);
  all.removeDuplicates();
  commandLine_->SetCommandNames(all);
}

void MainWindow::SetTallCommandLine(bool tall) {
  resizeDocks({commandDock_}, {tall ? height() / 2 : 140}, Qt::Vertical);
}

void MainWindow::ShowContextMenu(QPoint global) {
  QMenu menu(this);
  const QString last = commandLine_->lastCommand();
  if (!last.isEmpty())
    menu.addAction(QStringLiteral("繰り返し: %1").arg(last), this, [this, last] { RunCommand(last); });
  menu.addAction(QStringLiteral("キャンセル"), view_, &DrawingView::ClearSelection);
  menu.addSeparator();
  if (!view_->selection().empty())
    menu.addAction(QStringLiteral("オブジェクト情報"), this, [this] { RunCommand(QStringLiteral("LIST")); });
  menu.addAction(undoAction_);
  menu.addAction(redoAction_);
  menu.addSeparator();
  menu.addAction(QStringLiteral("図面全体"), view_, &DrawingView::ZoomExtents);
  menu.addAction(QStringLiteral("窓ズーム"), this, &MainWindow::StartZoomWindow);
  menu.addAction(QStringLiteral("前画面"), this, [this] { RunViewCommand(QStringLiteral("ZOOM P")); });
  menu.exec(global);
}

void MainWindow::StartZoomWindow() {
  commandLine_->PrintLine(QStringLiteral("窓の 2 つのコーナーをクリックしてください (Esc で中止)。"));
  view_->BeginGesture(ViewGesture::kZoomWindow);
}

uint64_t MainWindow::Fingerprint() const {
  const db::Database* database = editor::ActiveDatabase();
  if (!database) return 0;
  return std::hash<std::string>{}(database->SaveToString());
}

bool MainWindow::IsModified() const {
  return editor::ActiveDatabase() && Fingerprint() != savedFingerprint_;
}

bool MainWindow::MaybeKeepChanges() {
  if (!IsModified()) return true;
  const QString name = QString::fromStdString(editor::ActiveDatabase()->FileName());
  switch (askUnsaved(QStringLiteral("図面 %1 は変更されています。\n保存しますか？").arg(QFileInfo(name).fileName()))) {
    case QMessageBox::Save:
      return Save();
    case QMessageBox::Discard:
      return true;
    default:
      return false;
  }
}

bool MainWindow::OpenDrawing(const QString& path) { return MaybeKeepChanges() && Load(path); }

bool MainWindow::Load(const QString& path) {
  db::Error error;
  auto database = db::Database::Open(path.toStdString(), &error);
  if (!database) {
    const QString text = QStringLiteral("図面を開けませんでした。\n%1").arg(QString::fromStdString(error.ToString()));
    commandLine_->PrintLine(text);
    showError(text);
    return false;
  }
  view_->SetDatabase(nullptr);
  editor::SetActiveDatabase(std::move(database));
  savedFingerprint_ = Fingerprint();
  view_->SetDatabase(editor::ActiveDatabase());
  view_->SetLineWeightDisplay(userLineWeights_ || editor::LineWeightDisplay());
  UpdateTitle();
  return true;
}

bool MainWindow::Save() {
  const db::Database* database = editor::ActiveDatabase();
  if (!database) return false;
  if (database->FileName().empty()) {
    QString path = askPath(true);
    return !path.isEmpty() && SaveAs(path);
  }
  return SaveAs(QString::fromStdString(database->FileName()));
}

bool MainWindow::SaveAs(const QString& path) {
  const db::Database* database = editor::ActiveDatabase();
  if (!database) return false;
  db::Error error;
  const std::string target = path.toStdString();
  if (!database->Save(target, &error)) {
    const QString text = QStringLiteral("図面を保存できませんでした。\n%1").arg(QString::fromStdString(error.ToString()));
    commandLine_->PrintLine(text);
    showError(text);
    return false;
  }
  // Saving elsewhere makes the copy the working file; the undo history stays.
  editor::ActiveDatabase()->SetFileName(target);
  savedFingerprint_ = Fingerprint();
  UpdateTitle();
  return true;
}

void MainWindow::DrawingChanged() {
  view_->DrawingChanged();
  view_->SetLineWeightDisplay(userLineWeights_ || editor::LineWeightDisplay());
  properties_->Refresh();
  layers_->Refresh();
  UpdateTitle();
}

void MainWindow::SetUserLineWeights(bool on) {
  userLineWeights_ = on;
  if (lineWeightsAction_ && lineWeightsAction_->isChecked() != on) lineWeightsAction_->setChecked(on);
  view_->SetLineWeightDisplay(userLineWeights_ || editor::LineWeightDisplay());
}

QString MainWindow::PaperPath(const QString& suffix) const {
  const db::Database* database = editor::ActiveDatabase();
  const QFileInfo drawing(QString::fromStdString(database ? database->FileName() : std::string()));
  if (drawing.fileName().isEmpty()) return QStringLiteral("図面") + suffix;
  return drawing.absoluteDir().filePath(drawing.completeBaseName() + suffix);
}

void MainWindow::Print() {
  const db::Database* database = editor::ActiveDatabase();
  if (!database) return;
  const auto choice = askPaper(PaperDialog::Mode::kPlot, PaperPath(QStringLiteral(".pdf")));
  if (!choice) return;
  paper::PlotRequest request;
  request.output = choice->path.toStdString();
  request.setup = choice->setup;
  if (!choice->extents) request.window = view_->transform().VisibleBox();
  std::string error;
  if (!paper::PlotDrawing(*database, request, error)) {
    const QString text = QStringLiteral("印刷できませんでした。\n%1").arg(QString::fromStdString(error));
    commandLine_->PrintLine(text);
    showError(text);
    return;
  }
  commandLine_->PrintLine(QStringLiteral("%1 に印刷しました。").arg(choice->path));
}

void MainWindow::RunCommand(const QString& text) {
  if (zoomOption_) {
    zoomOption_ = false;
    commandLine_->SetPrompt({});
    RunViewCommand(QStringLiteral("ZOOM ") + (text.isEmpty() ? QStringLiteral("W") : text));
    return;
  }
  const QString word = text.section(QLatin1Char(' '), 0, 0).toUpper();
  if (word.isEmpty()) return;
  if ((word == QLatin1String("ZOOM") || word == QLatin1String("Z")) && !text.simplified().contains(QLatin1Char(' '))) {
    zoomOption_ = true;
    commandLine_->SetLastCommand(text);
    commandLine_->SetPrompt(QStringLiteral("ズーム [全体(E)/窓(W)/前画面(P)/倍率(nX)] <窓>:"));
  } else if (RunViewCommand(text)) {
    commandLine_->SetLastCommand(text);
  } else if (commandHandler_ && commandHandler_(text)) {
  } else if (hosts::IsHostCommand(word.toStdU16String())) {
    // Without the module host the window runs its own commands at once.
    commandLine_->SetLastCommand(word);
    hosts::RunHostCommand(word.toStdU16String(), view_->selection());
    DrawingChanged();
  } else {
    commandLine_->PrintLine(QStringLiteral("コマンド \"%1\" はありません。").arg(word));
  }
}

bool MainWindow::RunViewCommand(const QString& line) {
  const QStringList words = line.simplified().toUpper().split(QLatin1Char(' '));
  const QString& word = words.front();
  const QString option = words.size() > 1 ? words[1] : QStringLiteral("E");
  if (word == QLatin1String("ZOOM") || word == QLatin1String("Z")) {
    const double factor = option.endsWith(QLatin1Char('X')) ? option.chopped(1).toDouble() : 0;
    if (option == QLatin1String("E") || option == QLatin1String("A")) {
      view_->ZoomExtents();
    } else if (option == QLatin1String("W")) {
      StartZoomWindow();
    } else if (option == QLatin1String("P")) {
      if (!view_->ZoomPrevious()) commandLine_->PrintLine(QStringLiteral("前の画面はありません。"));
    } else if (factor > 0) {
      const QPointF centre(view_->width() / 2.0, view_->height() / 2.0);
      view_->ZoomToBox(Box::Of(view_->ToWorld(centre - centre / factor), view_->ToWorld(centre + centre / factor)));
    } else {
      commandLine_->PrintLine(QStringLiteral("ズームのオプションは E、W、P、nX です。"));
    }
  } else if (word == QLatin1String("PAN") || word == QLatin1String("P")) {
    commandLine_->PrintLine(QStringLiteral("ドラッグで画面を移動します (Esc または Enter で終了)。"));
    view_->BeginGesture(ViewGesture::kPan);
  } else if (word == QLatin1String("REGEN")) {
    view_->DrawingChanged();
  } else if (word == QLatin1String("LWDISPLAY")) {
    SetUserLineWeights(!userLineWeights_);
  } else {
    return false;
  }
  return true;
}

void MainWindow::UpdateTitle() {
  const db::Database* database = editor::ActiveDatabase();
  QString name = database ? QFileInfo(QString::fromStdString(database->FileName())).fileName() : QString();
  if (database && name.isEmpty()) name = QStringLiteral("(無題)");
  setWindowTitle(name.isEmpty() ? tr("WireBinder") : tr("%1[*] - WireBinder").arg(name));
  setWindowModified(IsModified());
  undoAction_->setEnabled(database && database->UndoSteps() > 0);
  redoAction_->setEnabled(database && database->RedoSteps() > 0);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (MaybeKeepChanges()) event->accept();
  else event->ignore();
}

}  // namespace wb::desktop
