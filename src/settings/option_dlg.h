// Detailed-settings dialog: the drawing parameters of the settings record,
// checked, stored and written to the module configuration on "保存".
#pragma once

#include <cstdint>

#include "platform/dialogs/dialog.h"
#include "platform/host/host_types.h"
#include "settings/color_button.h"

class OptionDlg : public wb::ui::Dialog {
 public:
  OptionDlg();

  CColorButton m_markColorButton{0xC0C0C0};
  CColorButton m_confirmColorButton{0xC0C0C0};
  int32_t m_markColor = 0;
  int32_t m_confirmColor = 0;

  bool DrawItem(const wb::ui::DrawItemStruct& item) override;

  // Digits with at most one point, not first: "1." passes, ".5" and "-1"
  // do not, and neither does an exponent or a blank.
  static bool IsPlainNumber(const CString& text);
  // Swatch of a colour index; by block and by layer show as index 255.
  static wb::ui::ColorRef SwatchColor(int index);

 protected:
  void OnInitDialog() override;
  void OnCommand(int id) override;
  void OnOK() override;

 private:
  void ChooseColor(CColorButton& button, int32_t saved, int32_t& chosen);
};
