#include "hosts/desktop/qt_dialog_backend.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "hosts/desktop/color_index_dialog.h"
#include "hosts/desktop/dialog_window.h"
#include "platform/dialogs/message_box.h"

namespace wb::desktop {
namespace {

QString Q(const WString& text) { return QString::fromStdU16String(text); }

}  // namespace

QtDialogBackend::QtDialogBackend(QWidget* owner) : owner_(owner) {}

QtDialogBackend::~QtDialogBackend() {
  for (auto& [dialog, window] : windows_) {
    if (!window) continue;
    window->Detach();
    delete window.data();
  }
}

QString QtDialogBackend::AppCaption() { return QStringLiteral("WireBinder"); }

QStringList QtDialogBackend::FilterList(const WString& filter) {
  const QStringList parts = Q(filter).split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString name = parts[i].trimmed();
    const QString patterns = parts[i + 1].trimmed();
    if (name.isEmpty() && patterns.isEmpty()) break;
    QString qtPatterns = patterns;
    qtPatterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    // Qt reads the patterns from the last parentheses of the name.
    out << (name.contains(QLatin1Char('(')) ? name : QStringLiteral("%1 (%2)").arg(name, qtPatterns));
  }
  if (out.isEmpty()) out << QStringLiteral("* (*)");
  return out;
}

QWidget* QtDialogBackend::ModalParent() const {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return owner_;
}

DialogWindow* QtDialogBackend::WindowOf(const ui::Dialog* dialog) const {
  auto it = windows_.find(dialog);
  return it == windows_.end() ? nullptr : it->second.data();
}

DialogWindow* QtDialogBackend::WindowOf(int templateId) const {
  DialogWindow* found = nullptr;
  for (const auto& [dialog, window] : windows_)
    if (window && window->templateId() == templateId && (!found || window->isVisible())) found = window;
  return found;
}

void QtDialogBackend::WaitForDialog(QDialog& dialog) {
  bool done = false;
  QEventLoop loop;
  QObject::connect(&dialog, &QDialog::finished, &loop, [&] {
    done = true;
    loop.quit();
  });
  Wait(&dialog, loop, [&] { return done; }, [&] { dialog.reject(); });
}

void QtDialogBackend::Wait(QWidget* window, QEventLoop& loop, const std::function<bool()>& finished,
                           const std::function<void()>& onTimeout) {
  window->setWindowModality(Qt::ApplicationModal);
  window->show();
  window->raise();
  window->activateWindow();
  QTimer timer;
  if (timeout_ > 0) {
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
      ++timeoutsHit_;
      onTimeout();
      loop.quit();
    });
    timer.start(timeout_);
  }
  if (modalShown) {
    QPointer<QWidget> shown(window);
    QTimer::singleShot(0, window, [this, shown] {
      if (shown && modalShown) modalShown(shown);
    });
  }
  if (!finished()) loop.exec();
  window->hide();
}

void QtDialogBackend::RunModal(ui::Dialog& dialog) {
  auto* window = new DialogWindow(dialog, ModalParent());
  windows_[&dialog] = window;
  QEventLoop loop;
  window->afterAction = [this, &dialog, &loop, window] {
    if (afterAction) afterAction();
    if (!window->dialog() || dialog.ended()) loop.quit();
  };
  Wait(window, loop, [&] { return dialog.ended(); },
       [&] {
         if (window->dialog() && !dialog.ended()) dialog.Close();
       });
  windows_.erase(&dialog);
  window->Detach();
  delete window;
}

bool QtDialogBackend::CreateModeless(ui::Dialog& dialog) {
  if (DialogWindow* old = WindowOf(&dialog)) {
    old->Detach();
    old->deleteLater();
  }
  auto* window = new DialogWindow(dialog, owner_);
  window->setModal(false);
  window->afterAction = [this] {
    if (afterAction) afterAction();
  };
  windows_[&dialog] = window;
  return true;
}

void QtDialogBackend::DestroyModeless(ui::Dialog& dialog) {
  auto it = windows_.find(&dialog);
  if (it == windows_.end()) return;
  if (DialogWindow* window = it->second.data()) {
    // The dialog may be going away inside one of the window's own handlers.
    window->Detach();
    window->hide();
    window->deleteLater();
  }
  windows_.erase(it);
}

