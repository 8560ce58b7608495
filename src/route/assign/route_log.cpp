#include "route/assign/route_log.h"

#include <ctime>

#include "drawing/drawing_element_source.h"
#include "drawing/tagged_entities.h"
#include "platform/arxutil/drawing/arxutil_drawing.h"
#include "platform/editor/document.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"
#include "project/text_file.h"
#include "route/search/route_constants.h"
#include "settings/cable_setting.h"

namespace {

// The log's file settings: ANSI with escapes, through a text-mode stream.
constexpr wb::fs::TextOptions kLogText{wb::fs::kAnsi, true, true};
constexpr unsigned kReadFlags = CFile::typeText | CFile::shareDenyNone | CFile::modeRead;
constexpr unsigned kWriteFlags =
    CFile::typeText | CFile::modeCreate | CFile::shareDenyNone | CFile::modeWrite;

// One line and its LF as WriteString writes them: up to a NUL, which thus
// also swallows the LF.
void EncodeLine(const CString& line, std::string& out) {
  const CString text = line + u"\n";
  wb::fs::EncodeText(wb::WStringView(text.c_str()), kLogText, out);
}

std::string Encode(const CStringArray& lines) {
  std::string bytes;
  for (const CString& line : lines) EncodeLine(line, bytes);
  return bytes;
}

CStringArray Decode(const std::string& bytes) {
  CStringArray lines;
  wb::fs::CharReader reader(bytes, kLogText);
  CString line;
  while (reader.ReadLine(line)) lines.push_back(line);
  return lines;
}

bool IsHex(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

}  // namespace

CStringArray RouteLogEntry(AcDbObjectId from, AcDbObjectId to, const AcDbObjectIdArray& route,
                           uint32_t searchMs, uint32_t cumulativeMs) {
  CString stamp;
  {
    char buffer[64];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) &&
        std::strftime(buffer, sizeof buffer, "%Y/%m/%d %H:%M:%S  ", &local) > 0)
      stamp = wb::Utf8ToUtf16(buffer);
  }
  CStringArray lines;
  lines.push_back(u"***** " + stamp + WorkingDatabaseFileName() + u"  ");
  lines.push_back(u"From機器：" + CAttributeData::GetValueAttID(from, cablekey::kMark) + u"  " +
                  u"To機器：" + CAttributeData::GetValueAttID(to, cablekey::kMark) + u"  " +
                  wb::Format(u"%5.1f分  %8.1f秒", searchMs / 60000.0, searchMs / 1000.0) + u"  " +
                  wb::Format(u"累積:%5.1f分", cumulativeMs / 60000.0) + u"  " +
                  wb::Format(u"関数呼び出し回数：%d回", RouteSearchCallCount));
  double sum = 0;
  for (size_t i = 0; i < route.size(); ++i) {
    int rootKind = -1;
    RootComn_GetBlockRootKind(route[i], rootKind);
    const double length = GetElementLength(route, route[i], static_cast<int>(i));
    sum += length;
    CString text = wb::Format(u"No.%02d ", static_cast<int>(i)) +
                   ElementLabel(ClassifyBlockID(route[i]), rootKind) +
                   wb::Format(u"%6.0lf / %6.0lf ", length, sum);
    AcGePoint3dArray points;
    QzComn_GetConnectPoint(route[i], points, QZCONECT_LAYER, nullptr);
    for (size_t j = 0; j < points.size() && j < 3; ++j)
      text += wb::Format(u"【%02d】(%5.0lf, %5.0lf) ", static_cast<int>(j), points[j].x, points[j].y);
    lines.push_back(std::move(text));
  }
  return lines;
}

RouteLog::RouteLog(CString path) : path_(std::move(path)), unitStable_(0x10000, -1) {}

void RouteLog::Add(const CStringArray& entry) {
  CStringArray lines = entry;
  lines.push_back(u"");  // the empty line below every entry
  Entry e{Encode(lines), {}};
  for (const CString& line : lines)
    if (!Stable(line)) {
      e.lines = std::move(lines);
      break;
    }
  entries_.push_back(std::move(e));
}

// A line that reads back as itself, so that no number of round trips
// changes it: no NUL, no backslash that starts an escape, and only
// characters that the code page gives back as they were.
bool RouteLog::Stable(const CString& line) {
  for (size_t i = 0; i < line.size(); ++i) {
    const char16_t c = line[i];
    if (c == 0) return false;
    if (c == u'\\') {
      if (i + 6 < line.size() && (line[i + 1] == u'U' || line[i + 1] == u'u') &&
          line[i + 2] == u'+' && IsHex(line[i + 3]) && IsHex(line[i + 4]) && IsHex(line[i + 5]) &&
          IsHex(line[i + 6]))
        return false;
      continue;
    }
    if (c < 0x80) continue;
    int8_t& known = unitStable_[c];
    if (known < 0) {
      std::string bytes;
      wb::fs::EncodeText(wb::WStringView(&c, 1), kLogText, bytes);
      wb::fs::CharReader reader(bytes, kLogText);
      char16_t back = 0, more = 0;
      known = reader.Next(back) && back == c && !reader.Next(more) ? 1 : 0;
    }
    if (!known) return false;
  }
  return true;
}

// The bytes that `lines`, as written, stand for after `passes` more round
// trips. A round trip can merge lines (a NUL swallows the LF), so each pass
// reads back the whole piece.
std::string RouteLog::Settle(CStringArray lines, size_t passes) {
  std::string bytes = Encode(lines);
  for (; passes > 0; --passes) {
    bool stable = true;
    for (const CString& line : lines)
      if (!(stable = Stable(line))) break;
    if (stable) break;
    CStringArray next = Decode(bytes);
    if (next == lines) break;
    lines = std::move(next);
    bytes = Encode(lines);
  }
  return bytes;
}

bool RouteLog::Write() {
  if (entries_.empty()) return true;
  CStringArray older;
  {
    AcCStdioFile in;
    in.encoding = 1;
    in.escapeUnmappable = true;
    if (in.Open(path_, kReadFlags)) {
      CString line;
      while (in.ReadString(line)) older.push_back(line);
      in.Close();
    }
  }
  AcCStdioFile out;
  out.encoding = 1;
  out.escapeUnmappable = true;
  if (!out.Open(path_, kWriteFlags)) return false;
  // Entry k of n was read back and written again by each of the n - 1 - k
  // entries after it; the older lines by all n, the first time as read.
  const size_t n = entries_.size();
  for (size_t k = n; k-- > 0;) {
    Entry& e = entries_[k];
    if (e.lines.empty() || k + 1 == n) {
      out.Write(e.bytes);
    } else {
      out.Write(Settle(std::move(e.lines), n - 1 - k));
    }
    e = Entry{};
  }
  out.Write(Settle(std::move(older), n - 1));
  entries_.clear();
  return out.Close();
}

void WriteRouteLog(AcDbObjectId from, AcDbObjectId to, AcDbObjectIdArray route, uint32_t searchMs,
                   uint32_t cumulativeMs) {
  if (!g_cableSetting.outLog) return;
  RouteLog log(g_cableSetting.projectRoot + u"log.csv");
  log.Add(RouteLogEntry(from, to, route, searchMs, cumulativeMs));
  log.Write();
}
