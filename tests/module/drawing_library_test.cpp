// The drawing side of the two library stand-ins: the tagged entities and
// their attribute xdata, as the authoring tools and other tools write them,
// in drawings of today and in a code page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

TEST(TaggedEntities, EquipmentScanMatchesExactlyAndNarrowsByFacility) {
  wbtest::PlantFixture plant;
  EXPECT_TRUE(GetTaggedEntities(TAGSCAN_ALL, u"", u"", u"", u"").empty());
  auto a = plant.Equipment({0, 0, 0}, "P1", "ポンプ", "1", "設備A");
  auto b = plant.Equipment({10, 0, 0}, "P1", "ポンプ", "1", "設備B");
  auto lone = plant.Equipment({20, 0, 0}, "M2", "モータ", "", "設備B");
  auto wire = plant.Wire({0, 0, 0}, {10, 0, 0}, 1000);
  AcDbObjectId linkOnly = plant.Insert("RT-1", {5, 5, 0});
  plant.db->SetXData(linkOnly, "QZ_LINK", {{1070, "3"}});
  plant.Insert("RT-1", {9, 9, 0});  // untagged: never scanned

  EXPECT_EQ(GetTaggedEntities(TAGSCAN_ALL, u"", u"", u"", u""),
            (AcDbObjectIdArray{a, b, lone, wire, linkOnly}));
  EXPECT_EQ(GetTaggedEntities(7, u"x", u"", u"", u"").size(), 5u);  // any other mode scans all

  EXPECT_EQ(GetTaggedEntities(TAGSCAN_EQUIPMENT, u"P1", W("ポンプ"), u"1", W("設備A")),
            AcDbObjectIdArray{a});
  EXPECT_TRUE(GetTaggedEntities(TAGSCAN_EQUIPMENT, u"P1", W("ポンプ"), u"1", W("設備C")).empty());
  // A single match stays whatever its facility.
  EXPECT_EQ(GetTaggedEntities(TAGSCAN_EQUIPMENT, u"M2", W("モータ"), u"", W("設備A")),
            AcDbObjectIdArray{lone});
  EXPECT_TRUE(GetTaggedEntities(TAGSCAN_EQUIPMENT, u"p1", W("ポンプ"), u"1", W("設備A")).empty());
  EXPECT_TRUE(GetTaggedEntities(TAGSCAN_EQUIPMENT, u"P1 ", W("ポンプ"), u"1", W("設備A")).empty());

  // The per-command index gives the same answers as the scan.
  EquipmentIndex index(GetTaggedEntities(TAGSCAN_ALL, u"", u"", u"", u""));
  for (const char* facility : {"設備A", "設備B", "設備C"}) {
    EXPECT_EQ(index.Find(u"P1", W("ポンプ"), u"1", W(facility)),
              GetTaggedEntities(TAGSCAN_EQUIPMENT, u"P1", W("ポンプ"), u"1", W(facility)));
    EXPECT_EQ(index.Find(u"M2", W("モータ"), u"", W(facility)), AcDbObjectIdArray{lone});
  }
  EXPECT_TRUE(index.Find(u"P1", W("ポンプ"), u"2", W("設備A")).empty());

  // Two in the same facility: both, in scan order, for the caller to refuse.
  auto twin = plant.Equipment({30, 0, 0}, "P1", "ポンプ", "1", "設備A");
  EXPECT_EQ(GetTaggedEntities(TAGSCAN_EQUIPMENT, u"P1", W("ポンプ"), u"1", W("設備A")),
            (AcDbObjectIdArray{a, twin}));

  // What lies on a frozen layer is not scanned; on a layer that is only
  // off it is.
  for (const char* layer : {"FROZEN", "OFF"}) plant.db->CreateLayer(layer, 1);
  plant.db->SetGroup(plant.db->LayerId("FROZEN"), 70, "1");
  plant.db->SetGroup(plant.db->LayerId("OFF"), 62, "-1");
  plant.db->SetGroup(a, 8, "FROZEN");
  plant.db->SetGroup(b, 8, "OFF");
  EXPECT_EQ(GetTaggedEntities(TAGSCAN_ALL, u"", u"", u"", u""), (AcDbObjectIdArray{b, lone, wire, linkOnly, twin}));
}

