#include "route/assign/cable_assignment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <tuple>

#include "files/files_test_util.h"
#include "module/user_session.h"
#include "platform/arxutil/drawing/arxutil_drawing.h"
#include "platform/dialogs/message_box.h"
#include "platform/host/worker_threads.h"
#include "project/text_file.h"
#include "resources/string_table.h"
#include "route/assign/plain_assignment.h"
#include "route/plant_drawing.h"
#include "settings/cable_setting.h"
#include "sheets/route_sheets.h"
#include "ui/main_dlg.h"

using wb::W;

namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool SameRow(const CableRow& x, const CableRow& y) {
  return x.hasLength == y.hasLength && SameBits(x.length, y.length);
}
bool SameRows(const CableList& a, const CableList& b) {
  return std::equal(a.rows.begin(), a.rows.end(), b.rows.begin(), b.rows.end(), SameRow);
}

struct SettingGuard {
  CableSetting saved = g_cableSetting;
  ~SettingGuard() { g_cableSetting = saved; }
};

// Runs `work` with `database` as the active drawing and hands it back.
template <typename Work>
void WithActive(std::unique_ptr<wb::db::Database>& database, Work work) {
  wb::editor::SetActiveDatabase(std::move(database));
  work();
  database = wb::editor::ReleaseActiveDatabase();
}

// What the route log says about routes: its lines without the header and
// cable lines, which carry times and call counts.
std::vector<std::string> RouteLines(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    if (line.rfind("*****", 0) != 0 && line.rfind("From", 0) != 0) lines.push_back(line);
  return lines;
}

// A projects root of its own, with the settings put back afterwards.
struct TempRoot {
  SettingGuard guard;
  wbtest::TempDir tmp;
  std::filesystem::path dir = tmp.path();
  TempRoot() { g_cableSetting.projectRoot = tmp.folder(); }
  std::string Bytes(const std::string& name = "log.csv") const { return wbtest::ReadBytes(tmp / name); }
};

TEST(CableAssignment, LeavesTheSameDrawingAndRowsAsThePlainCommand) {
  TempRoot root;
  const auto& dir = root.dir;
  oracle::CallLimit = 200000;
  int compared = 0, routed = 0;
  for (uint32_t seed = 1; seed <= 16; ++seed) {
    // One thread and several; the route log on now and then, on plants
    // with fractional levels among them.
    wb::SetWorkerThreads(seed % 2 ? 1 : 3);
    g_cableSetting.outLog = seed % 4 == 1;
    synth::PlantOptions o;
    o.seed = seed;
    o.elements = 60 + static_cast<int>(seed % 4) * 30;
    o.cables = 25;
    o.treeLike = seed % 2 == 0;
    o.equalLengths = seed % 3 == 0;
    o.oddTexts = seed % 5 == 1;
    synth::Plant plant = synth::MakePlant(o);
    for (bool msd : {true, false}) {
      g_cableSetting.mostShortDist = msd;
      synth::PlantDrawing mine = synth::MakePlantDrawing(plant, seed);
      synth::PlantDrawing theirs = synth::MakePlantDrawing(plant, seed);
      // A drawing name that a round trip through the code page changes
      // makes every log header change with the entries after it.
      if (o.oddTexts)
        for (auto* d : {&mine, &theirs}) d->database->SetFileName("plant\\U+0041.dxf");
      std::filesystem::remove_all(dir);
      for (const char* side : {"mine", "theirs"}) std::filesystem::create_directories(dir / side);
      bool complete = true;
      g_cableSetting.projectRoot = wb::Utf8ToUtf16((dir / "theirs").string()) + kPathSeparator;
      WithActive(theirs.database,
                 [&] { complete = plain::Assign(theirs.list, theirs.facility, msd); });
      if (!complete) continue;  // the plain search would run for hours
      g_cableSetting.projectRoot = wb::Utf8ToUtf16((dir / "mine").string()) + kPathSeparator;
      // Route sheets search first, and must leave the drawing as it was.
      const std::string untouched = mine.database->SaveToString();
      std::vector<SheetRow> sheets;
      WithActive(mine.database, [&] { sheets = RouteSheetRows({mine.list, u"PLANT", mine.facility}, {}); });
      ASSERT_TRUE(mine.database->SaveToString() == untouched) << "seed " << seed;
      const CableList before = mine.list;
      WithActive(mine.database, [&] {
        const AssignmentSummary s = AssignCables(mine.list, mine.facility);
        routed += s.rowsRouted;
      });
      ++compared;
      ASSERT_EQ(RouteLines(dir / "mine" / "log.csv"), RouteLines(dir / "theirs" / "log.csv"))
          << "seed " << seed << " msd " << msd;
      ASSERT_TRUE(SameRows(mine.list, theirs.list)) << "seed " << seed << " msd " << msd;
      // The sheets' routes are the assignment's: same rows, lengths to the bit.
      ASSERT_EQ(sheets.size(), mine.list.rows.size());
      for (size_t k = 0; k < sheets.size(); ++k) {
        SCOPED_TRACE("seed " + std::to_string(seed) + " row " + std::to_string(k));
        const CableRow& row = mine.list.rows[k];
        if (!sheets[k].routed()) {
          ASSERT_TRUE(SameRow(row, before.rows[k]));
          continue;
        }
        EXPECT_TRUE(row.hasLength && SameBits(sheets[k].metres, row.length));
        EXPECT_DOUBLE_EQ(sheets[k].elements.back().sum, sheets[k].metres * 1000);
        EXPECT_EQ(SheetLength(sheets[k]), wb::Format(u"%.1lf", row.length));
      }
      const std::string once = mine.database->SaveToString();
      ASSERT_EQ(once, theirs.database->SaveToString()) << "seed " << seed << " msd " << msd;
      // A second run clears the first run's keys and writes them again; a
      // damaged duplicate key, which the clearing leaves, grows as it would
      // under the plain command.
      WithActive(mine.database, [&] { AssignCables(mine.list, mine.facility); });
      WithActive(theirs.database, [&] { plain::Assign(theirs.list, theirs.facility, msd); });
      ASSERT_TRUE(mine.database->SaveToString() == theirs.database->SaveToString())
          << "seed " << seed << " msd " << msd << " (second run)";
    }
  }
  wb::SetWorkerThreads(0);
  EXPECT_GE(compared, 24);
  EXPECT_GT(routed, 200);
}

