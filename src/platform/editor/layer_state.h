// A layer's state as the editor shows it: off layers are not drawn, frozen
// layers are neither drawn nor selected by "all".
#pragma once

#include <string_view>

#include "platform/db/database.h"

namespace wb::editor {

bool LayerOff(const db::Database& database, std::string_view layer);
bool LayerFrozen(const db::Database& database, std::string_view layer);

}  // namespace wb::editor
