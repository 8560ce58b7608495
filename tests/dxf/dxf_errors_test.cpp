// Refused input names file and line; saving never damages the target.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>

#include "dxf/dxf_test_util.h"
#include "platform/fs/file_system.h"

namespace {

using wb::db::Database;
using wb::db::ObjectId;
using namespace wb::dxftest;

const std::string kGood =
    "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$HANDSEED\n5\n20\n0\nENDSEC\n"  // 1-14
    "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n5\n10\n8\n0\n2\nB\n0\nENDBLK\n5\n11\n0\nENDSEC\n"  // 15-32
    "0\nSECTION\n2\nENTITIES\n0\nPOINT\n5\n12\n8\n0\n10\n1\n0\nENDSEC\n0\nEOF\n";      // 33-48

TEST(DxfErrors, CorruptDrawingsAreRefusedWithFileAndLineAndHandlesReadExactly) {
  wb::db::Error error;
  ASSERT_NE(Database::OpenFromMemory(kGood, "good.dxf", &error), nullptr) << error.ToString();
  struct Case {
    std::string text;
    int line;
    const char* words;
  };
  const Case cases[] = {
      {"", 1, "empty"},
      {"\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 1, "invalid group code"},
      {"AutoCAD Binary DXF\r\n\x1a", 1, "binary DXF"},
      {kGood.substr(0, kGood.size() - 4), 47, "no value line"},            // odd number of lines
      {"0\nSECTION\n2\nHEADER\nx1\nfoo\n0\nENDSEC\n0\nEOF\n", 5, "invalid group code 'x1'"},
      {"0\nSECTION\n2\nHEADER\n9999\nfoo\n0\nENDSEC\n0\nEOF\n", 5, "invalid group code"},
      {kGood.substr(0, kGood.size() - 6), 46, "missing EOF"},
      {kGood.substr(0, 30), 6, "section HEADER (line 1) has no ENDSEC"},
      {"0\nSECTION\n2\nENTITIES\n0\nPOINT\n8\n0\n", 8, "section ENTITIES (line 1) has no ENDSEC"},
      {"0\nSECTION\n2\nENTITIES\n0\nSECTION\n2\nBLOCKS\n0\nENDSEC\n0\nEOF\n", 5, "has no ENDSEC"},
      {"0\nPOINT\n8\n0\n0\nEOF\n", 1, "'POINT' outside of a section"},
      {"8\n0\n0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n", 1, "before the first SECTION"},
      {"0\nSECTION\n0\nENDSEC\n0\nEOF\n", 1, "SECTION without a name"},
      {"0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n0\nENDSEC\n0\nEOF\n", 9, "has no ENDBLK"},
      {"0\nSECTION\n2\nBLOCKS\n0\nPOINT\n0\nENDSEC\n0\nEOF\n", 5, "outside of a BLOCK"},
      {"0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nENDSEC\n0\nEOF\n", 9, "has no ENDTAB"},
      {"0\nSECTION\n2\nTABLES\n0\nLAYER\n2\nX\n0\nENDTAB\n0\nENDSEC\n0\nEOF\n", 5, "outside of a TABLE"},
      {"0\nSECTION\n2\nENTITIES\n0\nPOINT\n5\n1A\n0\nLINE\n5\n1a\n0\nENDSEC\n0\nEOF\n", 12,
       "duplicate handle 1A (first at line 5)"},
      {"0\nSECTION\n2\nENTITIES\n0\nPOINT\n5\nXYZ\n0\nENDSEC\n0\nEOF\n", 8, "invalid handle 'XYZ'"},
      {"0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1040\n0\nENDSEC\n0\nEOF\n", 8, "unsupported DXF version"},
      {"0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n", 10,
       "second ENTITIES section"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    error = {};
    EXPECT_EQ(Database::OpenFromMemory(c.text, "bad.dxf", &error), nullptr);
    EXPECT_EQ(error.line, c.line) << error.message;
    EXPECT_NE(error.message.find(c.words), std::string::npos) << error.message;
    EXPECT_EQ(error.ToString(), "bad.dxf:" + std::to_string(c.line) + ": " + error.message);
  }

  // Handle texts: 0 is no handle (17 digits are one too many).
  EXPECT_EQ(Database::HandleText(ObjectId{0x1A2F}), "1A2F");
  const std::pair<const char*, uint64_t> handles[] = {
      {"1a2f", 0x1A2F}, {" 20 ", 0x20}, {"", 0}, {"12G", 0}, {"-1", 0}, {"10000000000000000", 0},
      {"FFFFFFFFFFFFFFFF", ~uint64_t{0}}};
  for (const auto& [text, handle] : handles) EXPECT_EQ(Database::FromHandleText(text), ObjectId{handle}) << text;
}

class SaveTest : public ::testing::Test {
 protected:
  size_t FilesInDir() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir_), {}));
  }
  wbtest::TempDir tmp_;
  const std::string dir_ = tmp_.path();
};

