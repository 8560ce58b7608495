#include "render/renderer.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QString>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

namespace wb::render {
namespace {

constexpr int kReferencePixels = 100;
// Points are dots of a fixed size; zoomed out so far that there would be
// more than one per this many square pixels, they only blot the drawing.
constexpr double kPixelsPerPoint = 400;

struct PenKey {
  uint32_t rgb;
  int width;
  bool operator<(const PenKey& o) const { return rgb != o.rgb ? rgb < o.rgb : width < o.width; }
};

uint32_t Pack(Rgb c) { return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b; }
QColor Unpack(uint32_t v) { return QColor((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF); }

// Horizontal and vertical segments of one pen lying on one line and
// overlapping or apart by at most `gap` become one; the rest stay as they are.
void JoinRuns(std::vector<QLineF>& segments, double gap) {
  struct Run {
    double across, from, to;
    bool operator<(const Run& o) const { return across != o.across ? across < o.across : from < o.from; }
  };
  std::vector<Run> rows, columns;
  std::vector<QLineF> kept;
  for (const QLineF& s : segments) {
    if (s.y1() == s.y2() && s.x1() != s.x2())
      rows.push_back({s.y1(), std::min(s.x1(), s.x2()), std::max(s.x1(), s.x2())});
    else if (s.x1() == s.x2() && s.y1() != s.y2())
      columns.push_back({s.x1(), std::min(s.y1(), s.y2()), std::max(s.y1(), s.y2())});
    else
      kept.push_back(s);
  }
  auto join = [&](std::vector<Run>& runs, bool horizontal) {
    std::sort(runs.begin(), runs.end());
    for (size_t i = 0; i < runs.size();) {
      Run run = runs[i];
      for (++i; i < runs.size() && runs[i].across == run.across && runs[i].from <= run.to + gap; ++i)
        run.to = std::max(run.to, runs[i].to);
      kept.push_back(horizontal ? QLineF(run.from, run.across, run.to, run.across)
                                : QLineF(run.across, run.from, run.across, run.to));
    }
  };
  join(rows, true);
  join(columns, false);
  segments.swap(kept);
}

}  // namespace

// Em size per unit of cap height: drawing texts give cap heights.
double EmPerCapHeight() {
  static const double ratio = [] {
    QFont font = DrawingFont();
    font.setPixelSize(kReferencePixels);
    double cap = QFontMetricsF(font).capHeight();
    return cap > 1 ? kReferencePixels / cap : 1.4;
  }();
  return ratio;
}


QFont DrawingFont() {
  QFont font(QStringLiteral("MS UI Gothic"));
  font.setStyleHint(QFont::SansSerif);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

double QtTextMeasurer::Advance(std::string_view utf8) const {
  static const QFont font = [] {
    QFont f = DrawingFont();
    f.setPixelSize(kReferencePixels);
    return f;
  }();
  static const QFontMetricsF metrics(font);
  double cap = metrics.capHeight() > 1 ? metrics.capHeight() : kReferencePixels / 1.4;
  return metrics.horizontalAdvance(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()))) / cap;
}

void RenderDrawing(QPainter& painter, const DisplayList& list, const ViewTransform& view,
                   const RenderOptions& options) {
  painter.save();
  // The caller may have moved the origin (a frame on a page).
  const QTransform base = painter.transform();
  if (options.background.alpha() > 0)
    painter.fillRect(QRectF(0, 0, view.width(), view.height()), options.background);
  painter.setRenderHint(QPainter::Antialiasing, options.antialias);
  painter.setRenderHint(QPainter::TextAntialiasing, options.antialias);

  std::vector<uint32_t> visible;
  list.Query(view.VisibleBox(), &visible);
  const double s = view.scale(), cx = view.center().x, cy = view.center().y;
  const double hw = view.width() / 2.0, hh = view.height() / 2.0;
  auto screen = [&](Vec2 p) {
    const QPointF q((p.x - cx) * s + hw, hh - (p.y - cy) * s);
    return options.snap ? QPointF(std::round(q.x()), std::round(q.y())) : q;
  };
  // A segment going on straight from the last one of its pen extends it.
  auto add = [](std::vector<QLineF>& bucket, QPointF a, QPointF b) {
    if (!bucket.empty() && bucket.back().p2() == a) {
      QLineF& last = bucket.back();
      const QPointF d1 = last.p2() - last.p1(), d2 = b - a;
      const double cross = d1.x() * d2.y() - d1.y() * d2.x();
      if (cross == 0 && d1.x() * d2.x() + d1.y() * d2.y() > 0) {
        last.setP2(b);
        return;
      }
    }
    bucket.emplace_back(a, b);
  };
  // Lineweights in 1/100 mm at 96 dots per inch.
  auto widthOf = [&](const Primitive& p) {
    if (!options.lineWeights) return options.minPenWidth;
    return std::max({1, options.minPenWidth,
                     static_cast<int>(std::lround(p.lineWeight * options.pixelsPerLineWeight))});
  };
  const uint32_t fixedColor = options.color ? Pack({static_cast<uint8_t>(options.color->red()),
                                                    static_cast<uint8_t>(options.color->green()),
                                                    static_cast<uint8_t>(options.color->blue())})
                                            : 0;
  auto colorOf = [&](const Primitive& p) {
    if (options.color) return fixedColor;
    const uint32_t rgb = Pack(p.color);
    return options.whiteAsBlack && rgb == 0xFFFFFF ? 0u : rgb;
  };

  const double detail = std::max(options.detail, 1e-9);
  std::map<PenKey, std::vector<QLineF>> lines;
  std::map<uint32_t, std::vector<QPointF>> points;
  std::vector<uint32_t> texts, highlightedPrims;
  const std::vector<bool>* hl = options.highlighted;
  const std::vector<bool>* only = options.only;
  for (uint32_t index : visible) {
    const Primitive& p = list.primitives()[index];
    if (only && !(p.entity < only->size() && (*only)[p.entity])) continue;
    if (hl && p.entity < hl->size() && (*hl)[p.entity]) {
      highlightedPrims.push_back(index);
      continue;
    }
    if (p.kind == PrimitiveKind::kText) {
      texts.push_back(index);
      continue;
    }
    if (p.kind == PrimitiveKind::kPoint) {
      if (options.points) points[colorOf(p)].push_back(screen(list.points()[p.first]));
      continue;
    }
    auto& bucket = lines[{colorOf(p), widthOf(p)}];
    auto pts = list.Points(p);
    // Geometry smaller than the detail is one short stroke.
    if (p.box.width() * s < detail && p.box.height() * s < detail) {
      if (!options.smallDots) continue;
      QPointF a = screen(pts[0]);
      bucket.emplace_back(a, a + QPointF(0.5, 0));
      continue;
    }
    QPointF prev = screen(pts[0]);
    for (size_t i = 1; i < pts.size(); ++i) {
      QPointF next = screen(pts[i]);
      const bool last = i + 1 == pts.size();
      if (!last && std::abs(next.x() - prev.x()) < detail && std::abs(next.y() - prev.y()) < detail) continue;
      add(bucket, prev, next);
      prev = next;
    }
    if (p.closed && pts.size() > 2) add(bucket, prev, screen(pts[0]));
  }

  for (auto& [key, segments] : lines) {
    if (options.joinRuns) JoinRuns(segments, detail);
    QPen pen(Unpack(key.rgb));
    pen.setWidth(key.width);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    painter.drawLines(segments.data(), static_cast<int>(segments.size()));
  }
  size_t pointCount = 0;
  for (const auto& [rgb, pts] : points) pointCount += pts.size();
  if (pointCount * kPixelsPerPoint <= double(view.width()) * view.height()) {
    for (const auto& [rgb, pts] : points)
      for (const QPointF& p : pts) painter.fillRect(QRectF(std::floor(p.x()), std::floor(p.y()), 2, 2), Unpack(rgb));
  }

  const double emPerCap = EmPerCapHeight();
  QFont font = DrawingFont();
  if (options.unshapedText) font.setStyleStrategy(QFont::PreferNoShaping);
  auto drawText = [&](const Primitive& p, const QColor& color) {
    const TextRun& t = list.texts()[p.first];
    double capPx = t.height * s;
    painter.setPen(color);
    if (capPx < options.textPixels) {  // too small to read: a stroke where the text runs
      if (t.width * s < 1) return;
      double c = std::cos(t.rotation), sn = std::sin(t.rotation);
      Vec2 mid{t.base.x - sn * t.height / 2, t.base.y + c * t.height / 2};
      painter.drawLine(screen(mid), screen({mid.x + c * t.width, mid.y + sn * t.width}));
      return;
    }
    double em = capPx * emPerCap;
    int pixels = std::max(1, static_cast<int>(std::lround(std::min(em, 2000.0))));
    font.setPixelSize(pixels);
    painter.setFont(font);
    QTransform xf;
    xf.translate(screen(t.base).x(), screen(t.base).y());
    xf.rotate(-t.rotation * 180 / std::numbers::pi);
    xf.scale(t.widthFactor * em / pixels, em / pixels);
    painter.setTransform(xf * base);
    painter.drawText(QPointF(0, 0), QString::fromUtf8(t.utf8.data(), static_cast<qsizetype>(t.utf8.size())));
    painter.setTransform(base);
  };
  for (uint32_t index : texts) {
    const Primitive& p = list.primitives()[index];
    drawText(p, Unpack(colorOf(p)));
  }

  if (!highlightedPrims.empty()) {
    for (uint32_t index : highlightedPrims) {
      const Primitive& p = list.primitives()[index];
      QColor color = Unpack(colorOf(p)).lighter(130);
      if (p.kind == PrimitiveKind::kText) {
        drawText(p, color);
        continue;
      }
      QPen pen(color);
      pen.setWidth(std::max(2, widthOf(p)));
      pen.setStyle(Qt::DashLine);
      painter.setPen(pen);
      auto pts = list.Points(p);
      if (p.kind == PrimitiveKind::kPoint) {
        painter.drawEllipse(screen(pts[0]), 4, 4);
        continue;
      }
      std::vector<QPointF> poly;
      poly.reserve(pts.size() + 1);
      for (Vec2 v : pts) poly.push_back(screen(v));
      if (p.closed) poly.push_back(poly.front());
      painter.drawPolyline(poly.data(), static_cast<int>(poly.size()));
    }
  }
  painter.restore();
}

}  // namespace wb::render
