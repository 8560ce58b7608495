#include "project/cable_list.h"

#include <algorithm>

#include "platform/arxutil/convert.h"
#include "platform/fs/file_system.h"
#include "platform/fs/text_codec.h"
#include "platform/text/codepage.h"
#include "platform/qzcomn/config/qzcomn_config.h"
#include "settings/cable_setting.h"

namespace {

const CString kDitto = u"\u3003";

// Column of a single-column key, 0-based; negative when not configured.
int Column(const CString& path, const char16_t* key) {
  return ColumnNumber(QzComn_GetEnv(path, u"WireBinder", key)) - 1;
}

// 1-based number of the first line from `firstLine` on that is not a
// comment and holds bytes the ANSI code page cannot read; 0 when there is
// none.
int FirstUndecodableLine(const CString& path, int firstLine) {
  const auto bytes = wb::fs::ReadFile(wb::fs::ToNative(path));
  if (!bytes) return 0;
  wb::fs::CharReader reader(*bytes, {wb::fs::kAnsi, true, true, true});
  CString line;
  for (int number = 1; reader.ReadLine(line); ++number)
    if (number >= firstLine && reader.damaged() && !IsCommentField(line)) return number;
  return 0;
}

}  // namespace

void CableList::Clear() {
  plant.clear();
  facility.clear();
  rows.clear();
  startRow = 1;
}

bool IsCommentField(const CString& field) {
  return !field.empty() && (field[0] == u'#' || field[0] == u'\uFF03');
}

int CountDecimals(const CString& text) {
  if (text.size() < 3) return 0;
  size_t dots = 0;
  for (char16_t c : text) {
    if (c == u'.')
      ++dots;
    else if (c < u'0' || c > u'9')
      return 0;
  }
  if (dots != 1) return 0;
  return static_cast<int>(text.size() - text.find(u'.') - 1);
}

int CableList::Import(CString* problem) {
  CString path;
  if (!FindDefinitionFile(*this, path)) return -1;
  const int no = Column(path, u"NO"), fromMarkCol = Column(path, u"FROM_MARK"),
            fromNameCol = Column(path, u"FROM_NAME"), toMarkCol = Column(path, u"TO_MARK"),
            toNameCol = Column(path, u"TO_NAME"), fromNoCol = Column(path, u"FROM_NO"),
            toNoCol = Column(path, u"TO_NO");
  CStringArray sizeParts;
  QzComn_GetSplitString(QzComn_GetEnv(path, u"WireBinder", u"SIZE"), sizeParts, nullptr, u",");
  std::vector<int> sizeCols;
  for (const auto& part : sizeParts) sizeCols.push_back(ColumnNumber(part) - 1);
  // An empty SIZE value is no size column at all; a bad entry in a list is
  // a broken definition file.
  if (sizeCols.size() == 1 && sizeParts[0].empty()) sizeCols.clear();
  if (no < 0 || fromMarkCol < 0 || toMarkCol < 0) return -2;
  for (int col : sizeCols)
    if (col < 0) return -2;

  int highest = std::max({no, fromMarkCol, fromNameCol, toMarkCol, toNameCol, fromNoCol, toNoCol});
  for (int col : sizeCols) highest = std::max(highest, col);

  rows.clear();
  std::vector<CStringArray> lines;
  std::string unread;
  if (QzComn_ReadConfigFile(sourcePath, lines, startRow - 1, nullptr, u",", 0, &unread) < 0 &&
      problem)
    *problem = wb::Utf8ToUtf16(unread);  // names the file: a FIFO, a folder, ...
  // Bytes of another encoding can swallow a separator and shift every
  // column after it; such a list is refused rather than half understood.
  // Each such byte reads as U+FFFD, so only a list that holds one is read
  // again to tell damage from the escape of U+FFFD; a comment gives no row,
  // so what it holds does not matter.
  const bool suspect = std::any_of(lines.begin(), lines.end(), [](const CStringArray& fields) {
    return std::any_of(fields.begin(), fields.end(),
                       [](const CString& f) { return f.find(u'\uFFFD') != CString::npos; });
  });
  if (const int damaged = suspect ? FirstUndecodableLine(sourcePath, startRow) : 0) {
    if (problem) {
      *problem = sourcePath + wb::Format(u":%d: ", damaged) +
                 wb::Format(u"not text in code page %d", wb::codepage::AnsiCodePage());
    }
    QzComn_RemoveAllFree(lines);
    return -3;
  }

  // A line above that is too short to have the column (a short comment, a
  // stray note) is passed over, so it does not break a run of ditto marks.
  auto ditto = [&](size_t line, int col) -> CString {
    for (size_t i = line; i-- > 0;) {
      if (col >= static_cast<int>(lines[i].size())) continue;
      if (lines[i][col] != kDitto) return lines[i][col];
    }
    return CString();
  };
  auto field = [&](size_t line, int col) -> CString {
    if (col < 0) return CString();
    const CString& value = lines[line][col];
    return value == kDitto ? ditto(line, col) : value;
  };

  for (size_t i = 0; i < lines.size(); ++i) {
    const CStringArray& fields = lines[i];
    CableRow row;
    // Comments are recognised whatever the line's length, so the rows stay
    // paired with the lines the export counts.
    if (!fields.empty() && IsCommentField(fields[0])) continue;
    if (static_cast<int>(fields.size()) > highest) {
      row.number = field(i, no);
      row.fromMark = field(i, fromMarkCol);
      row.fromName = field(i, fromNameCol);
      row.toMark = field(i, toMarkCol);
      row.toName = field(i, toNameCol);
      row.fromSubNo = field(i, fromNoCol);
      row.toSubNo = field(i, toNoCol);
      for (size_t k = 0; k < sizeCols.size(); ++k) {
        CString value = field(i, sizeCols[k]);
        if (sizeCols.size() >= 2 && k == sizeCols.size() - 2) value += u"-";
        row.size += value;
      }
    }
    if (!fields.empty() && CountDecimals(fields.back()) == 1) {
      row.hasLength = true;
      row.length = ApiComn_atof(fields.back());
    }
    rows.push_back(std::move(row));
  }
  QzComn_RemoveAllFree(lines);
  return rows.empty() ? -3 : 0;
}
