#include "settings/option_dlg.h"

#include "platform/arxutil/convert.h"
#include "platform/dialogs/color_dialog.h"
#include "platform/dialogs/message_box.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "settings/cable_setting.h"

namespace {

CString G(double v) { return wb::Format(u"%g", v); }

}  // namespace

OptionDlg::OptionDlg() : Dialog(DialogTemplate(IDD_OPTION)) {
  m_markColorButton.SubclassDlgItem(IDC_OPT_MARKCOLOR, *this);
  m_confirmColorButton.SubclassDlgItem(IDC_OPT_CONFIRMCOLOR, *this);
}

bool OptionDlg::IsPlainNumber(const CString& text) {
  if (!text.empty() && text[0] == u'.') return false;
  int points = 0;
  for (char16_t c : text) {
    if (c == u'.') {
      if (++points > 1) return false;
    } else if (c < u'0' || c > u'9') {
      return false;
    }
  }
  return true;
}

wb::ui::ColorRef OptionDlg::SwatchColor(int index) {
  return wb::ui::ColorFromIndex(index == 0 || index == 256 ? 255 : index);
}

void OptionDlg::OnInitDialog() {
  const CableSetting& s = g_cableSetting;
  SetDlgItemText(IDC_OPT_MARKHEIGHT, G(s.markTextHeight));
  SetDlgItemText(IDC_OPT_MARKWIDTH, G(s.markWidthFactor));
  SetDlgItemText(IDC_OPT_MARKOFFSET, G(s.markOffset));
  SetDlgItemText(IDC_OPT_MARKLAYER, s.markLayer);
  m_markColorButton.SetColor(SwatchColor(s.markColor));
  m_markColor = s.markColor;
  m_confirmColorButton.SetColor(SwatchColor(s.confirmColor));
  m_confirmColor = s.confirmColor;
  SetDlgItemText(IDC_OPT_LINEWEIGHT, wb::Format(u"%d", s.confirmLineWeight));
  SetDlgItemText(IDC_OPT_TEXTHEIGHT, G(s.cinfoTextHeight));
  SetDlgItemText(IDC_OPT_TEXTWIDTH, G(s.cinfoTextWidth));
  SetDlgItemText(IDC_OPT_ROWINTERVAL, G(s.cinfoRowInterval));
  SetDlgItemText(IDC_OPT_STARTOFFSET, G(s.cinfoStartOffset));
  CheckDlgButton(IDC_OPT_LEADERREVISION, s.cinfoLeaderRevision);
  EnableItem(IDC_OPT_LEADERDEGREE, s.cinfoLeaderRevision);
  SetDlgItemText(IDC_OPT_LEADERDEGREE, G(s.cinfoLeaderDegree));
  SetDlgItemText(IDC_OPT_ARCMAJOR, G(s.cinfoArcMajorAxis));
  SetDlgItemText(IDC_OPT_ARCMINOR, G(s.cinfoArcMinorAxis));
  SetDlgItemText(IDC_OPT_TEXTFORMAT, s.cinfoTextFormat);
  CheckDlgButton(IDC_OPT_DRAWSUBNO, s.drawSubNumber);
  SetDlgItemText(IDC_OPT_SEPARATOR, s.subNumberSeparator);
  CheckDlgButton(IDC_OPT_ANNOSUBNO, s.annoSubNumber);
}

void OptionDlg::OnCommand(int id) {
  switch (id) {
    case IDC_OPT_LEADERREVISION:
      EnableItem(IDC_OPT_LEADERDEGREE, IsDlgButtonChecked(IDC_OPT_LEADERREVISION));
      break;
    case IDC_OPT_MARKCOLOR:
      ChooseColor(m_markColorButton, g_cableSetting.markColor, m_markColor);
      break;
    case IDC_OPT_CONFIRMCOLOR:
      ChooseColor(m_confirmColorButton, g_cableSetting.confirmColor, m_confirmColor);
      break;
    default: break;
  }
}

void OptionDlg::ChooseColor(CColorButton& button, int32_t saved, int32_t& chosen) {
  // Opens on the colour chosen so far, so a second visit starts from it.
  int index = chosen;
  if (acedSetColorDialog(index, true, saved)) {
    button.SetColor(SwatchColor(index));
    chosen = index;
  }
  GotoDlgCtrl(button.id());
}

