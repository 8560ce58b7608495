#include "platform/arxutil/drawing/arxutil_drawing.h"

#include "platform/editor/document.h"

namespace wb::arxutil {

std::vector<std::string> SplitForGroups(const std::string& utf8, size_t limit) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (start < utf8.size()) {
    size_t end = std::min(utf8.size(), start + limit);
    // Step back to a character boundary (continuation bytes are 10xxxxxx).
    while (end < utf8.size() && end > start &&
           (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
      --end;
    pieces.push_back(utf8.substr(start, end - start));
    start = end;
  }
  return pieces;
}

}  // namespace wb::arxutil

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
  return 0;
}

int ApiComn_appendAttributesArray(AcDbObjectId id, const wb::WString& app,
                                  const CStringArray& list, int) {
  auto* database = wb::editor::ActiveDatabase();
  if (!database || !database->IsAlive(id)) return -1;
  std::vector<wb::db::Tag> items;
  items.reserve(list.size());
  for (const auto& entry : list) {
    std::string text = wb::Utf16ToUtf8(entry);
    if (text.size() <= wb::arxutil::kMaxStringGroupBytes) {
      items.push_back({1000, std::move(text)});
      continue;
    }
    items.push_back({1002, "{"});
    for (auto& piece : wb::arxutil::SplitForGroups(text, wb::arxutil::kMaxStringGroupBytes))
      items.push_back({1000, std::move(piece)});
    items.push_back({1002, "}"});
  }
  database->SetXData(id, wb::Utf16ToUtf8(app), std::move(items));
  return 0;
}
