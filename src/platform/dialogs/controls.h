// Control state of the dialog toolkit. A dialog owns its controls by
// resource ID; backends only render this state and feed user actions back
// through the dialog, so one module drives both the scripted and the Qt
// front end.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/dialogs/dialog_resource.h"
#include "platform/text/ustring.h"

namespace wb::ui {

struct ListColumn {
  WString title;
  int width = 0;  // pixels
};

// 0x00BBGGRR, as the host's COLORREF.
using ColorRef = uint32_t;
constexpr ColorRef Rgb(int r, int g, int b) {
  return static_cast<ColorRef>(r) | (static_cast<ColorRef>(g) << 8) |
         (static_cast<ColorRef>(b) << 16);
}

class Control {
 public:
  Control(const ControlTemplate& t);

  int id() const { return id_; }
  ControlKind kind() const { return kind_; }
  unsigned style() const { return style_; }

  const WString& text() const { return text_; }
  bool visible() const { return visible_; }
  bool enabled() const { return enabled_; }
  bool checked() const { return checked_; }
  DialogRect rect() const { return rect_; }

  // Combo box.
  const std::vector<WString>& items() const { return items_; }
  int currentIndex() const { return current_; }  // -1 when none
  // Inserts in sorted position for kStyleSort (case-insensitive, as the
  // host's combo boxes compare); returns the index.
  int AddString(const WString& item);
  void ResetContent();
  int SetCurSel(int index);  // -1 clears; returns -1 for an invalid index
  // First item beginning with `prefix` (case-insensitive) at or after
  // `start` + 1, wrapping; -1 when none.
  int FindString(int start, WStringView prefix) const;
  int FindStringExact(int start, WStringView text) const;
  int GetCount() const { return static_cast<int>(items_.size()); }
  WString GetLBText(int index) const;

  // List view.
  const std::vector<ListColumn>& columns() const { return columns_; }
  int InsertColumn(int index, const WString& title, int width);
  bool DeleteColumn(int index);
  int GetItemCount() const { return static_cast<int>(rows_.size()); }
  int InsertItem(int index, const WString& text);
  bool SetItemText(int item, int subItem, const WString& text);
  WString GetItemText(int item, int subItem) const;
  bool DeleteAllItems();
  // Single selection: the selected item, or -1.
  int GetSelectedItem() const { return selectedItem_; }
  void SetSelectedItem(int item);
  const std::vector<int>& columnOrder() const { return order_; }
  bool SetColumnOrderArray(const std::vector<int>& order);
  std::vector<int> GetColumnOrderArray() const;
  unsigned extendedStyle() const { return extendedStyle_; }
  void SetExtendedStyle(unsigned style) { extendedStyle_ = style; }

  // Plain state changes; Dialog wraps them with notifications.
  void set_text(const WString& text) { text_ = text; }
  void set_visible(bool v) { visible_ = v; }
  void set_enabled(bool v) { enabled_ = v; }
  void set_checked(bool v) { checked_ = v; }
  void set_rect(DialogRect r) { rect_ = r; }

 private:
  int id_;
  ControlKind kind_;
  unsigned style_;
  WString text_;
  bool visible_;
  bool enabled_;
  bool checked_ = false;
  DialogRect rect_;
  std::vector<WString> items_;
  int current_ = -1;
  std::vector<ListColumn> columns_;
  std::vector<std::vector<WString>> rows_;
  int selectedItem_ = -1;
  std::vector<int> order_;
  unsigned extendedStyle_ = 0;
};

}  // namespace wb::ui
