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
#include <functional>
#include <string>

#include "paper/plot.h"
#include "platform/editor/document.h"
#include "platform/editor/entity.h"

namespace wb::desktop {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  view_ = new DrawingView(this);
  setCentralWidget(view_);
  commandLine_ = new CommandLine(this);
  auto* dock = new QDockWidget(QStringLiteral("コマンド ライン"), this);
  dock->setObjectName(QStringLiteral("commandLine"));
  dock->setWidget(commandLine_);
  dock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
  addDockWidget(Qt::BottomDockWidgetArea, dock);
  resizeDocks({dock}, {140}, Qt::Vertical);
  output_ = std::make_unique<DesktopOutput>(commandLine_, statusBar());
  commandLine_->SetHandler([this](const QString& text) { RunCommand(text); });
  connect(view_, &DrawingView::cursorMoved, this, [this](QPointF world) {
    statusBar()->showMessage(QStringLiteral("%1, %2").arg(world.x(), 0, 'f', 1).arg(world.y(), 0, 'f', 1));
  });

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

  BuildMenus();
  resize(1280, 860);
  UpdateTitle();
}

MainWindow::~MainWindow() {
  // The view must not outlive the drawing it points at.
  view_->SetDatabase(nullptr);
}

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  QAction* open = file->addAction(QStringLiteral("開く(&O)..."), this, [this] {
    if (!MaybeKeepChanges()) return;
    QString path = askPath(false);
    if (!path.isEmpty()) Load(path);
  });
  open->setShortcut(QKeySequence::Open);
  QAction* save = file->addAction(QStringLiteral("上書き保存(&S)"), this, [this] { Save(); });
  save->setShortcut(QKeySequence::Save);
  QAction* saveAs = file->addAction(QStringLiteral("名前を付けて保存(&A)..."), this, [this] {
    QString path = askPath(true);
    if (!path.isEmpty()) SaveAs(path);
  });
  saveAs->setShortcut(QKeySequence::SaveAs);
  file->addSeparator();
  QAction* print = file->addAction(QStringLiteral("印刷(&P)..."), this, &MainWindow::Print);
  print->setShortcut(QKeySequence::Print);
  file->addSeparator();
  QAction* quit = file->addAction(QStringLiteral("終了(&X)"), this, &QWidget::close);
  quit->setShortcut(QKeySequence::Quit);

  QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("表示(&V)"));
  viewMenu->addAction(QStringLiteral("図面全体(&E)"), view_, &DrawingView::ZoomExtents);
  lineWeightsAction_ = viewMenu->addAction(QStringLiteral("線の太さを表示(&L)"));
  lineWeightsAction_->setCheckable(true);
  connect(lineWeightsAction_, &QAction::toggled, this, &MainWindow::SetUserLineWeights);
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
    commandLine_->Print(text + QLatin1Char('\n'));
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
    commandLine_->Print(text + QLatin1Char('\n'));
    showError(text);
    return false;
  }
  // The database keeps the name it was read under; saving elsewhere makes
  // the copy the working file.
  if (database->FileName() != target) {
    db::Error reopenError;
    if (auto copy = db::Database::Open(target, &reopenError)) {
      view_->SetDatabase(nullptr);
      editor::SetActiveDatabase(std::move(copy));
      view_->SetDatabase(editor::ActiveDatabase());
    }
  }
  savedFingerprint_ = Fingerprint();
  UpdateTitle();
  return true;
}

void MainWindow::DrawingChanged() {
  view_->DrawingChanged();
  view_->SetLineWeightDisplay(userLineWeights_ || editor::LineWeightDisplay());
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
    commandLine_->Print(text + QLatin1Char('\n'));
    showError(text);
    return;
  }
  commandLine_->Print(QStringLiteral("%1 に印刷しました。\n").arg(choice->path));
}

void MainWindow::RunCommand(const QString& text) {
  const QString word = text.section(QLatin1Char(' '), 0, 0).toUpper();
  if (word.isEmpty()) return;
  if (word == QLatin1String("ZOOM") || word == QLatin1String("Z")) {
    view_->ZoomExtents();
  } else if (word == QLatin1String("REGEN")) {
    view_->DrawingChanged();
  } else if (word == QLatin1String("LWDISPLAY")) {
    SetUserLineWeights(!userLineWeights_);
  } else if (!commandHandler_ || !commandHandler_(text)) {
    commandLine_->Print(QStringLiteral("コマンド \"%1\" はありません。").arg(word) + QLatin1Char('\n'));
  }
}

void MainWindow::UpdateTitle() {
  const db::Database* database = editor::ActiveDatabase();
  QString name = database ? QFileInfo(QString::fromStdString(database->FileName())).fileName() : QString();
  if (database && name.isEmpty()) name = QStringLiteral("(無題)");
  setWindowTitle(name.isEmpty() ? tr("WireBinder") : tr("%1[*] - WireBinder").arg(name));
  setWindowModified(IsModified());
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (MaybeKeepChanges()) event->accept();
  else event->ignore();
}

}  // namespace wb::desktop