TEST(TaggedEntities, BlockIdClassesAndLabels) {
  wbtest::PlantFixture plant;
  auto classOf = [&](const std::string& block) {
    plant.Block(block, {});
    return ClassifyBlockID(plant.Insert(block, {0, 0, 0}));
  };
  for (auto [block, id] : {std::pair{"KK-MCC1", BLOCKID_EQUIPMENT}, {"RT-0001", BLOCKID_WIRE},
                           {"RBS-01", BLOCKID_RISER}, {"RBT-01", BLOCKID_TEE},
                           {"RB", BLOCKID_RB_OTHER}, {"RBX", BLOCKID_RB_OTHER},
                           {"rt-0001", BLOCKID_NONE}, {"K", BLOCKID_NONE}})
    EXPECT_EQ(classOf(block), id) << block;
  AcDbObjectId line = plant.db->AddEntity("", "LINE", "0", {{100, "AcDbLine"}});
  EXPECT_EQ(ClassifyBlockID(line), BLOCKID_NONE);

  for (auto [id, kind, label] :
       {std::tuple{BLOCKID_WIRE, 0, u"WIRE "}, {BLOCKID_RISER, 3, u"TATE "},
        {BLOCKID_TEE, 3, u"TEE  "}, {BLOCKID_EQUIPMENT, 0, u"KIKI "},
        {BLOCKID_RB_OTHER, 3, u"BUHIN"}, {BLOCKID_NONE, -1, u"ETC  "}})
    EXPECT_EQ(ElementLabel(id, kind), label) << id;
}

TEST(TaggedEntities, AttributeWritesAccumulateReplaceAndAppend) {
  using Tags = std::vector<wb::db::Tag>;
  wbtest::PlantFixture plant;
  plant.Block("RT-1", {});
  AcDbObjectId wire = plant.Insert("RT-1", {0, 0, 0});
  // Groups other tools stored beside the entries stay; the entries are
  // written back as one run where the first was, new keys at its end.
  plant.db->SetXData(wire, "QZ_ATTR",
                     {{1070, "7"}, {1000, "S304|1500|1|1|99|1|"}, {1040, "2.5"}, {1000, "CB08|W-1|1|1|99|1|"}});
  ASSERT_EQ(WriteEntityAttribute(wire, u"CB08", u"W-2", 1, 1, 1), 0);
  WriteEntityAttribute(wire, u"CB03", u"2sq", 1, 1, 1);
  EXPECT_EQ(plant.db->XData(wire, "QZ_ATTR"), (Tags{{1070, "7"}, {1000, "S304|1500|1|1|99|1|"},
                                                    {1000, "CB08|W-1,W-2|1|1|99|1|"}, {1000, "CB03|2sq|1|1|99|1|"},
                                                    {1040, "2.5"}}));
  RemoveEntityAttributes(wire, {u"CB08", u"CB03"});
  EXPECT_EQ(CAttributeData::GetValueAttID(wire, u"S304"), u"1500");
  // With every entry gone the other groups stay, and so does the tag.
  RemoveEntityAttributes(wire, {u"S304"});
  EXPECT_EQ(plant.db->XData(wire, "QZ_ATTR"), (Tags{{1070, "7"}, {1040, "2.5"}}));
  EXPECT_EQ(GetTaggedEntities(TAGSCAN_ALL, u"", u"", u"", u""), AcDbObjectIdArray{wire});
  // Link data of the authoring tools is never touched.
  plant.db->SetXData(wire, "QZ_LINK", {{1070, "3"}});
  CStringArray list;

  // Accumulating onto an empty value still puts the comma in.
  plant.db->SetXData(wire, "QZ_ATTR", {{1000, "CB08||1|1|99|1|"}, {1000, "CB03|a|b|1|1|99|1|"}});
  WriteEntityAttribute(wire, u"CB08", u"W-1", 1, 1, 1);
  EXPECT_EQ(CAttributeData::GetValueAttID(wire, u"CB08"), u",W-1");
  // Bars inside a value survive reading, accumulating and replacing.
  EXPECT_EQ(CAttributeData::GetValueAttID(wire, u"CB03"), u"a|b");
  WriteEntityAttribute(wire, u"CB03", u"c|d", 1, 1, 1);
  EXPECT_EQ(CAttributeData::GetValueAttID(wire, u"CB03"), u"a|b,c|d");
  WriteEntityAttribute(wire, u"CB03", u"e", 1, 1, 2);  // only 1 accumulates
  EXPECT_EQ(CAttributeData::GetValueAttID(wire, u"CB03"), u"e");
  // A value holding a comma becomes two items of its key's list.
  WriteEntityAttribute(wire, u"CB03", u"f,g", 1, 1, 1);
  EXPECT_EQ(wb::Split(CAttributeData::GetValueAttID(wire, u"CB03"), u",").size(), 3u);
  // New entries carry the numbers they are given and the fixed 1 and 99.
  WriteEntityAttribute(wire, u"CB09", u"", 2, 5, 1);
  CString entry;
  ApiComn_extractAttributesArrayID(wire, u"QZ_ATTR", list, 0);
  ASSERT_EQ(CAttributeData::GetAtAtt(list, u"CB09", entry), 0);
  EXPECT_EQ(entry, u"CB09||2|1|99|5|");
  // Keys are matched whole and with their case.
  EXPECT_EQ(CAttributeData::FindAtt(list, u"cb09"), -1);
  EXPECT_EQ(CAttributeData::FindAtt(list, u"CB0"), -1);
  EXPECT_EQ(CAttributeData::GetValueAttID(wire, u"S304"), u"");  // absent: empty

  // Only the first entry of a key goes; a key named twice takes two.
  list.push_back(u"CB09|second|1|1|99|1|");
  list.push_back(u"CB09|third|1|1|99|1|");
  ApiComn_appendAttributesArray(wire, u"QZ_ATTR", list, 1);
  RemoveEntityAttributes(wire, {u"CB09"});
  EXPECT_EQ(CAttributeData::GetValueAttID(wire, u"CB09"), u"second");
  RemoveEntityAttributes(wire, {u"CB09", u"CB09"});
  ApiComn_extractAttributesArrayID(wire, u"QZ_ATTR", list, 0);
  EXPECT_EQ(CAttributeData::FindAtt(list, u"CB09"), -1);
  EXPECT_EQ(list.size(), 2u);
  EXPECT_EQ(plant.db->XData(wire, "QZ_LINK"), (Tags{{1070, "3"}}));
}

