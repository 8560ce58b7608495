// bench-links: wb_route
// Route search of one assignment command: the finder built once from the
// drawing's elements, then one search per cable row; against the plain
// search on a smaller plant.
#include <benchmark/benchmark.h>

#include "../tests/route/route_oracle.h"
#include "../tests/route/synthetic_plant.h"
#include "route/search/route_finder.h"

namespace {

const synth::Plant& PlantOf(int elements, int cables) {
  static std::vector<std::pair<std::pair<int, int>, synth::Plant>> plants;
  for (auto& [key, plant] : plants)
    if (key == std::make_pair(elements, cables)) return plant;
  synth::PlantOptions o;
  o.seed = 2024;
  o.elements = elements;
  o.cables = cables;
  plants.emplace_back(std::make_pair(elements, cables), synth::MakePlant(o));
  return plants.back().second;
}

void BM_FinderBuild(benchmark::State& state) {
  const auto& plant = PlantOf(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    RouteFinder finder(plant.source, plant.tagged);
    benchmark::DoNotOptimize(finder.size());
  }
  state.counters["elements"] = static_cast<double>(plant.tagged.size());
}

// The whole command's searching: build, then every cable row.
void BM_FinderCommand(benchmark::State& state) {
  const auto& plant = PlantOf(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const bool msd = state.range(2) != 0;
  int64_t calls = 0, routed = 0;
  for (auto _ : state) {
    RouteFinder finder(plant.source, plant.tagged);
    calls = routed = 0;
    for (const auto& [from, to] : plant.cables) {
      const RouteSearchResult r = finder.Find(from, to, msd);
      calls += r.calls;
      routed += r.found();
    }
  }
  state.counters["elements"] = static_cast<double>(plant.tagged.size());
  state.counters["cables"] = static_cast<double>(plant.cables.size());
  state.counters["routed"] = static_cast<double>(routed);
  state.counters["calls"] = static_cast<double>(calls);
}

// The plain search, a fresh graph per row as it is defined; only the first
// `rows` cables, since it is slow. Compare time per row with the finder.
void BM_PlainSearchRows(benchmark::State& state) {
  const auto& plant = PlantOf(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const bool msd = state.range(2) != 0;
  const size_t rows = std::min<size_t>(static_cast<size_t>(state.range(3)), plant.cables.size());
  for (auto _ : state) {
    for (size_t k = 0; k < rows; ++k) {
      const auto [from, to] = plant.cables[k];
      benchmark::DoNotOptimize(oracle::FindRoute(plant.source, plant.tagged, from, to, msd));
    }
  }
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["per_row_ms"] = benchmark::Counter(
      static_cast<double>(rows) * 1e-3, benchmark::Counter::kIsIterationInvariantRate |
                                            benchmark::Counter::kInvert);
}

void BM_FinderRows(benchmark::State& state) {
  const auto& plant = PlantOf(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const bool msd = state.range(2) != 0;
  const size_t rows = std::min<size_t>(static_cast<size_t>(state.range(3)), plant.cables.size());
  for (auto _ : state) {
    RouteFinder finder(plant.source, plant.tagged);
    for (size_t k = 0; k < rows; ++k) {
      const auto [from, to] = plant.cables[k];
      benchmark::DoNotOptimize(finder.Find(from, to, msd));
    }
  }
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["per_row_ms"] = benchmark::Counter(
      static_cast<double>(rows) * 1e-3, benchmark::Counter::kIsIterationInvariantRate |
                                            benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_FinderBuild)->Args({20000, 2000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FinderCommand)->Args({20000, 2000, 1})->Args({20000, 2000, 0})
    ->Args({2000, 200, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FinderRows)->Args({2000, 200, 1, 200})->Args({2000, 200, 1, 20})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSearchRows)->Args({2000, 200, 1, 20})->Unit(benchmark::kMillisecond)
    ->Iterations(1);
