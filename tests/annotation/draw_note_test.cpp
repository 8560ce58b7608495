// The annotation's geometry (anchor, leader, text frame), the drag that
// places it, as the preview shows it before each input, and the block it
// commits, as another DXF reader (ezdxf) reads it back.
#include <cmath>
#include <cstdlib>
#include <optional>

#include "annotation/annotation_geometry.h"
#include "annotation/draw_note.h"
#include "dxf/dxf_test_util.h"
#include "module/user_session.h"
#include "platform/editor/drag.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"

namespace {

using AnnotationTest = wbtest::UserSession;
using wbtest::ExpectPoint;

const AcDbLine& AsLine(const std::unique_ptr<AcDbEntity>& e) {
  auto* line = dynamic_cast<const AcDbLine*>(e.get());
  EXPECT_NE(line, nullptr);
  return *line;
}

std::vector<std::u16string> Tags(const TextFrame& frame) {
  std::vector<std::u16string> tags;
  for (const auto& e : frame.entities) tags.push_back(e.tag);
  return tags;
}

void ExpectLine(const std::unique_ptr<AcDbEntity>& e, AcGePoint3d a, AcGePoint3d b,
                const char* what = "") {
  ExpectPoint(AsLine(e).startPoint(), a.x, a.y, a.z, what);
  ExpectPoint(AsLine(e).endPoint(), b.x, b.y, b.z, what);
}

// The arc, cross line and leader on a wire drawn left to right are read
// back from the committed block in FullPlacementFlipsTheFrameAndCommitsOneBlock.
TEST_F(AnnotationTest, AnchorsOnWiresAndAtTheOriginOfFlaggedElementsAndTheLeadersSnapping) {
  plant.Block("RT-THREE", {{0, 0, 0}, {5, 0, 0}, {10, 0, 0}});
  const AcDbObjectId three = plant.Insert("RT-THREE", {0, 0, 0});
  plant.Tag(three, 3, {});
  plant.Block("KK-ETAT", {{0, 0, 0}});
  auto etat = [&](const char* value, wb::db::Point3 at) {
    AcDbObjectId id = plant.Insert("KK-ETAT", at);
    plant.Tag(id, 0, {std::string("ETAT|") + value + "|1|1|99|1|"});
    return id;
  };
  const AcDbObjectId flat = Wire({0, 0, 0}, {10, 0, 0});
  const struct {
    AcDbObjectId element;
    AcGePoint3d pick;
    double h;
    std::optional<AcGePoint3d> anchor;  // none: refused
    size_t entities;                    // arc, cross line, leader; or the leader alone
  } cases[] = {
      {Wire({10, 0, 0}, {0, 0, 0}), {4, 1, 0}, 1, AcGePoint3d{4, 0, 0}, 3},
      {Wire({2, 0, 0}, {2, 10, 0}), {5, 3, 0}, 2, AcGePoint3d{2, 3, 0}, 3},
      {Wire({0, 0, 0}, {10, 10, 0}), {0, 4, 0}, 1, AcGePoint3d{2, 2, 0}, 3},  // the orthogonal projection
      {flat, {10, 3, 0}, 1, AcGePoint3d{10, 0, 0}, 3},                        // exactly above an end
      {flat, {10.5, 1, 0}, 1, std::nullopt, 0},
      {flat, {-0.01, -3, 0}, 1, std::nullopt, 0},
      {three, {4, 1, 0}, 1, std::nullopt, 0},
      {etat("2", {7, 8, 0}), {9, 9, 0}, 1, AcGePoint3d{7, 8, 0}, 1},
      {etat("0", {1, 1, 0}), {9, 9, 0}, 1, std::nullopt, 0},  // wire mode: one point is no wire
  };
  std::vector<AnchorGeometry> built(std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    ASSERT_EQ(BuildAnchorGeometry(c.element, c.pick, c.h, built[i]), c.anchor.has_value()) << i;
    if (!c.anchor) continue;
    ExpectPoint(built[i].anchor, c.anchor->x, c.anchor->y, 0, "anchor");
    EXPECT_EQ(built[i].originMode, c.entities == 1) << i;
    ASSERT_EQ(built[i].entities.size(), c.entities) << i;
  }
  // Right to left: rotation 90 as well; the leader starts at the upper end.
  auto* arc = dynamic_cast<const AcDbEllipse*>(built[0].entities[0].get());
  ASSERT_NE(arc, nullptr);
  EXPECT_NEAR(arc->majorAxis().y, 1.0, 1e-12);
  EXPECT_NEAR(arc->radiusRatio(), 0.8, 1e-12);
  ExpectLine(built[0].entities[1], {4, -1, 0}, {4, 1, 0}, "cross");
  ExpectPoint(AsLine(built[0].entities[2]).startPoint(), 4, 1, 0, "leader starts at the upper end");
  // Upwards, h 2: the cross line horizontal, the arc's major axis along it
  // (rotation 180).
  arc = dynamic_cast<const AcDbEllipse*>(built[1].entities[0].get());
  ASSERT_NE(arc, nullptr);
  EXPECT_NEAR(arc->majorAxis().x, -2.0, 1e-12);
  EXPECT_NEAR(arc->majorAxis().y, 0.0, 1e-12);
  const AcDbLine& cross = AsLine(built[1].entities[1]);
  EXPECT_NEAR(acutDistance(cross.startPoint(), cross.endPoint()), 4.0, 1e-12);
  // Both ends are (nearly) equally high: the leader starts at one of them.
  const AcGePoint3d start = AsLine(built[1].entities[2]).startPoint();
  EXPECT_NEAR(start.y, 3, 1e-12);
  EXPECT_NEAR(std::fabs(start.x - 2), 2, 1e-12);
  ExpectPoint(AsLine(built[1].entities[2]).endPoint(), 5, 3);
  ExpectLine(built[7].entities[0], {7, 8, 0}, {7, 8, 0}, "leader from the origin");
  EXPECT_TRUE(plant.db->HasLayer("QZ_ANNO"));
  EXPECT_TRUE(plant.db->HasLayer("QZ_TABLE"));

  // A miss is refused in the table above; a wire of no length has no foot.
  AcGePoint3d foot;
  EXPECT_EQ(GetPerpendicularFoot({0, 0, 0}, {0, 0, 0}, {1, 1, 0}, foot), 1);

  // The leader snaps to the nearest step, an exact half step down; without
  // a step it stays.
  for (auto [angle, step, snapped] : {std::tuple{7.5, 15.0, 0.0}, {7.6, 15.0, 15.0}, {352.6, 15.0, 360.0},
                                      {22.4, 15.0, 15.0}, {0.0, 15.0, 0.0}, {33.0, 0.0, 33.0}, {33.0, -5.0, 33.0}})
    EXPECT_DOUBLE_EQ(SnapAngle(angle, step), snapped) << angle << " by " << step;

  const double a = 20 * M_PI / 180;
  AcGePoint3d p = SnapLeaderPoint({1, 1, 0}, {1 + 10 * std::cos(a), 1 + 10 * std::sin(a), 3}, 15);
  const double b = 15 * M_PI / 180;
  ExpectPoint(p, 1 + 10 * std::cos(b), 1 + 10 * std::sin(b), 3);
  // Straight down stays straight down, at the cursor's distance.
  p = SnapLeaderPoint({4, -1, 0}, {4, -5, 0}, 15);
  ExpectPoint(p, 4, -5);
}

TEST_F(AnnotationTest, TextFrameRowsTagsScaleAndStyle) {
  TextFrame frame = BuildTextFrame({10, 20, 0}, {u"AB", u"ABCD"}, 1.0);
  // Widest row "ABCDW" is 5 units, plus the start offset 4.
  EXPECT_DOUBLE_EQ(frame.width, 9.0);
  ASSERT_EQ(Tags(frame), (std::vector<std::u16string>{u"1", u"1", u"1", u"1", u"2", u"0"}));

  ExpectLine(frame.entities[0].entity, {10, 20, 0}, {19, 20, 0}, "bottom");
  ExpectLine(frame.entities[1].entity, {10, 29, 0}, {19, 29, 0}, "top");
  ExpectLine(frame.entities[4].entity, {19, 20, 0}, {19, 29, 0}, "right");
  ExpectLine(frame.entities[5].entity, {10, 20, 0}, {10, 29, 0}, "left");

  auto* first = dynamic_cast<const AcDbText*>(frame.entities[2].entity.get());
  auto* second = dynamic_cast<const AcDbText*>(frame.entities[3].entity.get());
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->textString(), u"AB");
  ExpectPoint(first->position(), 14, 25.5, 0, "first row");
  ExpectPoint(second->position(), 14, 21.0, 0, "last row, h above the bottom");
  EXPECT_EQ(first->horizontalMode(), AcDb::kTextLeft);
  EXPECT_EQ(first->verticalMode(), AcDb::kTextBase);

