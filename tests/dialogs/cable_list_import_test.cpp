#include "project/cable_list.h"

#include <sys/stat.h>

#include "dialog_test_util.h"

namespace wbtest {
namespace {

using Keys = std::map<std::string, std::string>;

// `more` over NO 1, SIZE 2, FROM_MARK 3 and TO_MARK 4.
Keys Simple(Keys more = {}) {
  more.insert({{"NO", "1"}, {"SIZE", "2"}, {"FROM_MARK", "3"}, {"TO_MARK", "4"}});
  return more;
}

// A row as number/size/from mark/name/sub-number/to mark/name/sub-number,
// then "=length" when it has one.
std::string Describe(const CableRow& r) {
  std::string text = wb::Utf16ToUtf8(r.number);
  for (const CString* field : {&r.size, &r.fromMark, &r.fromName, &r.fromSubNo, &r.toMark, &r.toName, &r.toSubNo})
    text += "/" + wb::Utf16ToUtf8(*field);
  char length[32] = "";
  if (r.hasLength) std::snprintf(length, sizeof length, "=%g", r.length);
  return text + length;
}

using ImportTest = DialogTest;

// Each case imports into the rows the case before left: a refused import
// keeps them.
TEST_F(ImportTest, EachLineGivesItsRowOrTheImportIsRefusedAndAFileThatCannotBeReadIsNamed) {
  CableList list;
  list.plant = u"P";
  list.facility = u"F";
  auto sized = [](const char* size) {
    Keys keys{{"NO", "1"}, {"FROM_MARK", "2"}, {"TO_MARK", "3"}};
    if (size) keys["SIZE"] = size;
    return keys;
  };
  const struct {
    std::optional<Keys> definition;  // in the projects root; none: no file
    std::vector<std::string> lines;  // in the ANSI code page, CR LF
    int startRow, result;
    std::vector<std::string> rows;
  } cases[] = {
      {std::nullopt, {"A,B,C,D"}, 1, -1, {}},
      {Simple(), {"A,B,C,D"}, 1, 0, {"A/B/C///D//"}},
      {Simple({{"NO", "0"}}), {"X,B,C,D"}, 1, -2, {"A/B/C///D//"}},
      {Simple({{"FROM_MARK", "-2147483648"}}), {"X,B,C,D"}, 1, -2, {"A/B/C///D//"}},
      {Simple({{"TO_MARK", "-99999999999"}}), {"X,B,C,D"}, 1, -2, {"A/B/C///D//"}},
      {Simple(), {"A,B,C,D", "E,F,G,H"}, 3, -3, {}},
      // A length only in a last field with one decimal; the export's column
      // is not read back.
      {Simple({{"DIST", "6"}}),
       {"W-1,IV5.5,P1,M2", "W-2,IV5.5,P1,M2,12.5", "W-3,IV,P,M,12.50", "W-4,IV,P,M,12", "W-5,IV,P,M,abc",
        "W-6,IV,P,M,0.5", "W-7,IV,P,M,,12.5,note", "W-8,IV,P,M,130.0", "W-9,IV,P,M,0.0", "W-10,IV,P,M,.5",
        "W-11,IV,P,M,-1.5", "W-12,IV,P,M,1.2.3", "W-13,IV,P,M,12."},
       1, 0,
       {"W-1/IV5.5/P1///M2//", "W-2/IV5.5/P1///M2//=12.5", "W-3/IV/P///M//", "W-4/IV/P///M//",
        "W-5/IV/P///M//", "W-6/IV/P///M//=0.5", "W-7/IV/P///M//", "W-8/IV/P///M//=130",
        "W-9/IV/P///M//=0", "W-10/IV/P///M//", "W-11/IV/P///M//", "W-12/IV/P///M//", "W-13/IV/P///M//"}},
      {Keys{{"NO", "1"}, {"SIZE", "2,3"}, {"FROM_MARK", "4"}, {"FROM_NAME", "5"}, {"FROM_NO", "6"},
            {"TO_MARK", "7"}, {"TO_NAME", "8"}, {"TO_NO", "9"}},
       {"A,CV,3.5,P1,ポンプ,1,M2,電動機,2"}, 1, 0, {"A/CV-3.5/P1/ポンプ/1/M2/電動機/2"}},
      // Optional columns that are empty, not numbers or not positive are unused.
      {Keys{{"NO", "1"}, {"SIZE", "2,3,4"}, {"FROM_MARK", "5"}, {"TO_MARK", "6"}, {"FROM_NAME", ""},
            {"FROM_NO", "x"}, {"TO_NAME", "0"}, {"TO_NO", "-3"}},
       {"A,CV,5.5,3C,P,M"}, 1, 0, {"A/CV5.5-3C/P///M//"}},
      // Without SIZE the size stays empty; a SIZE that is not a list of
      // positive numbers is no definition.
      {sized(nullptr), {"A,P,M"}, 1, 0, {"A//P///M//"}},
      {sized("0"), {"B,P,M,X"}, 1, -2, {"A//P///M//"}},
      {sized("2,,3"), {"B,P,M,X"}, 1, -2, {"A//P///M//"}},
      {sized("abc"), {"B,P,M,X"}, 1, -2, {"A//P///M//"}},
      {sized("2,-1"), {"B,P,M,X"}, 1, -2, {"A//P///M//"}},
      {sized(","), {"B,P,M,X"}, 1, -2, {"A//P///M//"}},
      {sized("-2147483648"), {"B,P,M,X"}, 1, -2, {"A//P///M//"}},
      {sized("2,-99999999999"), {"B,P,M,X"}, 1, -2, {"A//P///M//"}},
      // A ditto mark takes the nearest real value above, comment lines
      // included; only a lone mark is one.
      {Simple(),
       {"〃,〃,P0,〃", "W-1,IV5.5,P0,M2", "〃,〃,P1,〃", "〃,〃,P2,〃", "#c,CV,〃,〃", "〃,〃,〃,〃", "〃〃,〃 ,P3,M3"},
       1, 0,
       {"//P0/////", "W-1/IV5.5/P0///M2//", "W-1/IV5.5/P1///M2//", "W-1/IV5.5/P2///M2//",
        "#c/CV/P2///M2//", "〃〃/〃 /P3///M3//"}},
      // Two size columns resolve each on its own; a short line is passed over.
      {Simple({{"SIZE", "2,3"}, {"FROM_MARK", "4"}, {"TO_MARK", "5"}}), {"A,CV,2,P,M", "short", "B,〃,〃,P,M"}, 1, 0,
       {"A/CV-2/P///M//", "///////", "B/CV-2/P///M//"}},
      // Comment lines give no row whatever their length; a short line keeps
      // its length.
      {Simple(),
       {"heading,1,2,3", "", "#A,B,C,D", "＃A,B,C,D", " #A,B,C,D", "#short", "＃", "only,two", "x,1.5", "W,S,F,T"},
       2, 0, {" #A/B/C///D//", "///////", "///////=1.5", "W/S/F///T//"}},
      {Simple(), {"W-1,IV,設備,M2"}, 1, 0, {"W-1/IV/設備///M2//"}},
      // An escaped U+FFFD is a character; bytes that are none do not matter
      // in a comment.
      {Simple(), {"#\x80 note", "W-1,x\\U+FFFD,P1,M2"}, 1, 0, {"W-1/x\uFFFD/P1///M2//"}},
  };
  const std::string definition = root + "/CablelistDefine.ini";
  list.sourcePath = U(dir / "list.csv");
  for (const auto& c : cases) {
    stdfs::remove(definition);
    if (c.definition) Define(root, *c.definition);
    WriteList(dir / "list.csv", c.lines);
    list.startRow = c.startRow;
    EXPECT_EQ(list.Import(), c.result) << c.lines[0];
    std::vector<std::string> rows;
    for (const auto& r : list.rows) rows.push_back(Describe(r));
    EXPECT_EQ(rows, c.rows) << c.lines[0];
  }

  // A file that cannot be read is refused by name and line.
  DefineSimple(root);
  const struct {
    std::string name, bytes;  // no bytes: no such file
    int startRow;
    std::string where;  // after the path in the problem
  } files[] = {
      {"missing.csv", "", 1, ""},
      // UTF-8 read as code page 932: "備" ends in a lead byte that eats the
      // comma after it.
      {"utf8.csv", "head\r\nW-1,IV,P1,M2\r\nW-2,IV,\xE8\xA8\xAD\xE5\x82\x99,M2\r\n", 2, ":3: not text in code page 932"},
      // A lead byte cut off by the end of the file (found by the fuzzer).
      {"cut.csv", "W-1,IV,P1,M2\r\nW-2,IV,P1,M2\x81", 1, ":2: not text in code page 932"},
      // A FIFO is refused at once instead of waiting for a writer.
      {"fifo.csv", "", 1, ": not a regular file"},
  };
  ASSERT_EQ(mkfifo((dir / "fifo.csv").c_str(), 0644), 0);
  CString problem;
  for (const auto& c : files) {
    if (!c.bytes.empty()) WriteBytes(dir / c.name, c.bytes);
    list.sourcePath = U(dir / c.name);
    list.startRow = c.startRow;
    list.rows.resize(1);
    problem.clear();
    EXPECT_EQ(list.Import(&problem), -3) << c.name;
    EXPECT_TRUE(list.rows.empty()) << c.name;
    if (!c.where.empty()) {
      EXPECT_EQ(problem, list.sourcePath + U(c.where)) << c.name;
    }
  }
}

}  // namespace
}  // namespace wbtest
