// Plotting: the drawing on one page, as the view draws it, on white paper.
#pragma once

#include <optional>
#include <string>

#include "paper/page_writer.h"
#include "platform/db/database.h"
#include "render/display_list.h"
#include "render/renderer.h"
#include "render/view_transform.h"

namespace wb::paper {

struct PlotRequest {
  std::string output;  // .pdf or .png
  PageSetup setup;
  std::optional<render::Box> window;  // world window; the extents when absent
};

// False and `error` (naming the file) when nothing could be written.
bool PlotDrawing(const db::Database& database, const PlotRequest& request, std::string& error);

// How paper shows a drawing: white sheet, the foreground colour black,
// lineweights in millimetres when the setup asks for them.
render::RenderOptions PaperOptions(const PageWriter& page, const PageSetup& setup);

// Draws `list` in the frame (millimetres from the page's top left), with
// `window` fitted into it and centred, nothing outside the frame. Returns
// the mapping of world points to the frame's pixels.
render::ViewTransform DrawWindow(PageWriter& page, const render::DisplayList& list, const QRectF& frameMm,
                                 const render::Box& window, const render::RenderOptions& options);

// "x1,y1,x2,y2" in drawing units, the corners in any order.
std::optional<render::Box> ParseWindow(std::string_view text);

}  // namespace wb::paper