  // A style the drawing does not define is measured through the entity's
  // extents: same metrics, same width.
  plant.db->SetHeaderValue("$TEXTSTYLE", 7, "NOSUCHSTYLE");
  frame = BuildTextFrame({0, 0, 5}, {u"XY"}, 2.0);
  EXPECT_DOUBLE_EQ(frame.width, 3 + 8);  // "XYW" + offset 4 x 2
  auto* row = dynamic_cast<const AcDbText*>(frame.entities[2].entity.get());
  ASSERT_NE(row, nullptr);
  EXPECT_DOUBLE_EQ(row->height(), 4.0);
  // R = 9, top = 9: baseline 9 - 9 + 2.
  ExpectPoint(row->position(), 8, 2, 5);
  EXPECT_EQ(row->textStyle(), u"NOSUCHSTYLE");

  // No rows: a zero-width bottom line and zero-length sides.
  frame = BuildTextFrame({1, 2, 0}, {}, 1.0);
  EXPECT_DOUBLE_EQ(frame.width, 0);
  ASSERT_EQ(Tags(frame), (std::vector<std::u16string>{u"1", u"2", u"0"}));
  ExpectLine(frame.entities[1].entity, {1, 2, 0}, {1, 2, 0}, "right");

  // The headless font metrics: half-width and full-width advances.
  wb::editor::HeadlessFontMetrics metrics;
  EXPECT_DOUBLE_EQ(metrics.TextWidth(u"AB", u"Standard", 2.0, 0.8), 2 * 0.7 * 1.6);
  EXPECT_DOUBLE_EQ(metrics.TextWidth(u"記入", u"Standard", 2.0, 0.8), 2 * 1.0 * 1.6);
  EXPECT_DOUBLE_EQ(metrics.TextWidth(u"ｱ", u"Standard", 1.0, 1.0), 0.7);  // half-width kana
  EXPECT_DOUBLE_EQ(metrics.TextWidth(u"Ａ", u"Standard", 1.0, 1.0), 1.0);  // full-width A
  EXPECT_DOUBLE_EQ(metrics.TextWidth(u"", u"Standard", 1.0, 1.0), 0.0);
}

