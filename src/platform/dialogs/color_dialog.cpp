#include "platform/dialogs/color_dialog.h"

#include "platform/dialogs/dialog_backend.h"
#include "platform/host/color_index.h"

namespace wb::ui {

ColorRef ColorFromIndex(int index) {
  const IndexColor c = ColorOfIndex(index);
  return Rgb(c.r, c.g, c.b);
}

}  // namespace wb::ui

bool acedSetColorDialog(int& color, bool allowMetaColors, int currentLayerColor) {
  wb::ui::ColorDialogRequest request;
  request.initialIndex = color;
  request.allowMetaColors = allowMetaColors;
  request.layerColor = currentLayerColor;
  const std::optional<int> chosen = wb::ui::Backend().ColorDialog(request);
  if (!chosen) return false;
  color = *chosen;
  return true;
}
