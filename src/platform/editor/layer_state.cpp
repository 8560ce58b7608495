#include "platform/editor/layer_state.h"

#include <charconv>
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

}  // namespace

// An off layer carries a negative colour.
bool LayerOff(const db::Database& database, std::string_view layer) {
  return LayerGroup(database, layer, 62, 7) < 0;
}

bool LayerFrozen(const db::Database& database, std::string_view layer) {
  return (LayerGroup(database, layer, 70, 0) & 1) != 0;
}

}  // namespace wb::editor
