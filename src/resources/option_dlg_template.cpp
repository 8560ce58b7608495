#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

using namespace wb::ui;

std::span<const ControlTemplate> OptionDlgControls() {
  static const ControlTemplate controls[] = {
      {-1, ControlKind::kGroupBox, u"記号", {7, 4, 152, 96}},
      {-1, ControlKind::kStatic, u"文字高さ", {14, 18, 70, 8}},
      {IDC_OPT_MARKHEIGHT, ControlKind::kEdit, u"", {90, 16, 62, 12}},
      {-1, ControlKind::kStatic, u"文字幅係数", {14, 34, 70, 8}},
      {IDC_OPT_MARKWIDTH, ControlKind::kEdit, u"", {90, 32, 62, 12}},
      {-1, ControlKind::kStatic, u"機器間距離", {14, 50, 70, 8}},
      {IDC_OPT_MARKOFFSET, ControlKind::kEdit, u"", {90, 48, 62, 12}},
      {-1, ControlKind::kStatic, u"画層名", {14, 66, 70, 8}},
      {IDC_OPT_MARKLAYER, ControlKind::kEdit, u"", {90, 64, 62, 12}},
      {-1, ControlKind::kStatic, u"色", {14, 82, 70, 8}},
      {IDC_OPT_MARKCOLOR, ControlKind::kPushButton, u"", {90, 80, 62, 14}, kStyleOwnerDraw},
      {-1, ControlKind::kGroupBox, u"経路確認", {7, 104, 152, 48}},
      {-1, ControlKind::kStatic, u"色", {14, 118, 70, 8}},
      {IDC_OPT_CONFIRMCOLOR, ControlKind::kPushButton, u"", {90, 116, 62, 14}, kStyleOwnerDraw},
      {-1, ControlKind::kStatic, u"線幅", {14, 136, 70, 8}},
      {IDC_OPT_LINEWEIGHT, ControlKind::kEdit, u"", {90, 134, 62, 12}},
      {-1, ControlKind::kGroupBox, u"注記", {166, 4, 153, 176}},
      {-1, ControlKind::kStatic, u"文字高さ", {173, 18, 70, 8}},
      {IDC_OPT_TEXTHEIGHT, ControlKind::kEdit, u"", {250, 16, 62, 12}},
      {-1, ControlKind::kStatic, u"文字幅", {173, 34, 70, 8}},
      {IDC_OPT_TEXTWIDTH, ControlKind::kEdit, u"", {250, 32, 62, 12}},
      {-1, ControlKind::kStatic, u"行間隔", {173, 50, 70, 8}},
      {IDC_OPT_ROWINTERVAL, ControlKind::kEdit, u"", {250, 48, 62, 12}},
      {-1, ControlKind::kStatic, u"開始位置オフセット", {173, 66, 75, 8}},
      {IDC_OPT_STARTOFFSET, ControlKind::kEdit, u"", {250, 64, 62, 12}},
      {-1, ControlKind::kStatic, u"引出線角度補正", {173, 82, 75, 8}},
      {IDC_OPT_LEADERREVISION, ControlKind::kCheckBox, u"補正する", {250, 81, 62, 10}},
      {-1, ControlKind::kStatic, u"角度", {173, 98, 70, 8}},
      {IDC_OPT_LEADERDEGREE, ControlKind::kEdit, u"", {250, 96, 62, 12}},
      {-1, ControlKind::kStatic, u"楕円弧の長径", {173, 114, 70, 8}},
      {IDC_OPT_ARCMAJOR, ControlKind::kEdit, u"", {250, 112, 62, 12}},
      {-1, ControlKind::kStatic, u"楕円弧の短径", {173, 130, 70, 8}},
      {IDC_OPT_ARCMINOR, ControlKind::kEdit, u"", {250, 128, 62, 12}},
      {-1, ControlKind::kStatic, u"表示文字書式(※)", {173, 146, 75, 8}},
      {IDC_OPT_TEXTFORMAT, ControlKind::kEdit, u"", {250, 144, 62, 12}},
      {IDC_OPT_FORMATLEGEND, ControlKind::kStatic, u"※ A=ケーブル番号, B=配線サイズ, C=From, D=To",
       {173, 162, 140, 8}},
      {-1, ControlKind::kGroupBox, u"副番", {7, 156, 152, 58}},
      {IDC_OPT_DRAWSUBNO, ControlKind::kCheckBox, u"文字に副番を含める", {14, 168, 138, 10}},
      {-1, ControlKind::kStatic, u"記号との区切り文字", {14, 184, 75, 8}},
      {IDC_OPT_SEPARATOR, ControlKind::kEdit, u"", {90, 182, 62, 12}},
      {IDC_OPT_ANNOSUBNO, ControlKind::kCheckBox, u"注記に副番を含める", {14, 200, 138, 10}},
      {1, ControlKind::kPushButton, u"保存", {210, 200, 50, 14}, kStyleDefault},
      {2, ControlKind::kPushButton, u"キャンセル", {266, 200, 50, 14}},
  };
  return controls;
}
