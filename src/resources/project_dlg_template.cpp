#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

using namespace wb::ui;

std::span<const ControlTemplate> ProjectDlgControls() {
  static const ControlTemplate controls[] = {
      {-1, ControlKind::kStatic, u"PLANT", {7, 9, 30, 8}},
      {-1, ControlKind::kStatic, u"設備", {7, 29, 30, 8}},
      {IDC_PLANT_EDIT, ControlKind::kComboBox, u"", {40, 7, 118, 80}, kStyleSort | kStyleHidden},
      {IDC_FACILITY_EDIT, ControlKind::kComboBox, u"", {40, 27, 118, 80},
       kStyleSort | kStyleHidden},
      {IDC_PLANT_LIST, ControlKind::kComboBox, u"", {40, 7, 118, 80},
       kStyleSort | kStyleDropDownList | kStyleHidden},
      {IDC_FACILITY_LIST, ControlKind::kComboBox, u"", {40, 27, 118, 80},
       kStyleSort | kStyleDropDownList | kStyleHidden},
      {1, ControlKind::kPushButton, u"OK", {40, 54, 56, 14}, kStyleDefault},
      {2, ControlKind::kPushButton, u"キャンセル", {102, 54, 56, 14}},
  };
  return controls;
}
