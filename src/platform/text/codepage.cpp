#include "platform/text/codepage.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>

namespace wb::codepage {
namespace {

int g_ansiCodePage = 932;

struct Converter {
  iconv_t cd = reinterpret_cast<iconv_t>(-1);
  ~Converter() {
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
};

// One cached descriptor per (from, to) pair; the module is single-threaded but
// tests may run conversions from several threads.
iconv_t Get(const std::string& to, const std::string& from) {
  static std::mutex mutex;
  static std::map<std::pair<std::string, std::string>, std::unique_ptr<Converter>> cache;
  std::lock_guard lock(mutex);
  auto& slot = cache[{to, from}];
  if (!slot) {
    slot = std::make_unique<Converter>();
    slot->cd = iconv_open(to.c_str(), from.c_str());
  }
  iconv(slot->cd, nullptr, nullptr, nullptr, nullptr);
  return slot->cd;
}

bool Valid(iconv_t cd) { return cd != reinterpret_cast<iconv_t>(-1); }

}  // namespace

int AnsiCodePage() { return g_ansiCodePage; }

std::string IconvName(int codePage) {
  switch (codePage) {
    case 65001: return "UTF-8";
    case 20127: return "ASCII";
    case 28591: return "ISO-8859-1";
    default: return "CP" + std::to_string(codePage);
  }
}

bool SetAnsiCodePage(int codePage) {
  iconv_t cd = iconv_open("UTF-16LE", IconvName(codePage).c_str());
  if (!Valid(cd)) return false;
  iconv_close(cd);
  g_ansiCodePage = codePage;
  return true;
}

bool IsLeadByte(unsigned char byte, int codePage) {
  if (byte < 0x80) return false;
  static std::mutex mutex;
  static std::map<int, std::array<bool, 256>> tables;
  std::lock_guard lock(mutex);
  auto it = tables.find(codePage);
  if (it == tables.end()) {
    std::array<bool, 256> table{};
    iconv_t cd = iconv_open("UTF-16LE", IconvName(codePage).c_str());
    if (Valid(cd)) {
      for (int b = 0x80; b < 256; ++b) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char in[1] = {static_cast<char>(b)};
        char out[8];
        char* ip = in;
        char* op = out;
        size_t il = 1, ol = sizeof out;
        size_t r = iconv(cd, &ip, &il, &op, &ol);
        table[b] = (r == static_cast<size_t>(-1) && errno == EINVAL);
      }
      iconv_close(cd);
    }
    it = tables.emplace(codePage, table).first;
  }
  return it->second[byte];
}

WString ToUtf16(std::string_view bytes, int codePage) {
  if (codePage == 65001) return Utf8ToUtf16(bytes);
  iconv_t cd = Get("UTF-16LE", IconvName(codePage));
  WString out;
  if (!Valid(cd)) {
    for (unsigned char c : bytes) out.push_back(c);
    return out;
  }
  std::string buf(bytes.size() * 4 + 16, '\0');
  char* ip = const_cast<char*>(bytes.data());
  size_t il = bytes.size();
  while (il > 0) {
    char* op = buf.data();
    size_t ol = buf.size();
    size_t r = iconv(cd, &ip, &il, &op, &ol);
    size_t produced = buf.size() - ol;
    for (size_t i = 0; i + 1 < produced; i += 2)
      out.push_back(static_cast<char16_t>(static_cast<unsigned char>(buf[i]) |
                                          (static_cast<unsigned char>(buf[i + 1]) << 8)));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      out.push_back(0xFFFD);  // undecodable or cut-off byte
      ++ip;
      --il;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

std::string FromUtf16(WStringView text, int codePage) {
  if (codePage == 65001) return Utf16ToUtf8(text);
  std::string out;
  out.reserve(text.size() * 2);
  for (char16_t unit : text) {
    if (unit < 0x80) {
      out.push_back(static_cast<char>(unit));
      continue;
    }
    auto bytes = EncodeUnit(unit, codePage);
    out += bytes ? *bytes : std::string("?");
  }
  return out;
}

std::optional<std::string> EncodeUnit(char16_t unit, int codePage) {
  if (unit < 0x80) return std::string(1, static_cast<char>(unit));
  iconv_t cd = Get(IconvName(codePage), "UTF-16LE");
  if (!Valid(cd)) return std::nullopt;
  char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  char out[8];
  char* ip = in;
  char* op = out;
  size_t il = 2, ol = sizeof out;
  if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1)) return std::nullopt;
  size_t n = sizeof out - ol;
  if (n == 0 || n > 2) return std::nullopt;
  return std::string(out, n);
}

std::optional<char16_t> DecodeChar(std::string_view bytes, int codePage) {
  if (bytes.size() == 1 && static_cast<unsigned char>(bytes[0]) < 0x80)
    return static_cast<char16_t>(bytes[0]);
  iconv_t cd = Get("UTF-16LE", IconvName(codePage));
  if (!Valid(cd)) return std::nullopt;
  char out[8];
  char* ip = const_cast<char*>(bytes.data());
  char* op = out;
  size_t il = bytes.size(), ol = sizeof out;
  if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1)) return std::nullopt;
  if (sizeof out - ol != 2) return std::nullopt;
  return static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                               (static_cast<unsigned char>(out[1]) << 8));
}

}  // namespace wb::codepage
