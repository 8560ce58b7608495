// Reading drawings written by ezdxf, editing them through the database, and
// saving them back: unchanged where nothing was edited, checked in our own
// reading and in ezdxf's; every group of an entity, its vertices and its
// layer record, as a renderer reads them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "dxf/dxf_test_util.h"

namespace {

using wb::db::Database;
using wb::db::ObjectId;
using wb::db::Point3;
using wb::db::Tag;
using namespace wb::dxftest;
using ::testing::HasSubstr;

std::string Dump(const std::multiset<std::string>& facts) {
  std::string out;
  for (const auto& f : facts) out += f + "\n";
  return out;
}

uint64_t HexValue(const std::string& text) { return std::stoull(text, nullptr, 16); }

// Kanji and half-width katakana are in CP932, Hangul is not.
const std::string kText = "名前 ｹｰﾌﾞﾙ 한 ソU+0041";

// What every version holds, read and written back byte for byte; then
// edits in an undo step, undone and redone, saved, and read back in our own
// reading and in ezdxf's.
TEST(DxfFile, EveryVersionReadEditedAndReadBack) {
  for (const Version& v : kVersions) {
    const std::string file = v.file;
    const bool crlf = file.find("crlf") != std::string::npos;
    SCOPED_TRACE(file);
    auto database = MustOpen(Fixture(file));
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
    const ObjectId mcc = ids[0], wire = ids[1], riser = ids[2], tee = ids[3], line = ids[4],
                   text = ids[5], tagged = ids[6];

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
    EXPECT_EQ(database->Group(text, 1), "ケーブル");

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
    const std::string original = database->SaveToString();
    EXPECT_TRUE(original == ReadBytes(Fixture(file)));
    const bool r12 = database->Version() == "AC1009";
    const uint64_t oldSeed = HexValue(*database->HeaderValue("$HANDSEED"));
    database->BeginUndoStep("edits");

    // xdata: replace one application, add one, remove one.
    database->SetXData(mcc, "QZ_ATTR",
                       {{1000, "S225|2.5|1|1|99|1|"}, {1000, "CB02|" + kText + "|1|1|99|1|"}});
    database->SetXData(riser, "WB_NEW", {{1000, "x"}, {1070, "5"}, {1040, "2.5"}});
    database->SetXData(tee, "QZ_ATTR", {});
    // Common groups: an existing colour, a new one, a layer that did not exist.
    database->SetGroup(line, 62, "5");
    database->SetGroup(text, 62, "4");
    database->SetGroup(wire, 8, "NEWLAYER");
    database->SetLayerLocked("QZ_CONNECT", true);
    database->SetLayerLocked("LOCKED", false);
    database->CreateLayer("QZ_TABLE", 6);
    database->SetHeaderValue("$DIMSCALE", 40, "50.0");
    database->SetHeaderValue("$WBTEST", 1, "値");
    // New entities in model space and in a block; a new block.
    ObjectId added = database->AddEntity(
        "", "LINE", "QZ_TABLE",
        {{100, "AcDbLine"}, {10, "1.0"}, {20, "2.0"}, {30, "0.0"}, {11, "3.0"}, {21, "4.0"}, {31, "0.0"}});
    ObjectId point = database->AddEntity("RT-0001", "POINT", "QZ_CONNECT",
                                         {{100, "AcDbPoint"}, {10, "20.0"}, {20, "0.0"}, {30, "0.0"}});
    ASSERT_TRUE(database->CreateBlock("RT-NEW", {1, 2, 0}));
    EXPECT_FALSE(database->CreateBlock("rt-new", {0, 0, 0}));
    ObjectId inBlock = database->AddEntity("RT-NEW", "POINT", "QZ_CONNECT",
                                           {{100, "AcDbPoint"}, {10, "1.0"}, {20, "2.0"}, {30, "0.0"}});
    ObjectId ref = database->AddEntity("", "INSERT", "0",
                                       {{100, "AcDbBlockReference"}, {2, "RT-NEW"}, {10, "5.0"},
                                        {20, "5.0"}, {30, "0.0"}, {1001, "QZ_LINK"}, {1070, "3"}});
    EXPECT_TRUE(database->AddEntity("NO-SUCH-BLOCK", "POINT", "0", {}).isNull());
    database->Erase(tagged);
    for (ObjectId id : {added, point, inBlock, ref}) {
      ASSERT_FALSE(id.isNull());
      EXPECT_GE(id.handle, oldSeed);
    }
    EXPECT_FALSE(database->IsAlive(tagged));
    EXPECT_EQ(database->ModelSpaceEntities().size(), ids.size() + 1);
    EXPECT_EQ(database->ModelSpaceEntities().back(), ref);
    EXPECT_EQ(database->BlockEntities("RT-0001").back(), point);

    // Undone, every edit is gone byte for byte; redone, every edit is back
    // (and what follows checks the redone drawing).
    database->EndUndoStep();
    const std::string edited = database->SaveToString();
    ASSERT_TRUE(database->Undo());
    EXPECT_TRUE(database->SaveToString() == original);
    EXPECT_FALSE(database->IsAlive(ref) || database->HasBlock("RT-NEW") || database->HasLayer("NEWLAYER"));
    EXPECT_TRUE(database->IsAlive(tagged));
    EXPECT_FALSE(database->Undo());
    ASSERT_TRUE(database->Redo());
    EXPECT_TRUE(database->SaveToString() == edited);

    const std::string out = FixtureDir() + "/edited-" + file;
    wb::db::Error error;
    ASSERT_TRUE(database->Save(out, &error)) << error.ToString();
    const std::string saved = ReadBytes(out);
    EXPECT_EQ(saved.find("\nATTRIB"), std::string::npos);
    // A new colour group, written in the file's style.
    EXPECT_NE(saved.find(crlf ? "\r\n 62\r\n4\r\n" : file.find("plain") == 0 ? "\n62\n4\n" : "\n 62\n4\n"),
              std::string::npos);
    if (crlf) {
      size_t bare = 0;
      for (size_t i = 0; i < saved.size(); ++i) bare += saved[i] == '\n' && (i == 0 || saved[i - 1] != '\r');
      EXPECT_EQ(bare, 0u);
    }

    auto facts = EzdxfFacts(out);
    SCOPED_TRACE(Dump(facts));
    auto h = [](ObjectId id) { return Database::HandleText(id); };
    auto fact = [&](const std::string& prefix) {  // the first fact that starts so
      auto it = facts.lower_bound(prefix);
      return it != facts.end() && it->rfind(prefix, 0) == 0 ? *it : std::string();
    };
    // From R2007 on the file is UTF-8; before, what the file's code page
    // lacks is escaped (ezdxf shows the escapes as they are).
    const bool cp932 = file.find("932") != std::string::npos;
    const std::string shown = database->Version() >= "AC1021" ? kText
                             : cp932 ? "名前 ｹｰﾌﾞﾙ \\U+D55C ソU+0041"
                                     : "\\U+540D\\U+524D \\U+FF79\\U+FF70\\U+FF8C\\U+FF9E\\U+FF99 "
                                       "\\U+D55C \\U+30BDU+0041";
    // "ソ" ends in the byte of a backslash and must not start an escape.
    EXPECT_EQ(saved.find("\xB9\xB0\xCC\xDE\xD9 \\U+D55C \x83\x5CU+0041") != std::string::npos, cp932);
    const std::vector<std::string> expected = {
        "XDATA " + h(mcc) + " QZ_LINK 1070:0",
        "XDATA " + h(mcc) + " QZ_ATTR 1000:S225|2.5|1|1|99|1| 1000:CB02|" + shown + "|1|1|99|1|",
        "XDATA " + h(riser) + " WB_NEW 1000:x 1070:5 1040:2.5",
        "APPID WB_NEW",
        "XDATA " + h(ref) + " QZ_LINK 1070:3",
        "LAYER NEWLAYER color=7 locked=0",
        "LAYER QZ_TABLE color=6 locked=0",
        "LAYER QZ_CONNECT color=3 locked=1",
        "LAYER LOCKED color=5 locked=0"};
    for (const std::string& f : expected) EXPECT_TRUE(facts.count(f)) << f;
    EXPECT_EQ(fact("XDATA " + h(tee) + " QZ_ATTR"), "");
    EXPECT_THAT(fact("ENTITY " + h(line) + " LINE"), HasSubstr("color=5"));
    EXPECT_THAT(fact("ENTITY " + h(text) + " TEXT"), HasSubstr("color=4"));
    EXPECT_NE(fact("ENTITY " + h(wire) + " INSERT layer=NEWLAYER"), "");
    EXPECT_THAT(fact("ENTITY " + h(ref) + " INSERT"), HasSubstr("block=RT-NEW"));
    EXPECT_EQ(fact("ENTITY " + h(tagged) + " "), "");
    EXPECT_NE(fact("BLOCKENTITY RT-0001 POINT " + h(point) + " layer=QZ_CONNECT"), "");
    EXPECT_NE(fact("BLOCKENTITY RT-NEW POINT " + h(inBlock) + " layer=QZ_CONNECT"), "");
    const std::string addedFact = fact("ENTITY " + h(added) + " LINE layer=QZ_TABLE color=256");
    EXPECT_THAT(addedFact, HasSubstr("start=1,2,0"));
    if (!r12) {  // owned by the model space record the file names
      EXPECT_THAT(addedFact, HasSubstr(" owner=" + *database->Group(ids[0], 330) + " "));
      EXPECT_EQ(database->Group(added, 100), "AcDbEntity");
    }
    // $HANDSEED stays above every handle.
    const std::string seed = fact("HANDSEED ");
    ASSERT_FALSE(seed.empty());
    EXPECT_GT(HexValue(seed.substr(9)), ref.handle);
    EXPECT_GT(HexValue(seed.substr(9)), oldSeed);

    // And our own reading of the saved drawing agrees where ezdxf does not
    // look: decoded texts, the block's base point, the header.
    auto again = MustOpen(out);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->XData(mcc, "QZ_ATTR"),
              (std::vector<Tag>{{1000, "S225|2.5|1|1|99|1|"}, {1000, "CB02|" + kText + "|1|1|99|1|"}}));
    EXPECT_EQ(again->BlockBasePoint("RT-NEW"), (Point3{1, 2, 0}));
    EXPECT_EQ(again->BlockEntities("RT-NEW"), (std::vector<ObjectId>{inBlock}));
    EXPECT_EQ(again->HeaderValue("$DIMSCALE"), "50.0");
    EXPECT_EQ(again->HeaderValue("$WBTEST"), "値");
    // A second load + save of our output is byte-exact too.
    EXPECT_TRUE(again->SaveToString() == saved);
  }
}

