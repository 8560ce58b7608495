// Commands whose rooms are still being built say so instead of doing
// nothing silently. Each moves to its room as that room lands.
#include "annotation/annotation_command.h"
#include "marks/mark_commands.h"
#include "platform/editor/document.h"
#include "route/assign/cable_assignment.h"
#include "route/confirm/route_confirmation.h"

namespace {
void NotYetAvailable(const char16_t* name) {
  acutPrintf(u"\n%s: not available in this build yet.\n", name);
}
}  // namespace

void QZ_DrawMark() { NotYetAvailable(u"QZ_DrawMark"); }
void QZ_DeleteMark() { NotYetAvailable(u"QZ_DeleteMark"); }
void QZ_DeleteCableAtt() { NotYetAvailable(u"QZ_DeleteCableAtt"); }
void QZ_DrawCableInfo() { NotYetAvailable(u"QZ_DrawCableInfo"); }
void QZ_ConfirtCable() { NotYetAvailable(u"QZ_ConfirtCable"); }
