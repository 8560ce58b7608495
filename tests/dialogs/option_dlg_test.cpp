#include "settings/option_dlg.h"

#include <string>
#include <vector>

#include "dialog_test_util.h"
#include "platform/dialogs/color_dialog.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "settings/color_button.h"

namespace wbtest {
namespace {

using wb::ui::Dialog;

class OptionDlgTest : public DialogTest {
 protected:
  int Run(std::function<void(Dialog&)> actions) {
    user.ExpectModal(IDD_OPTION, std::move(actions));
    OptionDlg dialog;
    return dialog.DoModal();
  }
};

TEST_F(OptionDlgTest, BadValuesAreRefusedAndNothingIsStored) {
  const CableSetting before = g_cableSetting;
  struct Case {
    int id;
    const char16_t* text;
    int message;
  };
  const Case cases[] = {
      {IDC_OPT_MARKHEIGHT, u"", 149},      {IDC_OPT_MARKLAYER, u"", 149},
      {IDC_OPT_TEXTFORMAT, u"", 149},      {IDC_OPT_LEADERDEGREE, u"", 149},
      {IDC_OPT_MARKHEIGHT, u"-1", 151},    {IDC_OPT_MARKHEIGHT, u"1e3", 151},
      {IDC_OPT_MARKWIDTH, u".5", 151},     {IDC_OPT_LINEWEIGHT, u"3.0.1", 151},
      {IDC_OPT_ARCMINOR, u" 1", 151},      {IDC_OPT_LEADERDEGREE, u"x", 151},
  };
  Run([&](Dialog& d) {
    for (const auto& c : cases) {
      const CString kept = d.GetDlgItemText(c.id);
      d.TypeText(c.id, c.text);
      d.Click(IDOK);
      EXPECT_FALSE(d.ended());
      d.TypeText(c.id, kept);
    }
  });
  std::vector<int> expected;
  for (const auto& c : cases) expected.push_back(c.message);
  EXPECT_EQ(MessageIds(), expected);
  for (const auto& m : user.messages()) EXPECT_EQ(m.type, MB_OK);
  EXPECT_EQ(g_cableSetting.markTextHeight, before.markTextHeight);
  EXPECT_FALSE(stdfs::exists(dir / "wirebinder.ini"));
}

TEST_F(OptionDlgTest, GoodValuesAreStoredAndWrittenBack) {
  user.AnswerColorDialog(256);  // by layer
  user.AnswerColorDialog(3);
  user.AnswerColorDialog(std::nullopt);  // the colour dialog cancelled
  user.AnswerColorDialog(5);     // then the user cancels the dialog itself
  g_cableSetting.subNumberSeparator = u"_";
  Run([&](Dialog& d) {
    auto& dlg = static_cast<OptionDlg&>(d);
    EXPECT_EQ(d.GetWindowText(), u"詳細設定画面");
    const std::pair<int, const char16_t*> shown[] = {
        {IDC_OPT_MARKHEIGHT, u"2"},    {IDC_OPT_MARKWIDTH, u"0.8"},    {IDC_OPT_MARKLAYER, u"_QZ_KIGO"},
        {IDC_OPT_LINEWEIGHT, u"30"},   {IDC_OPT_STARTOFFSET, u"4"},    {IDC_OPT_LEADERDEGREE, u"15"},
        {IDC_OPT_TEXTFORMAT, u"C D A B"}, {IDC_OPT_SEPARATOR, u"_"}};
    for (const auto& [id, text] : shown) EXPECT_EQ(d.GetDlgItemText(id), text) << id;
    EXPECT_TRUE(d.IsDlgButtonChecked(IDC_OPT_DRAWSUBNO));
    EXPECT_FALSE(d.IsDlgButtonChecked(IDC_OPT_ANNOSUBNO));
    EXPECT_EQ(dlg.m_confirmColorButton.GetColor(), wb::ui::Rgb(255, 0, 0));
    EXPECT_EQ(OptionDlg::SwatchColor(0), wb::ui::ColorFromIndex(255));  // by block as by layer
    EXPECT_TRUE(d.Item(IDC_OPT_LEADERDEGREE).enabled());
    d.TypeText(IDC_OPT_MARKHEIGHT, u"3.");
    d.TypeText(IDC_OPT_MARKOFFSET, u"abc");  // no number test for this one
    d.TypeText(IDC_OPT_MARKLAYER, u"記号層");
    d.TypeText(IDC_OPT_LINEWEIGHT, u"50");
    d.TypeText(IDC_OPT_TEXTFORMAT, u"A B");
    d.TypeText(IDC_OPT_SEPARATOR, u"");
    d.TypeText(IDC_OPT_LEADERDEGREE, u"");
    d.Click(IDC_OPT_LEADERREVISION);  // off: the empty angle is not required
    EXPECT_FALSE(d.Item(IDC_OPT_LEADERDEGREE).enabled());
    d.Click(IDC_OPT_DRAWSUBNO);
    d.Click(IDC_OPT_ANNOSUBNO);
    d.Click(IDC_OPT_MARKCOLOR);
    EXPECT_EQ(dlg.m_markColorButton.GetColor(), wb::ui::ColorFromIndex(255));
    EXPECT_EQ(dlg.m_markColor, 256);
    EXPECT_EQ(d.focusItem(), IDC_OPT_MARKCOLOR);  // the focus returns to the swatch
    d.Click(IDC_OPT_CONFIRMCOLOR);
    EXPECT_EQ(d.focusItem(), IDC_OPT_CONFIRMCOLOR);
    EXPECT_EQ(dlg.m_confirmColorButton.GetColor(), wb::ui::Rgb(0, 255, 0));
    EXPECT_EQ(g_cableSetting.confirmColor, 1);  // not before saving
    d.Click(IDOK);
    d.Click(IDOK);  // twice: saved twice
    EXPECT_FALSE(d.ended());
    d.Click(IDC_OPT_CONFIRMCOLOR);  // the colour dialog cancelled: nothing chosen
    EXPECT_EQ(dlg.m_confirmColor, 3);
    EXPECT_EQ(d.focusItem(), IDC_OPT_CONFIRMCOLOR);
    d.Click(IDC_OPT_MARKCOLOR);  // chosen, then cancelled
    EXPECT_EQ(d.focusItem(), IDC_OPT_MARKCOLOR);
    d.Click(IDCANCEL);
  });
  EXPECT_EQ(MessageIds(), (std::vector<int>{150, 150}));
  EXPECT_EQ(LastMessageType(), MB_OK | MB_ICONINFORMATION);
  ASSERT_EQ(user.colorRequests().size(), 4u);
  EXPECT_EQ(user.colorRequests()[0].layerColor, 256);
  EXPECT_TRUE(user.colorRequests()[0].allowMetaColors);
  EXPECT_EQ(user.colorRequests()[1].layerColor, 1);
  EXPECT_EQ(user.colorRequests()[3].initialIndex, 256);  // the colour chosen so far

  const CableSetting& s = g_cableSetting;
  EXPECT_EQ(s.markTextHeight, 3.0);
  EXPECT_EQ(s.markOffset, 0.0);
  EXPECT_EQ(s.markLayer, u"記号層");
  EXPECT_EQ(s.confirmLineWeight, 50);
  EXPECT_EQ(s.cinfoLeaderDegree, 0.0);
  EXPECT_FALSE(s.cinfoLeaderRevision);
  EXPECT_FALSE(s.drawSubNumber);
  EXPECT_TRUE(s.annoSubNumber);
  EXPECT_EQ(s.subNumberSeparator, u"");
  EXPECT_EQ(s.markColor, 256);  // the colour after the last save
  EXPECT_EQ(s.confirmColor, 3);

  // Saved as the settings' own tests show for every key; ProjectDir is
  // never written here.
  const std::pair<const char16_t*, const char16_t*> stored[] = {
      {u"KIGO_LAYER", u"記号層"}, {u"CONFIRM_COLOR", u"3"}, {u"NO_ANNO", u"ON"}, {u"ProjectDir", u""}};
  for (const auto& [key, value] : stored) {
    CString got;
    QzComn_readConfig(got, u"", u"WireBinder", key);
    EXPECT_EQ(got, value) << wb::Utf16ToUtf8(key);
  }
}

// The colour swatch the dialog draws for each of its colour buttons.
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

RecordingPainter Paint(ColorRef color, unsigned state, unsigned action) {
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

TEST(ColorButtonTest, FramesForEachStateAndTheColoursPutBack) {
  using namespace wb::ui;
  const Stroke outline{{{110, 20}, {10, 20}, {10, 50}, {110, 50}, {110, 20}}, B, false};
  const Stroke focus{{{106, 23}, {13, 23}, {13, 46}, {106, 46}, {106, 23}}, 0xFF00FF, true};  // the inverse
  const struct {
    unsigned state, action;
    std::vector<Stroke> strokes;
  } cases[] = {
      // Raised; sunken while the mouse holds it.
      {0, ODA_DRAWENTIRE, {{{{110, 20}, {10, 20}, {10, 49}}, W, false}, {{{10, 49}, {109, 49}, {109, 21}}, B, false}}},
      {ODS_SELECTED, ODA_SELECT,
       {{{{110, 20}, {10, 20}, {10, 49}}, B, false}, {{{10, 49}, {109, 49}, {109, 20}}, W, false}}},
      // Focused: inner frame, black outline, dotted focus rectangle.
      {ODS_FOCUS, ODA_FOCUS,
       {{{{108, 21}, {11, 21}, {11, 48}}, W, false}, {{{11, 48}, {108, 48}, {108, 21}}, B, false}, outline, focus}},
      {ODS_FOCUS | ODS_SELECTED, ODA_DRAWENTIRE,
       {{{{109, 21}, {11, 21}, {11, 48}}, B, false}, {{{11, 48}, {108, 48}, {108, 21}}, W, false}, outline, focus}},
      {ODS_FOCUS, 0x8, {}},  // any other draw action paints nothing
  };
  for (const auto& c : cases) {
    const auto p = Paint(0x00FF00, c.state, c.action);
    EXPECT_EQ(p.strokes, c.strokes) << c.state;
    ASSERT_EQ(p.rects.size(), c.strokes.empty() ? 0u : 1u);
    if (c.strokes.empty()) continue;
    EXPECT_EQ(p.rects[0], (PaintRect{10, 20, 110, 50}));
    EXPECT_EQ(p.fills[0], 0x00FF00u);
    // Text colour set to the inverse, then the old colours put back; no text.
    EXPECT_EQ(p.textColors.front(), 0xFF00FFu);
    EXPECT_EQ(p.text, 0x123456u);
    EXPECT_EQ(p.back, 0x654321u);
    EXPECT_EQ(p.texts, 0);
  }
}

}  // namespace
}  // namespace wbtest
