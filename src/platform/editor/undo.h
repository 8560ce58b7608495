// The editor's begin and end of a host command. Whatever the command changes
// in the active drawing between the two, including the commands it queued,
// is one undo step of the drawing database (platform/db/undo_journal.h).
#pragma once

#include <string>

#include "platform/text/ustring.h"

namespace wb::editor {

// Nested pairs join the outermost command.
void BeginCommand(const WString& name);
void EndCommand();

// One command for the lifetime of the object.
class CommandScope {
 public:
  explicit CommandScope(const WString& name) { BeginCommand(name); }
  ~CommandScope() { EndCommand(); }
  CommandScope(const CommandScope&) = delete;
  CommandScope& operator=(const CommandScope&) = delete;
};

}  // namespace wb::editor
