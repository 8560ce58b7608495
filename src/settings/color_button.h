// An owner-drawn push button that shows a colour swatch with a 3D frame.
// It paints through a Painter, so any front end can draw it and a test can
// see every line.
#pragma once

#include "platform/dialogs/dialog.h"
#include "platform/dialogs/painter.h"

class CColorButton {
 public:
  explicit CColorButton(wb::ui::ColorRef color) : m_color(color) {}

  // Binds the button to control `id` of `dialog`.
  void SubclassDlgItem(int id, wb::ui::Dialog& dialog);
  int id() const { return id_; }

  wb::ui::ColorRef GetColor() const { return m_color; }
  // Stores the colour and has the front end repaint the whole button.
  void SetColor(wb::ui::ColorRef color);

  void DrawItem(const wb::ui::DrawItemStruct& item) const;

 private:
  wb::ui::ColorRef m_color;
  wb::ui::Dialog* dialog_ = nullptr;
  int id_ = 0;
};
