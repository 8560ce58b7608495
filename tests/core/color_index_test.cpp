#include "platform/host/color_index.h"

#include <gtest/gtest.h>

#include <array>

// The swatches of the dialogs and the drawing view read this one palette.
TEST(ColorIndex, Palette) {
  const struct {
    int index, r, g, b;
  } palette[] = {{1, 255, 0, 0},     {5, 0, 0, 255},     {7, 255, 255, 255}, {10, 255, 0, 0},
                 {11, 255, 127, 127}, {12, 204, 0, 0},   {30, 255, 127, 0},  {90, 0, 255, 0},
                 {130, 0, 255, 255}, {170, 0, 0, 255},   {210, 255, 0, 255}, {250, 51, 51, 51},
                 {252, 105, 105, 105}, {255, 255, 255, 255}, {0, 255, 255, 255}, {256, 255, 255, 255}};
  for (const auto& c : palette) {
    const wb::IndexColor got = wb::ColorOfIndex(c.index);
    EXPECT_EQ((std::array<int, 3>{got.r, got.g, got.b}), (std::array<int, 3>{c.r, c.g, c.b})) << c.index;
  }
}
