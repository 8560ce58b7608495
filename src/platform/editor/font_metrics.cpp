#include "platform/editor/font_metrics.h"

#include "platform/editor/document.h"

namespace wb::editor {
namespace {

HeadlessFontMetrics g_headless;
FontMetrics* g_metrics = &g_headless;

bool HasTextStyle(const db::Database& database, const WString& style);

}  // namespace

bool HeadlessFontMetrics::IsFullWidth(char16_t c) {
  if (c >= 0xFF61 && c <= 0xFF9F) return false;  // half-width katakana
  return (c >= 0x1100 && c <= 0x115F) ||          // Hangul jamo
         (c >= 0x2E80 && c <= 0xA4CF) ||          // CJK, kana, symbols
         (c >= 0xAC00 && c <= 0xD7A3) ||          // Hangul syllables
         (c >= 0xD800 && c <= 0xDFFF) ||          // surrogates: count each half
         (c >= 0xF900 && c <= 0xFAFF) ||          // CJK compatibility
         (c >= 0xFE30 && c <= 0xFE4F) ||          // CJK compatibility forms
         (c >= 0xFF00 && c <= 0xFF60) ||          // full-width forms
         (c >= 0xFFE0 && c <= 0xFFE6);
}

double HeadlessFontMetrics::TextWidth(const WString& text, const WString&, double height,
                                      double widthFactor) const {
  double units = 0;
  for (char16_t c : text) units += IsFullWidth(c) ? kFullWidthAdvance : kHalfWidthAdvance;
  return units * height * widthFactor;
}

FontMetrics* SetFontMetrics(FontMetrics* metrics) {
  FontMetrics* previous = g_metrics == &g_headless ? nullptr : g_metrics;
  g_metrics = metrics ? metrics : &g_headless;
  return previous;
}

const FontMetrics& Fonts() { return *g_metrics; }

namespace {

// Style names compare without regard to ASCII case, as the host's do.
bool HasTextStyle(const db::Database& database, const WString& style) {
  for (const auto& name : database.TableEntryNames("STYLE"))
    if (EqualsNoCase(Utf8ToUtf16(name), style)) return true;
  return false;
}

}  // namespace
}  // namespace wb::editor

int acgiTextStyleWidth(const wb::WString& style, const wb::WString& text, double size,
                       double xScale, double& width) {
  auto* database = wb::editor::ActiveDatabase();
  if (!database || !wb::editor::HasTextStyle(*database, style)) return -1;
  width = wb::editor::Fonts().TextWidth(text, style, size, xScale);
  return 0;
}
