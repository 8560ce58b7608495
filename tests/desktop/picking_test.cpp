#include "hosts/desktop/picking.h"

#include <gtest/gtest.h>

#include "render/test_drawing.h"

namespace wb::desktop {
namespace {

using rendertest::Insert;
using rendertest::Line;

struct Scene {
  std::unique_ptr<db::Database> d = db::Database::CreateEmpty();
  db::ObjectId boxLine, pump, wire, loose;
  DisplayList list;

  Scene() {
    // Equipment: a 10x10 square block holding a nested marker line.
    d->CreateBlock("MARK", {0, 0, 0});
    Line(*d, "MARK", "0", -1, 0, 1, 0);
    d->CreateBlock("KK-PUMP", {0, 0, 0});
    boxLine = d->AddEntity("KK-PUMP", "LWPOLYLINE", "0",
                           {{100, "AcDbPolyline"}, {90, "4"}, {70, "1"}, {10, "-5"}, {20, "-5"}, {10, "5"},
                            {20, "-5"}, {10, "5"}, {20, "5"}, {10, "-5"}, {20, "5"}});
    Insert(*d, "KK-PUMP", "0", "MARK", 0, 0);
    pump = Insert(*d, "", "0", "KK-PUMP", 100, 0, 1, 0, {});
    d->SetXData(pump, "QZ_LINK", {{1070, "0"}});
    wire = Line(*d, "", "0", 105, 0, 200, 0);
    d->SetXData(wire, "QZ_LINK", {{1070, "3"}});
    loose = Line(*d, "", "0", 150, 20, 160, 30);
    list.Build(*d);
  }
};

TEST(Picking, PicksWithinTheApertureWindowsCrossingsAndTheXDataFilter) {
  Scene s;
  // On the pump's left edge: the INSERT, its polyline inside.
  auto hit = PickEntity(s.list, {95.2, 1}, 0.5);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->entity, s.pump);
  EXPECT_EQ(hit->nested, s.boxLine);
  EXPECT_EQ(hit->containers, (std::vector<db::ObjectId>{s.pump}));
  EXPECT_NEAR(hit->distance, 0.2, 1e-9);

  // The marker two levels down: innermost container first.
  hit = PickEntity(s.list, {100.5, 0.1}, 0.5);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->entity, s.pump);
  ASSERT_EQ(hit->containers.size(), 2u);
  EXPECT_NE(hit->containers[0], s.pump);
  EXPECT_EQ(hit->containers[1], s.pump);
  EXPECT_EQ(s.d->EntityType(hit->nested), "LINE");

  // Nearest wins: the wire starts on the pump's right edge but runs on.
  hit = PickEntity(s.list, {106, 0.1}, 2);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->entity, s.wire);
  EXPECT_TRUE(hit->containers.empty());
  EXPECT_EQ(hit->nested, s.wire);

  EXPECT_FALSE(PickEntity(s.list, {130, 3}, 2.9));  // just outside
  EXPECT_TRUE(PickEntity(s.list, {130, 3}, 3.0));
  EXPECT_FALSE(PickEntity(s.list, {-1000, 0}, 5));

  Box around = Box::Of({90, -10}, {180, 40});  // pump and loose line inside, wire runs out
  EXPECT_EQ(SelectInBox(s.list, around, SelectMode::kWindow), (std::vector<db::ObjectId>{s.pump, s.loose}));
  EXPECT_EQ(SelectInBox(s.list, around, SelectMode::kCrossing),
            (std::vector<db::ObjectId>{s.pump, s.wire, s.loose}));

  // A crossing box between the wire's ends that no end point falls into,
  // and one that only the loose line's bounding box meets.
  EXPECT_EQ(SelectInBox(s.list, Box::Of({140, -1}, {145, 1}), SelectMode::kCrossing),
            (std::vector<db::ObjectId>{s.wire}));
  EXPECT_TRUE(SelectInBox(s.list, Box::Of({158, 21}, {159, 22}), SelectMode::kCrossing).empty());
  EXPECT_TRUE(SelectInBox(s.list, Box::Of({140, -1}, {145, 1}), SelectMode::kWindow).empty());

  auto tagged = XDataFilter(*s.d, {"QZ_LINK"});
  EXPECT_EQ(SelectInBox(s.list, around, SelectMode::kCrossing, tagged),
            (std::vector<db::ObjectId>{s.pump, s.wire}));
  EXPECT_EQ(SelectInBox(s.list, around, SelectMode::kCrossing, XDataFilter(*s.d, {"OTHER", "QZ_LINK"})).size(), 2u);
  EXPECT_FALSE(XDataFilter(*s.d, {}));

  EXPECT_EQ(ModeForDrag({10, 10}, {50, 0}), SelectMode::kWindow);
  EXPECT_EQ(ModeForDrag({50, 10}, {10, 40}), SelectMode::kCrossing);
}

}  // namespace
}  // namespace wb::desktop
