// A layer's state as the editor shows it and the layer panel changes it:
// off layers are not drawn (their colour is negative), frozen layers are
// neither drawn nor selected by "all", locked layers refuse new work.
#pragma once

#include <string>
#include <string_view>

#include "platform/db/database.h"

namespace wb::editor {

bool LayerOff(const db::Database& database, std::string_view layer);
bool LayerFrozen(const db::Database& database, std::string_view layer);
// The colour index, whether the layer is on or off.
int LayerColor(const db::Database& database, std::string_view layer);

// Each a drawing edit of the layer record (or the header); a missing layer
// is left alone.
void SetLayerOff(db::Database& database, std::string_view layer, bool off);
void SetLayerFrozen(db::Database& database, std::string_view layer, bool frozen);
void SetLayerColor(db::Database& database, std::string_view layer, int color);
// The current layer is read with CurrentLayer (drag_entity.h).
void SetCurrentLayer(db::Database& database, std::string_view layer);

}  // namespace wb::editor