// What the preview showed before each input: every entity's points.
struct Shape {
  std::string type;
  std::vector<AcGePoint3d> points;
  std::u16string tag;
};

class RecordingBackend : public ScriptedDragBackend {
 public:
  DragInput Next(const CDrag& drag) override {
    std::vector<Shape> frame;
    for (int i = 0; i < drag.Length(); ++i) {
      CString tag;
      AcDbEntity* e = drag.At(i, nullptr, &tag);
      if (auto* l = dynamic_cast<AcDbLine*>(e))
        frame.push_back({"LINE", {l->startPoint(), l->endPoint()}, tag});
      else if (auto* t = dynamic_cast<AcDbText*>(e))
        frame.push_back({"TEXT", {t->position()}, tag});
      else if (auto* a = dynamic_cast<AcDbEllipse*>(e))
        frame.push_back({"ELLIPSE", {a->center()}, tag});
    }
    frames.push_back(frame);
    enabled.push_back(drag.IsEntEnabled(0));
    return ScriptedDragBackend::Next(drag);
  }
  std::vector<std::vector<Shape>> frames;
  std::vector<bool> enabled;
};

// What ezdxf reads of the annotations in the saved drawing: the audit's
// verdict, where each is inserted and what its block draws.
std::string EzdxfAnnotations(const wb::db::Database& db) {
  const wbtest::TempDir dir;
  wb::db::Error error;
  EXPECT_TRUE(db.Save(dir / "annotation.dxf", &error)) << error.ToString();
  std::string out;
  for (const std::string& fact : wb::dxftest::EzdxfFacts(dir / "annotation.dxf"))
    if (fact.starts_with("AUDIT") || (fact.find(" MWNT") != std::string::npos && !fact.starts_with("BLOCKENTITY")))
      out += fact + "\n";
  return out;
}

