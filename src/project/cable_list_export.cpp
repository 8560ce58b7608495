#include "project/cable_list_export.h"

#include <algorithm>

#include "platform/fs/file_system.h"
#include "platform/fs/text_codec.h"
#include "platform/qzcomn/config/qzcomn_config.h"
#include "project/cable_list.h"
#include "project/text_file.h"
#include "settings/cable_setting.h"

namespace {

// One line of the source: its text as the module reads it (ANSI code page,
// escapes decoded) and its bytes as they stand in the file, line end aside.
struct SourceLine {
  CString text;
  std::string raw;
};

CString Widen(const std::string& bytes) {
  CString out;
  for (unsigned char b : bytes) out.push_back(b);
  return out;
}

std::vector<std::string> SplitBytes(const std::string& line) {
  std::vector<std::string> fields(1);
  for (char c : line) {
    if (c == ',')
      fields.emplace_back();
    else
      fields.back().push_back(c);
  }
  return fields;
}

// Works on the file's bytes rather than on decoded text, so every field the
// length does not replace keeps its bytes. A comma is never the second byte
// of a double-byte character, so splitting bytes splits the same fields.
std::string PlaceLengthBytes(const std::string& line, int distColumn, double length) {
  const std::string text = wb::Utf16ToUtf8(wb::Format(u"%.1lf", length));
  const int d = distColumn - 1;
  const int commas = static_cast<int>(std::count(line.begin(), line.end(), ','));
  if (d >= 0 && commas >= d) {
    std::vector<std::string> fields = SplitBytes(line);
    if (d >= static_cast<int>(fields.size())) return line;
    fields[d] = text;
    std::string joined;
    for (size_t i = 0; i < fields.size(); ++i) joined += (i ? "," : "") + fields[i];
    return joined;
  }
  if (commas == 0) return line;
  if (line.back() == ',') return line + "," + text;
  std::string kept = line;
  const size_t last = kept.rfind(',');
  if (CountDecimals(Widen(kept.substr(last + 1))) == 1) kept.erase(last);
  return kept + "," + text;
}

}  // namespace

CString PlaceLength(const CString& line, int distColumn, double length) {
  const CString text = wb::Format(u"%.1lf", length);
  const int d = distColumn - 1;
  const int commas = static_cast<int>(std::count(line.begin(), line.end(), u','));
  if (d >= 0 && commas >= d) {
    CStringArray fields;
    QzComn_GetSplitString(line, fields, nullptr, u",");
    if (d >= static_cast<int>(fields.size())) return line;
    fields[d] = text;
    return wb::Join(fields, u",");
  }
  if (commas == 0) return line;
  if (line.back() == u',') return line + u"," + text;
  CString kept = line;
  const size_t last = kept.rfind(u',');
  if (CountDecimals(kept.substr(last + 1)) == 1) kept.erase(last);
  return kept + u"," + text;
}

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
  // Split as a text-mode file in the ANSI code page reads: CR LF is one
  // line end, a lone CR stays in its line.
  std::vector<SourceLine> lines;
  {
    wb::fs::CharReader reader(*bytes, {wb::fs::kAnsi, true, true});
    size_t start = 0;
    SourceLine line;
    while (reader.ReadLine(line.text)) {
      const size_t end = reader.position();
      line.raw = bytes->substr(start, end - start);
      if (!line.raw.empty() && line.raw.back() == '\n') {
        line.raw.pop_back();
        if (!line.raw.empty() && line.raw.back() == '\r') line.raw.pop_back();
      }
      start = end;
      lines.push_back(std::move(line));
      line = SourceLine();
    }
  }

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
      out += PlaceLengthBytes(lines[i].raw, distColumn, list.rows[r].length);
    else
      out += lines[i].raw;
    if (cableLine) ++r;
    out += "\r\n";
  }
  // Nothing reaches the output path unless the whole file was written; a
  // read-only output is refused there, not replaced.
  if (!wb::fs::WriteFileAtomically(wb::fs::ToNative(outPath), out, &error)) return fail(139, error);
  return 141;
}
