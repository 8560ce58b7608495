#include "hosts/desktop/drawing_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace wb::desktop {
namespace {
constexpr double kDragThreshold = 4;  // pixels before a press becomes a drag
constexpr int kBurstMs = 800;         // wheel steps closer than this are one zoom
constexpr size_t kPreviousViews = 50;
}

DrawingView::DrawingView(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::CrossCursor);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(200, 150);
  view_.SetViewport(width(), height());
}

void DrawingView::SetDatabase(const db::Database* database) {
  database_ = database;
  selection_.clear();
  DrawingChanged();
  ZoomExtents();
  previous_.clear();
}

void DrawingView::DrawingChanged() {
  if (database_) {
    QtTextMeasurer measurer;
    list_.Build(*database_, &measurer);
  } else {
    list_.Clear();
  }
  // Entities that are gone leave the selection.
  auto gone = [&](db::ObjectId id) { return list_.EntityIndex(id) < 0; };
  selection_.erase(std::remove_if(selection_.begin(), selection_.end(), gone), selection_.end());
  UpdateHighlightFlags();
}

void DrawingView::Remember(bool burst) {
  const bool inBurst = burst && lastBurst_.isValid() && lastBurst_.elapsed() < kBurstMs;
  if (burst) lastBurst_.start();
  else lastBurst_.invalidate();
  if (inBurst) return;
  previous_.push_back({view_.center(), view_.scale()});
  if (previous_.size() > kPreviousViews) previous_.erase(previous_.begin());
}

bool DrawingView::ZoomPrevious() {
  if (previous_.empty()) return false;
  view_.Set(previous_.back().center, previous_.back().scale);
  previous_.pop_back();
  lastBurst_.invalidate();
  fitOnResize_ = false;
  Invalidate();
  emit viewChanged();
  return true;
}

void DrawingView::ZoomToBox(const Box& world) {
  if (world.empty()) return;
  Remember();
  view_.ZoomExtents(world, 0.01);
  fitOnResize_ = false;
  Invalidate();
  emit viewChanged();
}

void DrawingView::BeginGesture(ViewGesture gesture) {
  gesture_ = gesture;
  zoomCorner_.reset();
  panning_ = false;
  setCursor(gesture == ViewGesture::kPan ? Qt::OpenHandCursor : Qt::CrossCursor);
  update();
}

// Mouse input of a view gesture; true when the gesture took it.
bool DrawingView::GestureMouse(QMouseEvent* event) {
  if (gesture_ == ViewGesture::kNone) return false;
  const QPointF at = event->position();
  const bool press = event->type() == QEvent::MouseButtonPress;
  const bool release = event->type() == QEvent::MouseButtonRelease;
  if (press && event->button() == Qt::RightButton) {
    BeginGesture(ViewGesture::kNone);
    return true;
  }
  if (gesture_ == ViewGesture::kPan) {
    if (press && event->button() == Qt::LeftButton) {
      Remember();
      panning_ = true;
      panLast_ = at;
      setCursor(Qt::ClosedHandCursor);
    } else if (release && event->button() == Qt::LeftButton) {
      panning_ = false;
      setCursor(Qt::OpenHandCursor);
    } else if (panning_) {
      const QPointF delta = at - panLast_;
      panLast_ = at;
      view_.PanPixels(delta.x(), delta.y());
      fitOnResize_ = false;
      Invalidate();
      emit viewChanged();
    }
    return true;
  }
  // Zoom window: two clicks, or press, drag and release.
  const bool far = zoomCorner_ && QLineF(*zoomCorner_, at).length() >= kDragThreshold;
  if (press && event->button() == Qt::LeftButton && !zoomCorner_) {
    zoomCorner_ = at;
  } else if ((press && event->button() == Qt::LeftButton) || (release && far)) {
    const QPointF corner = *zoomCorner_;
    BeginGesture(ViewGesture::kNone);
    if (far) ZoomToBox(Box::Of(ToWorld(corner), ToWorld(at)));
  }
  update();
  return true;
}

void DrawingView::ZoomExtents() {
  Remember();
  view_.SetViewport(width(), height());
  view_.ZoomExtents(list_.extents());
  fitOnResize_ = true;
  Invalidate();
  emit viewChanged();
}

void DrawingView::ZoomAbout(QPointF screen, double factor) {
  Remember(true);
  view_.ZoomAbout({screen.x(), screen.y()}, factor);
  fitOnResize_ = false;
  Invalidate();
  emit viewChanged();
}

void DrawingView::Pan(QPointF pixels) {
  Remember(true);
  view_.PanPixels(pixels.x(), pixels.y());
  fitOnResize_ = false;
  Invalidate();
  emit viewChanged();
}

