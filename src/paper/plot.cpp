#include "paper/plot.h"

#include <charconv>
#include <cmath>

namespace wb::paper {
namespace {
constexpr double kMarginMm = 10;
}

render::RenderOptions PaperOptions(const PageWriter& page, const PageSetup& setup) {
  render::RenderOptions options;
  options.background = Qt::white;
  options.whiteAsBlack = true;
  options.lineWeights = setup.lineWeights;
  options.pixelsPerLineWeight = page.dpi() / 2540.0;
  // What a printer can show: a twentieth of a millimetre; readable text.
  options.detail = page.Px(0.05);
  options.textPixels = page.Px(0.5);
  options.snap = true;
  options.joinRuns = true;
  options.unshapedText = true;
  return options;
}

render::ViewTransform DrawWindow(PageWriter& page, const render::DisplayList& list, const QRectF& frameMm,
                                 const render::Box& window, const render::RenderOptions& options) {
  // On whole pixels, so that snapped vertices stay whole on the page.
  const QRectF frame(std::round(page.Px(frameMm.x())), std::round(page.Px(frameMm.y())),
                     std::round(page.Px(frameMm.width())), std::round(page.Px(frameMm.height())));
  render::ViewTransform view;
  view.SetViewport(static_cast<int>(frame.width()), static_cast<int>(frame.height()));
  view.ZoomExtents(window, 0);
  QPainter& painter = page.painter();
  painter.save();
  painter.translate(frame.topLeft());
  painter.setClipRect(QRectF(0, 0, view.width(), view.height()));
  render::RenderDrawing(painter, list, view, options);
  painter.restore();
  return view;
}

bool PlotDrawing(const db::Database& database, const PlotRequest& request, std::string& error) {
  render::DisplayList list;
  render::QtTextMeasurer measurer;
  list.Build(database, &measurer);
  const render::Box window = request.window ? *request.window : list.extents();
  auto page = PageWriter::Open(request.output, request.setup, error);
  if (!page) return false;
  if (!window.empty()) {
    const QRectF frame(kMarginMm, kMarginMm, page->widthMm() - 2 * kMarginMm,
                       page->heightMm() - 2 * kMarginMm);
    DrawWindow(*page, list, frame, window, PaperOptions(*page, request.setup));
  }
  return page->Finish(error);
}

std::optional<render::Box> ParseWindow(std::string_view text) {
  double v[4];
  for (int i = 0; i < 4; ++i) {
    const size_t comma = i < 3 ? text.find(',') : text.size();
    if (comma == std::string_view::npos) return std::nullopt;
    std::string_view part = text.substr(0, comma);
    while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
    auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), v[i]);
    if (part.empty() || ec != std::errc() || end != part.data() + part.size() || !std::isfinite(v[i]))
      return std::nullopt;
    text.remove_prefix(std::min(text.size(), comma + 1));
  }
  const render::Box box = render::Box::Of({v[0], v[1]}, {v[2], v[3]});
  if (box.width() <= 0 || box.height() <= 0) return std::nullopt;
  return box;
}

}  // namespace wb::paper
