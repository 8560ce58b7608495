#include "platform/editor/selection.h"

#include <map>

#include "platform/editor/document.h"
#include "platform/editor/layer_state.h"
#include "platform/editor/prompts.h"

namespace {

std::map<int64_t, std::vector<AcDbObjectId>>& Sets() {
  static std::map<int64_t, std::vector<AcDbObjectId>> sets;
  return sets;
}
int64_t g_nextSet = 1;
// Entity names are not sets: this set number marks them, the index holds
// the handle.
constexpr int64_t kEntityName = -1;

bool PassesFilter(const wb::db::Database& database, AcDbObjectId id,
                  const std::vector<std::string>& apps) {
  if (apps.empty()) return true;
  for (const auto& app : apps)
    if (database.HasXData(id, app)) return true;
  return false;
}

std::vector<std::string> XDataApps(const FilterList* filter) {
  std::vector<std::string> apps;
  if (!filter) return apps;
  for (const auto& item : *filter) {
    if (item.code != 1001) continue;
    for (const auto& part : wb::Split(item.text, u",")) apps.push_back(wb::Utf16ToUtf8(part));
  }
  return apps;
}

}  // namespace

namespace wb::editor {
ads_name MakeSelection(std::vector<AcDbObjectId> ids) {
  ads_name name;
  name.id = g_nextSet++;
  Sets()[name.id] = std::move(ids);
  return name;
}

ads_name EntityName(AcDbObjectId id) {
  ads_name name;
  name.id = kEntityName;
  name.index = static_cast<int64_t>(id.handle);
  return name;
}
}  // namespace wb::editor

int acedSSGet(const char16_t* mode, const void*, const void*, const FilterList* filter,
              ads_name& selection) {
  auto* database = wb::editor::ActiveDatabase();
  if (!database) return RTERROR;
  auto apps = XDataApps(filter);
  std::vector<AcDbObjectId> picked;
  if (!mode) {
    const int result = wb::editor::Prompts().SelectObjects(
        [&](AcDbObjectId id) { return PassesFilter(*database, id, apps); }, picked);
    if (result != RTNORM) return result;
  } else {
    // "A" is everything on thawed layers; "X" the whole drawing.
    const bool thawedOnly = std::u16string_view(mode) == u"A" || std::u16string_view(mode) == u"_A";
    for (AcDbObjectId id : database->ModelSpaceEntities()) {
      if (!PassesFilter(*database, id, apps)) continue;
      if (thawedOnly && wb::editor::LayerFrozen(*database, database->Layer(id))) continue;
      picked.push_back(id);
    }
  }
  if (picked.empty()) return RTERROR;
  selection = wb::editor::MakeSelection(std::move(picked));
  return RTNORM;
}

int acedSSName(const ads_name& selection, long index, ads_name& entity) {
  auto it = Sets().find(selection.id);
  if (it == Sets().end() || index < 0 || index >= static_cast<long>(it->second.size()))
    return RTERROR;
  entity.id = selection.id;
  entity.index = index;
  return RTNORM;
}

int acedSSFree(ads_name& selection) {
  Sets().erase(selection.id);
  selection.id = 0;
  return RTNORM;
}

int acdbGetObjectId(AcDbObjectId& id, const ads_name& entity) {
  if (entity.id == kEntityName) {
    id = AcDbObjectId{static_cast<uint64_t>(entity.index)};
    return id.isNull() ? -1 : 0;
  }
  auto it = Sets().find(entity.id);
  if (it == Sets().end() || entity.index < 0 ||
      entity.index >= static_cast<int64_t>(it->second.size()))
    return -1;
  id = it->second[entity.index];
  return 0;
}

int spedSSLength(const ads_name& selection, long& count) {
  auto it = Sets().find(selection.id);
  count = it == Sets().end() ? 0 : static_cast<long>(it->second.size());
  return it == Sets().end() ? RTERROR : RTNORM;
}
