// Commands whose rooms are still being built say so instead of doing
// nothing silently. Each moves to its room as that room lands.
#include "annotation/annotation_command.h"
#include "platform/editor/document.h"
#include "route/assign/cable_assignment.h"

namespace {
void NotYetAvailable(const char16_t* name) {
  acutPrintf(u"\n%s: not available in this build yet.\n", name);
}
}  // namespace

void QZ_SetCableDist() { NotYetAvailable(u"QZ_SetCableDist"); }

// The route log belongs to the cable assignment; until it lands the
// confirmation's search is not logged.
void WriteRouteLog(AcDbObjectId, AcDbObjectId, AcDbObjectIdArray, uint32_t, uint32_t) {}