class DrawNoteTest : public AnnotationTest {
 protected:
  void SetUp() override {
    AnnotationTest::SetUp();
    note.wireId = Wire({0, 0, 0}, {10, 0, 0});
    note.pickPoint = {4, 1, 0};
    note.lines = {u"P1 M2 W-1 IV5.5", u"P1 M3 W-2 CV2"};  // widest: 16 units with "W"
    note.scale = 1.0;
  }

  RecordingBackend backend;
  wbtest::Installed<wb::editor::SetDragBackend> installBackend{&backend};
  CDrawNote note;
};

TEST_F(DrawNoteTest, FullPlacementFlipsTheFrameAndCommitsOneBlock) {
  backend.Move({10, 5, 0})     // leader end follows, snapped to 30 degrees
      .Move({4, -5, 0})        // across the wire: leader leaves the lower end
      .Pick({4, 11, 0})        // leader end fixed straight up
      .Move({0, 11, 0})        // left of the leader end: frame flips
      .Move({8, 11, 0})        // and back
      .Move({1, 11, 0})        // left again
      .Pick({1, 11, 0});       // commit on the left
  ASSERT_TRUE(note.StartAnnotationDrag());
  EXPECT_EQ(backend.Prompts(), std::vector<CString>{u"ケーブル情報記入"});
  ASSERT_EQ(backend.frames.size(), 7u);  // one wait before each input
  EXPECT_EQ(backend.Remaining(), 0u);

  // Frame 1 shows the first move: leader from (4,1), 30 degrees, cursor length.
  const auto& first = backend.frames[1];
  ASSERT_EQ(first.size(), 3u);
  const double d = std::hypot(6, 4);
  ExpectPoint(first[2].points[0], 4, 1, 0, "leader start");
  ExpectPoint(first[2].points[1], 4 + d * std::cos(M_PI / 6), 1 + d * std::sin(M_PI / 6), 0,
              "snapped end");
  ExpectPoint(backend.frames[2][2].points[0], 4, -1, 0, "other end of the cross line");
  ExpectPoint(backend.frames[2][2].points[1], 4, -5);

  // After the first pick: arc, cross, leader, bottom, top, 2 rows, right, left.
  const double w = 16 + 4;
  EXPECT_DOUBLE_EQ(note.frameWidth, w);
  ExpectPoint(note.leaderEnd, 4, 11);
  EXPECT_EQ(note.phase, 1);
  const auto& right = backend.frames[3];
  ASSERT_EQ(right.size(), 9u);
  ExpectPoint(right[3].points[1], 4 + w, 11, 0, "bottom on the right");
  ExpectPoint(right[7].points[0], 4 + w, 11, 0, "right frame line");
  const auto& left = backend.frames[4];
  ExpectPoint(left[3].points[0], 4 - w, 11, 0, "bottom moved by -w");
  ExpectPoint(left[3].points[1], 4, 11, 0, "bottom moved by -w");
  ExpectPoint(left[5].points[0], 4 - w + 4, 11 + 5.5, 0, "row moved by -w");
  ExpectPoint(left[7].points[0], 4 - w, 11, 0, "right line moved by -2w");
  ExpectPoint(left[8].points[0], 4, 11, 0, "left line stays");
  ExpectPoint(left[2].points[1], 4, 11, 0, "leader stays");
  const auto& back = backend.frames[5];
  for (size_t i = 0; i < right.size(); ++i)
    for (size_t k = 0; k < right[i].points.size(); ++k)
      ExpectPoint(back[i].points[k], right[i].points[k].x, right[i].points[k].y, 0, "back");
  for (bool on : backend.enabled) EXPECT_TRUE(on);

  // The committed block as another reader sees it.
  EXPECT_EQ(EzdxfAnnotations(*plant.db),
            "AUDIT 0 errors\n"
            "BLOCK MWNT0001 base=0,0,0\n"
            "SHAPE *Model_Space INSERT QZ_TABLE 256 ByLayer -1 MWNT0001 4,0,0\n"
            "SHAPE MWNT0001 ELLIPSE QZ_TABLE 256 ByLayer -1 0,0,0 0,1,0 0.8 0 3.14159\n"
            "SHAPE MWNT0001 LINE QZ_TABLE 256 ByLayer -1 -20,11,0 -20,20,0\n"
            "SHAPE MWNT0001 LINE QZ_TABLE 256 ByLayer -1 -20,11,0 0,11,0\n"
            "SHAPE MWNT0001 LINE QZ_TABLE 256 ByLayer -1 -20,20,0 0,20,0\n"
            "SHAPE MWNT0001 LINE QZ_TABLE 256 ByLayer -1 0,1,0 0,-1,0\n"
            "SHAPE MWNT0001 LINE QZ_TABLE 256 ByLayer -1 0,1,0 0,11,0\n"
            "SHAPE MWNT0001 LINE QZ_TABLE 256 ByLayer -1 0,11,0 0,20,0\n"
            "SHAPE MWNT0001 TEXT QZ_ANNO 256 ByLayer -1 -16,12,0 2 0.8 Standard P1 M3 W-2 CV2\n"
            "SHAPE MWNT0001 TEXT QZ_ANNO 256 ByLayer -1 -16,16.5,0 2 0.8 Standard P1 M2 W-1 IV5.5\n");
}

