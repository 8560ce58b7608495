// Helpers shared by the DXF tests: fixture drawings written by ezdxf and
// ezdxf's reading of our output.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "files/files_test_util.h"
#include "platform/db/database.h"

namespace wb::dxftest {

using wbtest::ReadBytes;
using wbtest::Run;
using wbtest::WriteBytes;

// Runs the fixture script with `args`.
inline std::string RunScript(const std::string& args, int* status) {
  return Run("/usr/bin/python3 '" WB_SOURCE_DIR "/tests/dxf/fixtures.py' " + args, status);
}

// A private folder per test process, filled once with the fixture drawings
// (ezdxf is one of the packages ./wb installs: without it the tests fail).
inline const std::string& FixtureDir() {
  static const wbtest::TempDir dir;
  static const bool made = [] {
    int status = 0;
    std::string out = RunScript("make '" + dir.path() + "'", &status);
    if (status != 0) ADD_FAILURE() << "fixture script failed: " << out;
    return true;
  }();
  (void)made;
  return dir.path();
}

inline std::string Fixture(const std::string& name) { return FixtureDir() + "/" + name; }

// What ezdxf reads from a file, one fact per line (see fixtures.py check).
inline std::multiset<std::string> EzdxfFacts(const std::string& path) {
  int status = 0;
  std::string out = RunScript("check '" + path + "'", &status);
  EXPECT_EQ(status, 0) << "ezdxf could not read " << path << ":\n" << out;
  std::multiset<std::string> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) lines.insert(line);
  return lines;
}

// The fixture drawings: every version the authoring tools write, in their
// code page or UTF-8, and two other line styles.
struct Version {
  const char* file;
  const char* acadver;
  bool japaneseLayer;
};

inline const Version kVersions[] = {
    {"tagged_R12.dxf", "AC1009", false},      {"tagged_R12_932.dxf", "AC1009", true},
    {"tagged_R2000.dxf", "AC1015", false},    {"tagged_R2000_932.dxf", "AC1015", true},
    {"tagged_R2004.dxf", "AC1018", false},    {"tagged_R2007.dxf", "AC1021", true},
    {"tagged_R2010.dxf", "AC1024", true},     {"tagged_R2013.dxf", "AC1027", true},
    {"tagged_R2018.dxf", "AC1032", true},     {"crlf_R2013.dxf", "AC1027", true},
    {"plain_R2013.dxf", "AC1027", true},
};

inline std::unique_ptr<db::Database> MustOpen(const std::string& path) {
  db::Error error;
  auto database = db::Database::Open(path, &error);
  EXPECT_NE(database, nullptr) << error.ToString();
  return database;
}

// A drawing's text opened as the file `name`.
inline std::unique_ptr<db::Database> MustOpen(const std::string& text, const std::string& name) {
  db::Error error;
  auto database = db::Database::OpenFromMemory(text, name, &error);
  EXPECT_NE(database, nullptr) << error.ToString();
  return database;
}

}  // namespace wb::dxftest
