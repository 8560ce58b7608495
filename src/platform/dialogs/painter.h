// What an owner-drawn control paints on: a few device-context calls that a
// front end maps onto its own canvas and a test can record.
#pragma once

#include <vector>

#include "platform/dialogs/controls.h"

namespace wb::ui {

struct PaintPoint {
  int x = 0, y = 0;
  friend bool operator==(const PaintPoint&, const PaintPoint&) = default;
};

struct PaintRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const PaintRect&, const PaintRect&) = default;
};

class Painter {
 public:
  virtual ~Painter() = default;
  // Filled with `fill`, outlined with the current pen (a black pixel line
  // unless a front end says otherwise), as the device context's Rectangle.
  virtual void Rectangle(const PaintRect& rect, ColorRef fill) = 0;
  // Joined one-pixel segments; the last point itself is not painted.
  virtual void Polyline(const std::vector<PaintPoint>& points, ColorRef color, bool dotted) = 0;
  // Each returns the colour it replaces.
  virtual ColorRef SetTextColor(ColorRef color) = 0;
  virtual ColorRef SetBkColor(ColorRef color) = 0;
  virtual void Text(const PaintRect& rect, const WString& text) = 0;
};

// Draw actions and item states of an owner-draw request.
constexpr unsigned ODA_DRAWENTIRE = 0x1;
constexpr unsigned ODA_SELECT = 0x2;
constexpr unsigned ODA_FOCUS = 0x4;
constexpr unsigned ODS_SELECTED = 0x1;
constexpr unsigned ODS_FOCUS = 0x10;

struct DrawItemStruct {
  int ctlId = 0;
  unsigned itemAction = ODA_DRAWENTIRE;
  unsigned itemState = 0;
  PaintRect rcItem;  // the control's client rectangle, in pixels
  Painter* painter = nullptr;
};

}  // namespace wb::ui
