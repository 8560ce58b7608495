// A headless session of the module: the host's side of the work (drawing,
// command line, command queue, dialogs answered from a script), so that the
// real module runs without a window.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "hosts/cli/script.h"
#include "platform/dialogs/scripted_backend.h"
#include "platform/editor/document.h"
#include "platform/editor/drag.h"
#include "platform/editor/prompts.h"

namespace wb::cli {

// A message box as the terminal shows it: the file, line and reason that a
// box carries in its title, then its text.
std::string MessageText(const ui::ScriptedBackend::ShownMessage& message);

class Session {
 public:
  // Loads the module into the session; `output` receives command-line text.
  explicit Session(editor::HostOutput& output);
  // Unloads the module and closes its windows.
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Runs every step; stops at the first that fails. False then, and
  // error() names the script line and what went wrong.
  bool Run(const Script& script);
  const ScriptError& error() const { return error_; }

  // Every message box shown, in order.
  const std::vector<ui::ScriptedBackend::ShownMessage>& messages() const {
    return backend_.messages();
  }
  void SetMessageSink(std::function<void(const ui::ScriptedBackend::ShownMessage&)> sink) {
    backend_.SetMessageSink(std::move(sink));
  }
  // For a program that ends with the session: the drawing is left for the
  // process's end to free, at once, rather than tag by tag.
  void LeaveDrawingToExit() { leaveDrawing_ = true; }

 private:
  struct Steps;  // the handler of each verb, with the verbs' table
  friend const VerbShape* FindVerb(std::string_view verb);
  bool Step(const ScriptStep& step);
  bool Fail(const ScriptStep& step, const std::string& message);
  // Keeps the first failure only: later ones follow from it.
  bool Report(int line, const std::string& message, const std::string& failing);
  bool DialogAction(ui::Dialog& dialog, const ScriptStep& action, std::string& problem);
  bool RunCommandQueue(const ScriptStep& step);
  bool Problems(const ScriptStep& step);
  bool Meanwhile(const ScriptStep& step);
  bool UseConfigCopy(const ScriptStep& step);
  bool MakeTempFile(const ScriptStep& step, std::string& path);

  editor::HostOutput& output_;
  editor::HostOutput* previousOutput_ = nullptr;
  ui::ScriptedBackend backend_;
  ui::DialogBackend* previousBackend_ = nullptr;
  editor::ScriptedPrompts prompts_;
  editor::PromptBackend* previousPrompts_ = nullptr;
  ScriptedDragBackend drag_;
  DragBackend* previousDrag_ = nullptr;
  std::string drawingPath_;
  std::string configCopy_;  // the session's copy of the module configuration
  std::string envCopy_;     // the session's environment profile, when set
  std::string file_;
  std::string failing_;  // the user's name of the steps now running
  ScriptError error_;
  bool leaveDrawing_ = false;
};

}  // namespace wb::cli
