#include "hosts/desktop/prompt_backend.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTimer>

#include "hosts/desktop/command_line.h"

namespace wb::desktop {
namespace {

// The module's prompts end with a line break; the prompt label shows one line.
QString PromptText(const WString& prompt) {
  QString text = QString::fromStdU16String(prompt).trimmed();
  text.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return text;
}

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

}  // namespace

QtPromptBackend::QtPromptBackend(DrawingView* view, CommandLine* commandLine)
    : view_(view), commandLine_(commandLine) {}

QtPromptBackend::~QtPromptBackend() { Interrupt(); }

void QtPromptBackend::Interrupt() { Finish(Outcome::kCancel); }

void QtPromptBackend::Finish(Outcome outcome, PickResult pick) {
  if (!loop_ || answer_.outcome != Outcome::kNone) return;
  answer_.outcome = outcome;
  answer_.pick = std::move(pick);
  loop_->quit();
}

QtPromptBackend::Answer QtPromptBackend::Wait(const WString& prompt, PickMode mode, EntityFilter filter) {
  if (loop_) return {Outcome::kCancel, {}};  // one prompt at a time
  const QString text = PromptText(prompt);
  if (beforeWait) beforeWait();
  answer_ = {};
  mode_ = mode;
  QEventLoop loop;
  loop_ = &loop;
  auto previousHandler = commandLine_->handler();
  commandLine_->SetPrompt(text);
  commandLine_->SetHandler([this](const QString& typed) { OnTyped(typed); });
  view_->installEventFilter(this);
  commandLine_->input()->installEventFilter(this);
  view_->BeginPick(
      mode,
      [this](const PickResult& result) {
        if (result.cancelled) Finish(Outcome::kCancel);
        else Finish(Outcome::kPick, result);
      },
      std::move(filter));
  QTimer timer;
  if (timeout_ > 0) {
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, [this] { Finish(Outcome::kCancel); });
    timer.start(timeout_);
  }
  if (answer_.outcome == Outcome::kNone) loop.exec();
  loop_ = nullptr;
  mode_ = PickMode::kNone;
  view_->CancelPick();  // ignored now that no loop waits
  view_->removeEventFilter(this);
  commandLine_->input()->removeEventFilter(this);
  commandLine_->SetHandler(std::move(previousHandler));
  commandLine_->SetPrompt({});
  // What the command line keeps of a prompt answered in the view.
  if (answer_.outcome != Outcome::kNone) {
    static const char* const kWords[] = {"", "", "", "*キャンセル*"};
    commandLine_->PrintLine(text + QString::fromUtf8(kWords[static_cast<int>(answer_.outcome)]));
  }
  return std::move(answer_);
}

void QtPromptBackend::OnTyped(const QString& typed) {
  const QString text = typed.trimmed();
  if (text.isEmpty()) {
    if (mode_ == PickMode::kSelection) {
      // Enter ends the selection with what has been picked so far.
      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QCoreApplication::sendEvent(view_, &enter);
    } else {
      Finish(Outcome::kEnter);
    }
    return;
  }
  if (mode_ == PickMode::kPoint) {
    static const QRegularExpression coordinates(
        QStringLiteral("^\\s*([-+]?[0-9]*\\.?[0-9]+(?:[eE][-+]?[0-9]+)?)\\s*,\\s*([-+]?[0-9]*\\.?[0-9]+(?:[eE][-+]?[0-9]+)?)"
                       "(?:\\s*,\\s*[-+]?[0-9]*\\.?[0-9]+(?:[eE][-+]?[0-9]+)?)?\\s*$"));
    const auto match = coordinates.match(text);
    if (match.hasMatch()) {
      PickResult result;
      result.mode = PickMode::kPoint;
      result.point = {match.captured(1).toDouble(), match.captured(2).toDouble()};
      Finish(Outcome::kPick, result);
      return;
    }
  }
  if (transparentCommand && transparentCommand(text)) return;
  if (typedCommand && typedCommand(text)) {
    Finish(Outcome::kCancel);
    return;
  }
  commandLine_->PrintLine(QStringLiteral("\"%1\" は使えません。").arg(text));
}

bool QtPromptBackend::eventFilter(QObject* watched, QEvent* event) {
  // Esc and Enter end a view gesture (zoom window, pan) before the prompt.
  if (loop_ && event->type() == QEvent::KeyPress && !(watched == view_ && view_->gesture() != ViewGesture::kNone)) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) {
      Finish(Outcome::kCancel);
      return true;
    }
    // In the view Enter answers the prompt (a selection ends in the view
    // itself); in the command line it submits what was typed.
    if (IsEnter(key) && watched == view_ && mode_ != PickMode::kSelection) {
      Finish(Outcome::kEnter);
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

int QtPromptBackend::GetPoint(const WString& prompt, const AcGePoint3d*, AcGePoint3d& point) {
  const Answer answer = Wait(prompt, PickMode::kPoint, {});
  switch (answer.outcome) {
    case Outcome::kPick:
      point = {answer.pick.point.x, answer.pick.point.y, 0};
      return RTNORM;
    case Outcome::kEnter:
      return RTNONE;
    default:
      return RTCAN;
  }
}

int QtPromptBackend::PickEntity(const WString& prompt, AcDbObjectId& entity, AcGePoint3d& point) {
  AcDbObjectIdArray containers;
  const Answer answer = Wait(prompt, PickMode::kEntity, {});
  if (answer.outcome == Outcome::kEnter) return RTNONE;
  if (answer.outcome != Outcome::kPick) return RTCAN;
  if (!answer.pick.hit) return RTERROR;
  entity = answer.pick.hit->entity;
  point = {answer.pick.point.x, answer.pick.point.y, 0};
  return RTNORM;
}

int QtPromptBackend::PickNested(const WString& prompt, AcDbObjectId& entity, AcGePoint3d& point,
                                AcDbObjectIdArray& containers) {
  containers.clear();
  const Answer answer = Wait(prompt, PickMode::kNested, {});
  if (answer.outcome == Outcome::kEnter) return RTNONE;
  if (answer.outcome != Outcome::kPick) return RTCAN;
  if (!answer.pick.hit) return RTERROR;
  entity = answer.pick.hit->nested;
  containers = answer.pick.hit->containers;
  point = {answer.pick.point.x, answer.pick.point.y, 0};
  return RTNORM;
}

int QtPromptBackend::SelectObjects(const std::function<bool(AcDbObjectId)>& accept, AcDbObjectIdArray& selected) {
  selected.clear();
  const Answer answer = Wait(u"オブジェクトを選択:", PickMode::kSelection,
                             [accept](db::ObjectId id) { return !accept || accept(id); });
  if (answer.outcome != Outcome::kPick) return RTCAN;
  for (db::ObjectId id : answer.pick.selection)
    if (std::find(selected.begin(), selected.end(), id) == selected.end()) selected.push_back(id);
  return selected.empty() ? RTERROR : RTNORM;
}

void QtPromptBackend::ActivateDocument() {
  view_->window()->activateWindow();
  view_->setFocus(Qt::OtherFocusReason);
}

double QtPromptBackend::Aperture() const {
  const double scale = view_->transform().scale();
  return scale > 0 ? view_->aperture() / scale : 5.0;
}

}  // namespace wb::desktop
