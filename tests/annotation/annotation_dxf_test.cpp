// The finished annotation as another DXF reader sees it: saved, then read
// back with ezdxf (the DXF tests' fixture script).
#include "annotation/draw_note.h"
#include "dxf/dxf_test_util.h"
#include "module/user_session.h"
#include "platform/editor/drag.h"

namespace {

using AnnotationTest = wbtest::UserSession;

class AnnotationDxfTest : public AnnotationTest {
 protected:
  void Place(const AcGePoint3d& pick, const std::vector<AcGePoint3d>& picks) {
    ScriptedDragBackend backend;
    for (const auto& p : picks) backend.Pick(p);
    DragBackend* previous = wb::editor::SetDragBackend(&backend);
    CDrawNote note;
    note.wireId = wire;
    note.pickPoint = pick;
    note.lines = {u"P1 M2 W-1 IV5.5", u"記入 CV2"};
    note.scale = 1.0;
    EXPECT_TRUE(note.StartAnnotationDrag());
    wb::editor::SetDragBackend(previous);
  }
  // What ezdxf finds in the saved drawing: the audit's verdict, where each
  // annotation is inserted and what its block draws.
  std::string SaveAndRead() {
    const std::string path = dir / "annotation.dxf";
    wb::db::Error error;
    EXPECT_TRUE(plant.db->Save(path, &error)) << error.ToString();
    std::string out;
    for (const std::string& fact : wb::dxftest::EzdxfFacts(path))
      if (fact.starts_with("AUDIT") || (fact.find(" MWNT") != std::string::npos && !fact.starts_with("BLOCKENTITY")))
        out += fact + "\n";
    return out;
  }
  wbtest::TempDir dir;
  AcDbObjectId wire;
};

TEST_F(AnnotationDxfTest, SavedBlockReadsBackWithEzdxf) {
  wire = Wire({0, 0, 0}, {10, 0, 0});
  Place({4, 1, 0}, {{4, 11, 0}, {2, 11, 0}});  // frame on the left
  // Widest row "P1 M2 W-1 IV5.5W": 16 units, plus 4.
  EXPECT_EQ(SaveAndRead(),
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
            "SHAPE MWNT0001 TEXT QZ_ANNO 256 ByLayer -1 -16,12,0 2 0.8 Standard 記入 CV2\n"
            "SHAPE MWNT0001 TEXT QZ_ANNO 256 ByLayer -1 -16,16.5,0 2 0.8 Standard P1 M2 W-1 IV5.5\n");
}

TEST_F(AnnotationDxfTest, TwoAnnotationsInAnR12DrawingGetTwoBlocks) {
  const std::string seed = wbtest::ReadBytes(WB_SOURCE_DIR "/tests/fuzz/seeds/dxf/seed_r12.dxf");
  wb::db::Error error;
  auto r12 = wb::db::Database::OpenFromMemory(seed, "seed_r12.dxf", &error);
  ASSERT_TRUE(r12) << error.ToString();
  wb::editor::SetActiveDatabase(std::move(r12));
  plant.db = wb::editor::ActiveDatabase();
  wire = Wire({0, 0, 0}, {0, 10, 0});
  Place({1, 3, 0}, {{6, 3, 0}, {9, 3, 0}});
  Place({-1, 6, 0}, {{-6, 6, 0}, {-9, 6, 0}});
  const std::string out = SaveAndRead();
  EXPECT_EQ(out.rfind("AUDIT 0 errors\n", 0), 0u) << out;
  EXPECT_NE(out.find("INSERT QZ_TABLE 256 ByLayer -1 MWNT0001 0,3,0\n"), std::string::npos) << out;
  EXPECT_NE(out.find("INSERT QZ_TABLE 256 ByLayer -1 MWNT0002 0,6,0\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("ELLIPSE"), std::string::npos) << out;  // no ellipses before R13
  // Per block: 16 arc pieces, cross line, leader, 4 frame lines, 2 rows.
  size_t lines = 0;
  for (size_t at = out.find(" LINE "); at != std::string::npos; at = out.find(" LINE ", at + 1)) ++lines;
  EXPECT_EQ(lines, 2u * (16 + 2 + 4)) << out;
}

}  // namespace
