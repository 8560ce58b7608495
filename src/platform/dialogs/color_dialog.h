// The host's colour services: the colour index palette and the colour
// dialog, answered by the dialog backend.
#pragma once

#include <optional>

#include "platform/dialogs/controls.h"

namespace wb::ui {

// RGB of a host colour index 1..255 (the standard index palette); 0 (by
// block) and 256 (by layer) have no colour of their own and give white,
// the colour of index 7 on a dark background, as does anything out of range.
ColorRef ColorFromIndex(int index);

struct ColorDialogRequest {
  int initialIndex = 0;     // the colour selected when the dialog opens
  bool allowMetaColors = true;  // by block (0) and by layer (256) offered
  int layerColor = 7;       // the colour shown for "by layer"
};

}  // namespace wb::ui

// Opens the colour dialog with `color` selected; on OK stores the chosen
// index in `color` and returns true.
bool acedSetColorDialog(int& color, bool allowMetaColors, int currentLayerColor);
