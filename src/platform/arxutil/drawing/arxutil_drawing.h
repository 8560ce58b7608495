// The ARX utility library, drawing side: an application's xdata as a list of
// strings, and entity helpers.
#pragma once

#include "platform/host/host_types.h"

// 0 and the string entries (1000 groups; a 1002 "{" ... "}" run is one entry
// joined from its pieces) of `app` on the entity, in order; an empty list
// when it carries none. Non-zero when the entity does not exist.
int ApiComn_extractAttributesArrayID(AcDbObjectId id, const wb::WString& app, CStringArray& list,
                                     int reserved);
// The entity's entries under `app` become exactly `list`; entries longer
// than a DXF string group holds are stored in pieces inside a 1002 pair.
int ApiComn_appendAttributesArray(AcDbObjectId id, const wb::WString& app,
                                  const CStringArray& list, int reserved);

namespace wb::arxutil {
// Longest byte run of one 1000 group.
constexpr size_t kMaxStringGroupBytes = 255;
// Splits UTF-8 text into pieces of at most `limit` bytes without cutting a
// character.
std::vector<std::string> SplitForGroups(const std::string& utf8, size_t limit);
}  // namespace wb::arxutil