void DrawingView::SetLineWeightDisplay(bool on) {
  options_.lineWeights = on;
  Invalidate();
}

QPointF DrawingView::ToScreen(Vec2 world) const {
  Vec2 s = view_.ToScreen(world);
  return {s.x, s.y};
}

std::optional<PickHit> DrawingView::PickAt(QPointF screen) const {
  return PickEntity(list_, ToWorld(screen), aperture_ / view_.scale());
}

std::vector<db::ObjectId> DrawingView::SelectBetween(QPointF from, QPointF to, const EntityFilter& filter) const {
  Box box = Box::Of(ToWorld(from), ToWorld(to));
  return SelectInBox(list_, box, ModeForDrag({from.x(), from.y()}, {to.x(), to.y()}), filter);
}

void DrawingView::BeginPick(PickMode mode, std::function<void(const PickResult&)> done, EntityFilter filter) {
  if (pickMode_ != PickMode::kNone) CancelPick();
  pickMode_ = mode;
  pickDone_ = std::move(done);
  pickFilter_ = std::move(filter);
  pickSet_.clear();
  update();
}

void DrawingView::CancelPick() {
  if (pickMode_ == PickMode::kNone) return;
  PickResult result;
  result.mode = pickMode_;
  result.cancelled = true;
  Finish(std::move(result));
}

void DrawingView::Finish(PickResult result) {
  auto done = std::move(pickDone_);
  pickMode_ = PickMode::kNone;
  pickDone_ = nullptr;
  pickFilter_ = nullptr;
  pickSet_.clear();
  UpdateHighlightFlags();
  if (done) done(result);
}

void DrawingView::ClearSelection() {
  if (selection_.empty()) return;
  selection_.clear();
  UpdateHighlightFlags();
  emit selectionChanged();
}

void DrawingView::SetOverlay(ViewOverlay* overlay) {
  overlay_ = overlay;
  update();
}

void DrawingView::UpdateHighlightFlags() {
  highlightFlags_.assign(list_.entities().size(), false);
  for (const auto* ids : {&selection_, &pickSet_})
    for (db::ObjectId id : *ids)
      if (int i = list_.EntityIndex(id); i >= 0) highlightFlags_[static_cast<size_t>(i)] = true;
  Invalidate();
}

void DrawingView::AddToSelection(const std::vector<db::ObjectId>& ids, bool toggle) {
  auto& set = pickMode_ == PickMode::kSelection ? pickSet_ : selection_;
  for (db::ObjectId id : ids) {
    auto it = std::find(set.begin(), set.end(), id);
    if (it == set.end()) set.push_back(id);
    else if (toggle) set.erase(it);
  }
  UpdateHighlightFlags();
  if (pickMode_ != PickMode::kSelection) emit selectionChanged();
}

void DrawingView::Invalidate() {
  cacheValid_ = false;
  update();
}

QImage DrawingView::RenderImage(QSize size) const {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  ViewTransform view = view_;
  view.SetViewport(size.width(), size.height());
  QPainter painter(&image);
  RenderOptions options = options_;
  options.highlighted = &highlightFlags_;
  RenderDrawing(painter, list_, view, options);
  return image;
}

void DrawingView::resizeEvent(QResizeEvent*) {
  // A view still showing the extents keeps showing them (the window is
  // often resized right after a drawing opens); otherwise the centre and
  // the scale stay, so more or less becomes visible.
  view_.SetViewport(width(), height());
  if (fitOnResize_) view_.ZoomExtents(list_.extents());
  Invalidate();
}

