// A projects root of its own for the module's fuzz targets: project P/F,
// its definition file and cable list written afresh for every input.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/fs/file_system.h"
#include "platform/profile/profile_file.h"
#include "platform/qzcomn/config/qzcomn_config.h"
#include "settings/cable_setting.h"

namespace wbfuzz {

inline const std::string& Root() {
  static const std::string root = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "wbfuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    std::filesystem::create_directories(pattern + "/P/F");
    QzComn_SetConfigFile(wb::Utf8ToUtf16(pattern + "/wirebinder.ini"));
    QzComn_SetEnvFile(wb::Utf8ToUtf16(pattern + "/qzenv.ini"));
    return pattern;
  }();
  return root;
}

// Writes the project's definition file and resets the settings to it.
inline void Define(const std::string& ini) {
  if (!wb::fs::WriteFileAtomically(Root() + "/P/F/CablelistDefine.ini", ini)) std::abort();
  wb::profile::ClearCache();
  g_cableSetting = CableSetting();
  g_cableSetting.projectRoot = wb::Utf8ToUtf16(Root()) + u"/";
}

}  // namespace wbfuzz
