// Text measuring. The desktop host plugs in its real font engine; without
// one, a headless estimate keeps layouts stable and reproducible (tests, the
// command-line host). See docs/annotation.md for the estimate.
#pragma once

#include "platform/host/host_types.h"

namespace wb::editor {

class FontMetrics {
 public:
  virtual ~FontMetrics() = default;
  // Advance width of one line of `text` set in `style` with character height
  // `height` and x-scale `widthFactor`, in drawing units.
  virtual double TextWidth(const WString& text, const WString& style, double height,
                           double widthFactor) const = 0;
};

// The estimate used when no host font engine is installed: full-width
// characters advance by height x widthFactor, every other unit by
// 0.7 x height x widthFactor. The style is not looked at.
class HeadlessFontMetrics : public FontMetrics {
 public:
  static constexpr double kHalfWidthAdvance = 0.7;
  static constexpr double kFullWidthAdvance = 1.0;
  double TextWidth(const WString& text, const WString& style, double height,
                   double widthFactor) const override;
  static bool IsFullWidth(char16_t unit);
};

// Installs `metrics` (null: back to the headless estimate); returns the
// previous one (null when that was the estimate).
FontMetrics* SetFontMetrics(FontMetrics* metrics);
const FontMetrics& Fonts();

}  // namespace wb::editor

// The extents of `text` in the drawing's text style `style` at size `size`
// and x-scale `xScale`: 0 and the width when the active drawing has that
// style, non-zero otherwise.
int acgiTextStyleWidth(const wb::WString& style, const wb::WString& text, double size,
                       double xScale, double& width);