// Two annotations in an R12 drawing get two blocks, drawn without ellipses.
TEST_F(DrawNoteTest, TwoAnnotationsInAnR12DrawingGetTwoBlocks) {
  wb::db::Error error;
  auto r12 = wb::db::Database::OpenFromMemory(wbtest::ReadBytes(WB_SOURCE_DIR "/tests/fuzz/seeds/dxf/seed_r12.dxf"),
                                              "seed_r12.dxf", &error);
  ASSERT_TRUE(r12) << error.ToString();
  wb::editor::SetActiveDatabase(std::move(r12));
  plant.db = wb::editor::ActiveDatabase();
  note.wireId = Wire({0, 0, 0}, {0, 10, 0});
  for (const auto& [side, y] : {std::pair{1.0, 3.0}, {-1.0, 6.0}}) {
    note.pickPoint = {side, y, 0};
    backend.Pick({6 * side, y, 0}).Pick({9 * side, y, 0});
    ASSERT_TRUE(note.StartAnnotationDrag());
  }
  const std::string out = EzdxfAnnotations(*plant.db);
  EXPECT_EQ(out.rfind("AUDIT 0 errors\n", 0), 0u) << out;
  EXPECT_NE(out.find("INSERT QZ_TABLE 256 ByLayer -1 MWNT0001 0,3,0\n"), std::string::npos) << out;
  EXPECT_NE(out.find("INSERT QZ_TABLE 256 ByLayer -1 MWNT0002 0,6,0\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("ELLIPSE"), std::string::npos) << out;
  // Per block: 16 arc pieces, cross line, leader, 4 frame lines, 2 rows.
  size_t lines = 0;
  for (size_t at = out.find(" LINE "); at != std::string::npos; at = out.find(" LINE ", at + 1)) ++lines;
  EXPECT_EQ(lines, 2u * (16 + 2 + 4)) << out;
}

TEST_F(DrawNoteTest, EscapeLeavesTheDrawingUnchanged) {
  const size_t before = plant.db->ModelSpaceEntities().size();
  backend.Move({6, 6, 0}).Pick({6, 6, 0}).Move({0, 6, 0}).Cancel();
  ASSERT_TRUE(note.StartAnnotationDrag());
  EXPECT_EQ(backend.Remaining(), 0u);
  EXPECT_EQ(plant.db->ModelSpaceEntities().size(), before);
  EXPECT_FALSE(plant.db->HasBlock("MWNT0001"));

  // An empty script is an Esc at once; a pick beyond the wire draws nothing.
  ScriptedDragBackend empty;
  wb::editor::SetDragBackend(&empty);
  ASSERT_TRUE(note.StartAnnotationDrag());
  EXPECT_EQ(empty.Frames(), 1);
  note.pickPoint = {11, 1, 0};
  EXPECT_FALSE(note.StartAnnotationDrag());
  EXPECT_EQ(empty.Frames(), 1);
  EXPECT_EQ(plant.db->ModelSpaceEntities().size(), before);
}

TEST_F(DrawNoteTest, LeaderFollowsTheCursorWithoutRevisionAndInOriginMode) {
  g_cableSetting.cinfoLeaderRevision = false;
  backend.Move({9, 7.3, 0});
  ASSERT_TRUE(note.StartAnnotationDrag());
  ExpectPoint(backend.frames[1][2].points[1], 9, 7.3);

  // Origin mode: the leader alone, from the insertion point; the frame
  // entities start at index 1. Angle correction on: 40 degrees snaps to 45.
  g_cableSetting.cinfoLeaderRevision = true;
  plant.Block("KK-ORIGIN", {{0, 0, 0}});
  AcDbObjectId equipment = plant.Insert("KK-ORIGIN", {20, 20, 0});
  plant.Tag(equipment, 0, {"ETAT|1|1|1|99|1|"});
  note.wireId = equipment;
  note.lines = {u"AB"};
  RecordingBackend origin;
  wb::editor::SetDragBackend(&origin);
  const double a = 40 * M_PI / 180, b = M_PI / 4;
  origin.Pick({20 + 10 * std::cos(a), 20 + 10 * std::sin(a), 0}).Move({0, 0, 0}).Pick({0, 0, 0});
  ASSERT_TRUE(note.StartAnnotationDrag());
  EXPECT_TRUE(note.originMode);
  ExpectPoint(note.leaderEnd, 20 + 10 * std::cos(b), 20 + 10 * std::sin(b));
  ASSERT_EQ(origin.frames[1].size(), 6u);  // leader, bottom, top, row, right, left
  const double w = 3 + 4;
  ExpectPoint(origin.frames[2][1].points[0], note.leaderEnd.x - w, note.leaderEnd.y, 0,
              "bottom on the left");
  ExpectPoint(origin.frames[2][0].points[1], note.leaderEnd.x, note.leaderEnd.y, 0, "leader");
  const auto members = plant.db->BlockEntities("MWNT0001");
  ASSERT_EQ(members.size(), 6u);
  EXPECT_EQ(plant.db->EntityType(members[0]), "LINE");
  EXPECT_NEAR(std::atof(plant.db->Group(members[0], 10).value_or("nan").c_str()), 0, 1e-9);
}

TEST_F(DrawNoteTest, FrameStartsOnTheLeftWhenSnappingMovedTheEndRightOfTheCursor) {
  // From (4,1) a cursor at 97 degrees snaps to 90: the leader end lies to
  // the cursor's right, so the frame begins on the left.
  const double a = 97 * M_PI / 180;
  backend.Pick({4 + 10 * std::cos(a), 1 + 10 * std::sin(a), 0}).Pick({100, 0, 0});
  ASSERT_TRUE(note.StartAnnotationDrag());
  ExpectPoint(note.leaderEnd, 4, 11);
  EXPECT_EQ(note.side, 1);  // the second pick was on the right
  const auto& frame = backend.frames[1];
  ExpectPoint(frame[3].points[0], 4 - 20, 11, 0, "frame began on the left");
  EXPECT_TRUE(plant.db->HasBlock("MWNT0001"));
}

}  // namespace