bool OptionDlg::DrawItem(const wb::ui::DrawItemStruct& item) {
  if (item.ctlId == m_markColorButton.id()) {
    m_markColorButton.DrawItem(item);
    return true;
  }
  if (item.ctlId == m_confirmColorButton.id()) {
    m_confirmColorButton.DrawItem(item);
    return true;
  }
  return false;
}

void OptionDlg::OnOK() {
  static constexpr int kRequired[] = {
      IDC_OPT_MARKHEIGHT, IDC_OPT_MARKWIDTH,   IDC_OPT_MARKOFFSET,  IDC_OPT_MARKLAYER,
      IDC_OPT_LINEWEIGHT, IDC_OPT_TEXTHEIGHT,  IDC_OPT_TEXTWIDTH,   IDC_OPT_ROWINTERVAL,
      IDC_OPT_STARTOFFSET, IDC_OPT_ARCMAJOR,   IDC_OPT_ARCMINOR,    IDC_OPT_TEXTFORMAT};
  static constexpr int kNumbers[] = {IDC_OPT_MARKHEIGHT, IDC_OPT_MARKWIDTH,  IDC_OPT_LINEWEIGHT,
                                     IDC_OPT_TEXTHEIGHT, IDC_OPT_TEXTWIDTH,  IDC_OPT_ROWINTERVAL,
                                     IDC_OPT_STARTOFFSET, IDC_OPT_ARCMAJOR, IDC_OPT_ARCMINOR};
  const bool revision = IsDlgButtonChecked(IDC_OPT_LEADERREVISION);
  bool complete = !revision || !GetDlgItemText(IDC_OPT_LEADERDEGREE).empty();
  for (int id : kRequired) complete = complete && !GetDlgItemText(id).empty();
  if (!complete) {
    AfxMessageBox(LoadModuleString(149), MB_OK);
    return;
  }
  bool valid = !revision || IsPlainNumber(GetDlgItemText(IDC_OPT_LEADERDEGREE));
  for (int id : kNumbers) valid = valid && IsPlainNumber(GetDlgItemText(id));
  if (!valid) {
    AfxMessageBox(LoadModuleString(151), MB_OK);
    return;
  }

  CableSetting& s = g_cableSetting;
  auto number = [&](int id) { return ApiComn_atof(GetDlgItemText(id)); };
  s.markTextHeight = number(IDC_OPT_MARKHEIGHT);
  s.markWidthFactor = number(IDC_OPT_MARKWIDTH);
  s.markOffset = number(IDC_OPT_MARKOFFSET);
  s.cinfoTextHeight = number(IDC_OPT_TEXTHEIGHT);
  s.cinfoTextWidth = number(IDC_OPT_TEXTWIDTH);
  s.cinfoRowInterval = number(IDC_OPT_ROWINTERVAL);
  s.cinfoStartOffset = number(IDC_OPT_STARTOFFSET);
  s.cinfoLeaderDegree = number(IDC_OPT_LEADERDEGREE);
  s.cinfoArcMajorAxis = number(IDC_OPT_ARCMAJOR);
  s.cinfoArcMinorAxis = number(IDC_OPT_ARCMINOR);
  s.confirmLineWeight = _wtoi(GetDlgItemText(IDC_OPT_LINEWEIGHT));
  s.markLayer = GetDlgItemText(IDC_OPT_MARKLAYER);
  s.cinfoTextFormat = GetDlgItemText(IDC_OPT_TEXTFORMAT);
  s.subNumberSeparator = GetDlgItemText(IDC_OPT_SEPARATOR);
  s.markColor = m_markColor;
  s.confirmColor = m_confirmColor;
  s.cinfoLeaderRevision = revision;
  s.drawSubNumber = IsDlgButtonChecked(IDC_OPT_DRAWSUBNO);
  s.annoSubNumber = IsDlgButtonChecked(IDC_OPT_ANNOSUBNO);
  SaveDrawingSettings(s);
  AfxMessageBox(LoadModuleString(150), MB_OK | MB_ICONINFORMATION);
}
