#include "platform/fs/text_codec.h"

#include "platform/text/codepage.h"

namespace wb::fs {
namespace {

int Hex(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

const char kHexDigits[] = "0123456789ABCDEF";

}  // namespace

int CharReader::Byte() {
  if (pos_ >= bytes_.size()) return -1;
  return static_cast<unsigned char>(bytes_[pos_++]);
}

// After a backslash: "U+XXXX" makes one unit; anything else leaves the
// position where it was and the backslash stands for itself.
bool CharReader::Escape(char16_t& c) {
  const size_t mark = pos_;
  int u = Byte();
  if (u == 'U' || u == 'u') {
    int rest[5];
    bool ok = true;
    for (int& r : rest) {
      r = Byte();
      ok = ok && r >= 0;
    }
    if (ok && rest[0] == '+') {
      int value = 0;
      for (int k = 1; k < 5 && ok; ++k) {
        const int h = Hex(rest[k]);
        ok = h >= 0;
        value = value * 16 + h;
      }
      if (ok) {
        c = static_cast<char16_t>(value);
        return true;
      }
    }
  }
  pos_ = mark;
  return false;
}

bool CharReader::Next(char16_t& c) {
  if (pendingLow_) {
    c = pendingLow_;
    pendingLow_ = 0;
    return true;
  }
  auto crLf = [&](int b) {
    if (b == '\r' && options_.crLf) {
      const int next = Byte();
      if (next == '\n') return static_cast<int>('\n');
      if (next >= 0) --pos_;
    }
    return b;
  };
  switch (options_.encoding) {
    case kAnsi: {
      const int b = Byte();
      if (b < 0) return false;
      if (b < 0x80) {
        c = static_cast<char16_t>(crLf(b));
        if (c == u'\\' && options_.escapeUnmappable) Escape(c);
        return true;
      }
      std::string bytes(1, static_cast<char>(b));
      if (codepage::IsLeadByte(static_cast<unsigned char>(b))) {
        const int trail = Byte();
        if (trail < 0 && !options_.cutIsDamage) return false;
        if (trail < 0) {
          c = u'\uFFFD';
          damaged_ = true;
          return true;
        }
        bytes.push_back(static_cast<char>(trail));
      }
      auto unit = codepage::DecodeChar(bytes);
      c = unit ? *unit : u'\uFFFD';
      damaged_ |= !unit;
      return true;
    }
    case kUtf8: {
      const int b = Byte();
      if (b < 0) return false;
      if (b < 0x80) {
        c = static_cast<char16_t>(crLf(b));
        return true;
      }
      const int length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
      std::string bytes(1, static_cast<char>(b));
      for (int k = 1; k < length; ++k) {
        const int next = Byte();
        if (next < 0) break;  // cut short by the end: a replacement character
        bytes.push_back(static_cast<char>(next));
      }
      const WString units = Utf8ToUtf16(bytes);
      c = units.empty() ? u'\uFFFD' : units[0];
      damaged_ |= c == u'\uFFFD' && bytes != "\xEF\xBF\xBD";
      if (units.size() == 2 && units[0] >= 0xD800 && units[0] < 0xDC00) pendingLow_ = units[1];
      return true;
    }
    case kUtf16Le:
    case kUtf16Be: {
      auto unitAt = [&](size_t at) {
        const unsigned b0 = static_cast<unsigned char>(bytes_[at]);
        const unsigned b1 = static_cast<unsigned char>(bytes_[at + 1]);
        return static_cast<char16_t>(options_.encoding == kUtf16Le ? b0 | (b1 << 8)
                                                                   : (b0 << 8) | b1);
      };
      if (pos_ + 2 > bytes_.size()) return false;
      c = unitAt(pos_);
      pos_ += 2;
      if (c == u'\r' && options_.crLf && pos_ + 2 <= bytes_.size() && unitAt(pos_) == u'\n') {
        c = u'\n';
        pos_ += 2;
      }
      return true;
    }
    default:
      return false;
  }
}

bool CharReader::ReadLine(WString& line) {
  line.clear();
  damaged_ = false;
  bool any = false;
  char16_t c;
  while (Next(c)) {
    any = true;
    if (c == u'\n') break;
    line.push_back(c);
  }
  return any;
}

void EncodeText(WStringView text, TextOptions options, std::string& out) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    switch (options.encoding) {
      case kAnsi:
      case kUtf8:
        if (unit <= 0x7F) {
          if (unit == u'\n' && options.crLf) out.push_back('\r');
          out.push_back(static_cast<char>(unit));
        } else if (options.encoding == kUtf8) {
          // A surrogate pair goes out as one four-byte sequence.
          if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
              text[i + 1] < 0xE000) {
            out += Utf16ToUtf8(text.substr(i, 2));
            ++i;
          } else {
            out += Utf16ToUtf8(text.substr(i, 1));
          }
        } else if (auto bytes = codepage::EncodeUnit(unit)) {
          out += *bytes;
        } else if (options.escapeUnmappable) {
          out += "\\U+";
          for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHexDigits[(unit >> shift) & 0xF]);
        }
        break;
      case kUtf16Le:
      case kUtf16Be: {
        auto put = [&](char16_t u) {
          const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
          if (options.encoding == kUtf16Le) {
            out.push_back(lo);
            out.push_back(hi);
          } else {
            out.push_back(hi);
            out.push_back(lo);
          }
        };
        if (unit == u'\n' && options.crLf) put(u'\r');
        put(unit);
        break;
      }
      default:
        break;
    }
  }
}

}  // namespace wb::fs
