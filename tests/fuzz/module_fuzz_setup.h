// The module's fuzz targets work in a projects root of their own, on
// project P/F, whose definition file each input writes afresh.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/fs/file_system.h"
#include "platform/profile/profile_file.h"
#include "settings/cable_setting.h"

namespace wbfuzz {

inline std::string Define(const std::string& ini) {
  static const std::string root = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "wbfuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    std::filesystem::create_directories(pattern + "/P/F");
    return pattern;
  }();
  if (!wb::fs::WriteFileAtomically(root + "/P/F/CablelistDefine.ini", ini)) std::abort();
  wb::profile::ClearCache();
  g_cableSetting = CableSetting();
  g_cableSetting.projectRoot = wb::Utf8ToUtf16(root) + u"/";
  return root;
}

}  // namespace wbfuzz
