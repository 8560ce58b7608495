// Selection sets of the host editor: non-interactive "select all" with an
// xdata filter, the way the module scans for tagged entities.
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
int acedSSGet(const char16_t* mode, const void* point1, const void* point2,
              const FilterList* filter, ads_name& selection);
int acedSSName(const ads_name& selection, long index, ads_name& entity);
int acedSSFree(ads_name& selection);
int acdbGetObjectId(AcDbObjectId& id, const ads_name& entity);
int spedSSLength(const ads_name& selection, long& count);

namespace wb::editor {
// Puts an explicit list (the result of an interactive pick) into a new set.
ads_name MakeSelection(std::vector<AcDbObjectId> ids);
}  // namespace wb::editor