// A trunk wire shared by three cables between equipment on both sides.
struct Trunk {
  wbtest::PlantFixture plant;
  AcDbObjectId p1, p2, p3, m1, m2, m3, a, trunk, b;
  Trunk() {
    p1 = plant.Equipment({0, 0, 0}, "P1", "ポンプ", "1", "設備A", 1.5, 300);
    p2 = plant.Equipment({0, 10, 0}, "P2", "ポンプ", "", "設備A");
    p3 = plant.Equipment({0, 20, 0}, "P3", "ポンプ", "", "設備A");
    a = plant.Wire({0, 0, 0}, {0, 20, 0}, 2000);  // its ends touch P1 and P3
    trunk = plant.Wire({0, 20, 0}, {100, 20, 0}, 10000, 1000);
    b = plant.Wire({100, 20, 0}, {100, 0, 0}, 2000);
    m1 = plant.Equipment({100, 0, 0}, "M1", "モータ", "1", "設備A", 0.25, 1200);
    m2 = plant.Equipment({100, 0, 0}, "M2", "モータ", "1", "設備B");
    m3 = plant.Equipment({100, 0, 0}, "M2", "モータ", "1", "設備A");
    plant.Equipment({500, 500, 0}, "X", "孤立", "", "設備A");  // alone: no route
  }
};

