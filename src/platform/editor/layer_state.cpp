#include "platform/editor/layer_state.h"

#include <charconv>
#include <cstdlib>
#include <optional>
#include <string>

namespace wb::editor {
namespace {

// A number group of the layer record; `fallback` when absent or damaged.
int LayerGroup(const db::Database& database, std::string_view layer, int code, int fallback) {
  const db::ObjectId record = database.LayerId(layer);
  if (record.isNull()) return fallback;
  const std::optional<std::string> text = database.Group(record, code);
  if (!text) return fallback;
  const char* begin = text->data();
  const char* end = begin + text->size();
  while (begin < end && *begin == ' ') ++begin;
  int value = fallback;
  if (std::from_chars(begin, end, value).ec != std::errc()) return fallback;
  return value;
}

void SetLayerGroup(db::Database& database, std::string_view layer, int code, int value) {
  const db::ObjectId record = database.LayerId(layer);
  if (!record.isNull()) database.SetGroup(record, code, std::to_string(value));
}

constexpr int kFrozen = 1;

}  // namespace

// An off layer carries a negative colour.
bool LayerOff(const db::Database& database, std::string_view layer) {
  return LayerGroup(database, layer, 62, 7) < 0;
}

bool LayerFrozen(const db::Database& database, std::string_view layer) {
  return (LayerGroup(database, layer, 70, 0) & kFrozen) != 0;
}

int LayerColor(const db::Database& database, std::string_view layer) {
  return std::abs(LayerGroup(database, layer, 62, 7));
}

void SetLayerOff(db::Database& database, std::string_view layer, bool off) {
  const int color = LayerColor(database, layer);
  SetLayerGroup(database, layer, 62, off ? -color : color);
}

void SetLayerFrozen(db::Database& database, std::string_view layer, bool frozen) {
  const int flags = LayerGroup(database, layer, 70, 0);
  SetLayerGroup(database, layer, 70, frozen ? flags | kFrozen : flags & ~kFrozen);
}

void SetLayerColor(db::Database& database, std::string_view layer, int color) {
  SetLayerGroup(database, layer, 62, LayerOff(database, layer) ? -color : color);
}

void SetCurrentLayer(db::Database& database, std::string_view layer) {
  if (database.HasLayer(layer)) database.SetHeaderValue("$CLAYER", 8, std::string(layer));
}

}  // namespace wb::editor