// Connection points on any case of their layer, through the reference's
// base point, scale, rotation and extrusion (mirrored through it, or on its
// side), and the point nearest a pick.
TEST(TaggedEntities, ConnectionPointsFollowTheBlockReference) {
  wbtest::PlantFixture plant;
  plant.Block("RT-X", {{1, 0, 0}, {3, 0, 1}}, {1, 0, 0});
  plant.Block("RT-M", {{0, 0, 0}, {2, 1, 0}});
  plant.db->CreateBlock("RT-CASE", {});
  for (const char* layer : {"qz_connect", "QZ_CONNECTX", "Qz_Connect"})  // a longer name is another layer
    plant.db->AddEntity("RT-CASE", "POINT", layer,
                        {{100, "AcDbPoint"}, {10, "1"}, {20, layer[0] == 'Q' ? "2" : "1"}, {30, "0"}});
  const struct {
    const char* block;
    std::vector<wb::db::Tag> groups;
    std::vector<wb::db::Point3> points;
  } cases[] = {
      // (3-1)*2 = 4 along x, rotated onto y.
      {"RT-X", {{10, "10"}, {20, "20"}, {30, "5"}, {41, "2"}, {42, "1"}, {43, "3"}, {50, "90"}}, {{10, 20, 5}, {10, 24, 8}}},
      // Extrusion along -Z: the OCS x axis runs along -X.
      {"RT-M", {{10, "10"}, {20, "20"}, {30, "5"}, {210, "0"}, {220, "0"}, {230, "-1"}}, {{-10, 20, -5}, {-12, 21, -5}}},
      // Extrusion along +X: the OCS x axis runs along +Y.
      {"RT-M", {{10, "0"}, {20, "0"}, {30, "3"}, {210, "1"}, {220, "0"}, {230, "0"}}, {{3, 0, 0}, {3, 2, 1}}},
      {"RT-CASE", {}, {{1, 1, 0}, {1, 2, 0}}},
  };
  std::vector<AcDbObjectId> inserts;
  for (const auto& c : cases) {
    std::vector<wb::db::Tag> groups{{100, "AcDbBlockReference"}, {2, c.block}};
    groups.insert(groups.end(), c.groups.begin(), c.groups.end());
    inserts.push_back(plant.db->AddEntity("", "INSERT", "0", groups));
    AcGePoint3dArray points;
    ASSERT_EQ(QzComn_GetConnectPoint(inserts.back(), points, QZCONECT_LAYER, nullptr), 0) << c.block;
    ASSERT_EQ(points.size(), c.points.size()) << c.block;
    for (size_t i = 0; i < points.size(); ++i)
      wbtest::ExpectPoint(points[i], c.points[i].x, c.points[i].y, c.points[i].z, c.block);
  }
  AcGePoint3d origin;
  ASSERT_EQ(RootComn_GetOriginPoint(inserts[1], origin), 0);
  wbtest::ExpectPoint(origin, -10, 20, -5);

  AcGePoint3d nearest;
  double distance = -1;
  ASSERT_EQ(RootComn_GetNearConnectPoint(inserts[0], {10, 23, 8}, nearest, distance), 0);
  EXPECT_NEAR(distance, 1.0, 1e-9);
  EXPECT_NEAR(nearest.y, 24, 1e-9);
  ASSERT_EQ(RootComn_GetNearConnectPoint(inserts[1], {-12, 21, -4}, nearest, distance), 0);
  EXPECT_NEAR(distance, 1.0, 1e-9);

  plant.Block("KK-EMPTY", {});
  AcDbObjectId bare = plant.Insert("KK-EMPTY", {0, 0, 0});
  EXPECT_NE(RootComn_GetNearConnectPoint(bare, {0, 0, 0}, nearest, distance), 0);
  int kind = 42;
  EXPECT_NE(RootComn_GetBlockRootKind(bare, kind), 0);
  EXPECT_EQ(kind, 42);  // preset kept on failure
  // The first 1070 counts; a damaged one is no kind at all, not equipment.
  plant.db->SetXData(bare, "QZ_LINK", {{1000, "x"}, {1070, " 3"}, {1070, "0"}});
  EXPECT_EQ(RootComn_GetBlockRootKind(bare, kind), 0);
  EXPECT_EQ(kind, ROOTKIND_PART);
  plant.db->SetXData(bare, "QZ_LINK", {{1070, "abc"}});
  kind = 42;
  EXPECT_NE(RootComn_GetBlockRootKind(bare, kind), 0);
  EXPECT_EQ(kind, 42);
}

