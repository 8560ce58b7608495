// Windows profile (INI) files with the semantics the module relies on:
// sections and keys compared without regard to case, values trimmed and
// unquoted, writes that keep every other line as it was, byte for byte.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/text/ustring.h"

namespace wb::profile {

// A file without a byte-order mark is in the system ANSI code page; one
// with a UTF-8 or UTF-16LE mark keeps that encoding when written.
enum class Encoding { kAnsi, kUtf8Bom, kUtf16LeBom };

class ProfileFile {
 public:
  static ProfileFile Parse(std::string_view bytes);
  std::string Serialize() const;

  std::optional<WString> Get(WStringView section, WStringView key) const;
  // Replaces the value of the first entry of the key in place, else adds
  // the key after the section's last entry, else adds the section at the
  // end. Line breaks in the value are written as blanks.
  void Set(WStringView section, WStringView key, WStringView value);
  void RemoveKey(WStringView section, WStringView key);
  // Key names of a section as spelt in the file, in file order.
  std::vector<WString> Keys(WStringView section) const;

  Encoding encoding() const { return encoding_; }

 private:
  struct Line {
    std::string raw;  // bytes of the line in the file's encoding, without its end
    std::string eol;  // the line end as found ("" for a last line without one)
    WString text;     // decoded, without a trailing CR
    WString section;  // folded name of the section the line belongs to
    bool isHeader = false;
    bool isEntry = false;
  };
  Line MakeLine(WString text) const;
  void EndLine(Line& line) const;
  void DropStrayByte(Line& line) const;
  void Reindex();
  int FindKey(WStringView section, WStringView key) const;

  std::vector<Line> lines_;
  Encoding encoding_ = Encoding::kAnsi;
  std::string bom_;
  std::string newline_;  // encoded line end used for new lines
  // folded section + U+0001 + folded key -> first entry line
  std::unordered_map<WString, int> index_;
};

// GetPrivateProfileStringW: the value, or `fallback` when the file, the
// section or the key is missing. Parsed files are kept while the file on
// disk stays the same (device, inode, size and times).
WString GetString(const WString& file, const WString& section, const WString& key,
                  const WString& fallback = {});
// WritePrivateProfileStringW: creates the file, section or key as needed; a
// null value removes the key. The new file goes in place through a
// temporary file. False when the file cannot be read or written; `error`
// then says why.
bool WriteString(const WString& file, const WString& section, const WString& key,
                 const WString* value, std::string* error = nullptr);

// Drops every cached file (tests).
void ClearCache();

}  // namespace wb::profile

// The platform call the module writes definition files with.
bool WritePrivateProfileStringW(const wb::WString& section, const wb::WString& key,
                                const wb::WString& value, const wb::WString& file);
