// A dialog backend that plays the user from a script: tests and the CLI
// queue what the user does in each modal dialog, how each question is
// answered and which file is chosen; everything shown is recorded.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "platform/dialogs/dialog_backend.h"

namespace wb::ui {

class ScriptedBackend : public DialogBackend {
 public:
  using Actions = std::function<void(Dialog&)>;

  struct ShownMessage {
    WString text;
    WString caption;
    unsigned type = 0;
    int answer = 0;
  };

  // The next modal run of dialog `templateId` is played by `actions`; a
  // dialog the actions leave open is cancelled.
  void ExpectModal(int templateId, Actions actions);
  // Answers to the next questions (Yes/No, OK/Cancel), in order.
  void AnswerMessageBox(int answer);
  // The next file-open dialog picks `path`; nullopt cancels it.
  void AnswerFileOpen(std::optional<WString> path);

  const std::vector<ShownMessage>& messages() const { return messages_; }
  // Things the script did not foresee: a modal dialog without actions, a
  // question without an answer. A host reports them as errors.
  const std::vector<WString>& problems() const { return problems_; }
  void Clear();
  bool Idle() const;  // every queued action and answer was used

  void SetMessageSink(std::function<void(const ShownMessage&)> sink) { sink_ = std::move(sink); }

  void RunModal(Dialog& dialog) override;
  bool CreateModeless(Dialog& dialog) override;
  void DestroyModeless(Dialog& dialog) override;
  int MessageBox(const WString& text, const WString& caption, unsigned type) override;
  std::optional<WString> FileOpen(const FileDialogRequest& request) override;

  // Modeless dialogs whose windows exist, oldest first.
  const std::vector<Dialog*>& modeless() const { return modeless_; }
  Dialog* FindModeless(int templateId) const;
  // Refuses the next modeless creation (tests of a failing window).
  void FailNextCreate() { failNextCreate_ = true; }

 private:
  std::deque<std::pair<int, Actions>> modal_;
  std::deque<int> answers_;
  std::deque<std::optional<WString>> files_;
  std::vector<ShownMessage> messages_;
  std::vector<WString> problems_;
  std::vector<Dialog*> modeless_;
  std::function<void(const ShownMessage&)> sink_;
  bool failNextCreate_ = false;
};

}  // namespace wb::ui
