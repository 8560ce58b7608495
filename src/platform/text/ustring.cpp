#include "platform/text/ustring.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <climits>

namespace wb {

WString Utf8ToUtf16(std::string_view s) {
  WString out;
  out.reserve(s.size());
  size_t i = 0;
  const size_t n = s.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out.push_back(c);
      ++i;
      continue;
    }
    int len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
    if (len == 0 || c >= 0xF8 || i + len > n) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    uint32_t cp = c & (0x7F >> len);
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) { ok = false; break; }
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!ok) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    i += len;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

namespace {

// The code point at s[i]: a surrogate pair is taken whole (i moves on to
// its second unit), a lone surrogate stands for U+FFFD.
uint32_t CodePointAt(WStringView s, size_t& i) {
  const uint32_t unit = s[i];
  if (unit < 0xD800 || unit >= 0xE000) return unit;
  if (unit < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000)
    return 0x10000 + ((unit - 0xD800) << 10) + (s[++i] - 0xDC00);
  return 0xFFFD;
}

size_t Utf8Bytes(uint32_t cp) { return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4; }

// End of the run of ASCII units from i, looked at four units a load.
size_t AsciiRunEnd(WStringView s, size_t i) {
  for (uint64_t four; i + 4 <= s.size(); i += 4) {
    std::memcpy(&four, s.data() + i, sizeof four);
    if (four & 0xFF80FF80FF80FF80u) break;
  }
  while (i < s.size() && s[i] < 0x80) ++i;
  return i;
}

}  // namespace

std::string Utf16ToUtf8(WStringView s) {
  // Sized exactly first: the result is often kept as it is in a drawing,
  // and room for three bytes a unit would stay allocated with it. Then
  // written through a pointer, as this runs over every text of a drawing;
  // runs of ASCII, most of such text, are measured and narrowed in bulk.
  const size_t n = s.size();
  size_t bytes = 0;
  for (size_t i = 0; i < n; ++i) {
    const size_t end = AsciiRunEnd(s, i);
    bytes += end - i;
    if ((i = end) < n) bytes += Utf8Bytes(CodePointAt(s, i));
  }
  std::string out(bytes, '\0');
  char* p = out.data();
  for (size_t i = 0; i < n; ++i) {
    const size_t end = AsciiRunEnd(s, i);
    for (; i < end; ++i) *p++ = static_cast<char>(s[i]);
    if (i == n) break;
    const uint32_t cp = CodePointAt(s, i);  // not ASCII
    if (cp < 0x800) {
      *p++ = static_cast<char>(0xC0 | (cp >> 6));
      *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      *p++ = static_cast<char>(0xE0 | (cp >> 12));
      *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      *p++ = static_cast<char>(0xF0 | (cp >> 18));
      *p++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

WString Format(const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::string out;
  const char16_t* p = format;
  std::string pending;  // literal run, converted in one go
  auto flush = [&] {
    if (!pending.empty()) out += pending, pending.clear();
  };
  while (*p) {
    if (*p != u'%') {
      const char16_t* start = p;
      while (*p && *p != u'%') ++p;
      pending += Utf16ToUtf8(WStringView(start, p - start));
      continue;
    }
    if (p[1] == u'%') {
      pending.push_back('%');
      p += 2;
      continue;
    }
    flush();
    std::string spec = "%";
    ++p;
    while (*p && std::string_view("-+ #0123456789.*").find(static_cast<char>(*p)) !=
                     std::string_view::npos && *p < 0x80) {
      spec.push_back(static_cast<char>(*p++));
    }
    std::string length;
    while (*p == u'l' || *p == u'h' || *p == u'z' || *p == u'I' || *p == u'6' ||
           *p == u'4') {
      length.push_back(static_cast<char>(*p++));
    }
    char conv = *p < 0x80 ? static_cast<char>(*p) : '?';
    if (*p) ++p;
    char buf[512];
    switch (conv) {
      case 'd':
      case 'i':
      case 'u':
      case 'x':
      case 'X': {
        bool isLong = length.find('l') != std::string::npos;
        spec += isLong ? "l" : "";
        spec.push_back(conv);
        if (isLong) {
          long v = va_arg(args, long);
          std::snprintf(buf, sizeof buf, spec.c_str(), v);
        } else {
          int v = va_arg(args, int);
          std::snprintf(buf, sizeof buf, spec.c_str(), v);
        }
        out += buf;
        break;
      }
      case 'f':
      case 'F':
      case 'g':
      case 'G':
      case 'e':
      case 'E': {
        spec.push_back(conv);
        double v = va_arg(args, double);
        std::snprintf(buf, sizeof buf, spec.c_str(), v);
        out += buf;
        break;
      }
      case 'c': {
        int v = va_arg(args, int);
        out += Utf16ToUtf8(WString(1, static_cast<char16_t>(v)));
        break;
      }
      case 's': {
        const char16_t* v = va_arg(args, const char16_t*);
        std::string text = v ? Utf16ToUtf8(v) : "(null)";
        // Width and precision for %s count UTF-16 units, as the host does.
        WString w = Utf8ToUtf16(text);
        size_t dot = spec.find('.');
        if (dot != std::string::npos) {
          size_t prec = std::stoul("0" + spec.substr(dot + 1));
          if (w.size() > prec) w.resize(prec);
        }
        std::string widthText = spec.substr(1, dot == std::string::npos ? std::string::npos : dot - 1);
        bool left = widthText.find('-') != std::string::npos;
        std::string digits;
        for (char ch : widthText) if (ch >= '0' && ch <= '9') digits.push_back(ch);
        size_t width = digits.empty() ? 0 : std::stoul(digits);
        std::string body = Utf16ToUtf8(w);
        std::string pad(w.size() < width ? width - w.size() : 0, ' ');
        out += left ? body + pad : pad + body;
        break;
      }
      default:
        out.push_back('%');
        out += spec.substr(1);
        if (conv != '?') out.push_back(conv);
        break;
    }
  }
  flush();
  va_end(args);
  return Utf8ToUtf16(out);
}

std::vector<WString> Split(WStringView text, WStringView separator) {
  std::vector<WString> parts;
  if (separator.empty()) {
    parts.emplace_back(text);
    return parts;
  }
  size_t start = 0;
  while (true) {
    size_t pos = text.find(separator, start);
    if (pos == WStringView::npos) {
      parts.emplace_back(text.substr(start));
      return parts;
    }
    parts.emplace_back(text.substr(start, pos - start));
    start = pos + separator.size();
  }
}

WString Join(const std::vector<WString>& parts, WStringView separator) {
  WString out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) out += separator;
    out += parts[i];
  }
  return out;
}

bool EqualsNoCase(WStringView a, WStringView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'a' && x <= u'z') x -= 32;
    if (y >= u'a' && y <= u'z') y -= 32;
    if (x != y) return false;
  }
  return true;
}

}  // namespace wb

int _wtoi(const char16_t* text) {
  if (!text) return 0;
  const char16_t* p = text;
  while (*p == u' ' || *p == u'\t' || *p == u'\n' || *p == u'\r' || *p == u'\v' ||
         *p == u'\f')
    ++p;
  bool negative = false;
  if (*p == u'+' || *p == u'-') negative = *p++ == u'-';
  long long value = 0;
  while (*p >= u'0' && *p <= u'9') {
    value = value * 10 + (*p++ - u'0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  return static_cast<int>(value);
}
