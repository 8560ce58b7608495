// The dialog toolkit's Qt front end: modal dialogs in a nested event loop,
// modeless ones as windows that stay usable while commands run, message
// boxes, the file-open dialog and the colour dialog.
#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <map>

#include "platform/dialogs/dialog_backend.h"

class QWidget;
class QEventLoop;

class QDialog;

namespace wb::desktop {

class DialogWindow;

class QtDialogBackend : public ui::DialogBackend {
 public:
  // `owner` parents every window (the main window).
  explicit QtDialogBackend(QWidget* owner);
  ~QtDialogBackend() override;

  void RunModal(ui::Dialog& dialog) override;
  bool CreateModeless(ui::Dialog& dialog) override;
  void DestroyModeless(ui::Dialog& dialog) override;
  int MessageBox(const WString& text, const WString& caption, unsigned type) override;
  std::optional<WString> FileOpen(const ui::FileDialogRequest& request) override;
  std::optional<int> ColorDialog(const ui::ColorDialogRequest& request) override;
  void PumpOneMessage() override;
  ui::WindowRect WindowRectOf(const ui::Dialog& dialog) override;

  // The window of a dialog that has one (modeless, or modal while it runs).
  DialogWindow* WindowOf(const ui::Dialog* dialog) const;
  // A window by template ID, the newest first; null when none is open.
  DialogWindow* WindowOf(int templateId) const;

  // Runs after every user action in any dialog window; the host runs the
  // commands a button queued.
  std::function<void()> afterAction;
  // Called once each modal window (dialog, message box, file or colour
  // dialog) is up and waiting; tests answer it from here.
  std::function<void(QWidget*)> modalShown;
  // Longest wait of one modal window in milliseconds, 0 for no limit. When
  // it runs out the window is answered as by Esc (No for a Yes/No box).
  void set_modalTimeout(int ms) { timeout_ = ms; }
  int timeouts() const { return timeoutsHit_; }

  // Caption of message boxes shown without one.
  static QString AppCaption();
  // "Csv Files (*.csv)|*.csv||" in Qt's filter form.
  static QStringList FilterList(const WString& filter);

 private:
  // Shows `window` application-modal and waits until `finished` turns true
  // (checked whenever `loop` is woken) or the time runs out (`onTimeout`).
  void Wait(QWidget* window, QEventLoop& loop, const std::function<bool()>& finished,
            const std::function<void()>& onTimeout);
  // Wait for a QDialog until it finishes; the time running out rejects it.
  void WaitForDialog(QDialog& dialog);
  QWidget* ModalParent() const;

  QWidget* owner_;
  std::map<const ui::Dialog*, QPointer<DialogWindow>> windows_;
  int timeout_ = 0;
  int timeoutsHit_ = 0;
};

}  // namespace wb::desktop
