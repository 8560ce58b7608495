// The system ANSI code page (932, Japanese) and conversions through iconv.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/text/ustring.h"

namespace wb::codepage {

constexpr int AnsiCodePage() { return 932; }

// iconv name of a Windows code page number ("CP932", "CP1252", ...).
std::string IconvName(int codePage);

bool IsLeadByte(unsigned char byte, int codePage = AnsiCodePage());

// Whole strings. Bytes that do not decode become U+FFFD; units the code page
// cannot represent become '?'.
WString ToUtf16(std::string_view bytes, int codePage = AnsiCodePage());
std::string FromUtf16(WStringView text, int codePage = AnsiCodePage());

// One UTF-16 unit, without best-fit mapping: nullopt when the code page has
// no character that reads back as this very unit.
std::optional<std::string> EncodeUnit(char16_t unit, int codePage = AnsiCodePage());
// One character of one or two bytes: nullopt when it does not decode to a
// single UTF-16 unit.
std::optional<char16_t> DecodeChar(std::string_view bytes, int codePage = AnsiCodePage());

}  // namespace wb::codepage
