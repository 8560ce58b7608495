#include "project/cable_list_export.h"

#include "dialog_test_util.h"
#include "project/cable_list.h"

namespace wbtest {
namespace {

class ExportTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    stdfs::create_directories(Project("P", "F"));
    list.plant = u"P";
    list.facility = u"F";
    list.sourcePath = U(dir / "src.csv");
  }
  void Rows(std::initializer_list<double> lengths) {  // negative: no length
    list.rows.clear();
    for (double l : lengths) {
      CableRow row;
      row.hasLength = l >= 0;
      row.length = l >= 0 ? l : 0;
      list.rows.push_back(row);
    }
  }
  int Export() { return ExportCableList(g_cableSetting, u"P", u"F", list, &detail); }
  std::string Output() const { return ReadBytes(Project("P", "F") + "/Cablelist.csv"); }

  CableList list;
  std::string detail;
};

TEST_F(ExportTest, UnchangedLinesKeepEveryByteAndTheLengthGoesIntoItsColumnOrAtTheEnd) {
  Define(Project("P", "F"), {{"DIST", "5"}});
  const std::string sjis = wb::codepage::FromUtf16(u"W-1,電線,盤Ａ,ﾎﾟﾝﾌﾟ,");
  const std::string full = wb::codepage::FromUtf16(u"＃comment,x");
  // Headings, comments, an empty line, escapes in both cases, an escape of
  // a character the code page has, a byte the code page lacks, a lone CR,
  // an escaped line end and a last line without its end.
  const std::string source = "heading\\U+00e9,\\x\r\n" + sjis + "\r\n" +
                             "#comment,\\u+3042\r\n" + full + "\r\n\r\n" + "W-2,\\U+3042,\\U+00E9\r\n" +
                             "W-3,\x80\xA0,x\rmid\n" + "W-4,IV,P,M,,extra,\r\n" + "W-5,last\\U+000Aafter";
  WriteBytes(dir / "src.csv", source);
  list.startRow = 2;
  Rows({-1, -1, -1, 7.25, -1});
  ASSERT_EQ(Export(), 141) << detail;
  const std::string expected = "heading\\U+00e9,\\x\r\n" + sjis + "\r\n" +
                               "#comment,\\u+3042\r\n" + full + "\r\n\r\n" + "W-2,\\U+3042,\\U+00E9\r\n" +
                               "W-3,\x80\xA0,x\rmid\r\n" + "W-4,IV,P,M,7.2,extra,\r\n" +
                               "W-5,last\\U+000Aafter\r\n";
  EXPECT_EQ(Output(), expected);

  // The length goes into its column, else at the end.
  list.startRow = 1;
  WriteBytes(dir / "src.csv",
             "a,b,c,d,e,f,g\r\n"      // seven fields: the fifth replaced
             ",,,,old\r\n"            // exactly five: the last replaced
             "a,b,c\r\n"              // too short: appended
             "a,b,12.5\r\n"           // too short, an earlier length: replaced
             "nocomma\r\n"            // no comma: unchanged
             "a,b,\r\n"               // ends with a comma: an empty field kept
             "a,b,12.50\r\n"          // two decimals is no length
             "W,a\\U+002Cb,P,M,x\r\n" // an escaped comma splits as the import splits
             "a\\u+002c12.5\r\n"      // and may end the field before a length
             "a,b,c\r\n");            // after the last row: unchanged
  Rows({12.5, 0, 130, 3.14159, 1, 2, 99.95, 7, 8});
  ASSERT_EQ(Export(), 141);
  EXPECT_EQ(Output(),
            "a,b,c,d,12.5,f,g\r\n"
            ",,,,0.0\r\n"
            "a,b,c,130.0\r\n"
            "a,b,3.1\r\n"
            "nocomma\r\n"
            "a,b,,2.0\r\n"
            "a,b,12.50,100.0\r\n"
            "W,a\\U+002Cb,P,7.0,x\r\n"
            "a,8.0\r\n"
            "a,b,c\r\n");

  // Without DIST the length always goes at the end, and a second export
  // replaces it instead of adding another.
  Define(Project("P", "F"), {{"DIST", ""}});
  WriteBytes(dir / "src.csv", "W,IV,P,M\r\n");
  list.sourcePath = U(dir / "src.csv");
  Rows({4.5});
  ASSERT_EQ(Export(), 141);
  EXPECT_EQ(Output(), "W,IV,P,M,4.5\r\n");
  list.sourcePath = U(Project("P", "F") + "/Cablelist.csv");  // the export itself
  Rows({6});
  ASSERT_EQ(Export(), 141);
  EXPECT_EQ(Output(), "W,IV,P,M,6.0\r\n");
}

TEST_F(ExportTest, FailuresLeaveTheOldOutputWhole) {
  // Nothing loaded.
  list.sourcePath.clear();
  EXPECT_EQ(Export(), 137);
  // No such project folder.
  EXPECT_EQ(ExportCableList(g_cableSetting, u"P", u"G", list), 138);
  // The source gone.
  list.sourcePath = U(dir / "gone.csv");
  EXPECT_EQ(Export(), 137);
  EXPECT_NE(detail.find("gone.csv"), std::string::npos);
  // The output cannot be written: a folder in its place.
  WriteBytes(dir / "src.csv", "A,1\r\n");
  list.sourcePath = U(dir / "src.csv");
  Rows({1});
  stdfs::create_directories(Project("P", "F") + "/Cablelist.csv");
  EXPECT_EQ(Export(), 139);
  stdfs::remove(Project("P", "F") + "/Cablelist.csv");
  // A read-only project folder: the earlier export stays as it was.
  ASSERT_EQ(Export(), 141);
  const std::string before = Output();
  Rows({2});
  stdfs::permissions(Project("P", "F"), stdfs::perms::owner_write, stdfs::perm_options::remove);
  if (::access(Project("P", "F").c_str(), W_OK) != 0) {  // not when run as root
    EXPECT_EQ(Export(), 139);
    EXPECT_EQ(Output(), before);
  }
  stdfs::permissions(Project("P", "F"), stdfs::perms::owner_write, stdfs::perm_options::add);
}

}  // namespace
}  // namespace wbtest
