#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

using namespace wb::ui;

std::span<const ControlTemplate> MainDlgControls() {
  static const ControlTemplate controls[] = {
      {-1, ControlKind::kGroupBox, u"ﾌﾟﾛｼﾞｪｸﾄ", {7, 4, 150, 31}},
      {IDC_LOAD, ControlKind::kPushButton, u"読込み", {14, 15, 42, 14}},
      {IDC_NEW, ControlKind::kPushButton, u"新規作成", {60, 15, 42, 14}},
      {IDC_DELETE, ControlKind::kPushButton, u"削除", {106, 15, 42, 14}},
      {IDC_DRAWMARK, ControlKind::kPushButton, u"記号設定", {165, 15, 45, 14}},
      {IDC_DELETEMARK, ControlKind::kPushButton, u"記号削除", {214, 15, 45, 14}},
      {IDC_DELETEATT, ControlKind::kPushButton, u"属性削除", {263, 15, 41, 14}},
      {IDC_OPTION, ControlKind::kPushButton, u"詳細設定", {7, 40, 50, 14}},
      {IDC_INITLENGTH, ControlKind::kPushButton, u"長さ初期化", {61, 40, 50, 14}},
      {IDC_SAVEORDER, ControlKind::kPushButton, u"列の順番を保存", {233, 40, 71, 14}},
      {IDC_CABLELIST, ControlKind::kListView, u"", {7, 58, 297, 140}},
      {-1, ControlKind::kGroupBox, u"設定", {7, 202, 230, 46}},
      {IDC_SETCABLE, ControlKind::kPushButton, u"設定", {14, 213, 40, 14}},
      {IDC_FILEOUT, ControlKind::kPushButton, u"ファイル出力", {58, 213, 54, 14}},
      {IDC_DRAWINFO, ControlKind::kPushButton, u"記入", {116, 213, 40, 14}},
      {IDC_CONFIRM, ControlKind::kPushButton, u"確認", {160, 213, 40, 14}},
      {IDC_BACK, ControlKind::kPushButton, u"戻す", {160, 213, 40, 14}, kStyleHidden},
      {IDC_FROMTO, ControlKind::kCheckBox, u"From To 記入", {14, 232, 70, 10}},
      {IDC_CABLENO, ControlKind::kCheckBox, u"ケーブル番号記入", {90, 232, 80, 10}},
      {IDC_RESTORE, ControlKind::kPushButton, u"復帰", {245, 213, 50, 14}, kStyleHidden},
  };
  return controls;
}
