#include "platform/arxutil/drawing/arxutil_drawing.h"

#include <algorithm>
#include <cmath>

#include "platform/editor/document.h"
#include "platform/editor/drag_entity.h"
#include "platform/editor/font_metrics.h"
#include "platform/host/worker_threads.h"

namespace wb::arxutil {

std::vector<std::string> SplitForGroups(const std::string& utf8, size_t limit,
                                        const std::function<size_t(std::string_view)>& size) {
  std::vector<std::string> pieces;
  size_t pieceStart = 0, used = 0;
  for (size_t start = 0; start < utf8.size();) {
    // Entries are mostly ASCII: a run of it is taken as far as it fits.
    if (static_cast<unsigned char>(utf8[start]) < 0x80 && used < limit) {
      const size_t stop = std::min(utf8.size(), start + (limit - used));
      size_t end = start + 1;
      while (end < stop && static_cast<unsigned char>(utf8[end]) < 0x80) ++end;
      used += end - start;
      start = end;
      continue;
    }
    // One character: a lead byte and its continuation bytes (10xxxxxx).
    size_t end = start + 1;
    while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) ++end;
    // Every code page keeps ASCII as it is, one byte a character.
    const size_t bytes = end == start + 1 && static_cast<unsigned char>(utf8[start]) < 0x80
                             ? 1
                             : size(std::string_view(utf8.data() + start, end - start));
    if (start > pieceStart && used + bytes > limit) {
      pieces.emplace_back(utf8, pieceStart, start - pieceStart);
      pieceStart = start;
      used = 0;
    }
    used += bytes;
    start = end;
  }
  if (utf8.size() > pieceStart) pieces.emplace_back(utf8, pieceStart, utf8.size() - pieceStart);
  return pieces;
}

}  // namespace wb::arxutil

namespace {

bool IsBrace(const wb::db::Tag& tag) { return tag.code == 1002 && (tag.value == "{" || tag.value == "}"); }

}  // namespace

int ApiComn_extractAttributesArrayID(AcDbObjectId id, const wb::WString& app, CStringArray& list,
                                     int) {
  list.clear();
  auto* database = wb::editor::ActiveDatabase();
  if (!database || !database->IsAlive(id)) return -1;
  std::string joined;
  int depth = 0;
  for (const auto& tag : database->XData(id, wb::Utf16ToUtf8(app))) {
    if (tag.code == 1002) {
      if (tag.value == "{") {
        if (depth++ == 0) joined.clear();
      } else if (tag.value == "}" && depth > 0) {
        if (--depth == 0) list.push_back(wb::Utf8ToUtf16(joined));
      }
      continue;
    }
    if (tag.code != 1000) continue;
    if (depth > 0)
      joined += tag.value;
    else
      list.push_back(wb::Utf8ToUtf16(tag.value));
  }
  // A run the file never closed still holds an entry; dropping it would lose
  // it at the next write.
  if (depth > 0) list.push_back(wb::Utf8ToUtf16(joined));
  return 0;
}

namespace {

// The entries of `list` (UTF-8) in place of those under `app` in the draft.
void AppendAttributes(wb::db::Database& database, wb::db::Database::XDataDraft& draft,
                      const std::string& app, Utf8List list) {
  // Groups that are not entries (numbers, handles...) are not ours to drop.
  std::vector<wb::db::Tag> before, after;
  bool entrySeen = false;
  for (auto& tag : draft.XData(app)) {
    if (tag.code == 1000 || IsBrace(tag)) {
      entrySeen = true;
      continue;
    }
    (entrySeen ? after : before).push_back(std::move(tag));
  }
  const auto size = [&](std::string_view text) { return database.StoredSize(text); };
  std::vector<wb::db::Tag> items = std::move(before);
  items.reserve(items.size() + list.size() + after.size());
  for (auto& text : list) {
    if (size(text) <= wb::arxutil::kMaxStringGroupBytes) {
      items.push_back({1000, std::move(text)});
      continue;
    }
    items.push_back({1002, "{"});
    for (auto& piece : wb::arxutil::SplitForGroups(text, wb::arxutil::kMaxStringGroupBytes, size))
      items.push_back({1000, std::move(piece)});
    items.push_back({1002, "}"});
  }
  items.insert(items.end(), std::make_move_iterator(after.begin()),
               std::make_move_iterator(after.end()));
  draft.SetXData(app, std::move(items));
}

}  // namespace

int ApiComn_appendAttributesArray(AcDbObjectId id, const wb::WString& app,
                                  const CStringArray& list, int) {
  auto* database = wb::editor::ActiveDatabase();
  auto draft = database ? database->DraftXData(id) : nullptr;
  if (!draft) return -1;
  Utf8List entries;
  entries.reserve(list.size());
  for (const auto& entry : list) entries.push_back(wb::Utf16ToUtf8(entry));
  AppendAttributes(*database, *draft, wb::Utf16ToUtf8(app), std::move(entries));
  database->Apply(std::move(draft));
  return 0;
}

