// Paints a display list with QPainter: lines batched by pen, texts in the
// drawing font, highlighted entities dashed on top.
#pragma once

#include <QColor>
#include <QFont>
#include <optional>
#include <vector>

#include "render/display_list.h"
#include "render/view_transform.h"

class QPainter;

namespace wb::render {

struct RenderOptions {
  bool lineWeights = false;  // draw lineweights in screen millimetres
  bool antialias = true;
  QColor background{30, 34, 40};  // transparent: left as it is
  // Per entity index: drawn highlighted (dashed, brighter) when set.
  const std::vector<bool>* highlighted = nullptr;

  // Paper. Device pixels per 1/100 mm of lineweight (96 dpi on screen).
  double pixelsPerLineWeight = 96.0 / 2540.0;
  // White paper shows the foreground colour (white) black.
  bool whiteAsBlack = false;
  // Everything in one colour (a drawing greyed under a route), at least
  // this wide, and per entity index only what is set in `only`.
  std::optional<QColor> color;
  int minPenWidth = 0;
  const std::vector<bool>* only = nullptr;
  // Detail, in device pixels: geometry smaller than `detail` is one short
  // stroke, and a polyline skips vertices closer than that to the last one
  // drawn; texts with a smaller cap height than `textPixels` are a stroke.
  double detail = 1;
  double textPixels = 3;
  bool points = true;     // POINT entities as dots
  bool smallDots = true;  // geometry under the detail as a dot, else not at all
  // Vertices on whole device pixels: at printer resolution nobody sees it,
  // and a PDF writes them in half the bytes.
  bool snap = false;
  // Horizontal and vertical lines of one pen on one line joined across gaps
  // under the detail (a tray run broken at every junction is one line).
  bool joinRuns = false;
  // Glyphs set one by one, without substitutions: a PDF names every glyph
  // by one character, and a substituted glyph has none.
  bool unshapedText = false;
};

// The font texts are drawn in ("MS UI Gothic" through the substitution).
QFont DrawingFont();
// Em size of the drawing font per unit of cap height (drawing texts give
// cap heights).
double EmPerCapHeight();

// Widths measured with the drawing font, so alignment matches what is drawn.
class QtTextMeasurer : public TextMeasurer {
 public:
  double Advance(std::string_view utf8) const override;
};

// Draws into the viewport (0, 0, view.width(), view.height()) of the
// painter's current coordinate system, in its device pixels.
void RenderDrawing(QPainter& painter, const DisplayList& list, const ViewTransform& view,
                   const RenderOptions& options);

}  // namespace wb::render
