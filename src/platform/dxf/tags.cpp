#include "platform/dxf/tags.h"

#include <algorithm>
#include <cstring>

namespace wb::dxf {
namespace {

// Shown in messages: enough to recognise the line, nothing unprintable.
std::string Quote(std::string_view text) {
  std::string out = "'";
  for (size_t i = 0; i < text.size() && i < 24; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    out.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
  }
  if (text.size() > 24) out += "...";
  return out + "'";
}

// Offset of the end of the line starting at `pos` (the '\n' or the buffer end).
inline size_t LineEnd(std::string_view buffer, size_t pos) {
  const void* hit = std::memchr(buffer.data() + pos, '\n', buffer.size() - pos);
  return hit ? static_cast<const char*>(hit) - buffer.data() : buffer.size();
}

inline size_t ContentEnd(std::string_view buffer, size_t begin, size_t end) {
  return (end > begin && buffer[end - 1] == '\r') ? end - 1 : end;
}

bool ParseCode(std::string_view text, int* code) {
  size_t i = 0, n = text.size();
  while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
  size_t digits = i;
  int value = 0;
  while (i < n && text[i] >= '0' && text[i] <= '9') {
    value = value * 10 + (text[i] - '0');
    if (value > 1071) return false;
    ++i;
  }
  if (i == digits) return false;
  while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i != n) return false;
  *code = value;
  return true;
}

}  // namespace

std::string_view Trim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t' || text[e - 1] == '\r')) --e;
  return text.substr(b, e - b);
}

bool Tokenize(std::string_view buffer, size_t start, Tokens* tokens, ParseError* error) {
  auto& tags = tokens->tags;
  tags.clear();
  // Counted, not guessed: a guess too small copies the whole list once more.
  const auto lines = std::count(buffer.begin() + static_cast<long>(start), buffer.end(), '\n');
  tags.reserve(static_cast<size_t>(lines) / 2 + 1);
  tokens->sawEof = false;
  const size_t size = buffer.size();
  size_t pos = start;
  while (pos < size) {
    const int line = static_cast<int>(tags.size() * 2 + 1);
    size_t codeEnd = LineEnd(buffer, pos);
    std::string_view codeText(buffer.data() + pos, ContentEnd(buffer, pos, codeEnd) - pos);
    int code = 0;
    if (!ParseCode(codeText, &code)) {
      error->line = line;
      error->message = "invalid group code " + Quote(codeText);
      return false;
    }
    if (codeEnd >= size || codeEnd + 1 >= size) {
      error->line = line;
      error->message = "group code " + std::to_string(code) +
                       " has no value line (odd number of lines, file truncated?)";
      return false;
    }
    size_t valuePos = codeEnd + 1;
    size_t valueEnd = LineEnd(buffer, valuePos);
    size_t contentEnd = ContentEnd(buffer, valuePos, valueEnd);
    tags.push_back({static_cast<uint32_t>(pos), static_cast<uint32_t>(valuePos),
                    static_cast<uint32_t>(contentEnd - valuePos), code});
    pos = valueEnd < size ? valueEnd + 1 : size;
    if (code == 0 && Trim(buffer.substr(valuePos, contentEnd - valuePos)) == "EOF") {
      tokens->sawEof = true;
      break;
    }
  }
  tokens->end = static_cast<uint32_t>(pos);
  return true;
}

Style DetectStyle(std::string_view buffer, const Tokens& tokens) {
  Style style;
  size_t nl = buffer.find('\n');
  if (nl != std::string_view::npos && nl > 0 && buffer[nl - 1] == '\r') style.eol = "\r\n";
  for (const RawTag& tag : tokens.tags) {
    if (tag.code != 0) continue;
    style.paddedCodes = buffer[tag.lineOffset] == ' ';
    break;
  }
  return style;
}

void AppendTag(std::string& out, const Style& style, int code, std::string_view value) {
  if (style.paddedCodes) {
    if (code < 10) out += "  ";
    else if (code < 100) out += ' ';
  }
  out += std::to_string(code);
  out += style.eol;
  out += value;
  out += style.eol;
}

}  // namespace wb::dxf