// Entries longer than a string group travel in braced pieces of at most
// 255 bytes as the file stores them: UTF-8 in a drawing of today, the code
// page before R2007, where a character the code page lacks is a seven-byte
// escape. A run another tool left unclosed still reads as one entry.
TEST(DrawingLibrary, LongEntriesTravelInBracedPiecesOfTheFilesBytes) {
  wbtest::PlantFixture plant;
  auto wire = plant.Wire({0, 0, 0}, {1, 0, 0}, 1);
  CString value;
  for (int i = 0; i < 120; ++i) value += W(i % 2 ? "ケ," : "W-1,");
  WriteEntityAttribute(wire, u"CB08", value, 1, 1, 0);
  for (const auto& tag : plant.db->XData(wire, "QZ_ATTR")) EXPECT_LE(tag.value.size(), 255u);
  EXPECT_EQ(CAttributeData::GetValueAttID(wire, u"CB08"), value);

  // 255 bytes still fit one group, 256 do not.
  const size_t fixed = std::string("CB08||1|1|99|1|").size();
  WriteEntityAttribute(wire, u"CB08", CString(255 - fixed, u'x'), 1, 1, 0);
  EXPECT_EQ(plant.db->XData(wire, "QZ_ATTR").size(), 3u);
  WriteEntityAttribute(wire, u"CB08", CString(256 - fixed, u'x'), 1, 1, 0);
  const auto pieces = plant.db->XData(wire, "QZ_ATTR");
  ASSERT_EQ(pieces.size(), 6u);
  EXPECT_EQ(pieces[3].value.size(), 255u);
  EXPECT_EQ(pieces[4].value, "|");

  // A run left open reads as one entry.
  plant.db->SetXData(wire, "QZ_ATTR",
                     {{1000, "S304|1500|1|1|99|1|"}, {1002, "{"}, {1000, "CB08|W-1,"}, {1000, "W-2|1|1|99|1|"}});
  CStringArray list;
  ASSERT_EQ(ApiComn_extractAttributesArrayID(wire, u"QZ_ATTR", list, 0), 0);
  EXPECT_EQ(list, (CStringArray{u"S304|1500|1|1|99|1|", u"CB08|W-1,W-2|1|1|99|1|"}));

  // A write keeps the value that was in the open run.
  WriteEntityAttribute(wire, u"CB03", u"2sq", 1, 1, 1);
  EXPECT_EQ(CAttributeData::GetValueAttID(wire, u"CB08"), u"W-1,W-2");
  EXPECT_EQ(CAttributeData::GetValueAttID(wire, u"S304"), u"1500");

  // The same limit in a drawing in code page 932.
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
