#include "platform/dialogs/dialog.h"

#include <algorithm>
#include <cassert>

#include "platform/dialogs/dialog_backend.h"

namespace wb::ui {

Dialog::Dialog(const DialogResource& resource) : resource_(resource), caption_(resource.caption) {
  for (const auto& t : resource_.controls) {
    if (t.id < 0)
      unnamed_.push_back(std::make_unique<Control>(t));
    else
      controls_.emplace(t.id, std::make_unique<Control>(t));
  }
}

Dialog::~Dialog() {
  if (hasWindow_ && !modal_) Backend().DestroyModeless(*this);
}

int Dialog::DoModal() {
  modal_ = true;
  ended_ = false;
  result_ = IDCANCEL;
  hasWindow_ = true;
  visible_ = true;
  OnInitDialog();
  if (!ended_) Backend().RunModal(*this);
  if (!ended_) result_ = IDCANCEL;
  hasWindow_ = false;
  visible_ = false;
  modal_ = false;
  return result_;
}

bool Dialog::Create() {
  modal_ = false;
  ended_ = false;
  if (!Backend().CreateModeless(*this)) return false;
  hasWindow_ = true;
  OnInitDialog();
  return true;
}

void Dialog::DestroyWindow() {
  if (!hasWindow_) return;
  visible_ = false;
  if (!modal_) Backend().DestroyModeless(*this);
  hasWindow_ = false;
}

void Dialog::EndDialog(int result) {
  result_ = result;
  ended_ = true;
  if (!modal_) ShowWindow(false);
}

void Dialog::ShowWindow(bool show) {
  if (visible_ == show) return;
  visible_ = show;
  NotifyDialog();
}

void Dialog::SetWindowText(const WString& caption) {
  caption_ = caption;
  NotifyDialog();
}

void Dialog::MoveTo(int x, int y) {
  left_ = x;
  top_ = y;
  NotifyDialog();
}

void Dialog::SetWindowSize(int width, int height) {
  width_ = width;
  height_ = height;
  NotifyDialog();
}

WindowRect Dialog::GetWindowRect() const { return Backend().WindowRectOf(*this); }

WindowRect DialogBackend::WindowRectOf(const Dialog& dialog) {
  // No window system: the template in the dialog font's units (6 x 12
  // pixel characters at 96 dpi) and no frame.
  const int width = dialog.width() ? dialog.width() : (dialog.resource().width * 6 + 2) / 4;
  const int height = dialog.height() ? dialog.height() : (dialog.resource().height * 12 + 4) / 8;
  return {dialog.left(), dialog.top(), width, height};
}

Control& Dialog::Item(int id) {
  auto it = controls_.find(id);
  assert(it != controls_.end() && "control ID not in the dialog template");
  if (it == controls_.end()) {
    static Control dummy(ControlTemplate{0, ControlKind::kStatic, u"", {}});
    dummy = Control(ControlTemplate{0, ControlKind::kStatic, u"", {}});
    return dummy;
  }
  return *it->second;
}

const Control& Dialog::Item(int id) const { return const_cast<Dialog*>(this)->Item(id); }

bool Dialog::HasItem(int id) const { return controls_.count(id) != 0; }

std::vector<const Control*> Dialog::Controls() const {
  std::vector<const Control*> all;
  for (const auto& c : unnamed_) all.push_back(c.get());
  for (const auto& [id, c] : controls_) all.push_back(c.get());
  return all;
}

void Dialog::SetDlgItemText(int id, const WString& text) {
  Item(id).set_text(text);
  NotifyControl(id);
}

void Dialog::CheckDlgButton(int id, bool checked) {
  Item(id).set_checked(checked);
  NotifyControl(id);
}

void Dialog::ShowItem(int id, bool show) {
  Item(id).set_visible(show);
  NotifyControl(id);
}

void Dialog::EnableItem(int id, bool enable) {
  Item(id).set_enabled(enable);
  NotifyControl(id);
}

void Dialog::MoveItem(int id, DialogRect rect) {
  Item(id).set_rect(rect);
  NotifyControl(id);
}

void Dialog::Touch(int id) { NotifyControl(id); }

void Dialog::GotoDlgCtrl(int id) {
  if (!HasItem(id)) return;
  focusItem_ = id;
  NotifyDialog();
}

namespace {
bool Usable(const Dialog& d, int id) {
  return d.HasItem(id) && d.Item(id).visible() && d.Item(id).enabled();
}
}  // namespace

bool Dialog::Click(int id) {
  if (id == IDOK || id == IDCANCEL) {
    if (HasItem(id) && !Usable(*this, id)) return false;
    if (id == IDOK)
      OnOK();
    else
      OnCancel();
    return true;
  }
  if (!Usable(*this, id)) return false;
  Control& c = Item(id);
  if (c.kind() == ControlKind::kCheckBox) {
    c.set_checked(!c.checked());
    NotifyControl(id);
  }
  OnCommand(id);
  return true;
}

bool Dialog::TypeText(int id, const WString& text) {
  if (!Usable(*this, id)) return false;
  Control& c = Item(id);
  if (c.kind() != ControlKind::kEdit && c.kind() != ControlKind::kComboBox) return false;
  if (c.kind() == ControlKind::kComboBox && (c.style() & kStyleDropDownList)) return false;
  c.set_text(text);
  if (c.kind() == ControlKind::kComboBox) {
    c.SetCurSel(-1);
    c.set_text(text);
  }
  NotifyControl(id);
  OnEditChange(id);
  return true;
}

bool Dialog::SelectComboItem(int id, int index) {
  if (!Usable(*this, id)) return false;
  Control& c = Item(id);
  if (c.kind() != ControlKind::kComboBox || index < 0 || index >= c.GetCount()) return false;
  c.SetCurSel(index);
  NotifyControl(id);
  OnSelChange(id);
  return true;
}

bool Dialog::SelectListItem(int id, int item) {
  if (!Usable(*this, id)) return false;
  Control& c = Item(id);
  if (c.kind() != ControlKind::kListView || item < -1 || item >= c.GetItemCount()) return false;
  c.SetSelectedItem(item);
  NotifyControl(id);
  OnListSelChange(id);
  return true;
}

bool Dialog::DragColumns(int id, const std::vector<int>& order) {
  if (!Usable(*this, id)) return false;
  Control& c = Item(id);
  // A drag only permutes: the control takes nothing else.
  if (c.kind() != ControlKind::kListView || !c.SetColumnOrderArray(order)) return false;
  NotifyControl(id);
  return true;
}

void Dialog::Close() {
  if (modal_)
    OnCancel();
  else
    OnClose();
}

void Dialog::OnClose() { ShowWindow(false); }

void Dialog::NotifyControl(int id) {
  if (observer_) observer_->ControlChanged(*this, id);
}

void Dialog::NotifyDialog() {
  if (observer_) observer_->DialogChanged(*this);
}

}  // namespace wb::ui
