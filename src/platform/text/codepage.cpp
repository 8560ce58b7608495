#include "platform/text/codepage.h"

#include <iconv.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>

namespace wb::codepage {
namespace {

struct Converter {
  iconv_t cd = reinterpret_cast<iconv_t>(-1);
  ~Converter() {
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
};

// One cached descriptor per (from, to) pair and thread: a descriptor keeps
// the state of the conversion it is in, and the workers of long commands
// read and write the drawing's text at the same time.
iconv_t Get(const std::string& to, const std::string& from) {
  thread_local std::map<std::pair<std::string, std::string>, std::unique_ptr<Converter>> cache;
  auto& slot = cache[{to, from}];
  if (!slot) {
    slot = std::make_unique<Converter>();
    slot->cd = iconv_open(to.c_str(), from.c_str());
  }
  iconv(slot->cd, nullptr, nullptr, nullptr, nullptr);
  return slot->cd;
}

bool Valid(iconv_t cd) { return cd != reinterpret_cast<iconv_t>(-1); }

// The answers for single characters, kept per code page: text files ask
// for the same few thousand characters over and over, and iconv is slow to
// ask one at a time. Entries are filled on first use; a race fills one
// twice with the same value.
struct Memo {
  static constexpr uint32_t kKnown = 1u << 31, kSome = 1u << 30;
  explicit Memo(int page) : codePage(page) {}
  const int codePage;
  std::array<bool, 256> lead{};
  std::unique_ptr<std::atomic<uint32_t>[]> encoded{new std::atomic<uint32_t>[0x10000]()};
  std::unique_ptr<std::atomic<uint32_t>[]> decoded{new std::atomic<uint32_t>[0x10000 + 0x100]()};
};

// A byte that starts a two-byte character is one iconv cannot finish alone.
std::array<bool, 256> LeadBytes(int codePage) {
  std::array<bool, 256> lead{};
  iconv_t cd = iconv_open("UTF-16LE", IconvName(codePage).c_str());
  if (!Valid(cd)) return lead;
  for (int b = 0x80; b < 256; ++b) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in[1] = {static_cast<char>(b)};
    char out[8];
    char* ip = in;
    char* op = out;
    size_t il = 1, ol = sizeof out;
    lead[b] = iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) && errno == EINVAL;
  }
  iconv_close(cd);
  return lead;
}

Memo& MemoFor(int codePage) {
  static std::atomic<Memo*> last{nullptr};
  Memo* memo = last.load(std::memory_order_acquire);
  if (memo && memo->codePage == codePage) return *memo;
  static std::mutex mutex;
  static std::map<int, std::unique_ptr<Memo>> memos;
  std::lock_guard lock(mutex);
  auto& slot = memos[codePage];
  if (!slot) {
    slot = std::make_unique<Memo>(codePage);
    slot->lead = LeadBytes(codePage);
  }
  last.store(slot.get(), std::memory_order_release);
  return *slot;
}

std::optional<std::string> AskEncode(char16_t unit, int codePage) {
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

std::optional<char16_t> AskDecode(std::string_view bytes, int codePage) {
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

}  // namespace

std::string IconvName(int codePage) {
  switch (codePage) {
    case 65001: return "UTF-8";
    case 20127: return "ASCII";
    case 28591: return "ISO-8859-1";
    default: return "CP" + std::to_string(codePage);
  }
}

bool IsLeadByte(unsigned char byte, int codePage) { return MemoFor(codePage).lead[byte]; }

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
  std::atomic<uint32_t>& entry = MemoFor(codePage).encoded[unit];
  uint32_t known = entry.load(std::memory_order_relaxed);
  if (!(known & Memo::kKnown)) {
    // Best-fit answers (U+00A5 as 0x5C, U+301C as the wave dash) read back
    // as another character: only a round trip counts.
    auto bytes = AskEncode(unit, codePage);
    if (bytes && AskDecode(*bytes, codePage) != unit) bytes.reset();
    known = Memo::kKnown;
    if (bytes) {
      known |= Memo::kSome | (static_cast<uint32_t>(bytes->size()) << 16) |
               static_cast<unsigned char>((*bytes)[0]);
      if (bytes->size() == 2) known |= static_cast<uint32_t>(static_cast<unsigned char>((*bytes)[1])) << 8;
    }
    entry.store(known, std::memory_order_relaxed);
  }
  if (!(known & Memo::kSome)) return std::nullopt;
  std::string bytes(1, static_cast<char>(known & 0xFF));
  if (((known >> 16) & 3) == 2) bytes.push_back(static_cast<char>((known >> 8) & 0xFF));
  return bytes;
}

std::optional<char16_t> DecodeChar(std::string_view bytes, int codePage) {
  if (bytes.size() == 1 && static_cast<unsigned char>(bytes[0]) < 0x80)
    return static_cast<char16_t>(bytes[0]);
  if (bytes.empty() || bytes.size() > 2) return AskDecode(bytes, codePage);
  const unsigned b0 = static_cast<unsigned char>(bytes[0]);
  const size_t index = bytes.size() == 1 ? 0x10000 + b0
                                         : (b0 << 8) | static_cast<unsigned char>(bytes[1]);
  std::atomic<uint32_t>& entry = MemoFor(codePage).decoded[index];
  uint32_t known = entry.load(std::memory_order_relaxed);
  if (!(known & Memo::kKnown)) {
    const auto unit = AskDecode(bytes, codePage);
    known = Memo::kKnown | (unit ? Memo::kSome | *unit : 0);
    entry.store(known, std::memory_order_relaxed);
  }
  if (!(known & Memo::kSome)) return std::nullopt;
  return static_cast<char16_t>(known & 0xFFFF);
}

}  // namespace wb::codepage
