#include "platform/host/color_index.h"

namespace wb {

IndexColor ColorOfIndex(int index) {
  auto rgb = [](int r, int g, int b) {
    return IndexColor{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
  };
  static constexpr IndexColor kBasic[10] = {{255, 255, 255}, {255, 0, 0},   {255, 255, 0},
                                            {0, 255, 0},     {0, 255, 255}, {0, 0, 255},
                                            {255, 0, 255},   {255, 255, 255}, {128, 128, 128},
                                            {192, 192, 192}};
  if (index >= 1 && index <= 9) return kBasic[index];
  if (index >= 250 && index <= 255) {
    static constexpr int kGrey[] = {51, 80, 105, 130, 190, 255};
    const int g = kGrey[index - 250];
    return rgb(g, g, g);
  }
  if (index < 10 || index > 249) return kBasic[7];
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
  int c[3] = {level(hue), level(hue - 8), level(hue - 16)};
  for (int& v : c) {
    const int tone = shade % 2 ? (255 + v) / 2 : v;
    v = (tone * kValue[shade / 2] + 127) / 255;
  }
  return rgb(c[0], c[1], c[2]);
}

}  // namespace wb
