#include "resources/dialog_templates.h"

#include <cstdlib>
#include <vector>

using wb::ui::ControlKind;
using wb::ui::ControlTemplate;
using wb::ui::DialogResource;

namespace {

const std::vector<DialogResource>& Templates() {
  static const std::vector<DialogResource> templates{
      {IDD_MAIN, u"ケーブル情報設定", 311, 255, MainDlgControls()},
      {IDD_PROJECT, u"プロジェクト管理", 165, 75, ProjectDlgControls()},
      {IDD_DRAWMARK, u"記号設定画面", 287, 367, DrawMarkDlgControls()},
      {IDD_DRAWNOTE, u"ダイアログ", 320, 200, DrawNoteControls()},
      {IDD_OPTION, u"詳細設定画面", 326, 221, OptionDlgControls()},
      {IDD_STARTROW, u"読込開始行設定", 119, 45, StartRowDlgControls()},
  };
  return templates;
}

}  // namespace

std::span<const DialogResource> DialogTemplates() { return Templates(); }

const DialogResource* FindDialogTemplate(int id) {
  for (const auto& t : Templates())
    if (t.id == id) return &t;
  return nullptr;
}

const DialogResource& DialogTemplate(int id) {
  const DialogResource* t = FindDialogTemplate(id);
  if (!t) std::abort();
  return *t;
}

std::span<const ControlTemplate> DrawNoteControls() {
  static const ControlTemplate controls[] = {
      {-1, ControlKind::kStatic, kDragDialogText, {60, 90, 200, 10}},
  };
  return controls;
}
