#include "platform/dialogs/color_dialog.h"

#include "platform/dialogs/dialog_backend.h"

namespace wb::ui {

ColorRef ColorFromIndex(int index) {
  switch (index) {
    case 1: return Rgb(255, 0, 0);
    case 2: return Rgb(255, 255, 0);
    case 3: return Rgb(0, 255, 0);
    case 4: return Rgb(0, 255, 255);
    case 5: return Rgb(0, 0, 255);
    case 6: return Rgb(255, 0, 255);
    case 7: return Rgb(255, 255, 255);
    case 8: return Rgb(128, 128, 128);
    case 9: return Rgb(192, 192, 192);
    default: break;
  }
  if (index >= 250 && index <= 255) {
    static constexpr int kGrey[] = {51, 80, 105, 130, 190, 255};
    const int g = kGrey[index - 250];
    return Rgb(g, g, g);
  }
  if (index < 10 || index > 249) return Rgb(255, 255, 255);
  // 24 hues in steps of 15 degrees; each in five values, full and pale.
  static constexpr int kRamp[] = {0, 63, 127, 191, 255};
  // Red over the hue circle; green and blue are the same curve turned by
  // 120 and 240 degrees.
  auto level = [&](int k) {
    k = ((k % 24) + 24) % 24;
    if (k <= 4 || k >= 20) return 255;
    if (k <= 7) return kRamp[8 - k];
    if (k <= 16) return 0;
    return kRamp[k - 16];
  };
  const int hue = (index - 10) / 10;
  const int shade = (index - 10) % 10;
  static constexpr int kValue[] = {255, 204, 153, 127, 76};
  int rgb[3] = {level(hue), level(hue - 8), level(hue - 16)};
  for (int& c : rgb) {
    const int tone = shade % 2 ? (255 + c) / 2 : c;
    c = (tone * kValue[shade / 2] + 127) / 255;
  }
  return Rgb(rgb[0], rgb[1], rgb[2]);
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
