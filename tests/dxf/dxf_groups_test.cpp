// Reading every group of an entity, its vertices and its layer record: what
// a renderer needs beyond the first group of a code.
#include <gtest/gtest.h>

#include "platform/db/database.h"

namespace {

using wb::db::Database;
using wb::db::ObjectId;
using wb::db::Tag;

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
