// The drawing side of the two library stand-ins, on the cases the plant
// drawings bring: attribute xdata that other tools wrote in their own way,
// and drawings in a code page.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "drawing/tagged_entities.h"
#include "plant_fixture.h"
#include "platform/arxutil/drawing/arxutil_drawing.h"
#include "platform/editor/document.h"
#include "platform/qzcomn/config/qzcomn_config.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"
#include "platform/qzcomn/drawing/qzcomn_entity.h"

using wb::W;
using wb::db::Tag;

namespace {

// Every 1000 value as the file stores it.
std::vector<std::string> StringGroupsInFile(const wb::db::Database& database) {
  std::istringstream in(database.SaveToString());
  std::vector<std::string> values;
  std::string code, value;
  while (std::getline(in, code) && std::getline(in, value)) {
    if (!code.empty() && code.back() == '\r') code.pop_back();
    if (!value.empty() && value.back() == '\r') value.pop_back();
    if (code.find_first_not_of(' ') != std::string::npos &&
        code.substr(code.find_first_not_of(' ')) == "1000")
      values.push_back(value);
  }
  return values;
}

}  // namespace

TEST(DrawingLibrary, AnUnclosedPieceRunStillReadsAsOneEntry) {
  wbtest::PlantFixture plant;
  plant.Block("RT-1", {});
  AcDbObjectId wire = plant.Insert("RT-1", {0, 0, 0});
  plant.db->SetXData(wire, "QZ_ATTR",
                     {{1000, "S304|1500|1|1|99|1|"},
                      {1002, "{"},
                      {1000, "CB08|W-1,"},
                      {1000, "W-2|1|1|99|1|"}});
  CStringArray list;
  ASSERT_EQ(ApiComn_extractAttributesArrayID(wire, u"QZ_ATTR", list, 0), 0);
  EXPECT_EQ(list, (CStringArray{u"S304|1500|1|1|99|1|", u"CB08|W-1,W-2|1|1|99|1|"}));

  // A write keeps the value that was in the open run.
  WriteEntityAttribute(wire, u"CB03", u"2sq", 1, 1, 1);
  EXPECT_EQ(CAttributeData::GetValueAttID(wire, u"CB08"), u"W-1,W-2");
  EXPECT_EQ(CAttributeData::GetValueAttID(wire, u"S304"), u"1500");
}

// A drawing before R2007 stores text in its code page, a character the code
// page lacks as a seven-byte escape: the 255-byte limit of a string group is
// a limit on those bytes.
TEST(DrawingLibrary, LongEntriesAreCutByTheBytesTheFileStores) {
  const std::string dxf =
      "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$DWGCODEPAGE\n3\nANSI_932\n"
      "9\n$HANDSEED\n5\n100\n0\nENDSEC\n"
      "0\nSECTION\n2\nENTITIES\n0\nLINE\n5\n40\n8\n0\n10\n0\n20\n0\n30\n0\n11\n1\n21\n0\n31\n0\n"
      "0\nENDSEC\n0\nEOF\n";
  wb::db::Error error;
  auto database = wb::db::Database::OpenFromMemory(dxf, "r2000.dxf", &error);
  ASSERT_NE(database, nullptr) << error.ToString();
  wb::editor::SetActiveDatabase(std::move(database));
  wb::db::Database* db = wb::editor::ActiveDatabase();
  const AcDbObjectId line{0x40};

  // 80 kanji: 240 bytes of UTF-8 but 160 in the file, so one group.
  CString kanji;
  for (int i = 0; i < 80; ++i) kanji += W("設");
  ASSERT_EQ(WriteEntityAttribute(line, u"CB05", kanji, 1, 1, 0), 0);
  // 40 hangul syllables: 120 bytes of UTF-8 but 280 in the file, so pieces.
  CString hangul;
  for (int i = 0; i < 40; ++i) hangul += W("한");
  ASSERT_EQ(WriteEntityAttribute(line, u"CB07", hangul, 1, 1, 0), 0);

  const auto xdata = db->XData(line, "QZ_ATTR");
  ASSERT_FALSE(xdata.empty());
  EXPECT_EQ(xdata.front(), (Tag{1000, wb::Utf16ToUtf8(u"CB05|" + kanji + u"|1|1|99|1|")}));
  EXPECT_EQ(xdata[1], (Tag{1002, "{"}));
  for (const std::string& stored : StringGroupsInFile(*db)) EXPECT_LE(stored.size(), 255u);
  EXPECT_EQ(CAttributeData::GetValueAttID(line, u"CB05"), kanji);
  EXPECT_EQ(CAttributeData::GetValueAttID(line, u"CB07"), hangul);

  // Read back from the saved file, the entries are whole again.
  auto reopened = wb::db::Database::OpenFromMemory(db->SaveToString(), "again.dxf", &error);
  ASSERT_NE(reopened, nullptr) << error.ToString();
  wb::editor::SetActiveDatabase(std::move(reopened));
  EXPECT_EQ(CAttributeData::GetValueAttID(line, u"CB07"), hangul);
  wb::editor::SetActiveDatabase(nullptr);
}

TEST(DrawingLibrary, LoadStringFillsTheCallersBufferAndNoMore) {
  static const CString kLong(300, u'字');
  static const ModuleInstance instance{u"test", [](int id) -> const char16_t* {
                                         if (id == 1) return u"ケーブル";
                                         if (id == 2) return kLong.c_str();
                                         return nullptr;
                                       }};
  char16_t buffer[261];
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  EXPECT_EQ(QzComn_LoadString(&instance, 2, buffer, 260), 259);
  EXPECT_EQ(CString(buffer), kLong.substr(0, 259));
  EXPECT_EQ(buffer[260], u'#');  // nothing past the capacity
  EXPECT_EQ(QzComn_LoadString(&instance, 1, buffer, 260), 4);
  EXPECT_EQ(CString(buffer), W("ケーブル"));
  EXPECT_EQ(QzComn_LoadString(&instance, 3, buffer, 260), 0);
  EXPECT_EQ(CString(buffer), u"");
}

TEST(DrawingLibrary, ANewTextTakesTheCurrentTextStyle) {
  wbtest::PlantFixture plant;
  wb::db::Database* db = plant.db;
  AcDbObjectId id;
  db->SetHeaderValue("$TEXTSTYLE", 7, "JP");
  ASSERT_EQ(QzComn_addEntity(AcDbText({1, 2, 0}, u"M1", AcDbObjectId{}, 2.5, 0), &id), 0);
  EXPECT_EQ(db->Group(id, 7), "JP");
  // The default style is the one a text without the group has.
  db->SetHeaderValue("$TEXTSTYLE", 7, "Standard");
  ASSERT_EQ(QzComn_addEntity(AcDbText({1, 2, 0}, u"M2", AcDbObjectId{}, 2.5, 0), &id), 0);
  EXPECT_FALSE(db->Group(id, 7).has_value());
}
