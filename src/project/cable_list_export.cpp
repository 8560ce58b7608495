#include "project/cable_list_export.h"

#include <algorithm>
#include <vector>

#include "platform/fs/file_system.h"
#include "platform/fs/text_codec.h"
#include "project/cable_list.h"
#include "settings/cable_setting.h"

namespace {

// One line of the source: its text as the module reads it (ANSI code page,
// escapes decoded), the bytes of that text as they stand in the file, where
// in them each unit of the text begins (and one entry more), and the bytes
// that end the line in the output.
struct SourceLine {
  CString text;
  std::string raw;
  std::vector<size_t> at;
  std::string end;
};

// Splits as a text-mode file in the ANSI code page reads: CR LF is one line
// end, a lone CR stays in its line.
std::vector<SourceLine> ReadSourceLines(const std::string& bytes) {
  wb::fs::CharReader reader(bytes, {wb::fs::kAnsi, true, true});
  std::vector<SourceLine> lines;
  SourceLine line;
  size_t start = 0;
  for (;;) {
    const size_t at = reader.position();
    char16_t c;
    const bool more = reader.Next(c);
    line.at.push_back(at - start);
    if (more && c != u'\n') {
      line.text.push_back(c);
      continue;
    }
    if (!more && reader.position() == start) break;
    const size_t end = reader.position();
    line.raw = bytes.substr(start, at - start);
    // A line end becomes CR LF; an escaped LF, which ends a line as well,
    // stays as it was, and a character cut off by the end of the file too.
    const std::string ending = bytes.substr(at, end - at);
    line.end = !more ? ending + "\r\n" : ending == "\n" || ending == "\r\n" ? "\r\n" : ending;
    lines.push_back(std::move(line));
    line = SourceLine();
    start = end;
    if (!more) break;
  }
  return lines;
}

// Fields are split on the text, as the import splits them (an escaped comma
// separates too), but the line is rebuilt from its bytes: only the bytes of
// the replaced field change, every other field keeps its own.
std::string PlaceLength(const SourceLine& line, int distColumn, double length) {
  const std::string value = wb::Utf16ToUtf8(wb::Format(u"%.1lf", length));
  const CString& text = line.text;
  const size_t n = text.size();
  auto before = [&](size_t unit) { return line.raw.substr(0, line.at[unit]); };
  const int d = distColumn - 1;
  const int commas = static_cast<int>(std::count(text.begin(), text.end(), u','));
  if (d >= 0 && commas >= d) {
    size_t first = 0;
    for (int k = 0; k < d; ++k) first = text.find(u',', first) + 1;
    return before(first) + value + line.raw.substr(line.at[std::min(text.find(u',', first), n)]);
  }
  if (commas == 0) return line.raw;
  size_t kept = n;
  if (text.back() != u',') {
    const size_t last = text.rfind(u',');
    if (CountDecimals(text.substr(last + 1)) == 1) kept = last;  // an earlier export's length
  }
  return before(kept) + "," + value;
}

}  // namespace

int ExportCableList(const CableSetting& setting, const CString& plant, const CString& facility,
                    const CableList& list, std::string* detail) {
  auto fail = [&](int message, const std::string& why) {
    if (detail) *detail = why;
    return message;
  };
  const CString folder =
      setting.projectRoot + plant + kPathSeparator + facility + kPathSeparator;
  if (!wb::fs::DirectoryExists(folder))
    return fail(138, wb::fs::ToNative(folder) + ": no such folder");
  const CString outPath = folder + setting.outCableListName;

  // The source is read completely first, so the output may be the source.
  if (list.sourcePath.empty()) return fail(137, "no cable list loaded");
  std::string error;
  const auto bytes = wb::fs::ReadFile(wb::fs::ToNative(list.sourcePath), &error);
  if (!bytes) return fail(137, error);
  const std::vector<SourceLine> lines = ReadSourceLines(*bytes);

  CableList project;
  project.plant = plant;
  project.facility = facility;
  const int distColumn = ReadLengthColumn(project, setting);

  std::string out;
  out.reserve(bytes->size() + lines.size() * 8);
  size_t r = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const CString& text = lines[i].text;
    const bool cableLine = !text.empty() && static_cast<int>(i + 1) >= list.startRow &&
                           text[0] != u'#' && text[0] != u'\uFF03' && r < list.rows.size();
    if (cableLine && list.rows[r].hasLength)
      out += PlaceLength(lines[i], distColumn, list.rows[r].length);
    else
      out += lines[i].raw;
    if (cableLine) ++r;
    out += lines[i].end;
  }
  // Nothing reaches the output path unless the whole file was written; a
  // read-only output is refused there, not replaced.
  if (!wb::fs::WriteFileAtomically(wb::fs::ToNative(outPath), out, &error)) return fail(139, error);
  return 141;
}
