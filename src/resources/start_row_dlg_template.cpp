#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

using namespace wb::ui;

std::span<const ControlTemplate> StartRowDlgControls() {
  static const ControlTemplate controls[] = {
      {-1, ControlKind::kStatic, u"読込開始行：", {7, 9, 48, 8}},
      {IDC_STARTROW, ControlKind::kEdit, u"", {58, 7, 54, 12}},
      {1, ControlKind::kPushButton, u"OK", {7, 26, 50, 14}, kStyleDefault},
      {2, ControlKind::kPushButton, u"キャンセル", {62, 26, 50, 14}},
  };
  return controls;
}
