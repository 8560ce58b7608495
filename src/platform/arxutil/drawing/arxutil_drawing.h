// The ARX utility library, drawing side: an application's xdata as a list of
// strings, and entity helpers.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/host/host_types.h"

// 0 and the string entries (1000 groups; a 1002 "{" ... "}" run is one entry
// joined from its pieces, also when the run is never closed) of `app` on the
// entity, in order; an empty list when it carries none. Non-zero when the
// entity does not exist.
int ApiComn_extractAttributesArrayID(AcDbObjectId id, const wb::WString& app, CStringArray& list,
                                     int reserved);
// The entity's entries under `app` become exactly `list`; entries longer
// than a DXF string group holds (in the file's bytes) are stored in pieces
// inside a 1002 pair. Groups of other kinds that the application's data
// holds stay: those before its first entry before the list, the rest after.
int ApiComn_appendAttributesArray(AcDbObjectId id, const wb::WString& app,
                                  const CStringArray& list, int reserved);
// ApiComn_appendAttributesArray for many entities, with the same result as
// the calls one after the other: `lists(k)` gives the lists written to
// ids[k], in turn, their entries in UTF-8 (as wb::Utf16ToUtf8 gives them:
// long entries are made in the bytes they are stored in). The new data is
// worked out on up to `threads` threads, which call `lists` and only read
// the drawing; the calling thread puts it in. Entities that do not exist
// are passed over.
using Utf8List = std::vector<std::string>;
void ApiComn_appendAttributesArrays(const AcDbObjectIdArray& ids, const wb::WString& app,
                                    const std::function<std::vector<Utf8List>(size_t)>& lists,
                                    int threads);

class AcDbEntity;
class AcDbLine;
class AcDbBlockReference;

// A new line from points[0] to points[1], outside the drawing; the caller
// deletes it. Non-zero without two points.
int ApiComn_CreateLine(AcDbLine*& line, const AcGePoint3dArray& points);
// A new reference to the active drawing's block `blockName`, outside the
// drawing (rotation in radians). Non-zero when the block does not exist.
int ApiComn_CreateInsert(AcDbBlockReference*& reference, const wb::WString& blockName,
                         const AcGePoint3d& position, double rotation, double xScale,
                         double yScale, double zScale);
// Turns the prefix held in `name` into the first unused block name of the
// active drawing made of the prefix and a serial number of at least
// `digits` digits, counting from 1 ("MWNT" and 4: "MWNT0001", "MWNT0002"...).
int ApiComn_SpaceBlockName(wb::WString& name, int digits);
// Two corners of the entity's extents in the XY plane (lower left, upper
// right); texts are measured with the platform's font metrics.
int ApiComn_GetEntityRang(const AcDbEntity* entity, AcGePoint3dArray& points);

namespace wb::arxutil {
// Longest byte run of one 1000 group.
constexpr size_t kMaxStringGroupBytes = 255;
// Splits UTF-8 text into pieces of at most `limit` bytes, as `size` counts
// the bytes of a character (asked only for non-ASCII ones: ASCII is one
// byte in every code page), without cutting a character.
std::vector<std::string> SplitForGroups(const std::string& utf8, size_t limit,
                                        const std::function<size_t(std::string_view)>& size);
}  // namespace wb::arxutil
