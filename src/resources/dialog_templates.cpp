#include "resources/dialog_templates.h"

namespace {

const DialogTemplate kTemplates[] = {
    {103, u"ケーブル情報設定", 311, 255, u"MainDlg"},
    {104, u"プロジェクト管理", 165, 75, u"ProjectDlg"},
    {130, u"記号設定画面", 287, 367, u"DrawMarkDlg"},
    {149, u"ダイアログ", 320, 200, u"CDrawNote"},
    {150, u"詳細設定画面", 326, 221, u"OptionDlg"},
    {163, u"読込開始行設定", 119, 45, u"StartRowDlg"},
};

}  // namespace

std::span<const DialogTemplate> DialogTemplates() { return kTemplates; }

const DialogTemplate* FindDialogTemplate(int id) {
  for (const auto& t : kTemplates)
    if (t.id == id) return &t;
  return nullptr;
}
