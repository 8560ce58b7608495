#include "settings/color_button.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using wb::ui::ColorRef;
using wb::ui::PaintPoint;
using wb::ui::PaintRect;

struct Stroke {
  std::vector<PaintPoint> points;
  ColorRef color;
  bool dotted;
  bool operator==(const Stroke&) const = default;
};

class RecordingPainter : public wb::ui::Painter {
 public:
  void Rectangle(const PaintRect& r, ColorRef fill) override {
    rects.push_back(r);
    fills.push_back(fill);
  }
  void Polyline(const std::vector<PaintPoint>& points, ColorRef color, bool dotted) override {
    strokes.push_back({points, color, dotted});
  }
  ColorRef SetTextColor(ColorRef c) override {
    textColors.push_back(c);
    return std::exchange(text, c);
  }
  ColorRef SetBkColor(ColorRef c) override { return std::exchange(back, c); }
  void Text(const PaintRect&, const wb::WString&) override { ++texts; }

  std::vector<PaintRect> rects;
  std::vector<ColorRef> fills;
  std::vector<Stroke> strokes;
  std::vector<ColorRef> textColors;
  ColorRef text = 0x123456, back = 0x654321;
  int texts = 0;
};

constexpr ColorRef W = 0xFFFFFF, B = 0x000000;

RecordingPainter Paint(ColorRef color, unsigned state, unsigned action = wb::ui::ODA_DRAWENTIRE) {
  CColorButton button(0xC0C0C0);
  button.SetColor(color);
  RecordingPainter painter;
  wb::ui::DrawItemStruct item;
  item.itemAction = action;
  item.itemState = state;
  item.rcItem = {10, 20, 110, 50};
  item.painter = &painter;
  button.DrawItem(item);
  return painter;
}

TEST(ColorButtonTest, FramesForEachState) {
  using namespace wb::ui;
  const Stroke outline{{{110, 20}, {10, 20}, {10, 50}, {110, 50}, {110, 20}}, B, false};
  const Stroke focus{{{106, 23}, {13, 23}, {13, 46}, {106, 46}, {106, 23}}, 0xFF00FF, true};
  const struct {
    unsigned state;
    std::vector<Stroke> strokes;
  } cases[] = {
      // Raised; sunken while the mouse holds it.
      {0, {{{{110, 20}, {10, 20}, {10, 49}}, W, false}, {{{10, 49}, {109, 49}, {109, 21}}, B, false}}},
      {ODS_SELECTED, {{{{110, 20}, {10, 20}, {10, 49}}, B, false}, {{{10, 49}, {109, 49}, {109, 20}}, W, false}}},
      // Focused: inner frame, black outline, dotted focus rectangle.
      {ODS_FOCUS,
       {{{{108, 21}, {11, 21}, {11, 48}}, W, false}, {{{11, 48}, {108, 48}, {108, 21}}, B, false}, outline, focus}},
      {ODS_FOCUS | ODS_SELECTED,
       {{{{109, 21}, {11, 21}, {11, 48}}, B, false}, {{{11, 48}, {108, 48}, {108, 21}}, W, false}, outline, focus}},
  };
  for (const auto& c : cases) {
    const auto p = Paint(0x00FF00, c.state);
    ASSERT_EQ(p.rects.size(), 1u);
    EXPECT_EQ(p.rects[0], (PaintRect{10, 20, 110, 50}));
    EXPECT_EQ(p.fills[0], 0x00FF00u);
    EXPECT_EQ(p.strokes, c.strokes) << c.state;
  }
}

TEST(ColorButtonTest, FocusLinesAreTheInverseAndColoursAreRestored) {
  using namespace wb::ui;
  auto white = Paint(0xFFFFFF, ODS_FOCUS, ODA_FOCUS);
  EXPECT_EQ(white.strokes.back().color, 0x000000u);
  EXPECT_TRUE(white.strokes.back().dotted);
  auto black = Paint(0x000000, ODS_FOCUS, ODA_SELECT);
  EXPECT_EQ(black.strokes.back().color, 0xFFFFFFu);
  // Text colour set to the inverse, then the old colours put back; no text.
  EXPECT_EQ(black.textColors.front(), 0xFFFFFFu);
  EXPECT_EQ(black.text, 0x123456u);
  EXPECT_EQ(black.back, 0x654321u);
  EXPECT_EQ(black.texts, 0);
  // Any other draw action paints nothing.
  auto none = Paint(0x000000, 0, 0x8);
  EXPECT_TRUE(none.rects.empty());
  EXPECT_TRUE(none.strokes.empty());
}

}  // namespace
