#include <gtest/gtest.h>

#include <algorithm>

#include "platform/host/host_types.h"
#include "module/plant_fixture.h"
#include "platform/db/block_walk.h"
#include "platform/editor/entity.h"
#include "platform/editor/prompts.h"
#include "platform/editor/selection.h"
#include "render/test_drawing.h"

namespace wbtest {
namespace {

using wb::rendertest::Line;

class Prompts : public ::testing::Test {
 protected:
  AcDbObjectId Picked(int expected) {
    ads_name name;
    AcGePoint3d at;
    EXPECT_EQ(acedEntSel(u"pick", name, at), expected);
    AcDbObjectId id;
    if (expected == RTNORM) {
      EXPECT_EQ(acdbGetObjectId(id, name), 0);
    }
    return id;
  }
  PlantFixture plant;
  wb::editor::ScriptedPrompts prompts;
  Installed<wb::editor::SetPromptBackend> installPrompts_{&prompts};
};

TEST_F(Prompts, PicksFindTheNearestShownGeometryWithinTheAperture) {
  AcDbObjectId line = Line(*plant.db, "", "0", 0, 0, 100, 0);
  AcDbObjectId circle = plant.db->AddEntity("", "CIRCLE", "0",
                                            {{100, "AcDbCircle"}, {10, "50"}, {20, "50"}, {40, "10"}});
  AcDbObjectId text = plant.db->AddEntity(
      "", "TEXT", "0",
      {{100, "AcDbText"}, {10, "0"}, {20, "80"}, {40, "5"}, {1, "ABCD"}, {72, "1"}, {11, "0"},
       {21, "80"}, {100, "AcDbText"}, {73, "1"}});
  // A rotated block reference: a short segment inside, drawn at 90 degrees.
  plant.Block("KK-R", {{0, 0, 0}});
  Line(*plant.db, "KK-R", "0", 0, 0, 10, 0);
  AcDbObjectId insert = plant.Insert("KK-R", {200, 0, 0}, 90);

  prompts.Point({30, 2, 0});     // 2 above the line
  prompts.Point({61, 50, 0});    // 1 outside the circle
  prompts.Point({50, 50, 0});    // the circle's centre: too far from everything
  prompts.Point({-9, 82, 0});    // inside the text box (width 4 x 5 = 20, centred)
  prompts.Point({200.5, 7, 0});  // on the rotated segment, far from the insertion point
  prompts.Enter();
  prompts.Cancel();
  EXPECT_EQ(Picked(RTNORM), line);
  EXPECT_EQ(Picked(RTNORM), circle);
  Picked(RTERROR);
  EXPECT_EQ(Picked(RTNORM), text);
  EXPECT_EQ(Picked(RTNORM), insert);
  Picked(RTNONE);
  Picked(RTCAN);
  EXPECT_TRUE(prompts.problems().empty());
  Picked(RTCAN);  // no answer left: cancelled and reported
  EXPECT_EQ(prompts.problems().size(), 1u);

  // Nested: the segment inside the block, with the reference around it.
  ads_name name;
  AcGePoint3d at{200.5, 7, 0};
  AcDbObjectIdArray containers;
  ASSERT_EQ(acedNEntSelP(u"", name, at, true, containers), RTNORM);
  AcDbObjectId leaf;
  acdbGetObjectId(leaf, name);
  EXPECT_EQ(plant.db->EntityType(leaf), "LINE");
  EXPECT_NE(leaf, line);
  EXPECT_EQ(containers, AcDbObjectIdArray{insert});

  // What is not shown cannot be picked.
  plant.db->CreateLayer("OFF", 5);
  plant.db->CreateLayer("FROZEN", 5);
  plant.db->SetGroup(plant.db->LayerId("OFF"), 62, "-5");
  plant.db->SetGroup(plant.db->LayerId("FROZEN"), 70, "     1");
  AcDbObjectId shown = Line(*plant.db, "", "0", 0, 0, 10, 0);
  Line(*plant.db, "", "OFF", 0, 1, 10, 1);
  Line(*plant.db, "", "FROZEN", 0, 1, 10, 1);
  Line(*plant.db, "", "0", 0, 1, 10, 1, {{60, "1"}});  // invisible
  // A block on a shown layer whose nearer member lies on an off layer.
  plant.Block("KK-H", {{0, 0, 0}});
  Line(*plant.db, "KK-H", "OFF", 0, 0, 10, 0);
  Line(*plant.db, "KK-H", "0", 0, -3, 10, -3);
  AcDbObjectId block = plant.Insert("KK-H", {0, 40, 0});

  prompts.Point({5, 1, 0});     // hidden lines right there, the shown one 1 below
  prompts.Point({5, 39.5, 0});  // the block's hidden member 0.5 off, its shown one 2.5
  prompts.Point({5, 41, 0});    // only the hidden member within reach: nothing
  EXPECT_EQ(Picked(RTNORM), shown);
  EXPECT_EQ(Picked(RTNORM), block);
  wb::editor::PickHit hit;
  EXPECT_TRUE(wb::editor::PickAt({5, 39.5, 0}, 5, hit));
  EXPECT_EQ(hit.distance, 2.5);
  prompts.set_aperture(2);
  Picked(RTERROR);
}

TEST_F(Prompts, NestedBlocksAreWalkedOnceAndWithinABudget) {
  auto insert = [&](const std::string& owner, const std::string& block, int x) {
    return plant.db->AddEntity(owner, "INSERT", "0", {{2, block}, {10, std::to_string(x)}});
  };
  auto segments = [](AcDbObjectId id) {
    return std::ranges::count(wb::editor::EntityPrimitives(id), wb::editor::PickPrimitive::kSegment,
                              &wb::editor::PickPrimitive::kind);
  };
  // A block inserting itself (by another spelling) shows once; eight
  // references to the next of seven blocks would be 8^6 lines.
  for (const char* name : {"LOOP", "FAN0", "FAN1", "FAN2", "FAN3", "FAN4", "FAN5", "FAN6"})
    plant.Block(name, {});
  for (const char* name : {"LOOP", "FAN6"}) plant.db->AddEntity(name, "LINE", "0", {{11, "1"}});
  insert("LOOP", "loop", 5);
  EXPECT_EQ(segments(insert("", "LOOP", 0)), 1);
  for (int level = 0; level < 6; ++level)
    for (int k = 0; k < 8; ++k) insert("FAN" + std::to_string(level), "FAN" + std::to_string(level + 1), k);
  const AcDbObjectId fan = insert("", "FAN0", 100);
  EXPECT_GT(segments(fan), 1000);
  EXPECT_LE(segments(fan), static_cast<long>(wb::db::BlockWalk::kBudget));
  // Further references share one pass's pool: a pick stays quick, and still
  // finds the reference by its insertion point.
  AcDbObjectId last;
  for (int k = 1; k < 8; ++k) last = insert("", "FAN0", 100 + 50 * k);
  prompts.Point({100.5, 0, 0});
  EXPECT_EQ(Picked(RTNORM), fan);
  prompts.Point({450, 0, 0});
  EXPECT_EQ(Picked(RTNORM), last);
}

}  // namespace
}  // namespace wbtest
