// The drawing view: shows the active drawing's model space, zooms with the
// wheel about the cursor, pans with the middle button, picks and selects
// with the left button.
//
// Hooks for the editor services:
//  - prompts (point, entity, nested entity, selection set) call BeginPick
//    and get one PickResult back (Esc or the right button cancel; Enter or
//    the right button end a selection);
//  - a drag preview installs a ViewOverlay and follows cursorMoved; the
//    overlay is painted over a cached image of the drawing, so moving it
//    never redraws the drawing;
//  - after a command changed the drawing (a route confirmation's colours
//    too), DrawingChanged rebuilds the display list.
//
// View commands (zoom window, pan with the left button) are gestures of the
// view itself: they run beside a waiting prompt without ending it.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QPointF>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "hosts/desktop/picking.h"
#include "render/renderer.h"
#include "render/view_transform.h"

namespace wb::desktop {

class ViewOverlay {
 public:
  virtual ~ViewOverlay() = default;
  virtual void Paint(QPainter& painter, const ViewTransform& view) = 0;
};

enum class PickMode { kNone, kPoint, kEntity, kNested, kSelection };
enum class ViewGesture { kNone, kZoomWindow, kPan };

struct PickResult {
  PickMode mode = PickMode::kNone;
  bool cancelled = false;
  Vec2 point;                           // world point of the click
  std::optional<PickHit> hit;           // entity / nested: empty on a miss
  std::vector<db::ObjectId> selection;  // selection set
};

class DrawingView : public QWidget {
  Q_OBJECT

 public:
  explicit DrawingView(QWidget* parent = nullptr);

  // The drawing shown (not owned); null shows nothing. Zooms to extents.
  void SetDatabase(const db::Database* database);
  const db::Database* database() const { return database_; }
  // The drawing was edited: rebuild the display list, keep the view.
  void DrawingChanged();

  const DisplayList& displayList() const { return list_; }
  const ViewTransform& transform() const { return view_; }
  void ZoomExtents();
  void ZoomAbout(QPointF screen, double factor);
  void Pan(QPointF pixels);
  void ZoomToBox(const Box& world);
  // Back to the view before the last zoom or pan; false when there is none.
  bool ZoomPrevious();
  // Zoom window (two corners, or a drag) or panning with the left button,
  // until Esc, Enter or the right button.
  void BeginGesture(ViewGesture gesture);
  ViewGesture gesture() const { return gesture_; }

  void SetLineWeightDisplay(bool on);
  bool lineWeightDisplay() const { return options_.lineWeights; }
  // Half the side of the pick box, in pixels.
  void SetAperture(int pixels) { aperture_ = pixels; }
  int aperture() const { return aperture_; }

  Vec2 ToWorld(QPointF screen) const { return view_.ToWorld({screen.x(), screen.y()}); }
  QPointF ToScreen(Vec2 world) const;
  std::optional<PickHit> PickAt(QPointF screen) const;
  std::vector<db::ObjectId> SelectBetween(QPointF from, QPointF to, const EntityFilter& filter = {}) const;

  // One interactive pick; `done` runs once, with the result or cancelled.
  void BeginPick(PickMode mode, std::function<void(const PickResult&)> done, EntityFilter filter = {});
  void CancelPick();
  PickMode pickMode() const { return pickMode_; }

  // The idle selection (clicks and drags without a prompt).
  const std::vector<db::ObjectId>& selection() const { return selection_; }
  void ClearSelection();

  void SetOverlay(ViewOverlay* overlay);  // not owned; null removes
  // The drawing alone, as the view would paint it at this size.
  QImage RenderImage(QSize size) const;

 signals:
  void cursorMoved(QPointF world);
  void selectionChanged();
  void viewChanged();
  // Keys typed in the view: the command line takes them.
  void textTyped(const QString& text);
  // Enter, and the right button, when no prompt and no gesture waits.
  void enterPressed();
  void contextMenuAt(QPoint global);

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void keyPressEvent(QKeyEvent*) override;

 private:
  void Invalidate();
  void Finish(PickResult result);
  void UpdateHighlightFlags();
  void AddToSelection(const std::vector<db::ObjectId>& ids, bool toggle);
  // Keeps the view for ZoomPrevious; a burst of wheel steps or pan moves
  // counts as one change.
  void Remember(bool burst = false);
  bool GestureMouse(QMouseEvent* event);

  const db::Database* database_ = nullptr;
  DisplayList list_;
  ViewTransform view_;
  RenderOptions options_;
  QImage cache_;
  bool cacheValid_ = false;
  bool fitOnResize_ = true;
  int aperture_ = 5;

  std::vector<db::ObjectId> selection_;
  std::vector<bool> highlightFlags_;

  PickMode pickMode_ = PickMode::kNone;
  std::function<void(const PickResult&)> pickDone_;
  EntityFilter pickFilter_;
  std::vector<db::ObjectId> pickSet_;

  bool panning_ = false;
  QPointF panLast_;
  bool pressed_ = false;
  bool dragging_ = false;
  QPointF dragFrom_, dragTo_;
  QPointF cursor_;
  ViewOverlay* overlay_ = nullptr;

  struct SavedView {
    Vec2 center;
    double scale;
  };
  std::vector<SavedView> previous_;
  QElapsedTimer lastBurst_;
  ViewGesture gesture_ = ViewGesture::kNone;
  std::optional<QPointF> zoomCorner_;
};

}  // namespace wb::desktop
