#include <gtest/gtest.h>

#include "platform/host/worker_threads.h"
#include "route/route_test_support.h"
#include "route/synthetic_plant.h"

namespace {

// Every cable searched on worker threads, each with its own workspace, as
// the assignment searches them.
std::vector<RouteSearchResult> SearchOnThreads(const RouteFinder& finder, const synth::Plant& plant,
                                               bool msd, int threads) {
  std::vector<RouteSearchResult> results(plant.cables.size());
  std::vector<std::unique_ptr<RouteFinder::Workspace>> spaces;
  for (int t = 0; t < threads; ++t) spaces.push_back(std::make_unique<RouteFinder::Workspace>(finder));
  wb::OrderedWork work(results.size(), threads, [&](size_t i, int worker) {
    results[i] = finder.Find(plant.cables[i].first, plant.cables[i].second, msd, *spaces[worker]);
  });
  work.WaitAll();
  return results;
}

void ExpectSame(const RouteSearchResult& a, const RouteSearchResult& b, uint32_t seed) {
  ASSERT_EQ(a.route, b.route) << "seed " << seed;
  ASSERT_TRUE(routetest::SameBits(a.length, b.length)) << "seed " << seed;
  ASSERT_EQ(a.calls, b.calls) << "seed " << seed;
}

// One finder per plant, reused across cable rows as the command does, must
// give the plain search's route and length for every row.
struct Tally {
  int routed = 0, searches = 0, gaveUp = 0, gaveUpShortest = 0;
};

void CheckPlant(const synth::PlantOptions& options, Tally* tally, int64_t callLimit = 4000) {
  oracle::CallLimit = callLimit;
  const synth::Plant plant = synth::MakePlant(options);
  RouteFinder finder(plant.source, plant.tagged);
  for (bool msd : {true, false}) {
    // Threads first, so that they also prepare the finder's bounds.
    const std::vector<RouteSearchResult> threaded = SearchOnThreads(finder, plant, msd, 3);
    for (size_t k = 0; k < plant.cables.size(); ++k) {
      const auto [from, to] = plant.cables[k];
      const oracle::Result expected = oracle::FindRoute(plant.source, plant.tagged, from, to, msd);
      const RouteSearchResult got = finder.Find(from, to, msd);
      ExpectSame(threaded[k], got, options.seed);
      if (::testing::Test::HasFatalFailure()) return;
      ++tally->searches;
      if (expected.gaveUp) {
        ++tally->gaveUp;
        if (msd) ++tally->gaveUpShortest;
        continue;
      }
      ASSERT_EQ(got.route, expected.route)
          << "seed " << options.seed << " msd " << msd << " from " << from.handle << " to "
          << to.handle;
      // Negative lengths leave nothing to cut by bounds: the finder then
      // makes exactly the plain search's calls.
      if (msd && options.negativeLength && !expected.route.empty()) {
        ASSERT_EQ(got.calls, expected.calls) << "seed " << options.seed;
      }
      if (expected.route.empty()) continue;
      ++tally->routed;
      ASSERT_TRUE(routetest::SameBits(got.length, expected.length))
          << "seed " << options.seed << ": " << got.length << " vs " << expected.length;
      ASSERT_TRUE(routetest::SameBits(
          finder.GetRouteLength(got.route), oracle::GetRouteLength(plant.source, got.route)));
      for (size_t i = 0; i < got.route.size(); ++i)
        ASSERT_TRUE(routetest::SameBits(
            finder.GetElementLength(got.route, got.route[i], static_cast<int>(i)),
            oracle::GetElementLength(plant.source, got.route, got.route[i], static_cast<int>(i))));
    }
  }
}

// Families of plants: the plain search may give up only without the
// shortest setting, where it walks every simple path of a mesh when To is
// out of reach (the small meshes cover those with a high call limit).
TEST(RouteProperty, FinderMatchesPlainSearch) {
  const struct {
    const char* family;
    uint32_t seeds[2];
    int elements, step, steps;  // elements + (seed % steps) * step
    bool treeLike, negative;
    int equalEvery, oddEvery;  // seed % n == 0 (resp. 1); 0: never
    int64_t callLimit;
    int minRouted, gaveUpPer;  // gave up on fewer than one search in gaveUpPer
  } families[] = {
      {"grids", {1, 24}, 80, 30, 5, false, false, 3, 4, 4000, 300, 10},
      {"small meshes", {301, 330}, 30, 10, 3, false, false, 2, 0, 400000, 200, 0},
      {"trees with loops", {101, 124}, 150, 50, 4, true, false, 2, 0, 4000, 300, 20},
      {"negative lengths", {201, 210}, 120, 0, 1, false, true, 0, 0, 4000, 80, 20},
  };
  for (const auto& f : families) {
    Tally tally;
    for (uint32_t seed = f.seeds[0]; seed <= f.seeds[1]; ++seed) {
      synth::PlantOptions o;
      o.seed = seed;
      o.elements = f.elements + static_cast<int>(seed % f.steps) * f.step;
      o.cables = f.negative ? 20 : f.elements < 80 ? 15 : 25;
      o.treeLike = f.treeLike || (f.negative && seed % 2 == 0);
      o.negativeLength = f.negative;
      o.equalLengths = f.equalEvery && seed % f.equalEvery == 0;
      o.oddTexts = f.oddEvery && seed % f.oddEvery == 1;
      CheckPlant(o, &tally, f.callLimit);
      if (HasFatalFailure()) return;
    }
    EXPECT_GT(tally.routed, f.minRouted) << f.family;
    EXPECT_EQ(tally.gaveUpShortest, 0) << f.family;
    if (f.gaveUpPer) EXPECT_LT(tally.gaveUp * f.gaveUpPer, tally.searches) << f.family;
    else EXPECT_EQ(tally.gaveUp, 0) << f.family;
  }
}

// Plants too large for the plain search: many rows through one workspace
// per thread, in both modes, must give what one thread gives.
TEST(RouteProperty, ThreadsGiveTheSameRoutesOnLargePlants) {
  int routed = 0;
  for (uint32_t seed : {901u, 902u, 903u}) {
    synth::PlantOptions o;
    o.seed = seed;
    o.elements = 4000;
    o.cables = 150;
    o.treeLike = seed == 902;
    o.equalLengths = seed == 903;
    const synth::Plant plant = synth::MakePlant(o);
    RouteFinder finder(plant.source, plant.tagged);
    for (bool msd : {true, false}) {
      const std::vector<RouteSearchResult> threaded = SearchOnThreads(finder, plant, msd, 4);
      for (size_t k = 0; k < plant.cables.size(); ++k) {
        const RouteSearchResult one = finder.Find(plant.cables[k].first, plant.cables[k].second, msd);
        ExpectSame(threaded[k], one, seed);
        if (HasFatalFailure()) return;
        ASSERT_TRUE(routetest::SameBits(one.length, finder.GetRouteLength(one.route)));
        routed += one.found();
      }
    }
  }
  EXPECT_GT(routed, 400);
}

}  // namespace
