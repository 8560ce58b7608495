// Equipment marks: placing them from the mark dialog, deleting them, and
// deleting cable attributes from selected elements.
#pragma once

#include "platform/db/database.h"
#include "platform/host/host_types.h"

void QZ_DrawMark();
void QZ_DeleteMark();
void QZ_DeleteCableAtt();

// The drawing scale of the common library; 1.0 when the drawing has none.
double GetDrawingScale();
// The entity's handle as text; empty when the entity does not open.
CString GetHandleText(AcDbObjectId id);
// The entity of a handle text in `database` (the active drawing when null);
// the null identifier for a handle the drawing does not hold.
AcDbObjectId GetIdFromHandleText(wb::db::Database* database, const CString& text);
// The text written above a marked equipment block.
CString ComposeMarkText(const CString& mark, const CString& subNumber);