TEST(DxfEdit, OtherApplicationsKeepTheirPlaceAndBytes) {
  auto database = MustOpen(Fixture("tagged_R2000.dxf"));
  ASSERT_NE(database, nullptr);
  const std::string original = ReadBytes(Fixture("tagged_R2000.dxf"));
  ObjectId mcc = database->ModelSpaceEntities()[0];
  // Setting the same list again is no change at all.
  database->SetXData(mcc, "QZ_ATTR", database->XData(mcc, "QZ_ATTR"));
  database->SetGroup(mcc, 8, database->Layer(mcc));
  EXPECT_TRUE(database->SaveToString() == original);

  database->SetXData(mcc, "QZ_LINK", {{1070, "7"}});
  const std::string saved = database->SaveToString();
  size_t link = saved.find("QZ_LINK\n1070\n7\n");
  size_t attr = saved.find("1001\nQZ_ATTR\n1000\nS225");
  ASSERT_NE(link, std::string::npos);
  ASSERT_NE(attr, std::string::npos);
  EXPECT_LT(link, attr);  // QZ_LINK came first and still does
  // Only the changed line differs from the input.
  size_t first = 0;
  while (first < saved.size() && saved[first] == original[first]) ++first;
  size_t fromEnd = 0;
  while (fromEnd < saved.size() && saved[saved.size() - 1 - fromEnd] == original[original.size() - 1 - fromEnd])
    ++fromEnd;
  EXPECT_EQ(saved.size(), original.size());
  EXPECT_EQ(saved.size() - fromEnd - first, 1u);

  // Removing an application that is not there changes nothing; a new
  // group adds its two lines and nothing else.
  database->SetXData(ObjectId{database->ModelSpaceEntities()[4]}, "QZ_NONE", {});
  EXPECT_TRUE(database->SaveToString() == saved);
  database->SetGroup(database->ModelSpaceEntities()[5], 62, "4");
  EXPECT_EQ(database->SaveToString().size(), saved.size() + std::string(" 62\n4\n").size());
}

