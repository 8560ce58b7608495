// bench-links: wb_module
// The cable assignment command on a synthetic plant drawing (DXF reading and
// writing excluded): the whole engine, and the plain command written as the
// algorithm reads, side by side per row.
#include <benchmark/benchmark.h>

#include <map>
#include <tuple>

#include "../tests/route/assign/plain_assignment.h"
#include "../tests/route/plant_drawing.h"
#include "settings/cable_setting.h"

namespace {

struct Fixture {
  synth::Plant plant;
  synth::PlantDrawing drawing;
};

// `copy` gives a benchmark a drawing of its own that no other one edits.
Fixture& FixtureOf(int elements, int cables, int copy = 0) {
  static std::map<std::tuple<int, int, int>, std::unique_ptr<Fixture>> fixtures;
  auto& slot = fixtures[{elements, cables, copy}];
  if (!slot) {
    slot = std::make_unique<Fixture>();
    synth::PlantOptions o;
    o.seed = 2024;
    o.elements = elements;
    o.cables = cables;
    slot->plant = synth::MakePlant(o);
    slot->drawing = synth::MakePlantDrawing(slot->plant, 2024);
  }
  return *slot;
}

// Runs with the fixture's drawing active; every run clears the previous
// run's keys first, so each iteration does the same work.
template <typename Work>
void Active(Fixture& f, Work work) {
  wb::editor::SetActiveDatabase(std::move(f.drawing.database));
  work();
  f.drawing.database = wb::editor::ReleaseActiveDatabase();
}

void BM_AssignCommand(benchmark::State& state) {
  Fixture& f = FixtureOf(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  g_cableSetting.mostShortDist = state.range(2) != 0;
  g_cableSetting.outLog = false;
  AssignmentSummary summary;
  Active(f, [&] {
    for (auto _ : state) {
      CableList list = f.drawing.list;
      summary = AssignCables(list, f.drawing.facility);
    }
  });
  state.counters["elements"] = static_cast<double>(f.plant.tagged.size());
  state.counters["rows"] = static_cast<double>(f.drawing.list.rows.size());
  state.counters["searched"] = summary.rowsSearched;
  state.counters["routed"] = summary.rowsRouted;
}

// The first `rows` rows only, per row: the plain command takes seconds a row.
void BM_PlainCommandRows(benchmark::State& state) {
  Fixture& f = FixtureOf(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  g_cableSetting.mostShortDist = true;
  g_cableSetting.outLog = false;
  const size_t rows = static_cast<size_t>(state.range(2));
  Active(f, [&] {
    for (auto _ : state) {
      CableList list = f.drawing.list;
      list.rows.resize(std::min(rows, list.rows.size()));
      plain::Assign(list, f.drawing.facility, true);
    }
  });
  state.counters["per_row_ms"] = benchmark::Counter(
      static_cast<double>(rows) * 1e-3,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_AssignCommandRows(benchmark::State& state) {
  Fixture& f = FixtureOf(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  g_cableSetting.mostShortDist = true;
  g_cableSetting.outLog = false;
  const size_t rows = f.drawing.list.rows.size();
  Active(f, [&] {
    for (auto _ : state) {
      CableList list = f.drawing.list;
      AssignCables(list, f.drawing.facility);
    }
  });
  state.counters["per_row_ms"] = benchmark::Counter(
      static_cast<double>(rows) * 1e-3,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Undo of the whole plant's assignment as the hosts run it, one undo step
// around the command: mode 0 times UNDO, 1 REDO, 2 the assignment itself
// while the step keeps its before-images (compare BM_AssignCommand).
void BM_UndoAssignment(benchmark::State& state) {
  Fixture& f = FixtureOf(20000, 2000, 1);
  g_cableSetting.mostShortDist = true;
  g_cableSetting.outLog = false;
  const int mode = static_cast<int>(state.range(0));
  Active(f, [&] {
    wb::db::Database& db = *wb::editor::ActiveDatabase();
    auto assign = [&] {
      CableList list = f.drawing.list;
      db.BeginUndoStep("QZ_SETCABLEDIST");
      AssignCables(list, f.drawing.facility);
      db.EndUndoStep();
    };
    // From the drawing as generated, each run.
    while (db.Undo()) {
    }
    if (mode != 2) assign();
    for (auto _ : state) {
      if (mode == 2) {
        assign();
        state.PauseTiming();
        db.Undo();
        state.ResumeTiming();
      } else if (mode == 0) {
        db.Undo();
        state.PauseTiming();
        db.Redo();
        state.ResumeTiming();
      } else {
        state.PauseTiming();
        db.Undo();
        state.ResumeTiming();
        db.Redo();
      }
    }
  });
}

}  // namespace

BENCHMARK(BM_UndoAssignment)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AssignCommand)->Args({20000, 2000, 1})->Args({20000, 2000, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AssignCommandRows)->Args({2000, 200})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainCommandRows)->Args({2000, 200, 10})->Unit(benchmark::kMillisecond)
    ->Iterations(1);
