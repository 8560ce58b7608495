#include <cmath>
#include <cstdlib>

#include "annotation/draw_note.h"
#include "module/user_session.h"
#include "platform/editor/drag.h"

namespace {

using AnnotationTest = wbtest::UserSession;
using wbtest::ExpectPoint;

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

  // What was committed is checked as another reader sees it, in
  // annotation_dxf_test.
  EXPECT_TRUE(plant.db->HasBlock("MWNT0001"));
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

  // Start and cancel carry nothing to do: their answers do not depend on
  // the drag record.
  DragRecord record;
  for (DragRecord* r : {static_cast<DragRecord*>(nullptr), &record}) {
    EXPECT_EQ(note.OnDragMessage(WM_DRAG_START, 0, r), 0);
    EXPECT_EQ(note.OnDragMessage(WM_DRAG_CANCEL, 0, r), 1);
  }
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
