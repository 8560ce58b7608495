#include "platform/arxutil/convert.h"
#include "platform/text/ustring.h"

#include <gtest/gtest.h>

#include <cmath>

using wb::W;
using wb::WString;

TEST(Utf, RoundTripsAcrossPlanes) {
  const std::string text = "ｹｰﾌﾞﾙ番号 A-1 \xF0\x9F\x94\x8C";
  WString w = wb::Utf8ToUtf16(text);
  EXPECT_EQ(w.size(), 14u);  // the plug is a surrogate pair
  EXPECT_EQ(wb::Utf16ToUtf8(w), text);
  EXPECT_EQ(wb::Utf8ToUtf16("\xFF" "a"), WString(u"\uFFFDa"));
  // Lone surrogates become U+FFFD, whichever end of the text they are at.
  const WString lone{char16_t(0xD83D), u'a', char16_t(0xDC00), u'\u00E9', char16_t(0xD83D)};
  EXPECT_EQ(wb::Utf16ToUtf8(lone), "\uFFFD" "a" "\uFFFD" "\u00E9" "\uFFFD");
  // ASCII goes four units at a time: other characters at every offset.
  for (size_t k = 0; k < 9; ++k) {
    const std::string mixed = std::string(k, 'a') + "\u00E9bcdef\u00FF" + std::string(k, 'g') + "\xF0\x9F\x94\x8C";
    EXPECT_EQ(wb::Utf16ToUtf8(wb::Utf8ToUtf16(mixed)), mixed) << k;
    EXPECT_EQ(wb::Utf16ToUtf8(WString(k, u'a') + char16_t(0xD800) + u"bcde"), std::string(k, 'a') + "\uFFFDbcde");
  }
}

TEST(Text, FormatAsTheCRuntimeAndSplitIntoOneMorePartThanSeparators) {
  EXPECT_EQ(wb::Format(u"%s|%s|%d|1|99|%d|", u"CB08", u"W-1", 1, 1), u"CB08|W-1|1|1|99|1|");
  EXPECT_EQ(wb::Format(u"%g", 2.0), u"2");
  EXPECT_EQ(wb::Format(u"%g", 0.8), u"0.8");
  EXPECT_EQ(wb::Format(u"%.1lf", 12.34), u"12.3");
  EXPECT_EQ(wb::Format(u"%.1lf", 0.0), u"0.0");
  EXPECT_EQ(wb::Format(u"No.%02d ", 3), u"No.03 ");
  EXPECT_EQ(wb::Format(u"%6.0lf / %6.0lf ", 1500.0, 2500.4), u"  1500 /   2500 ");
  EXPECT_EQ(wb::Format(u"累積:%5.1f分", 0.25), W("累積:  0.2分"));
  EXPECT_EQ(wb::Format(u"画層 %s がﾛｯｸされています", u"電気"), W("画層 電気 がﾛｯｸされています"));
  EXPECT_EQ(wb::Format(u"100%%"), u"100%");

  // Split keeps empty parts.
  EXPECT_EQ(wb::Split(u"a,,b,", u",").size(), 4u);
  EXPECT_EQ(wb::Split(u"", u",").size(), 1u);
  EXPECT_EQ(wb::Join(wb::Split(u"x,y,,z", u","), u","), u"x,y,,z");
}

// Leading digits after blanks and a sign, and none at all, are pinned by the
// route search's length texts; these are the edges it does not reach.
TEST(Numbers, LeadingConversions) {
  EXPECT_EQ(_wtoi(u""), 0);
  EXPECT_EQ(_wtoi(u"99999999999"), 2147483647);
  EXPECT_DOUBLE_EQ(ApiComn_atof(u" -1e3"), -1000.0);
  EXPECT_DOUBLE_EQ(ApiComn_atof(u"abc"), 0.0);
  EXPECT_DOUBLE_EQ(ApiComn_atof(W("１２")), 0.0);  // full-width digits are not digits
  EXPECT_NEAR(ApiComn_ConvToAngle(-3.14159265358979323846 / 2), 270.0, 1e-9);
}
