#include "platform/profile/profile_file.h"

#include <gtest/gtest.h>

#include "files_test_util.h"
#include "platform/text/codepage.h"

using wb::W;
using wb::WString;
using wb::profile::GetString;
using wb::profile::WriteString;
using wbtest::ReadBytes;
using wbtest::U;
using wbtest::WriteBytes;

namespace {

// UTF-16LE bytes with their mark, as Windows tools write profiles.
std::string Utf16(const WString& text) {
  std::string out = "\xFF\xFE";
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

}  // namespace

TEST(ProfileRead, WindowsLookupRules) {
  wbtest::TempDir dir;
  const std::string path = dir / "a.ini";
  WriteBytes(path,
             "orphan=before any section\r\n"
             "; comment=not a key\r\n"
             "[WireBinder]\r\n"
             "  No = 3  \r\n"
             "Quoted=\"  spaced  \"\r\n"
             "Single='x'\r\n"
             "Half=\"open\r\n"
             "Empty=\r\n"
             "NoEquals\r\n"
             "Eq=a=b\r\n"
             "no=second entry is shadowed\r\n"
             "[ other ]\r\n"
             "No=9\r\n");
  const WString f = U(path);
  EXPECT_EQ(GetString(f, u"wirebinder", u"NO"), u"3");
  EXPECT_EQ(GetString(f, u"WIREBINDER", u"quoted"), u"  spaced  ");
  EXPECT_EQ(GetString(f, u"WireBinder", u"Single"), u"x");
  EXPECT_EQ(GetString(f, u"WireBinder", u"Half"), u"\"open");
  EXPECT_EQ(GetString(f, u"WireBinder", u"Empty", u"dflt"), u"");
  EXPECT_EQ(GetString(f, u"WireBinder", u"NoEquals", u"dflt"), u"dflt");
  EXPECT_EQ(GetString(f, u"WireBinder", u"Eq"), u"a=b");
  EXPECT_EQ(GetString(f, u"Other", u"No"), u"9");
  EXPECT_EQ(GetString(f, u"WireBinder", u"orphan", u"-"), u"-");
  EXPECT_EQ(GetString(f, u"WireBinder", u"; comment", u"-"), u"-");
  EXPECT_EQ(GetString(f, u"Missing", u"No", u"dflt"), u"dflt");
  EXPECT_EQ(GetString(U(dir / "none.ini"), u"WireBinder", u"No", u"dflt"), u"dflt");
  EXPECT_EQ(GetString(U(dir.path()), u"WireBinder", u"No", u"dflt"), u"dflt");  // a folder
}

TEST(ProfileWrite, ChangesOnlyTheLineItMustAndTheCacheSeesOutsideChanges) {
  wbtest::TempDir dir;
  const std::string path = dir / "CablelistDefine.ini";
  // An undecodable byte in a comment must survive a write elsewhere.
  const std::string before =
      "; \x82 broken comment\r\n"
      "[WireBinder]\r\n"
      "NO=1\r\n"
      "\r\n"
      "[StartRow]\r\n"
      "  RowNumber = 2 ; trailing\r\n"
      "\r\n"
      "[ListColumnNumber]\r\n"
      "NO=1\r\n";
  WriteBytes(path, before);
  const WString f = U(path);
  ASSERT_TRUE(WritePrivateProfileStringW(u"startrow", u"ROWNUMBER", u"5", f));
  std::string expected = before;
  expected.replace(expected.find("2 ; trailing"), 12, "5");
  EXPECT_EQ(ReadBytes(path), expected);

  // A new key goes after the section's last entry, before its blank line.
  ASSERT_TRUE(WritePrivateProfileStringW(u"WireBinder", u"DIST", u"7", f));
  expected.insert(expected.find("NO=1\r\n") + 6, "DIST=7\r\n");
  EXPECT_EQ(ReadBytes(path), expected);

  // A new section goes at the end.
  ASSERT_TRUE(WritePrivateProfileStringW(W("環境設定"), W("ｼｽﾃﾑ"), W("/opt/ｼｽﾃﾑ"), f));
  expected += "\r\n" + wb::codepage::FromUtf16(W("[環境設定]\r\nｼｽﾃﾑ=/opt/ｼｽﾃﾑ\r\n"));
  EXPECT_EQ(ReadBytes(path), expected);
  EXPECT_EQ(GetString(f, W("環境設定"), W("ｼｽﾃﾑ")), W("/opt/ｼｽﾃﾑ"));

  // Removing a key drops just its line.
  ASSERT_TRUE(WriteString(f, u"WireBinder", u"dist", nullptr));
  expected.erase(expected.find("DIST=7\r\n"), 8);
  EXPECT_EQ(ReadBytes(path), expected);

  // The cache sees writes, and changes made behind its back.
  WriteBytes(path, "[S]\r\nk=1\r\n");
  EXPECT_EQ(GetString(f, u"S", u"k"), u"1");
  ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"k", u"2", f));
  EXPECT_EQ(GetString(f, u"S", u"k"), u"2");
  // Rewritten behind our back with the same size.
  WriteBytes(path, "[S]\r\nk=3\r\n");
  EXPECT_EQ(GetString(f, u"S", u"k"), u"3");
  std::filesystem::remove(path);
  EXPECT_EQ(GetString(f, u"S", u"k", u"gone"), u"gone");
}

