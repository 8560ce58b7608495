// A real window for one dialog of the toolkit: built from its template at
// the template's size, its widgets mirroring the controls' state, and every
// user action handed back to the dialog as the toolkit's user-action call.
// The dialog stays the one place the state lives; the window follows it
// through DialogObserver.
#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>
#include <functional>
#include <map>
#include <optional>

#include "platform/dialogs/dialog.h"
#include "platform/dialogs/painter.h"

class QPainter;

namespace wb::desktop {

// The font every template names ("MS UI Gothic", 9 points, through the
// font substitution).
QFont DialogFont();

// Dialog units to pixels the way Windows converts them: a horizontal unit is
// a quarter of the font's average character width, a vertical unit an eighth
// of its height.
struct DialogUnits {
  int baseX = 6;   // average character width, pixels
  int baseY = 12;  // character height, pixels
  static DialogUnits ForFont(const QFont& font);
  int X(int units) const;
  int Y(int units) const;
  QRect ToPixels(const ui::DialogRect& rect) const;
};

// COLORREF (0x00BBGGRR) to and from Qt.
QColor ToQColor(ui::ColorRef color);

// The painter interface of owner-drawn controls over a QPainter, with the
// device context's pixel rules (right and bottom edges exclusive, the last
// point of a polyline not painted).
class QtPainter : public ui::Painter {
 public:
  explicit QtPainter(QPainter& painter) : painter_(painter) {}
  void Rectangle(const ui::PaintRect& rect, ui::ColorRef fill) override;
  void Polyline(const std::vector<ui::PaintPoint>& points, ui::ColorRef color, bool dotted) override;
  ui::ColorRef SetTextColor(ui::ColorRef color) override;
  ui::ColorRef SetBkColor(ui::ColorRef color) override;
  void Text(const ui::PaintRect& rect, const WString& text) override;

 private:
  QPainter& painter_;
  ui::ColorRef text_ = 0x000000;
  ui::ColorRef back_ = 0xFFFFFF;
};

class DialogWindow : public QDialog, public ui::DialogObserver {
  Q_OBJECT

 public:
  // Builds the widgets from the dialog's template and current state and
  // observes the dialog until it or the window goes.
  DialogWindow(ui::Dialog& dialog, QWidget* parent);
  ~DialogWindow() override;

  // Null once the dialog object was destroyed.
  ui::Dialog* dialog() const { return dialog_; }
  int templateId() const { return templateId_; }
  void Detach();

  // The widget of a control (null for an unknown ID).
  QWidget* Control(int id) const;
  const DialogUnits& units() const { return units_; }

  // Brings every widget in line with its control.
  void SyncAll();
  // The window system's frame around the dialog; before the window is first
  // shown it has none yet, and the main window's frame stands in for it.
  QSize FrameMargins() const;

  // Runs after every user action the dialog took (the dialog may be gone).
  std::function<void()> afterAction;

  void ControlChanged(ui::Dialog& dialog, int id) override;
  void DialogChanged(ui::Dialog& dialog) override;

 public slots:
  void reject() override;  // Esc: the dialog decides (Close)

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Build();
  QWidget* CreateWidget(const ui::ControlTemplate& t, int index);
  void SyncControl(int id);
  void SyncWindow();
  void SyncList(int id, const ui::Control& c, QWidget* w);
  // Hands one user action to the dialog, then follows its state.
  void Act(const std::function<void(ui::Dialog&)>& action);

  ui::Dialog* dialog_;
  int templateId_;
  DialogUnits units_;
  std::map<int, QWidget*> widgets_;
  bool syncing_ = false;
  int movedLeft_ = 0, movedTop_ = 0;  // the position the dialog asked for last
  QSize sized_;                       // the outer size it asked for last
  std::optional<QPoint> hiddenAt_;    // where the user left it before it was hidden
};

}  // namespace wb::desktop