int QtDialogBackend::MessageBox(const WString& text, const WString& caption, unsigned type) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (type & MB_ICONMASK) {
    case MB_ICONSTOP: icon = QMessageBox::Critical; break;
    case MB_ICONQUESTION: icon = QMessageBox::Question; break;
    case MB_ICONEXCLAMATION: icon = QMessageBox::Warning; break;
    case MB_ICONINFORMATION: icon = QMessageBox::Information; break;
    default: break;
  }
  QMessageBox box(icon, caption.empty() ? AppCaption() : Q(caption), Q(text), QMessageBox::NoButton,
                  ModalParent());
  box.setTextFormat(Qt::PlainText);
  box.setObjectName(QStringLiteral("messageBox"));
  std::map<QAbstractButton*, int> answers;
  auto add = [&](const char* label, QMessageBox::ButtonRole role, int answer, const char* name) {
    QPushButton* b = box.addButton(QString::fromUtf8(label), role);
    b->setObjectName(QString::fromLatin1(name));
    answers[b] = answer;
    return b;
  };
  const unsigned buttons = type & MB_TYPEMASK;
  int timeoutAnswer = IDOK;
  if (buttons == MB_YESNO) {
    box.setDefaultButton(add("はい(&Y)", QMessageBox::YesRole, IDYES, "yes"));
    add("いいえ(&N)", QMessageBox::NoRole, IDNO, "no");
    timeoutAnswer = IDNO;
  } else if (buttons == MB_OKCANCEL) {
    box.setDefaultButton(add("OK", QMessageBox::AcceptRole, IDOK, "ok"));
    box.setEscapeButton(add("キャンセル", QMessageBox::RejectRole, IDCANCEL, "cancel"));
    timeoutAnswer = IDCANCEL;
  } else {
    QPushButton* ok = add("OK", QMessageBox::AcceptRole, IDOK, "ok");
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
  }
  int answer = 0;
  QEventLoop loop;
  QObject::connect(&box, &QMessageBox::buttonClicked, &loop, [&](QAbstractButton* b) {
    answer = answers.count(b) ? answers[b] : timeoutAnswer;
    loop.quit();
  });
  QObject::connect(&box, &QDialog::finished, &loop, [&] {
    if (!answer) answer = timeoutAnswer;
    loop.quit();
  });
  Wait(&box, loop, [&] { return answer != 0; }, [&] { answer = timeoutAnswer; });
  return answer ? answer : timeoutAnswer;
}

std::optional<WString> QtDialogBackend::FileOpen(const ui::FileDialogRequest& request) {
  const QString initial = Q(request.initialFile);
  QString dir = Q(request.initialDir);
  QString select;
  if (!initial.isEmpty()) {
    const QFileInfo info(initial);
    if (initial.contains(QLatin1Char('*')) || initial.contains(QLatin1Char('?'))) {
      dir = info.path();
    } else if (info.isDir()) {
      dir = initial;
    } else {
      dir = info.path();
      select = info.fileName();
    }
  }
  QFileDialog dialog(ModalParent(), request.title.empty() ? QStringLiteral("開く") : Q(request.title), dir);
  dialog.setObjectName(QStringLiteral("fileDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setNameFilters(FilterList(request.filter));
  QString suffix = Q(request.defaultExtension);
  if (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
  if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
  if (!select.isEmpty()) dialog.selectFile(select);
  WaitForDialog(dialog);
  if (dialog.result() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdU16String();
}

std::optional<int> QtDialogBackend::ColorDialog(const ui::ColorDialogRequest& request) {
  ColorIndexDialog dialog(request, ModalParent());
  WaitForDialog(dialog);
  if (dialog.result() != QDialog::Accepted) return std::nullopt;
  return dialog.chosen();
}

void QtDialogBackend::PumpOneMessage() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

ui::WindowRect QtDialogBackend::WindowRectOf(const ui::Dialog& dialog) {
  const DialogWindow* window = WindowOf(&dialog);
  if (!window) return DialogBackend::WindowRectOf(dialog);
  const QSize outer = window->size() + window->FrameMargins();
  return {window->x(), window->y(), outer.width(), outer.height()};
}

}  // namespace wb::desktop
