#include "route/assign/route_log.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <optional>

#include "drawing/drawing_element_source.h"
#include "drawing/tagged_entities.h"
#include "platform/arxutil/drawing/arxutil_drawing.h"
#include "platform/editor/document.h"
#include "platform/fs/file_system.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"
#include "platform/text/codepage.h"
#include "project/text_file.h"
#include "route/search/route_constants.h"
#include "settings/cable_setting.h"

namespace {

// The log's file settings: ANSI with escapes, through a text-mode stream.
constexpr wb::fs::TextOptions kLogText{wb::fs::kAnsi, true, true};

// One line and its LF as WriteString writes them: up to a NUL, which thus
// also swallows the LF.
void EncodeLine(const CString& line, std::string& out) {
  const size_t nul = line.find(u'\0');
  wb::fs::EncodeText(wb::WStringView(line).substr(0, nul), kLogText, out);
  if (nul == CString::npos) out += "\r\n";
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

// "%6.0f": lengths are mostly whole numbers, which need no rounding and
// no printf.
void AppendLength(double x, std::string& out) {
  if (x > -1e15 && x < 1e15 && x == std::trunc(x) && !(x == 0 && std::signbit(x))) {
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(x)).ptr;
    const size_t width = static_cast<size_t>(end - digits);
    if (width < 6) out.append(6 - width, ' ');
    out.append(digits, width);
    return;
  }
  char text[400];
  out.append(text, std::snprintf(text, sizeof text, "%6.0f", x));
}

bool IsHex(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

}  // namespace

const RouteLog::Lines::Element& RouteLog::Lines::ElementOf(const AcDbObjectIdArray& route,
                                                           int index, const RouteFinder* finder,
                                                           int node) {
  const AcDbObjectId id = route[index];
  if (finder && byNode_.empty()) byNode_.resize(finder->size());
  Element& e = finder ? byNode_[node] : byHandle_[id.handle];
  if (e.made) return e;
  e.made = true;
  int rootKind = -1;
  AcGePoint3dArray points;
  if (finder) {
    rootKind = finder->RootKindAt(node);
    e.label = ElementLabel(finder->BlockClassAt(node), rootKind);
    points = finder->ConnectPointsAt(node);
  } else {
    RootComn_GetBlockRootKind(id, rootKind);
    e.label = ElementLabel(ClassifyBlockID(id), rootKind);
    QzComn_GetConnectPoint(id, points, QZCONECT_LAYER, nullptr);
  }
  for (size_t j = 0; j < points.size() && j < 3; ++j) {
    // "【%02d】(%5.0lf, %5.0lf) "
    char xy[800];
    const int n = std::snprintf(xy, sizeof xy, "%5.0f, %5.0f", points[j].x, points[j].y);
    e.points += u"【0";
    e.points += static_cast<char16_t>(u'0' + j);
    e.points += u"】(";
    e.points.append(xy, xy + n);
    e.points += u") ";
  }
  // Only equipment adds the level step to its neighbour on the route.
  e.fixedLength = rootKind != ROOTKIND_EQUIPMENT;
  if (e.fixedLength)
    e.length = finder ? finder->GetElementLength(route, id, index) : GetElementLength(route, id, index);
  // No backslash at all, so that none can begin an escape with the text
  // around it.
  e.stable = Stable(e.label) && Stable(e.points) && e.label.find(u'\\') == CString::npos &&
             e.points.find(u'\\') == CString::npos;
  wb::fs::EncodeText(e.label, kLogText, e.labelBytes);
  wb::fs::EncodeText(e.points, kLogText, e.pointsBytes);
  return e;
}

double RouteLog::Lines::LengthOf(const Element& e, const AcDbObjectIdArray& route, int index,
                                 const RouteFinder* finder) const {
  if (e.fixedLength) return e.length;
  return finder ? finder->GetElementLength(route, route[index], index)
                : GetElementLength(route, route[index], index);
}

RouteLog::Body RouteLog::Lines::Make(const AcDbObjectIdArray& route, const std::vector<int>* nodes,
                                     const RouteFinder* finder) {
  Body body;
  for (size_t i = 0; i < route.size(); ++i) {
    Prefetch(nodes, i);
    body.stable = ElementOf(route, static_cast<int>(i), finder, nodes ? (*nodes)[i] : -1).stable && body.stable;
  }
  if (body.stable) {
    if (finder && nodes) {
      body.maker = this;
      body.finder = finder;
      body.nodes = *nodes;
    } else {
      AppendBytes(route, nodes, finder, body.bytes);
    }
    return body;
  }
  double sum = 0;
  for (size_t i = 0; i < route.size(); ++i) {
    const int index = static_cast<int>(i);
    const Element& e = ElementOf(route, index, finder, nodes ? (*nodes)[i] : -1);
    const double length = LengthOf(e, route, index, finder);
    sum += length;
    body.lines.push_back(wb::Format(u"No.%02d ", index) + e.label +
                         wb::Format(u"%6.0lf / %6.0lf ", length, sum) + e.points);
  }
  return body;
}

void RouteLog::Lines::AppendBytes(const Body& body, std::string& out) {
  AcDbObjectIdArray route;
  route.reserve(body.nodes.size());
  for (int node : body.nodes) route.push_back(body.finder->IdAt(node));
  AppendBytes(route, &body.nodes, body.finder, out);
}

// The element lines are plain ASCII around the element's own texts: put
// together in bytes at once.
void RouteLog::Lines::AppendBytes(const AcDbObjectIdArray& route, const std::vector<int>* nodes,
                                  const RouteFinder* finder, std::string& bytes) {
  double sum = 0;
  for (size_t i = 0; i < route.size(); ++i) {
    Prefetch(nodes, i);
    const Element& e = ElementOf(route, static_cast<int>(i), finder, nodes ? (*nodes)[i] : -1);
    const double length = LengthOf(e, route, static_cast<int>(i), finder);
    sum += length;
    char number[16];
    const char* end = std::to_chars(number, number + sizeof number, i).ptr;
    bytes += "No.";
    if (i < 10) bytes += '0';
    bytes.append(number, static_cast<size_t>(end - number));
    bytes += ' ';
    bytes += e.labelBytes;
    AppendLength(length, bytes);
    bytes += " / ";
    AppendLength(sum, bytes);
    bytes += ' ';
    bytes += e.pointsBytes;
    bytes += "\r\n";
  }
  bytes += "\r\n";  // the empty line below every entry
}

void RouteLog::Add(AcDbObjectId from, AcDbObjectId to, const AcDbObjectIdArray& route,
                   uint32_t searchMs, uint32_t cumulativeMs) {
  Add(from, to, own_.Make(route, nullptr, nullptr), searchMs, cumulativeMs);
}

void RouteLog::Add(AcDbObjectId from, AcDbObjectId to, Body body, uint32_t searchMs,
                   uint32_t cumulativeMs) {
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
  const bool stable = own_.Stable(lines[0]) && own_.Stable(lines[1]);
  if (stable && body.stable) {
    std::string bytes;
    EncodeLine(lines[0], bytes);
    EncodeLine(lines[1], bytes);
    entries_.push_back(Entry{std::move(bytes), {}, std::move(body)});
    return;
  }
  if (body.stable) {
    // The body's own maker may be busy on a worker: this thread's makes it.
    if (body.maker) own_.AppendBytes(body, body.bytes);
    // Lines that read back as themselves: the bytes give them again, and
    // the empty line below is added again with the entry.
    body.lines = Decode(body.bytes);
    body.lines.pop_back();
  }
  for (CString& line : body.lines) lines.push_back(std::move(line));
  Add(lines);
}

RouteLog::RouteLog(CString path) : path_(std::move(path)) {}

void RouteLog::Add(const CStringArray& entry) {
  CStringArray lines = entry;
  lines.push_back(u"");  // the empty line below every entry
  Entry e{Encode(lines), {}, {}};
  for (const CString& line : lines)
    if (!own_.Stable(line)) {
      e.lines = std::move(lines);
      break;
    }
  entries_.push_back(std::move(e));
}

// No NUL, no backslash that starts an escape, and only characters that the
// code page gives back as they were.
bool RouteLog::Lines::Stable(const CString& line) {
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

// The same for a file as it lies: lines that end in CR LF, no NUL, and
// only characters that read back and are written again as the same bytes,
// escapes included. Most logs are, having been written so.
bool RouteLog::Stable(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == 0 || c == '\n') return false;  // a lone LF comes back as CR LF
    if (c == '\r') {
      i += i + 1 < bytes.size() && bytes[i + 1] == '\n' ? 2 : 1;
      continue;
    }
    if (c == '\\') {
      // An escape reads back as its character, written as it was only
      // when the code page lacks it and the digits are upper case.
      const std::string_view rest = bytes.substr(i);
      if (rest.size() >= 7 && (rest[1] == 'U' || rest[1] == 'u') && rest[2] == '+' &&
          std::all_of(rest.begin() + 3, rest.begin() + 7, [](char h) { return IsHex(h); })) {
        const auto unit = static_cast<char16_t>(std::stoi(std::string(rest.substr(3, 4)), nullptr, 16));
        std::string back;
        wb::fs::EncodeText(wb::WStringView(&unit, 1), kLogText, back);
        if (back != rest.substr(0, 7)) return false;
        i += 7;
      } else {
        ++i;
      }
      continue;
    }
    if (c < 0x80) {
      ++i;
      continue;
    }
    const size_t length = wb::codepage::IsLeadByte(c) ? 2 : 1;
    if (i + length > bytes.size()) return false;
    const auto unit = wb::codepage::DecodeChar(bytes.substr(i, length));
    if (!unit) return false;
    const auto back = wb::codepage::EncodeUnit(*unit);
    if (!back || *back != bytes.substr(i, length)) return false;
    i += length;
  }
  return bytes.empty() || bytes.ends_with("\r\n");
}

