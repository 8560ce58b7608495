// The editor's prompts answered in the desktop host: the prompt text on the
// command line, picks by mouse in the drawing view, Enter and Esc from the
// view or the command line, typed coordinates for a point. A command queued
// while a prompt waits (a dialog button, a typed command) ends it with RTCAN.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "hosts/desktop/drawing_view.h"
#include "platform/editor/prompts.h"

class QEventLoop;

namespace wb::desktop {

class CommandLine;

class QtPromptBackend : public QObject, public editor::PromptBackend {
  Q_OBJECT

 public:
  QtPromptBackend(DrawingView* view, CommandLine* commandLine);
  ~QtPromptBackend() override;

  int GetPoint(const WString& prompt, const AcGePoint3d* base, AcGePoint3d& point) override;
  int PickEntity(const WString& prompt, AcDbObjectId& entity, AcGePoint3d& point) override;
  int PickNested(const WString& prompt, AcDbObjectId& entity, AcGePoint3d& point,
                 AcDbObjectIdArray& containers) override;
  int SelectObjects(const std::function<bool(AcDbObjectId)>& accept, AcDbObjectIdArray& selected) override;
  void ActivateDocument() override;
  double Aperture() const override;

  // True while a prompt waits for the user.
  bool waiting() const { return loop_ != nullptr; }
  // Ends the waiting prompt as a queued command does.
  void Interrupt();

  // Runs before each prompt waits (the host shows the drawing's changes).
  std::function<void()> beforeWait;
  // A line typed while a prompt waits that is not its answer (a command
  // name); returns true when it was taken, which ends the prompt.
  std::function<bool(const QString&)> typedCommand;
  // A view command typed while a prompt waits (ZOOM, PAN): it runs and the
  // prompt goes on; returns false for anything else.
  std::function<bool(const QString&)> transparentCommand;
  // Longest wait of one prompt in milliseconds, 0 for no limit; it then
  // counts as Esc.
  void set_timeout(int ms) { timeout_ = ms; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Outcome { kNone, kPick, kEnter, kCancel };
  struct Answer {
    Outcome outcome = Outcome::kNone;
    PickResult pick;
  };
  Answer Wait(const WString& prompt, PickMode mode, EntityFilter filter);
  void Finish(Outcome outcome, PickResult pick = {});
  void OnTyped(const QString& text);

  DrawingView* view_;
  CommandLine* commandLine_;
  QEventLoop* loop_ = nullptr;
  PickMode mode_ = PickMode::kNone;
  Answer answer_;
  int timeout_ = 0;
};

}  // namespace wb::desktop
