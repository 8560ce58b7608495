// The tag layer of an ASCII DXF file: the file is a sequence of pairs of
// lines, a group code and a value. The tokenizer records where each pair
// lives in the file buffer instead of copying it, so that the original text
// of every tag stays available for a byte-exact save.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wb::dxf {

constexpr uint32_t kNone = 0xFFFFFFFFu;

struct RawTag {
  uint32_t lineOffset;   // start of the group-code line
  uint32_t valueOffset;  // start of the value line
  uint32_t valueLength;  // without the line end
  int32_t code;
};

struct ParseError {
  int line = 0;  // 1-based
  std::string message;
};

struct Tokens {
  std::vector<RawTag> tags;
  // Byte offset just past the last tag read (past its line end, if any).
  // Whatever follows "0 EOF" is not parsed and kept as it stands.
  uint32_t end = 0;
  bool sawEof = false;
};

// Splits buffer[start..] into tags, stopping after the "0 EOF" pair.
// Line n of the file holds the code (n odd) or value (n even) of tag (n-1)/2.
bool Tokenize(std::string_view buffer, size_t start, Tokens* tokens, ParseError* error);

// How the file writes its lines: new tags are written the same way.
struct Style {
  std::string eol = "\n";
  bool paddedCodes = true;  // "  0" rather than "0"
};
Style DetectStyle(std::string_view buffer, const Tokens& tokens);

void AppendTag(std::string& out, const Style& style, int code, std::string_view value);

// Leading/trailing blanks removed, as DXF readers compare names and numbers.
std::string_view Trim(std::string_view text);

}  // namespace wb::dxf
