#include "platform/dxf/codec.h"

#include <iconv.h>

#include <cstdio>
#include <cstring>

#include "platform/text/codepage.h"
#include "platform/text/ustring.h"

namespace wb::dxf {
namespace {

bool IsAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

WString Unescape(const WString& text) {
  WString out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\\' && i + 6 < text.size() &&
        (text[i + 1] == u'U' || text[i + 1] == u'u') && text[i + 2] == u'+') {
      int value = 0;
      bool ok = true;
      for (size_t k = 3; k < 7 && ok; ++k) {
        int d = HexDigit(text[i + k]);
        ok = d >= 0;
        value = value * 16 + d;
      }
      if (ok) {
        out.push_back(static_cast<char16_t>(value));
        i += 6;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace

std::string TextCodec::Decode(std::string_view raw) const {
  if (codePage_ == 65001) return std::string(raw);
  const bool ascii = IsAscii(raw);
  if (ascii && raw.find("\\U+") == std::string_view::npos &&
      raw.find("\\u+") == std::string_view::npos)
    return std::string(raw);
  // Decode first: in double-byte code pages a backslash byte can be the
  // second half of a character, which must not start an escape.
  WString wide = ascii ? Utf8ToUtf16(raw) : codepage::ToUtf16(raw, codePage_);
  return Utf16ToUtf8(Unescape(wide));
}

std::string TextCodec::Encode(std::string&& utf8) const {
  if (codePage_ == 65001 || IsAscii(utf8)) return std::move(utf8);
  return Encode(std::string_view(utf8));
}

bool TextCodec::DecodesTo(std::string_view raw, std::string_view text) const {
  if (codePage_ == 65001) return raw == text;
  if (IsAscii(raw) && raw.find("\\U+") == std::string_view::npos &&
      raw.find("\\u+") == std::string_view::npos)
    return raw == text;
  return Decode(raw) == text;
}

std::string TextCodec::Encode(std::string_view utf8) const {
  if (codePage_ == 65001 || IsAscii(utf8)) return std::string(utf8);
  WString wide = Utf8ToUtf16(utf8);
  std::string out;
  out.reserve(wide.size() * 2);
  for (char16_t unit : wide) {
    if (unit < 0x80) {
      out.push_back(static_cast<char>(unit));
      continue;
    }
    if (auto bytes = codepage::EncodeUnit(unit, codePage_)) {
      out += *bytes;
      continue;
    }
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\U+%04X", static_cast<unsigned>(unit));
    out += escape;
  }
  return out;
}

int CodePageFromHeader(std::string_view name) {
  std::string upper;
  for (char c : name) upper.push_back(c >= 'a' && c <= 'z' ? c - 32 : c);
  int number = 0;
  for (const char* prefix : {"ANSI_", "DOS"}) {
    size_t n = std::strlen(prefix);
    if (upper.compare(0, n, prefix) != 0) continue;
    std::string digits = upper.substr(n);
    if (digits.empty() || digits.size() > 5) return 0;
    for (char c : digits)
      if (c < '0' || c > '9') return 0;
    number = std::stoi(digits);
  }
  if (number == 0) return 0;
  iconv_t cd = iconv_open("UTF-16LE", codepage::IconvName(number).c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  iconv_close(cd);
  return number;
}

}  // namespace wb::dxf
