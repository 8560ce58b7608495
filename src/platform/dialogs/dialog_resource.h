// How a dialog template describes itself: caption, size and controls in
// dialog units. Plain data, so the resource tables need no toolkit code.
#pragma once

#include <span>

namespace wb::ui {

enum class ControlKind { kPushButton, kCheckBox, kEdit, kComboBox, kListView, kStatic, kGroupBox };

// Position and size in dialog units, as in a resource template.
struct DialogRect {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const DialogRect&, const DialogRect&) = default;
};

// Style bits the toolkit understands.
enum ControlStyle : unsigned {
  kStyleNone = 0,
  kStyleHidden = 1u << 0,        // created invisible
  kStyleDisabled = 1u << 1,
  kStyleSort = 1u << 2,          // combo box keeps its items sorted
  kStyleDropDownList = 1u << 3,  // combo box without an edit field
  kStyleDefault = 1u << 4,       // the default push button
  kStyleOwnerDraw = 1u << 5,     // painted by the dialog (colour button)
  kStylePassword = 1u << 6,
  kStyleNumber = 1u << 7,        // edit accepts digits only
};

struct ControlTemplate {
  int id;  // -1 for controls without an ID (group boxes, labels)
  ControlKind kind;
  const char16_t* caption;
  DialogRect rect;
  unsigned style = kStyleNone;
};

struct DialogResource {
  int id;
  const char16_t* caption;
  int width;   // dialog units
  int height;  // dialog units
  std::span<const ControlTemplate> controls;
};

// Every template uses this font.
inline constexpr const char16_t* kDialogFont = u"MS UI Gothic";
inline constexpr int kDialogFontPoints = 9;

}  // namespace wb::ui
