// Writes the lengths of the loaded cable list back into a copy of its
// source file in the project folder.
#pragma once

#include <string>

#include "platform/host/host_types.h"

struct CableList;
struct CableSetting;

// Copies the source file of `list` into the project folder of `plant` and
// `facility` under setting.outCableListName, each cable's length in its line.
// Returns the string ID of the message to show: 141 done, 138 project folder
// missing, 137 source unreadable, 139 output not writable (an existing
// output file is then left as it was). `detail`, when given, receives the
// file and the system's reason of a failure.
int ExportCableList(const CableSetting& setting, const CString& plant, const CString& facility,
                    const CableList& list, std::string* detail = nullptr);
