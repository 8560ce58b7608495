// The common library's entity creation: appends an entity that the module
// built to the current space of the active drawing.
#pragma once

#include "platform/editor/entity.h"

// 0 and the new entity's identifier in `id` (when not null); -1 without a
// drawing. The layer is created when missing.
int QzComn_addEntity(const AcDbText& text, AcDbObjectId* id);
