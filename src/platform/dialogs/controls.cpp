#include "platform/dialogs/controls.h"

#include <algorithm>

namespace wb::ui {
namespace {

char16_t Lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

int CompareNoCase(WStringView a, WStringView b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const char16_t x = Lower(a[i]), y = Lower(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool StartsNoCase(WStringView text, WStringView prefix) {
  return text.size() >= prefix.size() && CompareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

}  // namespace

Control::Control(const ControlTemplate& t)
    : id_(t.id),
      kind_(t.kind),
      style_(t.style),
      text_(t.caption ? t.caption : u""),
      visible_(!(t.style & kStyleHidden)),
      enabled_(!(t.style & kStyleDisabled)),
      rect_(t.rect) {}

int Control::AddString(const WString& item) {
  size_t at = items_.size();
  if (style_ & kStyleSort) {
    at = std::upper_bound(items_.begin(), items_.end(), item,
                          [](const WString& a, const WString& b) { return CompareNoCase(a, b) < 0; }) -
         items_.begin();
  }
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), item);
  if (current_ >= static_cast<int>(at)) ++current_;
  return static_cast<int>(at);
}

void Control::ResetContent() {
  items_.clear();
  current_ = -1;
}

int Control::SetCurSel(int index) {
  if (index < 0 || index >= GetCount()) {
    current_ = -1;
    return -1;
  }
  current_ = index;
  text_ = items_[index];
  return index;
}

int Control::FindString(int start, WStringView prefix) const {
  const int n = GetCount();
  for (int k = 1; k <= n; ++k) {
    const int i = ((start < 0 ? -1 : start) + k) % n;
    if (StartsNoCase(items_[i], prefix)) return i;
  }
  return -1;
}

int Control::FindStringExact(int start, WStringView text) const {
  const int n = GetCount();
  for (int k = 1; k <= n; ++k) {
    const int i = ((start < 0 ? -1 : start) + k) % n;
    if (CompareNoCase(items_[i], text) == 0) return i;
  }
  return -1;
}

WString Control::GetLBText(int index) const {
  return index >= 0 && index < GetCount() ? items_[index] : WString();
}

int Control::InsertColumn(int index, const WString& title, int width) {
  index = std::clamp(index, 0, static_cast<int>(columns_.size()));
  columns_.insert(columns_.begin() + index, ListColumn{title, width});
  for (auto& row : rows_)
    if (static_cast<int>(row.size()) > index) row.insert(row.begin() + index, WString());
  // A new column shows at its own index; later ones move one place on.
  for (auto& o : order_)
    if (o >= index) ++o;
  order_.insert(order_.begin() + index, index);
  return index;
}

bool Control::DeleteColumn(int index) {
  if (index < 0 || index >= static_cast<int>(columns_.size())) return false;
  columns_.erase(columns_.begin() + index);
  for (auto& row : rows_)
    if (static_cast<int>(row.size()) > index) row.erase(row.begin() + index);
  if (auto it = std::find(order_.begin(), order_.end(), index); it != order_.end()) order_.erase(it);
  for (auto& o : order_)
    if (o > index) --o;
  return true;
}

int Control::InsertItem(int index, const WString& text) {
  index = std::clamp(index, 0, GetItemCount());
  rows_.insert(rows_.begin() + index, std::vector<WString>{text});
  if (selectedItem_ >= index) ++selectedItem_;
  return index;
}

bool Control::SetItemText(int item, int subItem, const WString& text) {
  if (item < 0 || item >= GetItemCount() || subItem < 0 ||
      subItem >= std::max<int>(1, static_cast<int>(columns_.size())))
    return false;
  auto& row = rows_[item];
  if (static_cast<int>(row.size()) <= subItem) row.resize(subItem + 1);
  row[subItem] = text;
  return true;
}

WString Control::GetItemText(int item, int subItem) const {
  if (item < 0 || item >= GetItemCount() || subItem < 0) return {};
  const auto& row = rows_[item];
  return subItem < static_cast<int>(row.size()) ? row[subItem] : WString();
}

bool Control::DeleteAllItems() {
  rows_.clear();
  selectedItem_ = -1;
  return true;
}

void Control::SetSelectedItem(int item) {
  selectedItem_ = (item >= 0 && item < GetItemCount()) ? item : -1;
}

bool Control::SetColumnOrderArray(const std::vector<int>& order) {
  // Like the host's header control, only a whole permutation of the
  // columns is taken; anything else leaves the order as it was.
  if (order.size() != columns_.size()) return false;
  std::vector<bool> seen(order.size());
  for (int column : order) {
    if (column < 0 || column >= static_cast<int>(order.size()) || seen[column]) return false;
    seen[column] = true;
  }
  order_ = order;
  return true;
}

std::vector<int> Control::GetColumnOrderArray() const { return order_; }

}  // namespace wb::ui