// Files keep their encoding (by byte-order mark; none: ANSI) and line ends.
TEST(ProfileWrite, CreatesFilesAndKeepsTheirForm) {
  wbtest::TempDir dir;
  // A new file: ANSI, CR LF.
  const WString fresh = U(dir / "new.ini");
  ASSERT_TRUE(WritePrivateProfileStringW(u"StartRow", u"RowNumber", u"3", fresh));
  ASSERT_TRUE(WritePrivateProfileStringW(u"StartRow", u"Other", W("値"), fresh));
  EXPECT_EQ(ReadBytes(dir / "new.ini"), "[StartRow]\r\nRowNumber=3\r\nOther=\x92\x6C\r\n");
  // No folder: the write fails and creates nothing.
  EXPECT_FALSE(WritePrivateProfileStringW(u"S", u"K", u"V", U(dir / "missing/x.ini")));

  // LF-only file without a final line end, UTF-8 with its mark.
  WriteBytes(dir / "lf.ini", "\xEF\xBB\xBF[A]\nk=1");
  ASSERT_TRUE(WritePrivateProfileStringW(u"A", u"j", W("é"), U(dir / "lf.ini")));
  EXPECT_EQ(ReadBytes(dir / "lf.ini"), "\xEF\xBB\xBF[A]\nk=1\nj=\xC3\xA9\n");
  EXPECT_EQ(GetString(U(dir / "lf.ini"), u"a", u"J"), W("é"));

  // UTF-16LE stays UTF-16LE.
  WriteBytes(dir / "w.ini", Utf16(u"[A]\r\nk=1\r\n"));
  ASSERT_TRUE(WritePrivateProfileStringW(u"a", u"K", W("é2"), U(dir / "w.ini")));
  EXPECT_EQ(ReadBytes(dir / "w.ini"), Utf16(W("[A]\r\nk=é2\r\n")));
  EXPECT_EQ(GetString(U(dir / "w.ini"), u"A", u"k"), W("é2"));

  // A UTF-16 file cut inside a code unit: the stray byte does not shift the
  // lines written after it, and the other bytes stay.
  std::string cut = Utf16(u"[A]\r\nk=1") + "\xFE";
  WriteBytes(dir / "cut.ini", cut);
  ASSERT_TRUE(WritePrivateProfileStringW(u"StartRow", u"RowNumber", u"12", U(dir / "cut.ini")));
  EXPECT_EQ(ReadBytes(dir / "cut.ini"), Utf16(u"[A]\r\nk=1\r\n\r\n[StartRow]\r\nRowNumber=12\r\n"));
  EXPECT_EQ(GetString(U(dir / "cut.ini"), u"StartRow", u"RowNumber"), u"12");
  EXPECT_EQ(GetString(U(dir / "cut.ini"), u"A", u"k"), u"1");
  WriteBytes(dir / "stray.ini", "\xFF\xFE\xFE");  // the mark and half a unit
  ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"k", u"v", U(dir / "stray.ini")));
  EXPECT_EQ(ReadBytes(dir / "stray.ini"), Utf16(u"[S]\r\nk=v\r\n"));

  // A line break in a value cannot forge another key.
  ASSERT_TRUE(WritePrivateProfileStringW(u"A", u"k", u"x\r\nforged=1", fresh));
  EXPECT_EQ(GetString(fresh, u"A", u"forged", u"-"), u"-");
}
