// The hosts' own commands, the same in the desktop and the command-line
// host: UNDO (U) and REDO step through the active drawing's undo history,
// LIST prints what the properties panel shows of each selected entity.
// They are not module commands and are never queued by the module.
#pragma once

#include <vector>

#include "platform/db/database.h"
#include "platform/text/ustring.h"

namespace wb::hosts {

// Every name a host command answers to, for completion on the command line.
const std::vector<WString>& HostCommandNames();
bool IsHostCommand(const WString& name);

// Runs the command and reports on the command line; false for a name that
// is not a host command. LIST lists `preselected` when the user selected
// before the command, otherwise it asks for a selection.
bool RunHostCommand(const WString& name, const std::vector<db::ObjectId>& preselected = {});

}  // namespace wb::hosts