// Routes sharing elements, the equipment lookup (mark, name and sub-number
// exactly; the facility only tells apart several matches), and why the
// route sheets give a row no length.
TEST(CableAssignment, SharedElementsLookupsAndReasons) {
  SettingGuard guard;
  g_cableSetting.mostShortDist = true;
  Trunk t;
  const AcDbObjectId elsewhere = t.plant.Equipment({100, 0, 0}, "M4", "モータ", "1", "設備B");
  for (int k = 0; k < 4; ++k)  // two M5 in 設備A, two M6 in 設備B
    t.plant.Equipment({100, 0, 0}, k < 2 ? "M5" : "M6", "モータ", "1", k < 2 ? "設備A" : "設備B");
  const struct {
    CableRow row;
    const char16_t* reason;
  } rows[] = {
      {wbtest::Row("W-1", "P1", "ポンプ", "1", "M1", "モータ", "1"), u""},
      {wbtest::Row("W-2", "P3", "ポンプ", "", "M1", "モータ", "1"), u""},
      {wbtest::Row("W-3", "P3", "ポンプ", "", "M2", "モータ", "1"), u""},  // two M2: the one in 設備A
      {wbtest::Row("W-4", "X", "孤立", "", "M1", "モータ", "1"), u"From機器とTo機器をつなぐ経路がありません"},
      {wbtest::Row("W-5", "P9", "ポンプ", "", "M1", "モータ", "1"), u"From機器が見つかりません"},
      {wbtest::Row("W-6", "P1", "ポンプ", "1", "M4", "モータ", "1"), u""},  // a lone match: any facility
      {wbtest::Row("W-7", "P1", "ポンプ", "1", "m1", "モータ", "1"), u"To機器が見つかりません"},   // letter case differs
      {wbtest::Row("W-8", "P1", "ポンプ", "1", "M1 ", "モータ", "1"), u"To機器が見つかりません"},  // trailing blank
      {wbtest::Row("W-9", "P1", "ポンプ", "1", "M5", "モータ", "1"), u"To機器が複数あります（記号・名称・副番が同じ）"},
      {wbtest::Row("W-10", "P9", "ポンプ", "", "M2", "モータ", "9"), u"From機器が見つかりません、To機器が見つかりません"},
      {wbtest::Row("W-11", "P3", "ポンプ", "", "P3", "ポンプ", ""), u"From機器とTo機器が同じ機器です"},
      {wbtest::Row("W-12", "P1", "ポンプ", "1", "M6", "モータ", "1"), u"To機器が見つかりません"},  // neither in 設備A
  };
  CableList list;
  for (const auto& r : rows) list.rows.push_back(r.row);
  list.rows[3].hasLength = list.rows[4].hasLength = true;
  list.rows[3].length = list.rows[4].length = 7.5;
  const SheetProject project{list, u"PLANT", u"設備A"};
  const std::vector<SheetRow> sheets = RouteSheetRows(project, {});
  int pumped = 0;
  AssignCables(list, W("設備A"), {[&] { ++pumped; }});
  EXPECT_EQ(pumped, 12);  // one waiting message per row
  ASSERT_EQ(sheets.size(), std::size(rows));
  for (size_t k = 0; k < std::size(rows); ++k) {
    EXPECT_EQ(sheets[k].reason, rows[k].reason) << k;
    EXPECT_EQ(list.rows[k].hasLength, sheets[k].routed() || k == 3 || k == 4) << k;
  }
  EXPECT_EQ(list.rows[3].length, 7.5);  // kept
  EXPECT_EQ(list.rows[4].length, 7.5);
  // P1 (1.5 m, level 300) - a - trunk (level 1000) - b - M1 (0.25 m, level 1200).
  EXPECT_DOUBLE_EQ(list.rows[0].length, (1500 + 300 + 2000 + 10000 + 2000 + 250 + 1200) / 1000.0);
  // The sheet of P3 - trunk - b - M1, as the route log's element lines give it.
  const std::tuple<CString, double, double> lines[] = {
      {u"KIKI ", 1000, 1000}, {u"WIRE ", 10000, 11000}, {u"WIRE ", 2000, 13000}, {u"KIKI ", 1450, 14450}};
  ASSERT_EQ(sheets[1].elements.size(), std::size(lines));
  for (size_t i = 0; i < std::size(lines); ++i) {
    const SheetElement& e = sheets[1].elements[i];
    EXPECT_EQ(std::tie(e.label, e.length, e.sum), lines[i]) << i;
  }
  // Only the rows asked for, in the order asked.
  const auto two = RouteSheetRows(project, {10, 1});
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0].cable.number, u"W-11");
  EXPECT_EQ(two[1].metres, sheets[1].metres);

  // P3 reaches the trunk directly (the way round through a is longer); the
  // end equipment carry their cables too, M2 of 設備B none.
  const std::tuple<AcDbObjectId, const char16_t*, const char16_t*> keys[] = {
      {t.trunk, u"CB08", u"W-1,W-2,W-3,W-6"}, {t.trunk, u"CB03", u"5.5,5.5,5.5,5.5"},
      {t.trunk, u"CB04", u"P1,P3,P3,P1"},     {t.trunk, u"CB06", u"M1,M1,M2,M4"},
      {t.trunk, u"CB09", u"1,,,1"},           {t.trunk, u"CB10", u"1,1,1,1"},
      {t.a, u"CB08", u"W-1,W-6"},             {t.p1, u"CB08", u"W-1,W-6"},
      {t.m1, u"CB08", u"W-1,W-2"},            {t.m3, u"CB08", u"W-3"},
      {elsewhere, u"CB08", u"W-6"},           {t.m2, u"CB08", u""},
      {t.p2, u"CB08", u""}};
  for (const auto& [id, key, value] : keys)
    EXPECT_EQ(CAttributeData::GetValueAttID(id, key), value) << id.handle << wb::Utf16ToUtf8(key);
  // New entries go at the end of the list, after the marks, in key order.
  CStringArray entries;
  ApiComn_extractAttributesArrayID(t.p1, u"QZ_ATTR", entries, 0);
  ASSERT_EQ(entries.size(), 14u);
  EXPECT_EQ(entries[6], u"CB03|5.5,5.5|1|1|99|1|");
  EXPECT_EQ(entries[13], u"CB10|1,1|1|1|99|1|");
}

