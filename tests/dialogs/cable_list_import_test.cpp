#include "project/cable_list.h"

#include <sys/stat.h>

#include "dialog_test_util.h"

namespace wbtest {
namespace {

class ImportTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    list.plant = u"P";
    list.facility = u"F";
    list.sourcePath = U(dir / "list.csv");
  }
  int Import(const std::vector<std::string>& lines, int startRow = 1) {
    WriteList(dir / "list.csv", lines);
    list.startRow = startRow;
    return list.Import(&problem);
  }
  std::vector<std::string> Numbers() const {
    std::vector<std::string> out;
    for (const auto& r : list.rows) out.push_back(wb::Utf16ToUtf8(r.number));
    return out;
  }
  CableList list;
  CString problem;
};

TEST_F(ImportTest, TakesTheConfiguredColumnsAndAFinalLength) {
  DefineSimple(root);
  Define(root, {{"DIST", "6"}});  // the export's business: only a last field is read back
  ASSERT_EQ(Import({"W-1,IV5.5,P1,M2", "W-2,IV5.5,P1,M2,12.5", "W-3,IV,P,M,12.50", "W-4,IV,P,M,12",
                    "W-5,IV,P,M,abc", "W-6,IV,P,M,0.5", "W-7,IV,P,M,,12.5,note", "W-8,IV,P,M,130.0",
                    "W-9,IV,P,M,0.0"}),
            0);
  ASSERT_EQ(list.rows.size(), 9u);
  const CableRow& r = list.rows[0];
  EXPECT_EQ(r.number, u"W-1");
  EXPECT_EQ(r.size, u"IV5.5");
  EXPECT_EQ(r.fromMark, u"P1");
  EXPECT_EQ(r.toMark, u"M2");
  EXPECT_EQ(r.fromName + r.toName + r.fromSubNo + r.toSubNo, u"");
  EXPECT_FALSE(r.hasLength);
  EXPECT_TRUE(list.rows[1].hasLength);
  EXPECT_DOUBLE_EQ(list.rows[1].length, 12.5);
  for (int i : {2, 3, 4, 6}) EXPECT_FALSE(list.rows[i].hasLength) << i;
  EXPECT_DOUBLE_EQ(list.rows[5].length, 0.5);
  EXPECT_DOUBLE_EQ(list.rows[7].length, 130.0);
  EXPECT_TRUE(list.rows[8].hasLength);
  EXPECT_DOUBLE_EQ(list.rows[8].length, 0.0);
}

TEST_F(ImportTest, OptionalColumnsAndJoinedSizes) {
  Define(root, {{"NO", "1"}, {"SIZE", "2,3"}, {"FROM_MARK", "4"}, {"FROM_NAME", "5"},
                {"FROM_NO", "6"}, {"TO_MARK", "7"}, {"TO_NAME", "8"}, {"TO_NO", "9"}});
  ASSERT_EQ(Import({"A,CV,3.5,P1,ポンプ,1,M2,電動機,2"}), 0);
  const CableRow& r = list.rows[0];
  EXPECT_EQ(r.size, u"CV-3.5");
  EXPECT_EQ(r.fromName, u"ポンプ");
  EXPECT_EQ(r.fromSubNo, u"1");
  EXPECT_EQ(r.toName, u"電動機");
  EXPECT_EQ(r.toSubNo, u"2");

  Define(root, {{"SIZE", "2,3,4"}, {"FROM_MARK", "5"}, {"TO_MARK", "6"},
                {"FROM_NAME", ""}, {"FROM_NO", "x"}, {"TO_NAME", "0"}, {"TO_NO", "-3"}});
  ASSERT_EQ(Import({"A,CV,5.5,3C,P,M"}), 0);
  EXPECT_EQ(list.rows[0].size, u"CV5.5-3C");
  EXPECT_EQ(list.rows[0].fromName + list.rows[0].toName + list.rows[0].fromSubNo, u"");
}

TEST_F(ImportTest, BadSizeEntriesAreAnInvalidDefinition) {
  // No SIZE at all: the size stays empty.
  Define(root, {{"NO", "1"}, {"FROM_MARK", "2"}, {"TO_MARK", "3"}});
  ASSERT_EQ(Import({"A,P,M"}), 0);
  EXPECT_EQ(list.rows[0].size, u"");
  const auto kept = list.rows.size();
  for (const char* size : {"0", "2,,3", "abc", "2,-1", ",", "-2147483648", "2,-99999999999"}) {
    Define(root, {{"SIZE", size}});
    EXPECT_EQ(Import({"A,P,M,X"}), -2) << size;
    EXPECT_EQ(list.rows.size(), kept) << size;
  }
}

