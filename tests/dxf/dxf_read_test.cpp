// Reading drawings written by ezdxf, and saving them back unchanged; every
// group of an entity, its vertices and its layer record, as a renderer
// reads them.
#include <gtest/gtest.h>

#include "dxf/dxf_test_util.h"

namespace {

using wb::db::Database;
using wb::db::ObjectId;
using wb::db::Point3;
using wb::db::Tag;
using namespace wb::dxftest;

// What every version holds, read and written back byte for byte.
TEST(DxfRead, TaggingConventionInEveryVersion) {
  for (const Version& v : kVersions) {
    SCOPED_TRACE(v.file);
    auto database = MustOpen(Fixture(v.file));
    ASSERT_NE(database, nullptr);
    EXPECT_EQ(database->Version(), v.acadver);
    EXPECT_EQ(database->HeaderValue("$acadver"), v.acadver);
    EXPECT_FALSE(database->HeaderValue("$NOSUCHVAR"));
    const std::string elec = v.japaneseLayer ? "電気" : "ELEC";

    // Model space in drawing order; the paper-space line, the attribute and
    // its SEQEND are not listed.
    auto ids = database->ModelSpaceEntities();
    std::vector<std::string> types;
    for (ObjectId id : ids) types.push_back(database->EntityType(id));
    ASSERT_EQ(types, (std::vector<std::string>{"INSERT", "INSERT", "INSERT", "INSERT", "LINE",
                                                "TEXT", "INSERT"}));
    const ObjectId mcc = ids[0], wire = ids[1], riser = ids[2], tee = ids[3], line = ids[4];

    auto insert = database->Insert(mcc);
    ASSERT_TRUE(insert);
    EXPECT_EQ(insert->blockName, "KK-MCC1");
    EXPECT_EQ(insert->position, (Point3{100, 200, 0}));
    EXPECT_EQ(insert->scale, (Point3{1, 1, 1}));
    EXPECT_EQ(insert->extrusion, (Point3{0, 0, 1}));
    EXPECT_EQ(database->Layer(mcc), elec);
    insert = database->Insert(wire);
    ASSERT_TRUE(insert);
    EXPECT_EQ(insert->blockName, "RT-0001");
    EXPECT_EQ(insert->position, (Point3{10, 20, 0}));
    EXPECT_EQ(insert->scale, (Point3{2, 3, 1}));
    EXPECT_EQ(insert->rotationDegrees, 90);
    EXPECT_FALSE(database->Insert(line));

    // Connection points: POINTs on QZ_CONNECT in definition order.
    auto members = database->BlockEntities("RT-0001");
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(database->EntityType(members[0]), "LINE");
    EXPECT_EQ(database->EntityType(members[1]), "POINT");
    EXPECT_EQ(database->Layer(members[2]), "QZ_CONNECT");
    EXPECT_EQ(database->Location(members[1]), (Point3{0, 0, 0}));
    EXPECT_EQ(database->Location(members[2]), (Point3{10, 0, 0}));
    EXPECT_EQ(database->BlockBasePoint("RT-0001"), (Point3{1, 1, 0}));
    EXPECT_EQ(database->BlockEntities("RBT-01").size(), 4u);
    EXPECT_TRUE(database->HasBlock("kk-mcc1"));
    EXPECT_FALSE(database->HasBlock("KK-MCC2"));
    EXPECT_TRUE(database->BlockEntities("KK-MCC2").empty());

    // xdata, decoded to UTF-8 whatever the file's code page.
    EXPECT_EQ(database->XData(mcc, "QZ_LINK"), (std::vector<Tag>{{1070, "0"}}));
    EXPECT_EQ(database->XData(mcc, "QZ_ATTR"),
              (std::vector<Tag>{{1000, "S225|2.5|1|1|99|1|"}, {1000, "CB01|盤A|1|1|99|1|"}}));
    auto wireAttr = database->XData(wire, "QZ_ATTR");
    ASSERT_EQ(wireAttr.size(), 5u);
    EXPECT_EQ(wireAttr[1], (Tag{1002, "{"}));
    EXPECT_EQ(wireAttr[2].value.size(), 200u);
    EXPECT_EQ(wireAttr[4], (Tag{1002, "}"}));
    EXPECT_TRUE(database->HasXData(riser, "QZ_LINK"));
    EXPECT_FALSE(database->HasXData(riser, "QZ_ATTR"));
    EXPECT_TRUE(database->HasXData(tee, "qz_attr"));
    EXPECT_FALSE(database->HasXData(line, "QZ_LINK"));
    EXPECT_EQ(database->Group(ids[5], 1), "ケーブル");

    EXPECT_EQ(database->Color(line), 2);
    EXPECT_EQ(database->Color(mcc), 256);
    EXPECT_EQ(database->LineWeight(mcc), -1);
    EXPECT_TRUE(database->IsLayerLocked("LOCKED"));
    EXPECT_FALSE(database->IsLayerLocked("QZ_CONNECT"));
    EXPECT_TRUE(database->HasLayer("qz_connect"));
    auto layers = database->LayerNames();
    EXPECT_NE(std::find(layers.begin(), layers.end(), elec), layers.end());
    EXPECT_EQ(layers.front(), "0");

    // Ids are the handles of the file, found again from their text.
    for (ObjectId id : ids) {
      EXPECT_EQ(database->Group(id, 5), Database::HandleText(id));
      EXPECT_EQ(Database::FromHandleText(Database::HandleText(id)), id);
      EXPECT_TRUE(database->IsAlive(id));
    }
    EXPECT_FALSE(database->IsAlive(ObjectId{0xFFFFFFF}));
    EXPECT_FALSE(database->Group(ObjectId{0xFFFFFFF}, 8));
    EXPECT_EQ(database->EntityType(ObjectId{}), "");

    // Reading every entity's data and xdata was not an edit.
    EXPECT_TRUE(database->SaveToString() == ReadBytes(Fixture(v.file)));
  }
}

TEST(DxfRead, R12WithoutHandlesGetsIdsInMemoryOnly) {
  const std::string text =
      "0\nSECTION\n2\nENTITIES\n"
      "0\nINSERT\n8\n0\n2\nKK-A\n10\n1\n20\n2\n30\n0\n66\n1\n1001\nQZ_LINK\n1070\n0\n"
      "0\nATTRIB\n8\n0\n1\nv\n2\nT\n10\n0\n20\n0\n0\nSEQEND\n8\n0\n"
      "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n1\n21\n1\n"
      "0\nENDSEC\n0\nEOF\n";
  wb::db::Error error;
  auto database = Database::OpenFromMemory(text, "r12.dxf", &error);
  ASSERT_NE(database, nullptr) << error.ToString();
  EXPECT_EQ(database->Version(), "AC1009");
  auto ids = database->ModelSpaceEntities();
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_NE(ids[0], ids[1]);
  EXPECT_FALSE(ids[0].isNull());
  EXPECT_EQ(database->XData(ids[0], "QZ_LINK"), (std::vector<Tag>{{1070, "0"}}));
  EXPECT_EQ(database->SaveToString(), text);
  // Same file, same ids.
  auto reopened = Database::OpenFromMemory(text, "r12.dxf", &error);
  EXPECT_EQ(reopened->ModelSpaceEntities(), ids);

  // Edits keep the file handle-free and without subclass markers.
  database->SetXData(ids[1], "QZ_ATTR", {{1000, "S304|1500|1|1|99|1|"}});
  ObjectId added = database->AddEntity("", "POINT", "QZ_CONNECT",
                                       {{100, "AcDbPoint"}, {10, "5.0"}, {20, "6.0"}, {30, "0.0"}});
  ASSERT_FALSE(added.isNull());
  database->Erase(ids[0]);
  const std::string saved = database->SaveToString();
  // No handles, no subclass markers; the attribute went with its INSERT.
  for (const char* absent : {"\n5\n", "AcDb", "ATTRIB", "SEQEND"})
    EXPECT_EQ(saved.find(absent), std::string::npos) << absent;
  auto again = Database::OpenFromMemory(saved, "r12-saved.dxf", &error);
  ASSERT_NE(again, nullptr) << error.ToString();
  auto after = again->ModelSpaceEntities();
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(again->XData(after[0], "QZ_ATTR"), (std::vector<Tag>{{1000, "S304|1500|1|1|99|1|"}}));
  EXPECT_EQ(again->Location(after[1]), (Point3{5, 6, 0}));
  EXPECT_TRUE(again->HasLayer("QZ_CONNECT"));
  EXPECT_EQ(again->LayerNames(), (std::vector<std::string>{"QZ_CONNECT"}));
}

TEST(DxfGroups, RepeatedGroupsVerticesAndLayerRecords) {
  const std::string text =
      "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n70\n1\n"
      "0\nLAYER\n2\nWALLS\n70\n0\n62\n-5\n6\nCONTINUOUS\n0\nENDTAB\n0\nENDSEC\n"
      "0\nSECTION\n2\nENTITIES\n"
      "0\nLWPOLYLINE\n102\n{ACAD_REACTORS\n10\n99\n102\n}\n8\nWALLS\n90\n3\n70\n1\n"
      "10\n0\n20\n0\n10\n5\n20\n0\n42\n1\n10\n5\n20\n5\n1001\nQZ_LINK\n1070\n3\n"
      "0\nPOLYLINE\n8\n0\n66\n1\n10\n0\n20\n0\n30\n0\n"
      "0\nVERTEX\n8\n0\n10\n1\n20\n2\n0\nVERTEX\n8\n0\n10\n3\n20\n4\n42\n0.5\n0\nSEQEND\n8\n0\n"
      "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n1\n21\n1\n"
      "0\nENDSEC\n0\nEOF\n";
  wb::db::Error error;
  auto database = Database::OpenFromMemory(text, "groups.dxf", &error);
  ASSERT_NE(database, nullptr) << error.ToString();
  auto ids = database->ModelSpaceEntities();
  ASSERT_EQ(ids.size(), 3u);

  // Own data only: reactors and xdata stay out, repeats stay in order.
  EXPECT_EQ(database->Groups(ids[0]),
            (std::vector<Tag>{{8, "WALLS"}, {90, "3"}, {70, "1"}, {10, "0"}, {20, "0"}, {10, "5"},
                              {20, "0"}, {42, "1"}, {10, "5"}, {20, "5"}}));

  auto vertices = database->SubEntities(ids[1]);
  ASSERT_EQ(vertices.size(), 2u);
  EXPECT_EQ(database->EntityType(vertices[1]), "VERTEX");
  EXPECT_EQ(database->Group(vertices[1], 42), "0.5");
  EXPECT_EQ(database->Location(vertices[0]), (wb::db::Point3{1, 2, 0}));
  EXPECT_TRUE(database->SubEntities(ids[2]).empty());
  EXPECT_TRUE(database->SubEntities(vertices[0]).empty());

  // Layer names compare without case; a missing layer has no record.
  ObjectId walls = database->LayerId("walls");
  ASSERT_FALSE(walls.isNull());
  EXPECT_EQ(database->Group(walls, 62), "-5");
  EXPECT_TRUE(database->LayerId("NOPE").isNull());

  // Vertices go with an erased POLYLINE.
  database->Erase(ids[1]);
  EXPECT_TRUE(database->SubEntities(ids[1]).empty());
  EXPECT_TRUE(database->Groups(vertices[0]).empty());
}

}  // namespace
