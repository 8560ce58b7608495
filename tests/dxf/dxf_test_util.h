// Helpers shared by the DXF tests: fixture drawings written by ezdxf and
// ezdxf's reading of our output.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "platform/db/database.h"

namespace wb::dxftest {

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteFile(const std::string& path, const std::string& contents) {
  std::ofstream(path, std::ios::binary) << contents;
}

inline std::string Script() { return std::string(WB_SOURCE_DIR) + "/tests/dxf/fixtures.py"; }

// Runs the fixture script; returns its standard output, status in *status.
inline std::string RunScript(const std::string& args, int* status) {
  std::string command = "/usr/bin/python3 '" + Script() + "' " + args + " 2>&1";
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    *status = -1;
    return out;
  }
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  *status = pclose(pipe);
  return out;
}

inline bool EzdxfAvailable() {
  static const bool available =
      std::system("/usr/bin/python3 -c 'import ezdxf' >/dev/null 2>&1") == 0;
  return available;
}

// A private folder per test process, filled once with the fixture drawings.
inline const std::string& FixtureDir() {
  static const std::string dir = [] {
    std::string tmpl = (std::filesystem::temp_directory_path() / "wb-dxf-XXXXXX").string();
    std::string made = mkdtemp(tmpl.data()) ? tmpl : std::string();
    static std::string cleanup = made;
    std::atexit([] { std::filesystem::remove_all(cleanup); });
    int status = 0;
    std::string out = RunScript("make '" + made + "'", &status);
    if (status != 0) ADD_FAILURE() << "fixture script failed: " << out;
    return made;
  }();
  return dir;
}

inline std::string Fixture(const std::string& name) { return FixtureDir() + "/" + name; }

// What ezdxf reads from a file, one fact per line (see fixtures.py check).
inline std::set<std::string> EzdxfFacts(const std::string& path) {
  int status = 0;
  std::string out = RunScript("check '" + path + "'", &status);
  EXPECT_EQ(status, 0) << "ezdxf could not read " << path << ":\n" << out;
  std::set<std::string> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) lines.insert(line);
  return lines;
}

inline std::unique_ptr<db::Database> MustOpen(const std::string& path) {
  db::Error error;
  auto database = db::Database::Open(path, &error);
  EXPECT_NE(database, nullptr) << error.ToString();
  return database;
}

}  // namespace wb::dxftest

#define WB_REQUIRE_EZDXF()                                                              \
  do {                                                                                  \
    if (!::wb::dxftest::EzdxfAvailable())                                               \
      GTEST_SKIP() << "python3-ezdxf is not installed (/usr/bin/python3 cannot import " \
                      "ezdxf): drawings written by ezdxf are not available";            \
  } while (0)
