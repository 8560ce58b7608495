// Characters of a text file in one of the module's byte encodings. The text
// files of the module and the common library's comma-separated reader both
// decode through this, so they split a file into the very same lines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/text/ustring.h"

namespace wb::fs {

enum TextEncoding : int { kAnsi = 1, kUtf8 = 2, kUtf16Le = 3, kUtf16Be = 4 };

struct TextOptions {
  int encoding = kAnsi;  // anything else reads and writes nothing
  // ANSI only: characters the code page lacks travel as "\U+XXXX".
  bool escapeUnmappable = true;
  // CR LF reads as LF and LF writes as CR LF (the runtime's text mode).
  bool crLf = false;
  // ANSI: a lead byte cut off by the end of the bytes reads as U+FFFD
  // (a damaged character) instead of ending the text silently.
  bool cutIsDamage = false;
};

class CharReader {
 public:
  CharReader(std::string_view bytes, TextOptions options) : bytes_(bytes), options_(options) {}

  // False at the end.
  bool Next(char16_t& c);
  // The next line without its LF; false when nothing was left to read (an
  // empty line still gives true).
  bool ReadLine(WString& line);
  // Whether the line last read held bytes that are no character (each read
  // as U+FFFD); an escaped U+FFFD is a character like any other.
  bool damaged() const { return damaged_; }
  size_t position() const { return pos_; }

 private:
  int Byte();  // -1 at the end
  bool Escape(char16_t& c);

  std::string_view bytes_;
  TextOptions options_;
  size_t pos_ = 0;
  char16_t pendingLow_ = 0;  // second unit of a four-byte UTF-8 sequence
  bool damaged_ = false;
};

// Appends the bytes of `text` to `out`.
void EncodeText(WStringView text, TextOptions options, std::string& out);

}  // namespace wb::fs
