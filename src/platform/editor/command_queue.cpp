#include "platform/editor/command_queue.h"

#include "platform/editor/document.h"

namespace wb::editor {

CommandStack& CommandStack::Instance() {
  static CommandStack stack;
  return stack;
}

bool CommandStack::Add(CommandEntry entry) {
  if (Find(entry.globalName)) return false;
  commands_.push_back(std::move(entry));
  return true;
}

bool CommandStack::Remove(const WString& group, const WString& globalName) {
  for (auto it = commands_.begin(); it != commands_.end(); ++it) {
    if (it->group == group && EqualsNoCase(it->globalName, globalName)) {
      commands_.erase(it);
      return true;
    }
  }
  return false;
}

const CommandEntry* CommandStack::Find(const WString& name) const {
  for (const auto& c : commands_)
    if (EqualsNoCase(c.globalName, name) || EqualsNoCase(c.localName, name)) return &c;
  return nullptr;
}

std::vector<const CommandEntry*> CommandStack::Commands() const {
  std::vector<const CommandEntry*> out;
  for (const auto& c : commands_) out.push_back(&c);
  return out;
}

void CommandStack::Queue(const WString& commandLine) { queue_.push_back(commandLine); }

WString CommandStack::TakeQueued() {
  WString front = queue_.front();
  queue_.pop_front();
  // A queued line may carry trailing blanks or a line end, as typed.
  while (!front.empty() && (front.back() == u' ' || front.back() == u'\n')) front.pop_back();
  return front;
}

bool CommandStack::Run(const WString& name) {
  const CommandEntry* entry = Find(name);
  if (!entry) return false;
  auto handler = entry->handler;  // the table may change while it runs
  handler();
  // The drawing refuses an edit it could not save readably (no handle
  // left); the user hears why, as from the host.
  if (db::Database* database = ActiveDatabase())
    if (const std::string why = database->TakeRefusal(); !why.empty())
      Output().Print(Utf8ToUtf16(why) + u"\n");
  return true;
}

int CommandStack::RunQueued(int limit) {
  int ran = 0;
  while (HasQueued() && ran < limit) {
    if (Run(TakeQueued())) ++ran;
  }
  return ran;
}

}  // namespace wb::editor

void ApiComn_sendCommand(const wb::WString& command, int, int, int) {
  wb::editor::CommandStack::Instance().Queue(command);
}
