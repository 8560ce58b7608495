// Selection sets of the host editor: "select all" with an xdata filter, the
// way the module scans for tagged entities, and the user's interactive
// selection through the prompt backend (platform/editor/prompts.h).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/host/host_types.h"

// A selection set or entity name, as the host hands them out.
struct ads_name_t {
  int64_t id = 0;
  int64_t index = 0;
};
using ads_name = ads_name_t;

// One filter group. Code -3 with 1001 items selects entities carrying xdata
// of any application listed (names separated by commas).
struct FilterItem {
  int code = 0;
  wb::WString text;
};
using FilterList = std::vector<FilterItem>;

// Mode "A" (or "X"): every entity of model space that passes the filter, in
// drawing order. RTNORM on success, RTERROR when nothing matches.
// A null mode asks the user (points are not used): RTNORM with the selected
// entities that pass the filter, in the order selected; RTCAN when the user
// cancelled, RTERROR when nothing that passes was selected.
int acedSSGet(const char16_t* mode, const void* point1, const void* point2,
              const FilterList* filter, ads_name& selection);
int acedSSName(const ads_name& selection, long index, ads_name& entity);
int acedSSFree(ads_name& selection);
int acdbGetObjectId(AcDbObjectId& id, const ads_name& entity);
int spedSSLength(const ads_name& selection, long& count);

namespace wb::editor {
// Puts an explicit list (the result of an interactive pick) into a new set.
ads_name MakeSelection(std::vector<AcDbObjectId> ids);
// The entity name of one entity, as a pick returns it.
ads_name EntityName(AcDbObjectId id);
}  // namespace wb::editor
