#include "platform/dialogs/scripted_backend.h"

#include <algorithm>

#include "platform/dialogs/message_box.h"

namespace wb::ui {

void ScriptedBackend::ExpectModal(int templateId, Actions actions) {
  modal_.emplace_back(templateId, std::move(actions));
}

void ScriptedBackend::AnswerMessageBox(int answer) { answers_.push_back(answer); }

void ScriptedBackend::AnswerFileOpen(std::optional<WString> path) {
  files_.push_back(std::move(path));
}

void ScriptedBackend::Clear() {
  modal_.clear();
  answers_.clear();
  files_.clear();
  messages_.clear();
  problems_.clear();
}

bool ScriptedBackend::Idle() const { return modal_.empty() && answers_.empty() && files_.empty(); }

void ScriptedBackend::RunModal(Dialog& dialog) {
  if (modal_.empty() || modal_.front().first != dialog.templateId()) {
    problems_.push_back(Format(u"dialog %d opened, but the script has no actions for it",
                               dialog.templateId()));
    dialog.Close();
    return;
  }
  Actions actions = std::move(modal_.front().second);
  modal_.pop_front();
  actions(dialog);
  if (!dialog.ended()) dialog.Close();
}

bool ScriptedBackend::CreateModeless(Dialog& dialog) {
  if (failNextCreate_) {
    failNextCreate_ = false;
    return false;
  }
  modeless_.push_back(&dialog);
  return true;
}

void ScriptedBackend::DestroyModeless(Dialog& dialog) {
  modeless_.erase(std::remove(modeless_.begin(), modeless_.end(), &dialog), modeless_.end());
}

Dialog* ScriptedBackend::FindModeless(int templateId) const {
  for (Dialog* d : modeless_)
    if (d->templateId() == templateId) return d;
  return nullptr;
}

int ScriptedBackend::MessageBox(const WString& text, const WString& caption, unsigned type) {
  const unsigned buttons = type & MB_TYPEMASK;
  int answer = IDOK;
  if (buttons == MB_OK) {
    if (!answers_.empty() && answers_.front() == IDOK) answers_.pop_front();
  } else if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  } else {
    // An unforeseen question is answered the way that changes nothing.
    answer = buttons == MB_YESNO ? IDNO : IDCANCEL;
    problems_.push_back(u"a question was asked that the script does not answer: " + text);
  }
  messages_.push_back({text, caption, type, answer});
  if (sink_) sink_(messages_.back());
  return answer;
}

std::optional<WString> ScriptedBackend::FileOpen(const FileDialogRequest& request) {
  if (files_.empty()) {
    problems_.push_back(u"a file dialog was opened that the script does not answer: " +
                        request.title);
    return std::nullopt;
  }
  auto path = std::move(files_.front());
  files_.pop_front();
  return path;
}

}  // namespace wb::ui
