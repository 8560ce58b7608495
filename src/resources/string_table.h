// The module's string table: every text it shows, by number, and the
// module's instance handle through which the common library loads them.
#pragma once

#include "platform/qzcomn/config/qzcomn_config.h"

struct StringEntry {
  int id;
  const char16_t* text;
};

inline constexpr int kFirstStringId = 100;
inline constexpr int kLastStringId = 164;

// Text of a string ID; null outside the table.
const char16_t* ModuleString(int id);

// The module's instance handle: names its string table.
const ModuleInstance* ModuleResources();
// String `id` loaded into a 260-unit buffer, as every caller does.
CString LoadModuleString(int id);
