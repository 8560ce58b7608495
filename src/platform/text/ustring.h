// UTF-16 text helpers: the module keeps every string as UTF-16, as its host
// does; these helpers convert at the edges and provide the host's small
// numeric conversions and printf-style formatting.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wb {

using WString = std::u16string;
using WStringView = std::u16string_view;

// Lossless for well-formed input; ill-formed sequences become U+FFFD.
WString Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(WStringView utf16);

// Shorthand for literals in tests and tools: u8 text to UTF-16.
inline WString W(std::string_view utf8) { return Utf8ToUtf16(utf8); }

// printf over UTF-16: %s takes a const char16_t*, %c a char16_t (as int);
// the numeric conversions behave as the C library's.
WString Format(const char16_t* format, ...);

// Splits at every occurrence of `separator`: n separators give n + 1 parts.
std::vector<WString> Split(WStringView text, WStringView separator);
WString Join(const std::vector<WString>& parts, WStringView separator);

bool EqualsNoCase(WStringView a, WStringView b);  // ASCII letters only

}  // namespace wb

// The host C runtime's leading-integer conversion: optional blanks, sign,
// digits; 0 when the text does not start with a number.
int _wtoi(const char16_t* text);
inline int _wtoi(const wb::WString& text) { return _wtoi(text.c_str()); }
