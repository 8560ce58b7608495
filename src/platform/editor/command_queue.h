// The host's command queue: dialog handlers queue a command by name and the
// host runs it after the handler has returned.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>

#include "platform/text/ustring.h"

// The host's command flag bits: a transparent command may start while
// another is active; one without history is never the command that Enter
// repeats.
constexpr int ACRX_CMD_TRANSPARENT = 0x1;
constexpr int ACRX_CMD_NOHISTORY = 0x800000;

namespace wb::editor {

struct CommandEntry {
  WString group;
  WString globalName;
  WString localName;
  int flags = 0;
  std::function<void()> handler;
  bool InHistory() const { return !(flags & ACRX_CMD_NOHISTORY); }
};

class CommandStack {
 public:
  static CommandStack& Instance();

  bool Add(CommandEntry entry);  // false when the global name is taken
  bool Remove(const WString& group, const WString& globalName);
  const CommandEntry* Find(const WString& name) const;  // case-insensitive
  std::vector<const CommandEntry*> Commands() const;

  // Queues a command line; Run drains the queue (commands may queue more).
  void Queue(const WString& commandLine);
  bool HasQueued() const { return !queue_.empty(); }
  WString TakeQueued();  // without trailing blanks and line end
  void ClearQueue() { queue_.clear(); }
  // Runs one command by name now; false when it is not registered.
  bool Run(const WString& name);
  // Runs queued commands until the queue is empty or `limit` commands ran.
  int RunQueued(int limit = 1000);

 private:
  std::vector<CommandEntry> commands_;
  std::deque<WString> queue_;
};

}  // namespace wb::editor

// Queues a command for the active drawing (arguments as the module passes
// them: 1, 0, 1).
void ApiComn_sendCommand(const wb::WString& command, int, int, int);