// The bytes that `lines`, as written, stand for after `passes` more round
// trips. A round trip can merge lines (a NUL swallows the LF), so each pass
// reads back the whole piece.
std::string RouteLog::Settle(CStringArray lines, size_t passes) {
  std::string bytes = Encode(lines);
  for (; passes > 0; --passes) {
    bool stable = true;
    for (const CString& line : lines)
      if (!(stable = own_.Stable(line))) break;
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
  // The older lines, read as the text file reads them.
  const std::optional<std::string> older = wb::fs::ReadFile(wb::fs::ToNative(path_));
  // Entry k of n was read back and written again by each of the n - 1 - k
  // entries after it; the older lines by all n, the first time as read.
  // The entries go to the file one by one, each let go once written, so
  // that a long command's log is never held twice.
  const size_t n = entries_.size();
  const bool written = wb::fs::WriteFileAtomically(
      wb::fs::ToNative(path_), [&](const wb::fs::ContentWriter& write) {
        // Entries go out a megabyte at a time: a write each was some
        // 20,000 system calls for 10,000 rows.
        constexpr size_t kPiece = size_t{1} << 20;
        std::string piece;
        for (size_t k = n; k-- > 0;) {
          Entry e = std::move(entries_[k]);
          if (e.lines.empty() || k + 1 == n) {
            piece += e.bytes;
            if (e.body.maker) e.body.maker->AppendBytes(e.body, piece);
            else piece += e.body.bytes;
          } else {
            piece += Settle(std::move(e.lines), n - 1 - k);
          }
          if (piece.size() >= kPiece) {
            if (!write(piece)) return false;
            piece.clear();
          }
        }
        return write(piece) && (!older || write(Stable(*older) ? *older : Settle(Decode(*older), n - 1)));
      });
  entries_.clear();
  return written;
}

void WriteRouteLog(AcDbObjectId from, AcDbObjectId to, AcDbObjectIdArray route, uint32_t searchMs,
                   uint32_t cumulativeMs) {
  if (!g_cableSetting.outLog) return;
  RouteLog log(g_cableSetting.projectRoot + u"log.csv");
  log.Add(from, to, route, searchMs, cumulativeMs);
  log.Write();
}
