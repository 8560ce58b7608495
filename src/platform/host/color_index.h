// The drawing's colour index as red, green and blue: one palette for the
// drawing view, the paper and the dialogs' colour swatches, so that a colour
// chosen in a dialog looks the same in the drawing.
#pragma once

#include <cstdint>

namespace wb {

struct IndexColor {
  uint8_t r = 255, g = 255, b = 255;
};

// 1..255; anything else is white (7, the foreground colour).
IndexColor ColorOfIndex(int index);

}  // namespace wb
