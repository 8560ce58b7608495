// Scratch folders and byte-level file helpers for the file tests.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/text/ustring.h"

namespace wbtest {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "wbfiles-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    if (!made) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  // Native path of a name inside the folder.
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }
  // The folder as the module writes folders: UTF-16, ending in the separator.
  wb::WString folder() const { return wb::Utf8ToUtf16(path_) + u"/"; }

 private:
  std::string path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Output and exit status of a shell command, its error output included.
inline std::string Run(const std::string& command, int* status) {
  std::string out;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) {
    *status = -1;
    return out;
  }
  char buf[4096];
  while (size_t n = fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
  *status = pclose(pipe);
  return out;
}

inline wb::WString U(const std::string& native) { return wb::Utf8ToUtf16(native); }

}  // namespace wbtest
