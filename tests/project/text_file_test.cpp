#include "project/text_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../files/files_test_util.h"

using wb::W;
using wbtest::ReadBytes;
using wbtest::U;
using wbtest::WriteBytes;

namespace {

constexpr unsigned kRead = CFile::modeRead | CFile::shareDenyNone | CFile::typeText;
constexpr unsigned kWrite = CFile::modeCreate | CFile::modeWrite | CFile::shareDenyNone | CFile::typeText;

std::vector<CString> ReadAll(const std::string& path, int encoding = 1) {
  AcCStdioFile file;
  file.encoding = encoding;
  EXPECT_TRUE(file.Open(U(path), kRead)) << path;
  std::vector<CString> lines;
  CString line;
  while (file.ReadString(line)) lines.push_back(line);
  EXPECT_FALSE(file.ReadString(line));  // stays at the end
  file.Close();
  return lines;
}

void WriteAll(const std::string& path, const std::vector<CString>& lines, int encoding = 1) {
  AcCStdioFile file;
  file.encoding = encoding;
  ASSERT_TRUE(file.Open(U(path), kWrite)) << file.error();
  for (const auto& l : lines) file.WriteString((l + u"\n").c_str());
  ASSERT_TRUE(file.Close()) << file.error();
}

}  // namespace

TEST(TextFile, LinesAndLineEnds) {
  wbtest::TempDir dir;
  WriteBytes(dir / "empty.txt", "");
  EXPECT_TRUE(ReadAll(dir / "empty.txt").empty());
  // CR LF and LF both end a line; an empty line counts; the last line needs
  // no end; a lone CR stays in the line.
  WriteBytes(dir / "mixed.txt", "a\r\n\r\nb\nc\rd\nlast");
  EXPECT_EQ(ReadAll(dir / "mixed.txt"), (std::vector<CString>{u"a", u"", u"b", u"c\rd", u"last"}));
  // A byte-order mark is ordinary text.
  WriteBytes(dir / "bom.txt", "\xEF\xBB\xBFx\r\n");
  EXPECT_EQ(ReadAll(dir / "bom.txt", 2), (std::vector<CString>{u"\uFEFFx"}));

  // Buffer form: at most max - 1 units, the LF kept when it fits.
  AcCStdioFile file;
  ASSERT_TRUE(file.Open(U(dir / "mixed.txt"), kRead));
  char16_t buffer[8];
  EXPECT_EQ(file.ReadString(buffer, 0), nullptr);
  EXPECT_EQ(file.ReadString(buffer, 1), nullptr);
  EXPECT_EQ(buffer[0], 0);
  ASSERT_EQ(file.ReadString(buffer, 8), buffer);
  EXPECT_EQ(CString(buffer), u"a\n");
  ASSERT_EQ(file.ReadString(buffer, 2), buffer);
  EXPECT_EQ(CString(buffer), u"\n");
}

TEST(TextFile, AnsiWithEscapesRoundTripsAndFailedWritesLeaveTheOldFileWhole) {
  wbtest::TempDir dir;
  const std::string path = dir / "out.csv";
  // é is not in CP932; a Japanese character is two bytes; a backslash is
  // written as it is, so a text that looks like an escape reads back as one.
  WriteAll(path, {W("é,電線"), u"C:\\path", u"\\U+0041 \\u+00e9 \\U+12G4 \\U+1"});
  EXPECT_EQ(ReadBytes(path),
            "\\U+00E9,\x93\x64\x90\xFC\r\nC:\\path\r\n\\U+0041 \\u+00e9 \\U+12G4 \\U+1\r\n");
  EXPECT_EQ(ReadAll(path), (std::vector<CString>{W("é,電線"), u"C:\\path", W("A é \\U+12G4 \\U+1")}));
  // No mark at the start of a new file, in any encoding.
  WriteAll(dir / "u16.txt", {u"ab"}, 3);
  EXPECT_EQ(ReadBytes(dir / "u16.txt"), std::string("a\0b\0\r\0\n\0", 8));
  EXPECT_EQ(ReadAll(dir / "u16.txt", 3), (std::vector<CString>{u"ab"}));
  WriteAll(dir / "u16be.txt", {u"ab"}, 4);
  EXPECT_EQ(ReadBytes(dir / "u16be.txt"), std::string("\0a\0b\0\r\0\n", 8));
  // An unknown encoding reads and writes nothing.
  WriteAll(dir / "none.txt", {u"ab"}, 9);
  EXPECT_EQ(ReadBytes(dir / "none.txt"), "");

  // Writes that fail leave the old file whole.
  AcCStdioFile file;
  EXPECT_FALSE(file.Open(U(dir / "no/such/folder/x.csv"), kWrite));
  EXPECT_FALSE(file.error().empty());
  EXPECT_FALSE(file.Open(U(dir / "missing.csv"), kRead));

  // A reader of the old file sees it whole until the new one is closed.
  WriteBytes(dir / "list.csv", "old\r\n");
  AcCStdioFile writer;
  ASSERT_TRUE(writer.Open(U(dir / "list.csv"), kWrite));
  writer.WriteString(u"new\n");
  EXPECT_EQ(ReadBytes(dir / "list.csv"), "old\r\n");
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(ReadBytes(dir / "list.csv"), "new\r\n");

  // A read-only file cannot be opened for writing, whoever asks.
  std::filesystem::permissions(dir / "list.csv", std::filesystem::perms::owner_read);
  EXPECT_FALSE(writer.Open(U(dir / "list.csv"), kWrite));
  EXPECT_NE(writer.error().find("list.csv"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir / "list.csv"), "new\r\n");
}
