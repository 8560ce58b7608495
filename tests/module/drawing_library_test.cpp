// The drawing side of the two library stand-ins, on the cases the plant
// drawings bring: layer names in any case, mirrored references, attribute
// xdata that other tools wrote in their own way, and drawings in a code page.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "drawing/tagged_entities.h"
#include "plant_fixture.h"
#include "platform/arxutil/drawing/arxutil_drawing.h"
#include "platform/editor/document.h"
#include "platform/editor/selection.h"
#include "platform/qzcomn/config/qzcomn_config.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"
#include "platform/qzcomn/drawing/qzcomn_entity.h"

using wb::W;
using wb::db::Tag;
using wbtest::ExpectPoint;

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

TEST(DrawingLibrary, ConnectionPointsOnAnyCaseOfTheLayerAndUnderAnyExtrusion) {
  wbtest::PlantFixture plant;
  plant.db->CreateBlock("RT-CASE", {});
  for (const char* layer : {"qz_connect", "QZ_CONNECTX", "Qz_Connect"})
    plant.db->AddEntity("RT-CASE", "POINT", layer,
                        {{100, "AcDbPoint"}, {10, "1"}, {20, layer[0] == 'Q' ? "2" : "1"},
                         {30, "0"}});
  AcDbObjectId wire = plant.Insert("RT-CASE", {0, 0, 0});
  AcGePoint3dArray points;
  ASSERT_EQ(QzComn_GetConnectPoint(wire, points, QZCONECT_LAYER, nullptr), 0);
  ASSERT_EQ(points.size(), 2u);  // layer names ignore case; a longer name is another layer
  ExpectPoint(points[0], 1, 1, 0);
  ExpectPoint(points[1], 1, 2, 0);

  // A reference mirrored through its extrusion: insertion point and block
  // geometry are in its own coordinate system, whose x axis runs along -X.
  plant.Block("RT-MIRROR", {{0, 0, 0}, {2, 1, 0}});
  AcDbObjectId mirrored = plant.db->AddEntity(
      "", "INSERT", "0",
      {{100, "AcDbBlockReference"}, {2, "RT-MIRROR"}, {10, "10"}, {20, "20"}, {30, "5"},
       {210, "0"}, {220, "0"}, {230, "-1"}});
  ASSERT_EQ(QzComn_GetConnectPoint(mirrored, points, QZCONECT_LAYER, nullptr), 0);
  ASSERT_EQ(points.size(), 2u);
  ExpectPoint(points[0], -10, 20, -5);
  ExpectPoint(points[1], -12, 21, -5);
  AcGePoint3d origin;
  ASSERT_EQ(RootComn_GetOriginPoint(mirrored, origin), 0);
  ExpectPoint(origin, -10, 20, -5);
  AcGePoint3d nearest;
  double distance = -1;
  ASSERT_EQ(RootComn_GetNearConnectPoint(mirrored, {-12, 21, -4}, nearest, distance), 0);
  EXPECT_NEAR(distance, 1.0, 1e-9);

  // Standing on its side: extrusion along +X, so OCS x runs along +Y.
  AcDbObjectId side = plant.db->AddEntity(
      "", "INSERT", "0",
      {{100, "AcDbBlockReference"}, {2, "RT-MIRROR"}, {10, "0"}, {20, "0"}, {30, "3"},
       {210, "1"}, {220, "0"}, {230, "0"}});
  ASSERT_EQ(QzComn_GetConnectPoint(side, points, QZCONECT_LAYER, nullptr), 0);
  ASSERT_EQ(points.size(), 2u);
  ExpectPoint(points[0], 3, 0, 0);
  ExpectPoint(points[1], 3, 2, 1);
}

TEST(DrawingLibrary, AttributeWritesKeepWhatOtherToolsStoredBesideTheEntries) {
  wbtest::PlantFixture plant;
  plant.Block("RT-1", {});
  AcDbObjectId wire = plant.Insert("RT-1", {0, 0, 0});
  plant.db->SetXData(wire, "QZ_ATTR",
                     {{1070, "7"},
                      {1000, "S304|1500|1|1|99|1|"},
                      {1040, "2.5"},
                      {1000, "CB08|W-1|1|1|99|1|"}});
  ASSERT_EQ(WriteEntityAttribute(wire, u"CB08", u"W-2", 1, 1, 1), 0);
  RemoveEntityAttributes(wire, {u"S304"});
  EXPECT_EQ(plant.db->XData(wire, "QZ_ATTR"),
            (std::vector<Tag>{{1070, "7"}, {1000, "CB08|W-1,W-2|1|1|99|1|"}, {1040, "2.5"}}));

  // With every entry gone the other groups stay, and so does the tag.
  RemoveEntityAttributes(wire, {u"CB08"});
  EXPECT_EQ(plant.db->XData(wire, "QZ_ATTR"), (std::vector<Tag>{{1070, "7"}, {1040, "2.5"}}));
  EXPECT_EQ(GetTaggedEntities(TAGSCAN_ALL, u"", u"", u"", u""), AcDbObjectIdArray{wire});
}

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

TEST(DrawingLibrary, SelectAllSkipsFrozenLayersAndTheWholeDrawingDoesNot) {
  wbtest::PlantFixture plant;
  wb::db::Database* db = plant.db;
  db->CreateLayer("FROZEN", 1);
  db->CreateLayer("OFF", 1);
  db->SetGroup(db->LayerId("FROZEN"), 70, "1");
  db->SetGroup(db->LayerId("OFF"), 62, "-1");
  std::vector<AcDbObjectId> lines;
  for (const char* layer : {"0", "FROZEN", "OFF"}) {
    lines.push_back(db->AddEntity("", "LINE", layer,
                                  {{100, "AcDbLine"}, {10, "0"}, {20, "0"}, {30, "0"},
                                   {11, "1"}, {21, "1"}, {31, "0"}}));
    db->SetXData(lines.back(), "QZ_ATTR", {{1000, "CB03|x|1|1|99|1|"}});
  }
  const FilterList filter{{-3, u""}, {1001, u"QZ_ATTR"}};
  auto selected = [&](const char16_t* mode) {
    ads_name set;
    std::vector<AcDbObjectId> ids;
    if (acedSSGet(mode, nullptr, nullptr, &filter, set) != RTNORM) return ids;
    long count = 0;
    spedSSLength(set, count);
    for (long i = 0; i < count; ++i) {
      ads_name name;
      AcDbObjectId id;
      acedSSName(set, i, name);
      acdbGetObjectId(id, name);
      ids.push_back(id);
    }
    acedSSFree(set);
    return ids;
  };
  // Off layers are still selected by "all"; frozen ones are not.
  EXPECT_EQ(selected(u"A"), (std::vector<AcDbObjectId>{lines[0], lines[2]}));
  EXPECT_EQ(selected(u"X"), lines);
}
