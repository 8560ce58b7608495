// The desktop host's main window: the drawing view, the command line below
// it, the properties and layer panels beside it, the status bar with the
// progress meter, and the File, Edit and View menus. The open drawing is the
// platform's active database, so the module's commands work on what the
// window shows.
#pragma once

#include <QAction>
#include <QMainWindow>
#include <QMessageBox>
#include <functional>
#include <memory>
#include <optional>

#include "hosts/desktop/command_line.h"
#include "hosts/desktop/drawing_view.h"
#include "hosts/desktop/paper_dialog.h"

class QDockWidget;

namespace wb::desktop {

class LayerPanel;
class PropertiesPanel;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  DrawingView* view() const { return view_; }
  CommandLine* commandLine() const { return commandLine_; }
  PropertiesPanel* properties() const { return properties_; }
  LayerPanel* layers() const { return layers_; }
  DesktopOutput* output() const { return output_.get(); }

  // Opens a drawing in place of the current one (after asking about unsaved
  // changes). On a bad file the current drawing stays and the message names
  // the file and line.
  bool OpenDrawing(const QString& path);
  bool Save();
  bool SaveAs(const QString& path);
  // True when the drawing differs from the file it was read from / saved to.
  bool IsModified() const;
  // Call after a command changed the drawing.
  void DrawingChanged();
  // Lineweights show when the user asks for them (View menu, LWDISPLAY) or
  // the drawing's own display setting is on.
  void SetUserLineWeights(bool on);
  // Asks about unsaved changes; false when the user cancels.
  bool MaybeKeepChanges();
  // ファイル > 印刷: the view or the extents to a PDF or PNG page.
  void Print();
  // Where paper output goes unless the user says otherwise: beside the
  // drawing, named after it.
  QString PaperPath(const QString& suffix) const;

  // Commands of the view itself (ZOOM, PAN, REGEN, LWDISPLAY); they never end
  // a waiting prompt. False for anything else.
  bool RunViewCommand(const QString& line);
  // A typed line as the command line hands it over.
  void RunCommand(const QString& text);
  // Taller command line (F2), showing more of what was printed.
  void SetTallCommandLine(bool tall);
  // Commands the host does not run itself go here first (the module host
  // runs the module's commands and, in turn with them, UNDO, REDO, LIST).
  void SetCommandHandler(std::function<bool(const QString&)> handler) { commandHandler_ = std::move(handler); }
  // Names the command line completes, besides the host's own.
  void AddCommandNames(const QStringList& names);

  // The questions the window asks; tests answer them without a dialog.
  std::function<QMessageBox::StandardButton(const QString& text)> askUnsaved;
  std::function<QString(bool forSave)> askPath;
  std::function<void(const QString& text)> showError;
  std::function<std::optional<PaperChoice>(PaperDialog::Mode, const QString& suggested)> askPaper;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void BuildPanels();
  QAction* AddAction(QMenu* menu, const QString& text, const QKeySequence& key, std::function<void()> run);
  void ShowContextMenu(QPoint global);
  void StartZoomWindow();
  bool Load(const QString& path);
  void UpdateTitle();
  uint64_t Fingerprint() const;

  DrawingView* view_;
  CommandLine* commandLine_;
  std::unique_ptr<DesktopOutput> output_;
  std::function<bool(const QString&)> commandHandler_;
  uint64_t savedFingerprint_ = 0;
  bool userLineWeights_ = false;
  QAction* lineWeightsAction_ = nullptr;
  QAction* undoAction_ = nullptr;
  QAction* redoAction_ = nullptr;
  QDockWidget* commandDock_ = nullptr;
  PropertiesPanel* properties_ = nullptr;
  LayerPanel* layers_ = nullptr;
  QStringList commandNames_;
  bool zoomOption_ = false;  // the next line answers ZOOM's option prompt
};

}  // namespace wb::desktop
