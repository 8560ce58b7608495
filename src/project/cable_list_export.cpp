#include "project/cable_list_export.h"

#include <algorithm>

#include "platform/fs/file_system.h"
#include "platform/qzcomn/config/qzcomn_config.h"
#include "project/cable_list.h"
#include "project/text_file.h"
#include "settings/cable_setting.h"

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
  CStringArray lines;
  {
    AcCStdioFile in;
    in.encoding = 1;
    in.escapeUnmappable = true;
    if (list.sourcePath.empty()) return fail(137, "no cable list loaded");
    if (!in.Open(list.sourcePath, CFile::modeRead | CFile::shareDenyNone | CFile::typeText))
      return fail(137, in.error());
    CString line;
    while (in.ReadString(line)) lines.push_back(line);
    in.Close();
  }

  CableList project;
  project.plant = plant;
  project.facility = facility;
  const int distColumn = ReadLengthColumn(project, setting);

  AcCStdioFile out;
  out.encoding = 1;
  out.escapeUnmappable = true;
  if (!out.Open(outPath,
                CFile::modeCreate | CFile::modeWrite | CFile::shareDenyNone | CFile::typeText))
    return fail(139, out.error());
  size_t r = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    CString line = lines[i];
    const bool cableLine = !line.empty() && static_cast<int>(i + 1) >= list.startRow &&
                           line[0] != u'#' && line[0] != u'\uFF03' && r < list.rows.size();
    if (cableLine) {
      const CableRow& row = list.rows[r++];
      if (row.hasLength) line = PlaceLength(line, distColumn, row.length);
    }
    out.WriteString((line + u"\n").c_str());
  }
  // Nothing reaches the output path before this succeeds.
  if (!out.Close()) return fail(139, out.error());
  return 141;
}