TEST(RouteSheets, RowSelection) {
  const struct {
    const char* text;
    std::vector<int> rows;  // empty: refused
  } cases[] = {
      {"1,4-6", {0, 3, 4, 5}}, {"3", {2}},        {" 2 , 1 ", {1, 0}}, {"2-2,1-3", {1, 0, 2}},
      {"0", {}},               {"11", {}},        {"5-4", {}},         {"1,,2", {}},
      {"a", {}},               {"1-", {}},        {"-3", {}},          {"", {}},
  };
  for (const auto& c : cases) {
    std::vector<int> rows;
    std::string problem;
    EXPECT_EQ(ParseRowSelection(c.text, 10, rows, problem), !c.rows.empty()) << c.text;
    if (c.rows.empty()) {
      EXPECT_FALSE(problem.empty()) << c.text;
    } else {
      EXPECT_EQ(rows, c.rows) << c.text;
    }
  }
}

// The log is a text file of the ANSI code page: CR LF line ends, Japanese in
// two-byte form, the newest entry first and the older entries copied back
// byte for byte below it, escapes of characters the code page lacks (or
// holds only by a best fit) included.
TEST(RouteLog, NewestEntryFirstInAnsiBytesOlderEntriesKeptUnitsWithoutARoundTripEscaped) {
  TempRoot root;
  const std::string older = "\x8C\xC3\x82\xA2 \\U+2603 \\U+00A5\r\n\r\nlast\r\n";  // 古い
  std::ofstream(root.dir / "log.csv", std::ios::binary) << older;
  Trunk t;
  // A riser with four connection points: only three are listed.
  t.plant.Block("RBS-1", {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}});
  const AcDbObjectId riser = t.plant.Insert("RBS-1", {1000, 1000, 0});
  t.plant.Tag(riser, 3, {});

  g_cableSetting.outLog = false;
  WriteRouteLog(t.p1, t.m1, {t.p1, t.a, t.m1}, 0, 0);
  EXPECT_EQ(root.Bytes(), older);

  g_cableSetting.outLog = true;
  RouteSearchCallCount = 7;
  WriteRouteLog(t.p1, t.m1, {}, 1500, 90000);
  WriteRouteLog(t.p1, t.m1, {t.p1, t.a, t.trunk, riser, t.m1}, 125, 3000);
  AcCStdioFile in;
  ASSERT_TRUE(in.Open(g_cableSetting.projectRoot + u"log.csv", CFile::typeText | CFile::modeRead));
  CStringArray lines;
  for (CString line; in.ReadString(line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 14u);
  const std::regex header(R"(\*\*\*\*\* \d{4}/\d\d/\d\d \d\d:\d\d:\d\d    )");
  EXPECT_TRUE(std::regex_match(wb::Utf16ToUtf8(lines[0]), header)) << wb::Utf16ToUtf8(lines[0]);
  EXPECT_EQ(lines[1], W("From機器：P1  To機器：M1    0.0分       0.1秒  累積:  0.1分  関数呼び出し回数：7回"));
  EXPECT_EQ(lines[2], W("No.00 KIKI   1800 /   1800 【00】(    0,     0) "));
  EXPECT_EQ(lines[3], W("No.01 WIRE   2000 /   3800 【00】(    0,     0) 【01】(    0,    20) "));
  EXPECT_EQ(lines[4], W("No.02 WIRE  10000 /  13800 【00】(    0,    20) 【01】(  100,    20) "));
  EXPECT_EQ(lines[5], W("No.03 TATE      0 /  13800 【00】( 1000,  1000) 【01】( 1001,  1000) "
                        "【02】( 1002,  1000) "));
  // The last element's level term is taken against the riser before it.
  EXPECT_EQ(lines[6], W("No.04 KIKI   1450 /  15250 【00】(  100,     0) "));
  EXPECT_EQ(lines[7], u"");
  EXPECT_TRUE(std::regex_match(wb::Utf16ToUtf8(lines[8]), header));
  EXPECT_EQ(lines[9], W("From機器：P1  To機器：M1    0.0分       1.5秒  累積:  1.5分  関数呼び出し回数：7回"));
  EXPECT_EQ(lines[10], u"");

  const std::string bytes = root.Bytes();
  size_t lineEnds = 0;
  for (size_t at = 0; (at = bytes.find("\r\n", at)) != std::string::npos; at += 2) ++lineEnds;
  EXPECT_EQ(lineEnds, 14u);
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n') + std::count(bytes.begin(), bytes.end(), '\r'), 28);
  // From機器：P1  To機器：M1 ... 関数呼び出し回数：7回 ... 【00】(
  for (const char* part : {"\r\nFrom\x8B\x40\x8A\xED\x81\x46P1  To\x8B\x40\x8A\xED\x81\x46M1  ",
                           "\x8A\xD6\x90\x94\x8C\xC4\x82\xD1\x8F\x6F\x82\xB5\x89\xF1\x90\x94\x81\x46"
                           "7\x89\xF1\r\n",
                           "\r\nNo.00 KIKI ", "\x81\x79" "00\x81\x7A("})
    EXPECT_NE(bytes.find(part), std::string::npos) << part;
  EXPECT_EQ(bytes.substr(bytes.size() - older.size() - 4), "\r\n\r\n" + older);

  // Only a unit whose bytes read back as itself is written as bytes; the
  // units the code page holds by a best fit alone are escaped.
  const struct {
    char16_t unit;
    const char* bytes;
  } cases[] = {
      {u'\u00A5', "\\U+00A5"}, {u'\u301C', "\\U+301C"}, {u'\u2212', "\\U+2212"},
      {u'\u203E', "\\U+203E"}, {u'\u2016', "\\U+2016"}, {u'\u00A2', "\\U+00A2"},
      {u'\u00A3', "\\U+00A3"}, {u'\u00AC', "\\U+00AC"}, {u'\u2014', "\\U+2014"},
      {u'\u00E9', "\\U+00E9"}, {u'\uFF5E', "\x81\x60"},  {u'\u2015', "\x81\x5C"},
      {u'\uFFE5', "\x81\x8F"},  {u'\\', "\\"},
  };
  CStringArray entry;
  std::string expected;
  for (const auto& c : cases) {
    entry.push_back(CString(1, c.unit));
    expected += std::string(c.bytes) + "\r\n";
  }
  RouteLog log(g_cableSetting.projectRoot + u"units.csv");
  log.Add(entry);
  ASSERT_TRUE(log.Write());
  EXPECT_EQ(root.Bytes("units.csv"), expected + "\r\n");
}

