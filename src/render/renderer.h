// Paints a display list with QPainter: lines batched by pen, texts in the
// drawing font, highlighted entities dashed on top.
#pragma once

#include <QColor>
#include <QFont>
#include <vector>

#include "render/display_list.h"
#include "render/view_transform.h"

class QPainter;

namespace wb::render {

struct RenderOptions {
  bool lineWeights = false;  // draw lineweights in screen millimetres
  bool antialias = true;
  QColor background{30, 34, 40};
  // Per entity index: drawn highlighted (dashed, brighter) when set.
  const std::vector<bool>* highlighted = nullptr;
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

void RenderDrawing(QPainter& painter, const DisplayList& list, const ViewTransform& view,
                   const RenderOptions& options);

}  // namespace wb::render
