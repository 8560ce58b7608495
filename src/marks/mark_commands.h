// Equipment marks: placing them from the mark dialog, deleting them, and
// deleting cable attributes from picked wires.
#pragma once

void QZ_DrawMark();
void QZ_DeleteMark();
void QZ_DeleteCableAtt();