TEST_F(SaveTest, FailedSaveLeavesTheTargetAlone) {
  wb::db::Error error;
  auto database = Database::OpenFromMemory(kGood, "good.dxf", &error);
  ASSERT_NE(database, nullptr);
  database->AddEntity("", "POINT", "0", {{100, "AcDbPoint"}, {10, "1.0"}, {20, "1.0"}, {30, "0.0"}});
  const std::string target = dir_ + "/drawing.dxf";
  const std::string before(5000, 'x');  // the user's file, larger than the limit below
  WriteBytes(target, before);

  // A file-size limit cuts the write short; its signal (which would end
  // the process) is not left to kill the save before it cleans up.
  struct rlimit old {};
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 200;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved = database->Save(target, &error);
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(saved);
  EXPECT_EQ(error.file, target);
  EXPECT_NE(error.message.find("cannot write"), std::string::npos) << error.message;
  EXPECT_EQ(ReadBytes(target), before);
  EXPECT_EQ(FilesInDir(), 1u);  // no temporary file left behind

  // A folder that cannot be written (not testable as root, who may write anyway).
  if (geteuid() != 0) {
    chmod(dir_.c_str(), 0555);
    EXPECT_FALSE(database->Save(target, &error));
    EXPECT_NE(error.message.find("cannot create a temporary file"), std::string::npos);
    chmod(dir_.c_str(), 0755);
    EXPECT_EQ(ReadBytes(target), before);
  }
  EXPECT_FALSE(database->Save(dir_ + "/no-such-folder/drawing.dxf", &error));

  // A good save through a link replaces the file, keeps its permissions and
  // the link.
  chmod(target.c_str(), 0640);
  std::filesystem::create_symlink(target, dir_ + "/link.dxf");
  ASSERT_TRUE(database->Save(dir_ + "/link.dxf", &error)) << error.ToString();
  EXPECT_EQ(ReadBytes(target), database->SaveToString());
  struct stat st {};
  stat(target.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_TRUE(std::filesystem::is_symlink(dir_ + "/link.dxf"));
  EXPECT_EQ(FilesInDir(), 2u);

  // A read-only drawing is not replaced, whoever saves it.
  WriteBytes(target, before);
  chmod(target.c_str(), 0444);
  EXPECT_FALSE(database->Save(target, &error));
  EXPECT_EQ(error.ToString(), target + ": read-only, not replaced");
  EXPECT_EQ(ReadBytes(target), before);
}

TEST_F(SaveTest, AnInterruptedSaveLeavesNoTemporaryFile) {
  const std::string contents(8 << 20, 'x');
  auto saving = [&] {  // a temporary file beside the drawing
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
      if (entry.path().filename() != "big.dxf") return true;
    return false;
  };
  for (int signal : {SIGINT, SIGTERM}) {
    const pid_t child = fork();
    if (child == 0)
      for (;;) wb::fs::WriteFileAtomically(dir_ + "/big.dxf", contents);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!saving() && std::chrono::steady_clock::now() < end) {  // until a save is under way
    }
    kill(child, signal);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_FALSE(saving());
  }
}

TEST_F(SaveTest, WhatIsNotAReadableFileIsRefusedNamingIt) {
  const std::string fifo = dir_ + "/fifo.dxf";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  auto database = Database::OpenFromMemory(kGood, "good.dxf", nullptr);
  wb::db::Error error;
  const std::pair<std::string, const char*> cases[] = {
      {fifo, "not a regular file"}, {"/dev/zero", "not a regular file"}, {dir_, "is a folder"},
      {dir_ + "/no-such.dxf", "No such file or directory"}};
  for (const auto& [path, message] : cases) {
    EXPECT_EQ(Database::Open(path, &error), nullptr);  // at once, not waiting or growing
    EXPECT_EQ(error.line, 0);
    EXPECT_EQ(error.ToString(), path + ": " + message);
  }
  // Nor is such a file replaced by a save (never tried on a device).
  EXPECT_FALSE(database->Save(fifo, &error));
  EXPECT_EQ(error.ToString(), fifo + ": not a regular file");
}

}  // namespace