// A command's entries written at once leave the file that writing them one
// by one leaves, also where a round trip through the code page changes the
// text: escapes that unfold once per rewrite, a NUL that swallows its line
// end, bytes the code page has no character for, a last line without end.
TEST(RouteLog, OneWriteLeavesWhatOneWritePerEntryLeaves) {
  TempRoot root;
  const auto& dir = root.dir;
  using namespace std::string_literals;
  const std::string olds[] = {
      "",
      "\\U+005CU+005CU+0041\r\n\x8C\xC3\x82\xA2 \\u+00e9\r\n\r\nno end"s,
      "nul\0inside\r\nnext\r\n\x81"s,
  };
  const CStringArray entries[] = {
      {u"***** plain", W("From機器：P1  ☃")},
      {u"\\U+005CU+0041 reads back as an escape"},
      {CString(1100000, u'#')},  // more than the file gets in one write
      {CString(u"a\0b", 3), u"after the NUL", u"\\"},
      {u"\u00e9 \u00a5 \u301c \uff5e"},
  };
  for (size_t o = 0; o <= std::size(olds); ++o) {
    for (const char* side : {"once", "each"}) {
      std::filesystem::remove_all(dir / side);
      std::filesystem::create_directories(dir / side);
      if (o < std::size(olds)) std::ofstream(dir / side / "log.csv", std::ios::binary) << olds[o];
    }
    const CString once = wb::Utf8ToUtf16((dir / "once" / "log.csv").string());
    const CString each = wb::Utf8ToUtf16((dir / "each" / "log.csv").string());
    RouteLog batch(once);
    for (const auto& entry : entries) batch.Add(entry);
    ASSERT_TRUE(batch.Write());
    for (const auto& entry : entries) {
      RouteLog single(each);
      single.Add(entry);
      ASSERT_TRUE(single.Write());
    }
    EXPECT_EQ(root.Bytes("once/log.csv"), root.Bytes("each/log.csv")) << "old file " << o;
  }
}

