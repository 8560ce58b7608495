#include "settings/color_button.h"

using wb::ui::ColorRef;
using wb::ui::PaintPoint;

namespace {
constexpr ColorRef kWhite = 0xFFFFFF;
constexpr ColorRef kBlack = 0x000000;
}  // namespace

void CColorButton::SubclassDlgItem(int id, wb::ui::Dialog& dialog) {
  dialog_ = &dialog;
  id_ = id;
}

void CColorButton::SetColor(ColorRef color) {
  m_color = color;
  if (dialog_) dialog_->Touch(id_);
}

void CColorButton::DrawItem(const wb::ui::DrawItemStruct& item) const {
  using namespace wb::ui;
  if (!item.painter ||
      !(item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT | ODA_FOCUS)))
    return;
  Painter& p = *item.painter;
  const int l = item.rcItem.left, t = item.rcItem.top, r = item.rcItem.right,
            b = item.rcItem.bottom;
  const ColorRef inverse = m_color ^ 0xFFFFFF;

  p.Rectangle(item.rcItem, m_color);
  const ColorRef oldText = p.SetTextColor(inverse);
  const ColorRef oldBack = p.SetBkColor(m_color);

  const bool pressed = item.itemState & ODS_SELECTED;
  const bool focused = item.itemState & ODS_FOCUS;
  const ColorRef light = pressed ? kBlack : kWhite;  // top and left edges
  const ColorRef dark = pressed ? kWhite : kBlack;   // bottom and right edges
  if (!focused) {
    p.Polyline({{r, t}, {l, t}, {l, b - 1}}, light, false);
    p.Polyline({{l, b - 1}, {r - 1, b - 1}, {r - 1, pressed ? t : t + 1}}, dark, false);
  } else {
    p.Polyline({{pressed ? r - 1 : r - 2, t + 1}, {l + 1, t + 1}, {l + 1, b - 2}}, light, false);
    p.Polyline({{l + 1, b - 2}, {r - 2, b - 2}, {r - 2, t + 1}}, dark, false);
    p.Polyline({{r, t}, {l, t}, {l, b}, {r, b}, {r, t}}, kBlack, false);
    p.Polyline({{r - 4, t + 3}, {l + 3, t + 3}, {l + 3, b - 4}, {r - 4, b - 4}, {r - 4, t + 3}},
               inverse, true);
  }

  p.SetTextColor(oldText);
  p.SetBkColor(oldBack);
}
