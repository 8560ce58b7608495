// The drag loop in the desktop host: the drag's entities drawn as a live
// preview over the drawing, every cursor move and click fed back to the
// loop, Esc (or a queued command) cancelling it. Also the real font
// measuring the module's text layout uses.
#pragma once

#include <QObject>
#include <QPointF>
#include <deque>
#include <functional>

#include "hosts/desktop/drawing_view.h"
#include "platform/editor/drag.h"
#include "platform/editor/font_metrics.h"

class QEventLoop;

namespace wb::desktop {

class CommandLine;

class QtDragBackend : public QObject, public DragBackend, public ViewOverlay {
  Q_OBJECT

 public:
  QtDragBackend(DrawingView* view, CommandLine* commandLine);
  ~QtDragBackend() override;

  void Begin(const CString& prompt) override;
  DragInput Next(const CDrag& drag) override;
  void End() override;

  void Paint(QPainter& painter, const ViewTransform& view) override;

  bool active() const { return active_; }
  // Cancels the running drag, as a queued command does.
  void Interrupt();
  // Longest wait for one input in milliseconds, 0 for no limit; it then
  // counts as Esc.
  void set_timeout(int ms) { timeout_ = ms; }
  // Frames drawn since the drag began (tests see the preview follow).
  int frames() const { return frames_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Push(DragInput input);
  void ArmPick();

  DrawingView* view_;
  CommandLine* commandLine_;
  const CDrag* drag_ = nullptr;
  bool active_ = false;
  std::deque<DragInput> pending_;
  QEventLoop* loop_ = nullptr;
  QMetaObject::Connection moves_;
  int timeout_ = 0;
  int frames_ = 0;
};

// Text widths measured with the font the view draws texts in, so a frame
// sized around its rows fits what is shown.
class QtFontMetrics : public editor::FontMetrics {
 public:
  double TextWidth(const WString& text, const WString& style, double height, double widthFactor) const override;
};

}  // namespace wb::desktop
