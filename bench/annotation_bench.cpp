// bench-links: wb_module
// Cost of one cursor move during an annotation drag: the leader update of
// the first phase and the side test (with a flip) of the second.
#include <benchmark/benchmark.h>

#include "annotation/draw_note.h"
#include "platform/db/database.h"
#include "platform/editor/document.h"
#include "platform/editor/drag.h"

namespace {

// Feeds `moves` cursor positions alternating around x = 0, then Esc.
class MoveBackend : public DragBackend {
 public:
  explicit MoveBackend(int moves, bool pickFirst) : moves_(moves), pickFirst_(pickFirst) {}
  void Begin(const CString&) override {}
  void End() override {}
  DragInput Next(const CDrag&) override {
    if (pickFirst_) {
      pickFirst_ = false;
      return {DragInput::kPick, {0, 10, 0}};
    }
    if (moves_-- <= 0) return {DragInput::kCancel, {}};
    const double x = (moves_ & 1) ? -5.0 - moves_ % 7 : 5.0 + moves_ % 7;
    return {DragInput::kMove, {x, static_cast<double>(10 + moves_ % 5), 0}};
  }

 private:
  int moves_;
  bool pickFirst_;
};

void Setup() {
  wb::editor::SetActiveDatabase(wb::db::Database::CreateEmpty());
  auto* db = wb::editor::ActiveDatabase();
  db->CreateBlock("RT-1", {});
  db->AddEntity("RT-1", "POINT", "QZ_CONNECT", {{100, "AcDbPoint"}, {10, "-10"}, {20, "0"}});
  db->AddEntity("RT-1", "POINT", "QZ_CONNECT", {{100, "AcDbPoint"}, {10, "10"}, {20, "0"}});
  AcDbObjectId wire = db->AddEntity("", "INSERT", "0", {{100, "AcDbBlockReference"}, {2, "RT-1"},
                                                        {10, "0"}, {20, "0"}, {30, "0"}});
  db->SetXData(wire, "QZ_LINK", {{1070, "3"}});
}

void RunDrag(benchmark::State& state, bool secondPhase) {
  Setup();
  constexpr int kMoves = 1000;
  CDrawNote note;
  note.wireId = wb::editor::ActiveDatabase()->ModelSpaceEntities().back();
  note.pickPoint = {0, 1, 0};
  note.lines = CStringArray(20, u"P1 M2 W-1 IV5.5");
  for (auto _ : state) {
    MoveBackend backend(kMoves, secondPhase);
    DragBackend* previous = wb::editor::SetDragBackend(&backend);
    note.StartAnnotationDrag();
    wb::editor::SetDragBackend(previous);
  }
  state.SetItemsProcessed(state.iterations() * kMoves);
  wb::editor::SetActiveDatabase(nullptr);
}

void BM_LeaderMoves(benchmark::State& state) { RunDrag(state, false); }
void BM_FrameFlips(benchmark::State& state) { RunDrag(state, true); }

BENCHMARK(BM_LeaderMoves);
BENCHMARK(BM_FrameFlips);

}  // namespace
