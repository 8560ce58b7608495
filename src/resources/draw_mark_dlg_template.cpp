#include "platform/dialogs/dialog.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

using namespace wb::ui;

// Each set button stands above its list, so that with a single list the
// Cancel button can move under the From column on the same row.
std::span<const ControlTemplate> DrawMarkDlgControls() {
  static const ControlTemplate controls[] = {
      {IDOK, ControlKind::kPushButton, u"from記号設定", {7, 7, 60, 14}, kStyleDefault},
      {IDC_FROMLIST, ControlKind::kListView, u"", {7, 25, 133, 317}},
      {IDC_TOSET, ControlKind::kPushButton, u"to記号設定", {147, 7, 60, 14}},
      {IDC_TOLIST, ControlKind::kListView, u"", {147, 25, 133, 317}},
      {IDCANCEL, ControlKind::kPushButton, u"キャンセル", {220, 347, 60, 14}},
  };
  return controls;
}