TEST_F(ImportTest, RequiredColumnsAndMissingFiles) {
  EXPECT_EQ(Import({"A,B,C,D"}), -1);
  DefineSimple(root);
  ASSERT_EQ(Import({"A,B,C,D"}), 0);
  for (const char* key : {"NO", "FROM_MARK", "TO_MARK"}) {
    for (const char* value : {"0", "-2147483648", "-99999999999"}) {
      DefineSimple(root);
      Define(root, {{key, value}});
      EXPECT_EQ(Import({"X,B,C,D", "Y,B,C,D"}), -2) << key << "=" << value;
      EXPECT_EQ(Numbers(), std::vector<std::string>{"A"}) << key;
    }
  }
  DefineSimple(root);
  EXPECT_EQ(Import({"A,B,C,D", "E,F,G,H"}, 3), -3);
  EXPECT_TRUE(list.rows.empty());
  list.sourcePath = U(dir / "missing.csv");
  EXPECT_EQ(list.Import(), -3);
  // A FIFO is refused at once, by name, instead of waiting for a writer.
  ASSERT_EQ(mkfifo((dir / "fifo.csv").c_str(), 0644), 0);
  list.sourcePath = U(dir / "fifo.csv");
  EXPECT_EQ(list.Import(&problem), -3);
  EXPECT_EQ(problem, U(dir / "fifo.csv") + u": not a regular file");
}

TEST_F(ImportTest, DittoMarksTakeTheNearestRealValueAbove) {
  DefineSimple(root);
  ASSERT_EQ(Import({"〃,〃,P0,〃",  // nothing above: empty
                    "W-1,IV5.5,P0,M2", "〃,〃,P1,〃", "〃,〃,P2,〃",
                    "#c,CV,〃,〃",  // a comment line takes part in the lookup
                    "〃,〃,〃,〃", "〃〃,〃 ,P3,M3"}),
            0);
  ASSERT_EQ(list.rows.size(), 6u);
  EXPECT_EQ(list.rows[0].number + list.rows[0].size + list.rows[0].toMark, u"");
  EXPECT_EQ(list.rows[0].fromMark, u"P0");
  for (int i : {2, 3}) {
    EXPECT_EQ(list.rows[i].number, u"W-1") << i;
    EXPECT_EQ(list.rows[i].size, u"IV5.5") << i;
    EXPECT_EQ(list.rows[i].toMark, u"M2") << i;
  }
  EXPECT_EQ(list.rows[2].fromMark, u"P1");
  EXPECT_EQ(list.rows[3].fromMark, u"P2");
  EXPECT_EQ(list.rows[4].size, u"CV");         // from the comment line
  EXPECT_EQ(list.rows[4].fromMark, u"P2");
  EXPECT_EQ(list.rows[5].number, u"〃〃");     // only a lone mark is a ditto
  EXPECT_EQ(list.rows[5].size, u"〃 ");

  // Two size columns resolve each on its own; a short line above is passed over.
  Define(root, {{"SIZE", "2,3"}, {"FROM_MARK", "4"}, {"TO_MARK", "5"}});
  ASSERT_EQ(Import({"A,CV,2,P,M", "short", "B,〃,〃,P,M"}), 0);
  EXPECT_EQ(list.rows[2].size, u"CV-2");
}

TEST_F(ImportTest, CommentsShortLinesAndHeadings) {
  DefineSimple(root);
  ASSERT_EQ(Import({"heading,1,2,3", "", "#A,B,C,D", "＃A,B,C,D", " #A,B,C,D", "#short",
                    "＃", "only,two", "x,1.5", "W,S,F,T"},
                   2),
            0);
  // Comment lines give no row whatever their length, as the export counts.
  ASSERT_EQ(Numbers(), (std::vector<std::string>{" #A", "", "", "W"}));
  EXPECT_FALSE(list.rows[1].hasLength);
  EXPECT_TRUE(list.rows[2].hasLength);  // a short line keeps its length
  EXPECT_DOUBLE_EQ(list.rows[2].length, 1.5);
  EXPECT_EQ(list.rows[2].fromMark, u"");
}

TEST_F(ImportTest, AFileInAnotherEncodingIsRefusedWithItsLine) {
  DefineSimple(root);
  // UTF-8 text read as code page 932: "備" ends in a lead byte that eats
  // the comma after it.
  WriteBytes(dir / "list.csv", "head\r\nW-1,IV,P1,M2\r\nW-2,IV,\xE8\xA8\xAD\xE5\x82\x99,M2\r\n");
  list.startRow = 2;
  list.rows.resize(1);
  EXPECT_EQ(list.Import(&problem), -3);
  EXPECT_TRUE(list.rows.empty());
  EXPECT_EQ(problem, list.sourcePath + u":3: not text in code page 932");
  // A lead byte cut off by the end of the file (found by the fuzzer).
  WriteBytes(dir / "list.csv", "W-1,IV,P1,M2\r\nW-2,IV,P1,M2\x81");
  list.startRow = 1;
  EXPECT_EQ(list.Import(&problem), -3);
  EXPECT_EQ(problem, list.sourcePath + u":2: not text in code page 932");
  // Japanese in the code page itself reads as it is.
  EXPECT_EQ(Import({"W-1,IV,設備,M2"}), 0);
  EXPECT_EQ(list.rows[0].fromMark, u"設備");
}

TEST(CountDecimalsTest, PlainDecimalsOnly) {
  const std::pair<const char16_t*, int> cases[] = {{u"12.5", 1}, {u"0.5", 1},  {u"12.50", 2}, {u"12", 0},
                                                   {u".5", 0},   {u"-1.5", 0}, {u"1.2.3", 0}, {u"12.", 0}};
  for (const auto& [text, decimals] : cases) EXPECT_EQ(CountDecimals(text), decimals) << wb::Utf16ToUtf8(text);
}

}  // namespace
}  // namespace wbtest