// The command on the main dialog's list: refused without the dialog,
// otherwise the rows filled, progress shown and the completion said.
using SetCableDistCommand = wbtest::UserSession;

TEST_F(SetCableDistCommand, FillsTheDialogsRowsAndReportsProgressAndCompletion) {
  plant.Equipment({0, 0, 0}, "P1", "ポンプ", "", "第1設備", 1);
  const AcDbObjectId wire = plant.Wire({0, 0, 0}, {10, 0, 0}, 3000, 0, {"CB08|OLD|1|1|99|1|"});
  const AcDbObjectId to = plant.Equipment({10, 0, 0}, "M1", "モータ", "", "第1設備", 2);
  MainDlg* dialog = std::exchange(g_pMainDlg, nullptr);  // typed with no main dialog at all
  QZ_SetCableDist();
  g_pMainDlg = dialog;
  EXPECT_EQ(Messages(), std::vector<wb::WString>{LoadModuleString(135)});
  EXPECT_EQ(CAttributeData::GetValueAttID(wire, u"CB08"), u"OLD");

  CableRow kept = wbtest::Row("W-2", "P1", "ポンプ", "", "M9", "モータ", "");
  kept.hasLength = true;
  kept.length = 4.5;
  LoadList({wbtest::Row("W-1", "P1", "ポンプ", "", "M1", "モータ", ""), kept});
  QZ_SetCableDist();
  const wb::WString start = LoadModuleString(140);
  EXPECT_EQ(output.progress, (std::vector<wb::WString>{start + u" 0 2", u"0", u"1", u"end"}));
  const CableList& list = g_pMainDlg->m_cableList;
  ASSERT_TRUE(list.rows[0].hasLength);
  EXPECT_DOUBLE_EQ(list.rows[0].length, 6.0);
  EXPECT_EQ(list.rows[1].length, 4.5);  // no such equipment: kept
  EXPECT_EQ(CAttributeData::GetValueAttID(wire, u"CB08"), u"W-1");
  // The list shows the new length.
  bool shown = false;
  for (int c = 0; c < 12; ++c) shown |= g_pMainDlg->m_list.GetItemText(0, c) == u"6.0";
  EXPECT_TRUE(shown);
  EXPECT_EQ(Messages().back(), LoadModuleString(134));
  EXPECT_EQ(dialogs.messages().back().type, MB_OK | MB_ICONINFORMATION);

  // An empty list (no project loaded) still clears the cable keys, marks
  // aside.
  g_pMainDlg->m_cableList = CableList{};
  WriteEntityAttribute(to, u"CB10", u"OLD", 1, 1, 1);
  output.progress.clear();
  QZ_SetCableDist();
  EXPECT_EQ(output.progress, (std::vector<wb::WString>{start + u" 0 0", u"end"}));
  EXPECT_EQ(CAttributeData::GetValueAttID(wire, u"CB08"), u"");
  EXPECT_EQ(CAttributeData::GetValueAttID(to, u"CB10"), u"");
  EXPECT_EQ(CAttributeData::GetValueAttID(to, u"CB01"), u"M1");
  ASSERT_EQ(Messages().size(), 3u);
  EXPECT_EQ(Messages().back(), LoadModuleString(134));
}

}  // namespace
