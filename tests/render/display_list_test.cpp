#include "render/display_list.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/db/block_walk.h"
#include "render/test_drawing.h"

namespace wb::render {
namespace {

using rendertest::Insert;
using rendertest::Line;
using rendertest::Num;
using rendertest::Xyz;

const Primitive* FirstOf(const DisplayList& list, db::ObjectId leaf) {
  for (const Primitive& p : list.primitives())
    if (list.Path(p).back() == leaf) return &p;
  return nullptr;
}

void ExpectNear(Vec2 a, Vec2 b) {
  EXPECT_NEAR(a.x, b.x, 1e-6);
  EXPECT_NEAR(a.y, b.y, 1e-6);
}

TEST(DisplayList, NestedBlocksPlaceGeometryAndInheritLayerAndColour) {
  auto d = db::Database::CreateEmpty();
  d->CreateLayer("EQ", 3);
  ASSERT_TRUE(d->CreateBlock("C", {0, 0, 0}));
  db::ObjectId circle = d->AddEntity("C", "CIRCLE", "0",
                                     rendertest::Join({{{100, "AcDbCircle"}}, Xyz(10, 0, 0), {{40, "1"}}}));
  ASSERT_TRUE(d->CreateBlock("B", {10, 0, 0}));
  db::ObjectId line = Line(*d, "B", "0", 10, 0, 20, 0, {{62, "0"}});
  db::ObjectId inner = Insert(*d, "B", "0", "C", 20, 0);
  db::ObjectId outer = Insert(*d, "", "EQ", "B", 100, 100, 2, 90, {{62, "1"}});

  DisplayList list;
  list.Build(*d);
  ASSERT_EQ(list.entities().size(), 1u);
  EXPECT_EQ(list.entities()[0].id, outer);

  // Base point (10,0) lands on the insertion point; scale 2, quarter turn.
  const Primitive* l = FirstOf(list, line);
  ASSERT_NE(l, nullptr);
  ASSERT_EQ(l->count, 2u);
  ExpectNear(list.Points(*l)[0], {100, 100});
  ExpectNear(list.Points(*l)[1], {100, 120});
  EXPECT_EQ(l->color, AciToRgb(1));  // by block: the INSERT's red
  EXPECT_EQ(std::vector<db::ObjectId>(list.Path(*l).begin(), list.Path(*l).end()),
            (std::vector<db::ObjectId>{outer, line}));

  // The circle two levels down: centre (20,0) of B -> (100,120), radius 2;
  // layer 0 takes the outer INSERT's layer, so "by layer" is green.
  const Primitive* c = FirstOf(list, circle);
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(c->closed);
  EXPECT_NEAR(c->box.center().x, 100, 1e-6);
  EXPECT_NEAR(c->box.center().y, 120, 1e-6);
  EXPECT_NEAR(c->box.width(), 4, 1e-6);
  EXPECT_EQ(c->color, AciToRgb(3));
  EXPECT_EQ(AciToRgb(-3), c->color);  // a layer switched off keeps its colour
  EXPECT_EQ(std::vector<db::ObjectId>(list.Path(*c).begin(), list.Path(*c).end()),
            (std::vector<db::ObjectId>{outer, inner, circle}));
  EXPECT_NEAR(list.extents().minY, 100, 1e-6);
  EXPECT_NEAR(list.extents().maxY, 122, 1e-6);
}

TEST(DisplayList, CurvesTextsAndHiddenLayers) {
  auto d = db::Database::CreateEmpty();
  d->CreateLayer("OFF", 5);
  d->CreateLayer("FROZEN", 5);
  d->SetGroup(d->LayerId("OFF"), 62, "-5");
  d->SetGroup(d->LayerId("FROZEN"), 70, "1");
  Line(*d, "", "OFF", 0, 0, 1000, 1000);
  Line(*d, "", "FROZEN", 0, 0, -1000, -1000);
  // Bulge 1 from (0,0) to (10,0): a counter-clockwise half circle below.
  db::ObjectId arc = d->AddEntity("", "LWPOLYLINE", "0",
                                  {{100, "AcDbPolyline"}, {90, "2"}, {70, "0"}, {10, "0"}, {20, "0"},
                                   {42, "1"}, {10, "10"}, {20, "0"}});
  // Centred TEXT: the alignment point is the middle of the baseline.
  db::ObjectId text = d->AddEntity("", "TEXT", "0",
                                   rendertest::Join({{{100, "AcDbText"}}, Xyz(10, 0, 0), {{40, "2"}, {1, "ABCD"}},
                                                      {{72, "1"}}, Xyz(11, 50, 20)}));
  db::ObjectId mtext = d->AddEntity("", "MTEXT", "0",
                                    rendertest::Join({{{100, "AcDbMText"}}, Xyz(10, 0, 40),
                                                       {{40, "1"}, {71, "1"}, {1, "{\\fArial;first}\\Psecond"}}}));
  DisplayList list;
  list.Build(*d);
  EXPECT_EQ(list.entities().size(), 5u);  // hidden entities are listed but draw nothing
  EXPECT_EQ(list.entities()[0].firstPrimitive, list.entities()[0].endPrimitive);
  EXPECT_EQ(list.entities()[1].firstPrimitive, list.entities()[1].endPrimitive);

  const Primitive* a = FirstOf(list, arc);
  ASSERT_NE(a, nullptr);
  EXPECT_NEAR(a->box.minY, -5, 1e-3);
  EXPECT_NEAR(a->box.maxY, 0, 1e-9);
  EXPECT_NEAR(a->box.maxX, 10, 1e-9);

  const Primitive* t = FirstOf(list, text);
  ASSERT_NE(t, nullptr);
  const TextRun& run = list.texts()[t->first];
  EXPECT_NEAR(run.base.x + run.width / 2, 50, 1e-9);
  EXPECT_NEAR(run.base.y, 20, 1e-9);
  EXPECT_GT(run.width, 4.0);

  int lines = 0;
  for (const Primitive& p : list.primitives())
    if (list.Path(p).back() == mtext) {
      const TextRun& r = list.texts()[p.first];
      EXPECT_EQ(r.utf8, lines == 0 ? "first" : "second");
      EXPECT_NEAR(r.base.y, lines == 0 ? 39 : 39 - 5.0 / 3.0, 1e-9);  // top-left attachment
      ++lines;
    }
  EXPECT_EQ(lines, 2);
  EXPECT_LT(list.extents().maxX, 100);  // the hidden lines are not in the extents

  // Texts as plain lines: MTEXT codes, special characters.
  EXPECT_EQ(PlainMTextLines("a\\Pb\\~c"), (std::vector<std::string>{"a", "b c"}));
  EXPECT_EQ(PlainMTextLines("{\\H2.5x;\\C1;big} \\S1^2; \\\\x"), (std::vector<std::string>{"big 1/2 \\x"}));
  EXPECT_EQ(PlainText("45%%d %%p1 %%c50 100%%% %%uU"), "45\xC2\xB0 \xC2\xB1" "1 \xE2\x8C\x80" "50 100% U");
}

TEST(DisplayList, SelfReferencingBlocksAndPolylineVertices) {
  auto d = db::Database::CreateEmpty();
  ASSERT_TRUE(d->CreateBlock("LOOP", {0, 0, 0}));
  Line(*d, "LOOP", "0", 0, 0, 1, 0);
  Insert(*d, "LOOP", "0", "loop", 5, 0);  // block names ignore case
  Insert(*d, "", "0", "LOOP", 0, 0);
  Insert(*d, "", "0", "MISSING", 0, 0);
  DisplayList list;
  list.Build(*d);
  ASSERT_EQ(list.primitives().size(), 1u);  // the line once, the loop cut
  EXPECT_EQ(list.entities().size(), 2u);
  // Eight references to the next of seven blocks would be 8^6 lines: the
  // walk of one entity stops at its budget.
  for (int level = 0; level < 7; ++level) ASSERT_TRUE(d->CreateBlock("FAN" + std::to_string(level), {0, 0, 0}));
  Line(*d, "FAN6", "0", 0, 0, 1, 0);
  for (int level = 0; level < 6; ++level)
    for (int k = 0; k < 8; ++k)
      Insert(*d, "FAN" + std::to_string(level), "0", "FAN" + std::to_string(level + 1), k, 0);
  Insert(*d, "", "0", "FAN0", 0, 0);
  list.Build(*d);
  EXPECT_GT(list.primitives().size(), 1000u);
  EXPECT_LE(list.primitives().size(), db::BlockWalk::kBudget);
  // Many such references: the whole drawing stays within the pass's pool.
  for (int k = 1; k < 8; ++k) Insert(*d, "", "0", "FAN0", 10 * k, 0);
  list.Build(*d);
  EXPECT_LE(list.primitives().size(), db::WalkPool::kFloor + 8);
  EXPECT_EQ(list.entities().size(), 10u);

  const std::string r12 =
      "0\nSECTION\n2\nENTITIES\n0\nPOLYLINE\n8\n0\n66\n1\n70\n1\n10\n0\n20\n0\n30\n0\n"
      "0\nVERTEX\n8\n0\n10\n0\n20\n0\n0\nVERTEX\n8\n0\n10\n4\n20\n0\n0\nVERTEX\n8\n0\n10\n4\n20\n3\n"
      "0\nSEQEND\n8\n0\n0\nENDSEC\n0\nEOF\n";
  db::Error error;
  auto p = db::Database::OpenFromMemory(r12, "p.dxf", &error);
  ASSERT_NE(p, nullptr) << error.ToString();
  list.Build(*p);
  ASSERT_EQ(list.primitives().size(), 1u);
  EXPECT_TRUE(list.primitives()[0].closed);
  EXPECT_EQ(list.primitives()[0].count, 3u);
  EXPECT_EQ(list.primitives()[0].color, AciToRgb(7));
}

// The grid must answer exactly what a scan of every primitive answers.
TEST(DisplayList, GridQueryMatchesFullScan) {
  auto d = db::Database::CreateEmpty();
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coord(-5000, 5000), len(0, 300);
  for (int i = 0; i < 3000; ++i) {
    double x = coord(rng), y = coord(rng);
    Line(*d, "", "0", x, y, x + len(rng), y + len(rng) - 150);
  }
  Line(*d, "", "0", -6000, -6000, 6000, 6000);  // spans every cell
  DisplayList list;
  list.Build(*d);
  std::vector<uint32_t> got;
  for (int q = 0; q < 200; ++q) {
    Box box = Box::Of({coord(rng), coord(rng)}, {coord(rng), coord(rng)});
    if (q % 10 == 0) box = Box::Around({coord(rng), coord(rng)}, 5);
    list.Query(box, &got);
    std::vector<uint32_t> want;
    for (uint32_t p = 0; p < list.primitives().size(); ++p)
      if (list.primitives()[p].box.Intersects(box)) want.push_back(p);
    ASSERT_EQ(got, want) << "query " << q;
  }
}

}  // namespace
}  // namespace wb::render