void ApiComn_appendAttributesArrays(const AcDbObjectIdArray& ids, const wb::WString& app,
                                    const std::function<std::vector<Utf8List>(size_t)>& lists,
                                    int threads) {
  auto* database = wb::editor::ActiveDatabase();
  if (!database) return;
  const std::string appName = wb::Utf16ToUtf8(app);
  using Draft = std::unique_ptr<wb::db::Database::XDataDraft>;
  auto draft = [&](size_t k) {
    Draft d = database->DraftXData(ids[k]);
    if (d)
      for (Utf8List& list : lists(k)) AppendAttributes(*database, *d, appName, std::move(list));
    return d;
  };
  if (threads <= 1) {
    for (size_t k = 0; k < ids.size(); ++k)
      if (Draft d = draft(k)) database->Apply(std::move(d));
    return;
  }
  // The drawing may not change while drafts read it: a chunk is drafted on
  // the workers, then put in here. Chunks keep the drafts held at once, and
  // so the memory, small.
  constexpr size_t kChunk = 4096;
  std::vector<Draft> drafts;
  for (size_t first = 0; first < ids.size(); first += kChunk) {
    const size_t count = std::min(kChunk, ids.size() - first);
    drafts.clear();
    drafts.resize(count);
    wb::ForEachInBlocks(count, 64, threads, [&](size_t k, int) { drafts[k] = draft(first + k); });
    for (Draft& d : drafts)
      if (d) database->Apply(std::move(d));
  }
}

int ApiComn_CreateLine(AcDbLine*& line, const AcGePoint3dArray& points) {
  line = nullptr;
  if (points.size() < 2) return -1;
  line = new AcDbLine(points[0], points[1]);
  return 0;
}

int ApiComn_CreateInsert(AcDbBlockReference*& reference, const wb::WString& blockName,
                         const AcGePoint3d& position, double rotation, double xScale,
                         double yScale, double zScale) {
  reference = nullptr;
  auto* database = wb::editor::ActiveDatabase();
  if (!database || !database->HasBlock(wb::Utf16ToUtf8(blockName))) return -1;
  reference = new AcDbBlockReference(position, blockName);
  reference->setRotation(rotation);
  reference->setScaleFactors({xScale, yScale, zScale});
  return 0;
}

int ApiComn_SpaceBlockName(wb::WString& name, int digits) {
  auto* database = wb::editor::ActiveDatabase();
  if (!database || name.empty()) return -1;
  const wb::WString prefix = name;
  if (digits < 1) digits = 1;
  for (long serial = 1; serial < 100000000; ++serial) {
    std::string number = std::to_string(serial);
    if (number.size() < static_cast<size_t>(digits)) number.insert(0, digits - number.size(), '0');
    wb::WString candidate = prefix + wb::Utf8ToUtf16(number);
    if (!database->HasBlock(wb::Utf16ToUtf8(candidate))) {
      name = candidate;
      return 0;
    }
  }
  return -1;
}

int ApiComn_GetEntityRang(const AcDbEntity* entity, AcGePoint3dArray& points) {
  points.clear();
  if (!entity) return -1;
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool any = false;
  auto add = [&](double x, double y) {
    if (!any) {
      minX = maxX = x;
      minY = maxY = y;
      any = true;
    }
    minX = std::min(minX, x), maxX = std::max(maxX, x);
    minY = std::min(minY, y), maxY = std::max(maxY, y);
  };
  if (auto* line = dynamic_cast<const AcDbLine*>(entity)) {
    add(line->startPoint().x, line->startPoint().y);
    add(line->endPoint().x, line->endPoint().y);
  } else if (auto* text = dynamic_cast<const AcDbText*>(entity)) {
    const double width = wb::editor::Fonts().TextWidth(text->textString(), text->textStyle(),
                                                       text->height(), text->widthFactor());
    const double c = std::cos(text->rotation()), s = std::sin(text->rotation());
    const AcGePoint3d& p = text->position();
    for (auto [u, v] : {std::pair{0.0, 0.0}, {width, 0.0}, {0.0, text->height()},
                        {width, text->height()}})
      add(p.x + u * c - v * s, p.y + u * s + v * c);
  } else if (auto* ellipse = dynamic_cast<const AcDbEllipse*>(entity)) {
    constexpr int kSteps = 64;
    for (int i = 0; i <= kSteps; ++i) {
      const double t = ellipse->startParam() +
                       (ellipse->endParam() - ellipse->startParam()) * i / kSteps;
      const AcGePoint3d q = ellipse->pointAt(t);
      add(q.x, q.y);
    }
  } else if (auto* ref = dynamic_cast<const AcDbBlockReference*>(entity)) {
    add(ref->position().x, ref->position().y);
  }
  if (!any) return -1;
  points.push_back({minX, minY, 0});
  points.push_back({maxX, maxY, 0});
  return 0;
}
