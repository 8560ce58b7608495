// Text of a DXF file as the database sees it (UTF-8). Files before R2007
// store strings in the code page named by $DWGCODEPAGE, writing a character
// the code page lacks as \U+XXXX; later files are UTF-8 throughout.
#pragma once

#include <string>
#include <string_view>

namespace wb::dxf {

class TextCodec {
 public:
  TextCodec() = default;
  // codePage 65001 means UTF-8 (R2007 and later): no conversion at all.
  explicit TextCodec(int codePage) : codePage_(codePage) {}

  int codePage() const { return codePage_; }
  std::string Decode(std::string_view raw) const;
  std::string Encode(std::string_view utf8) const;
  // As Encode, reusing the text's storage when nothing needs converting.
  std::string Encode(std::string&& utf8) const;
  // Decode(raw) == text, without building the decoded text when the raw
  // bytes are the text already.
  bool DecodesTo(std::string_view raw, std::string_view text) const;

 private:
  int codePage_ = 65001;
};

// "ANSI_932" -> 932, "DOS850" -> 850; 0 when the name means nothing to us or
// iconv cannot convert that code page.
int CodePageFromHeader(std::string_view name);

}  // namespace wb::dxf