void DrawingView::paintEvent(QPaintEvent*) {
  const qreal ratio = devicePixelRatioF();
  const QSize pixels(static_cast<int>(width() * ratio), static_cast<int>(height() * ratio));
  if (!cacheValid_ || cache_.size() != pixels) {
    cache_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    cache_.setDevicePixelRatio(ratio);
    QPainter cachePainter(&cache_);
    RenderOptions options = options_;
    options.highlighted = &highlightFlags_;
    RenderDrawing(cachePainter, list_, view_, options);
    cacheValid_ = true;
  }
  QPainter painter(this);
  painter.drawImage(QPointF(0, 0), cache_);
  if (zoomCorner_) {
    painter.setPen(QPen(QColor(255, 255, 255, 200), 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(*zoomCorner_, cursor_).normalized());
  }
  if (dragging_) {
    bool window = dragTo_.x() >= dragFrom_.x();
    QRectF band = QRectF(dragFrom_, dragTo_).normalized();
    QPen pen(window ? QColor(80, 140, 255) : QColor(80, 220, 120));
    pen.setStyle(window ? Qt::SolidLine : Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(window ? QColor(80, 140, 255, 40) : QColor(80, 220, 120, 40));
    painter.drawRect(band);
  }
  if (pickMode_ == PickMode::kEntity || pickMode_ == PickMode::kNested || pickMode_ == PickMode::kSelection) {
    painter.setPen(QColor(255, 255, 255, 200));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(cursor_.x() - aperture_, cursor_.y() - aperture_, 2.0 * aperture_, 2.0 * aperture_));
  }
  if (overlay_) overlay_->Paint(painter, view_);
}

void DrawingView::mousePressEvent(QMouseEvent* event) {
  cursor_ = event->position();
  if (event->button() != Qt::MiddleButton && GestureMouse(event)) return;
  if (event->button() == Qt::MiddleButton) {
    panning_ = true;
    panLast_ = event->position();
    setCursor(Qt::ClosedHandCursor);
    return;
  }
  if (event->button() == Qt::RightButton) {
    if (pickMode_ == PickMode::kNone) {
      emit contextMenuAt(event->globalPosition().toPoint());
    } else if (pickMode_ == PickMode::kSelection) {
      PickResult result;
      result.mode = pickMode_;
      result.selection = pickSet_;
      Finish(std::move(result));
    } else {
      CancelPick();
    }
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  pressed_ = true;
  dragging_ = false;
  dragFrom_ = dragTo_ = event->position();
}

void DrawingView::mouseMoveEvent(QMouseEvent* event) {
  cursor_ = event->position();
  emit cursorMoved(QPointF(ToWorld(cursor_).x, ToWorld(cursor_).y));
  if (gesture_ != ViewGesture::kNone && !(event->buttons() & Qt::MiddleButton)) {
    GestureMouse(event);
    return;
  }
  if (panning_) {
    QPointF delta = event->position() - panLast_;
    panLast_ = event->position();
    Pan(delta);
    return;
  }
  if (pressed_ && (pickMode_ == PickMode::kNone || pickMode_ == PickMode::kSelection)) {
    dragTo_ = event->position();
    if (!dragging_ && QLineF(dragFrom_, dragTo_).length() >= kDragThreshold) dragging_ = true;
  }
  update();
}

void DrawingView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton && panning_) {
    panning_ = false;
    setCursor(gesture_ == ViewGesture::kPan ? Qt::OpenHandCursor : Qt::CrossCursor);
    return;
  }
  if (GestureMouse(event)) return;
  if (event->button() != Qt::LeftButton || !pressed_) return;
  pressed_ = false;
  const bool toggle = event->modifiers() & Qt::ShiftModifier;
  if (dragging_) {
    dragging_ = false;
    AddToSelection(SelectBetween(dragFrom_, event->position(), pickFilter_), false);
    update();
    return;
  }
  const QPointF at = event->position();
  PickResult result;
  result.mode = pickMode_;
  result.point = ToWorld(at);
  switch (pickMode_) {
    case PickMode::kPoint:
      Finish(std::move(result));
      return;
    case PickMode::kEntity:
    case PickMode::kNested:
      result.hit = PickAt(at);
      Finish(std::move(result));
      return;
    case PickMode::kSelection:
    case PickMode::kNone: {
      auto hit = PickAt(at);
      if (hit && (!pickFilter_ || pickFilter_(hit->entity))) AddToSelection({hit->entity}, toggle);
      else if (!hit && pickMode_ == PickMode::kNone && !toggle) ClearSelection();
      return;
    }
  }
}

void DrawingView::wheelEvent(QWheelEvent* event) {
  double steps = event->angleDelta().y() / 120.0;
  if (steps != 0) ZoomAbout(event->position(), std::pow(1.25, steps));
  event->accept();
}

void DrawingView::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (gesture_ != ViewGesture::kNone && (enter || event->key() == Qt::Key_Escape)) {
    BeginGesture(ViewGesture::kNone);
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    if (pickMode_ != PickMode::kNone) CancelPick();
    else ClearSelection();
    return;
  }
  if (enter && pickMode_ == PickMode::kSelection) {
    PickResult result;
    result.mode = pickMode_;
    result.selection = pickSet_;
    Finish(std::move(result));
    return;
  }
  if (enter && pickMode_ == PickMode::kNone) {
    emit enterPressed();
    return;
  }
  // As in CAD programs, typing with the drawing focused goes to the command line.
  const QString text = event->text();
  if (!text.isEmpty() && text.at(0).isPrint() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    emit textTyped(text);
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace wb::desktop