TEST(DxfRead, R12WithoutHandlesGetsIdsInMemoryOnly) {
  const std::string text =
      "0\nSECTION\n2\nENTITIES\n"
      "0\nINSERT\n8\n0\n2\nKK-A\n10\n1\n20\n2\n30\n0\n66\n1\n1001\nQZ_LINK\n1070\n0\n"
      "0\nATTRIB\n8\n0\n1\nv\n2\nT\n10\n0\n20\n0\n0\nSEQEND\n8\n0\n"
      "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n1\n21\n1\n"
      "0\nENDSEC\n0\nEOF\n";
  auto database = MustOpen(text, "r12.dxf");
  ASSERT_NE(database, nullptr);
  EXPECT_EQ(database->Version(), "AC1009");
  auto ids = database->ModelSpaceEntities();
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_NE(ids[0], ids[1]);
  EXPECT_FALSE(ids[0].isNull());
  EXPECT_EQ(database->XData(ids[0], "QZ_LINK"), (std::vector<Tag>{{1070, "0"}}));
  EXPECT_EQ(database->SaveToString(), text);
  // Same file, same ids.
  auto reopened = MustOpen(text, "r12.dxf");
  ASSERT_NE(reopened, nullptr);
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
  auto again = MustOpen(saved, "r12-saved.dxf");
  ASSERT_NE(again, nullptr);
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
  auto database = MustOpen(text, "groups.dxf");
  ASSERT_NE(database, nullptr);
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
