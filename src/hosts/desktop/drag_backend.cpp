#include "hosts/desktop/drag_backend.h"

#include <QEventLoop>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>
#include <cmath>
#include <numbers>

#include "hosts/desktop/command_line.h"
#include "render/renderer.h"
#include "platform/dialogs/color_dialog.h"

namespace wb::desktop {
namespace {


// Preview entities on a layer keep the layer's colour unknown to the drag;
// they show in the colour of index 7 (white on the dark view) unless they
// carry a colour of their own.
QColor PreviewColor(const AcDbEntity& entity) {
  const int index = entity.colorIndex();
  const ui::ColorRef c = ui::ColorFromIndex(index >= 1 && index <= 255 ? index : 7);
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

}  // namespace

QtDragBackend::QtDragBackend(DrawingView* view, CommandLine* commandLine)
    : view_(view), commandLine_(commandLine) {}

QtDragBackend::~QtDragBackend() {
  if (active_) End();
}

void QtDragBackend::Begin(const CString& prompt) {
  active_ = true;
  frames_ = 0;
  pending_.clear();
  commandLine_->SetPrompt(QString::fromStdU16String(prompt).trimmed());
  view_->SetOverlay(this);
  view_->installEventFilter(this);
  commandLine_->input()->installEventFilter(this);
  moves_ = connect(view_, &DrawingView::cursorMoved, this, [this](QPointF world) {
    DragInput input;
    input.kind = DragInput::kMove;
    input.point = {world.x(), world.y(), 0};
    Push(input);
  });
  ArmPick();
  view_->setFocus(Qt::OtherFocusReason);
}

void QtDragBackend::ArmPick() {
  view_->BeginPick(PickMode::kPoint, [this](const PickResult& result) {
    if (!active_) return;
    DragInput input;
    if (result.cancelled) {
      input.kind = DragInput::kCancel;
    } else {
      input.kind = DragInput::kPick;
      input.point = {result.point.x, result.point.y, 0};
      ArmPick();  // the next click belongs to the drag too
    }
    Push(input);
  });
}

void QtDragBackend::Push(DragInput input) {
  // Moves are coalesced: only the latest cursor position matters.
  if (input.kind == DragInput::kMove && !pending_.empty() && pending_.back().kind == DragInput::kMove)
    pending_.back() = input;
  else
    pending_.push_back(input);
  if (loop_) loop_->quit();
}

void QtDragBackend::Interrupt() {
  if (active_) Push({DragInput::kCancel, {}});
}

DragInput QtDragBackend::Next(const CDrag& drag) {
  drag_ = &drag;
  ++frames_;
  view_->update();
  if (pending_.empty()) {
    QEventLoop loop;
    loop_ = &loop;
    QTimer timer;
    if (timeout_ > 0) {
      timer.setSingleShot(true);
      connect(&timer, &QTimer::timeout, this, [this] { Push({DragInput::kCancel, {}}); });
      timer.start(timeout_);
    }
    while (pending_.empty()) loop.exec();
    loop_ = nullptr;
  }
  DragInput input = pending_.front();
  pending_.pop_front();
  return input;
}

void QtDragBackend::End() {
  active_ = false;
  disconnect(moves_);
  view_->CancelPick();
  view_->removeEventFilter(this);
  commandLine_->input()->removeEventFilter(this);
  view_->SetOverlay(nullptr);
  commandLine_->SetPrompt({});
  drag_ = nullptr;
  pending_.clear();
}

bool QtDragBackend::eventFilter(QObject* watched, QEvent* event) {
  if (active_ && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    Push({DragInput::kCancel, {}});
    return true;
  }
  return QObject::eventFilter(watched, event);
}

void QtDragBackend::Paint(QPainter& painter, const ViewTransform& view) {
  if (!drag_) return;
  auto screen = [&](const AcGePoint3d& p) {
    const Vec2 s = view.ToScreen({p.x, p.y});
    return QPointF(s.x, s.y);
  };
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  for (int i = 0; i < drag_->Length(); ++i) {
    if (!drag_->IsEntEnabled(i)) continue;
    const AcDbEntity* entity = drag_->At(i);
    if (!entity) continue;
    const QColor color = PreviewColor(*entity);
    painter.setPen(QPen(color, 1));
    if (auto* line = dynamic_cast<const AcDbLine*>(entity)) {
      painter.drawLine(screen(line->startPoint()), screen(line->endPoint()));
    } else if (auto* ellipse = dynamic_cast<const AcDbEllipse*>(entity)) {
      double start = ellipse->startParam(), end = ellipse->endParam();
      if (end <= start) end += 2 * std::numbers::pi;
      const int steps = std::max(4, static_cast<int>(std::ceil((end - start) / (2 * std::numbers::pi) * 72)));
      QPolygonF poly;
      for (int k = 0; k <= steps; ++k) poly << screen(ellipse->pointAt(start + (end - start) * k / steps));
      painter.drawPolyline(poly);
    } else if (auto* text = dynamic_cast<const AcDbText*>(entity)) {
      const double capPx = text->height() * view.scale();
      if (capPx < 1) continue;
      const QString string = QString::fromStdU16String(text->textString());
      const double em = capPx * EmPerCapHeight();
      const int pixels = std::max(1, static_cast<int>(std::lround(std::min(em, 2000.0))));
      QFont font = DrawingFont();
      font.setPixelSize(pixels);
      painter.setFont(font);
      QTransform xf;
      const QPointF at = screen(text->position());
      xf.translate(at.x(), at.y());
      xf.rotate(-text->rotation() * 180 / std::numbers::pi);
      xf.scale(text->widthFactor() * em / pixels, em / pixels);
      painter.setTransform(xf);
      painter.drawText(QPointF(0, 0), string);
      painter.resetTransform();
    }
  }
  painter.restore();
}

double QtFontMetrics::TextWidth(const WString& text, const WString&, double height, double widthFactor) const {
  // The view draws every text in one font, whatever its style says.
  static const QtTextMeasurer measurer;
  return measurer.Advance(Utf16ToUtf8(text)) * height * widthFactor;
}

}  // namespace wb::desktop
