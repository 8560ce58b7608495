// Dialog base class of the toolkit: a dialog built from a template, its
// controls addressed by resource ID, run modally or modelessly through the
// current backend (scripted in tests and the CLI, Qt in the desktop host).
#pragma once

#include <map>
#include <memory>
#include <span>
#include <vector>

#include "platform/dialogs/controls.h"
#include "platform/dialogs/painter.h"

namespace wb::ui {

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;


class Dialog;

// A window's outer rectangle (frame included) in screen pixels.
struct WindowRect {
  int left = 0, top = 0, width = 0, height = 0;
};

// Told about every state change so a front end can follow it.
class DialogObserver {
 public:
  virtual ~DialogObserver() = default;
  virtual void ControlChanged(Dialog& dialog, int id) = 0;
  virtual void DialogChanged(Dialog& dialog) = 0;  // caption, visibility, position
};

class Dialog {
 public:
  explicit Dialog(const DialogResource& resource);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  const DialogResource& resource() const { return resource_; }
  int templateId() const { return resource_.id; }

  // Modal run; returns the code handed to EndDialog (IDCANCEL when the
  // backend closes it without one).
  int DoModal();
  // Modeless window; false when it cannot be created (it then has none).
  bool Create();
  bool hasWindow() const { return hasWindow_; }
  void DestroyWindow();
  void EndDialog(int result);
  bool ended() const { return ended_; }
  int result() const { return result_; }
  bool isModal() const { return modal_; }

  void ShowWindow(bool show);
  bool IsWindowVisible() const { return visible_; }
  const WString& GetWindowText() const { return caption_; }
  void SetWindowText(const WString& caption);
  // Top-left corner in screen pixels.
  void MoveTo(int x, int y);
  int left() const { return left_; }
  int top() const { return top_; }
  // The outer size in screen pixels, frame included. Until a dialog sets one
  // (0 x 0) the window has its template's size.
  void SetWindowSize(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  // Where the front end shows the window and how large it is.
  WindowRect GetWindowRect() const;

  // Controls. Asking for an ID the template lacks is a programming error
  // and aborts in debug builds; release builds get a detached dummy.
  Control& Item(int id);
  const Control& Item(int id) const;
  bool HasItem(int id) const;
  std::vector<const Control*> Controls() const;

  WString GetDlgItemText(int id) const { return Item(id).text(); }
  void SetDlgItemText(int id, const WString& text);
  bool IsDlgButtonChecked(int id) const { return Item(id).checked(); }
  void CheckDlgButton(int id, bool checked);
  void ShowItem(int id, bool show);
  void EnableItem(int id, bool enable);
  void MoveItem(int id, DialogRect rect);
  // After a programmatic change of list or combo contents.
  void Touch(int id);
  // Moves the keyboard focus to a control; front ends follow it on
  // DialogChanged. 0 until a dialog moves it.
  void GotoDlgCtrl(int id);
  int focusItem() const { return focusItem_; }

  // User actions, as a front end reports them. Each returns false when the
  // control is missing, hidden or disabled, so a script fails loudly.
  bool Click(int id);
  bool TypeText(int id, const WString& text);
  bool SelectComboItem(int id, int index);
  bool SelectListItem(int id, int item);
  bool DragColumns(int id, const std::vector<int>& order);
  void Close();  // the caption's close button or Esc

  // Text colour a list view asks for while painting (custom draw): the
  // colour of one cell, or nullopt for the default.
  virtual std::optional<ColorRef> ListTextColor(int /*listId*/, int /*item*/, int /*subItem*/) {
    return std::nullopt;
  }

  // A front end asks an owner-drawn control (kStyleOwnerDraw) to paint
  // itself; false when the dialog draws nothing for it.
  virtual bool DrawItem(const DrawItemStruct& /*item*/) { return false; }

  void SetObserver(DialogObserver* observer) { observer_ = observer; }

 protected:
  virtual void OnInitDialog() {}
  // A push button or check box was clicked.
  virtual void OnCommand(int /*id*/) {}
  // The text of an edit or the selection of a combo box changed.
  virtual void OnEditChange(int /*id*/) {}
  virtual void OnSelChange(int /*id*/) {}
  virtual void OnListSelChange(int /*id*/) {}
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Modeless dialogs: closing hides them unless a class decides otherwise.
  virtual void OnClose();

 private:
  void NotifyControl(int id);
  void NotifyDialog();

  const DialogResource& resource_;
  std::map<int, std::unique_ptr<Control>> controls_;
  std::vector<std::unique_ptr<Control>> unnamed_;
  WString caption_;
  bool hasWindow_ = false;
  bool visible_ = false;
  bool modal_ = false;
  bool ended_ = false;
  int result_ = IDCANCEL;
  int left_ = 0, top_ = 0;
  int width_ = 0, height_ = 0;
  int focusItem_ = 0;
  DialogObserver* observer_ = nullptr;
};

}  // namespace wb::ui
