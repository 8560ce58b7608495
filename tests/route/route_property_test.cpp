#include <gtest/gtest.h>

#include "route/route_test_support.h"
#include "route/synthetic_plant.h"

namespace {

// One finder per plant, reused across cable rows as the command does, must
// give the plain search's route and length for every row.
struct Tally {
  int routed = 0;
  int searches = 0;
  int gaveUp = 0;
  int gaveUpShortest = 0;
};

void CheckPlant(const synth::PlantOptions& options, Tally* tally, int64_t callLimit = 4000) {
  oracle::CallLimit = callLimit;
  const synth::Plant plant = synth::MakePlant(options);
  RouteFinder finder(plant.source, plant.tagged);
  RouteFinder elementwise(plant.source, plant.tagged);
  elementwise.SetChainContraction(false);
  for (bool msd : {true, false}) {
    for (const auto& [from, to] : plant.cables) {
      const oracle::Result expected = oracle::FindRoute(plant.source, plant.tagged, from, to, msd);
      const RouteSearchResult got = finder.Find(from, to, msd);
      const RouteSearchResult other = elementwise.Find(from, to, msd);
      ASSERT_EQ(other.route, got.route) << "seed " << options.seed << " msd " << msd;
      ASSERT_TRUE(routetest::SameBits(other.length, got.length));
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

TEST(RouteProperty, FinderMatchesPlainSearchOnGridPlants) {
  Tally tally;
  for (uint32_t seed = 1; seed <= 24; ++seed) {
    synth::PlantOptions o;
    o.seed = seed;
    o.elements = 80 + static_cast<int>(seed % 5) * 30;
    o.cables = 25;
    o.equalLengths = seed % 3 == 0;
    o.oddTexts = seed % 4 == 1;
    CheckPlant(o, &tally);
    if (HasFatalFailure()) return;
  }
  // The plants must route most cables. The plain search may give up only
  // without the shortest setting, where it walks every simple path of a
  // mesh when To is out of reach (small meshes below cover those).
  EXPECT_GT(tally.routed, 300);
  EXPECT_EQ(tally.gaveUpShortest, 0);
  EXPECT_LT(tally.gaveUp * 10, tally.searches);
}

TEST(RouteProperty, FirstRouteMatchesOnSmallMeshes) {
  Tally tally;
  for (uint32_t seed = 301; seed <= 330; ++seed) {
    synth::PlantOptions o;
    o.seed = seed;
    o.elements = 30 + static_cast<int>(seed % 3) * 10;
    o.cables = 15;
    o.equalLengths = seed % 2 == 0;
    CheckPlant(o, &tally, 400000);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(tally.routed, 200);
  EXPECT_EQ(tally.gaveUp, 0);
}

TEST(RouteProperty, FinderMatchesPlainSearchOnTreePlantsWithLoops) {
  Tally tally;
  for (uint32_t seed = 101; seed <= 124; ++seed) {
    synth::PlantOptions o;
    o.seed = seed;
    o.elements = 150 + static_cast<int>(seed % 4) * 50;
    o.cables = 25;
    o.treeLike = true;
    o.equalLengths = seed % 2 == 0;
    CheckPlant(o, &tally);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(tally.routed, 300);
  EXPECT_LT(tally.gaveUp * 20, tally.searches);
}

TEST(RouteProperty, FinderMatchesPlainSearchWithNegativeLengths) {
  Tally tally;
  for (uint32_t seed = 201; seed <= 210; ++seed) {
    synth::PlantOptions o;
    o.seed = seed;
    o.elements = 120;
    o.cables = 20;
    o.negativeLength = true;
    o.treeLike = seed % 2 == 0;
    CheckPlant(o, &tally);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(tally.routed, 80);
  EXPECT_LT(tally.gaveUp * 20, tally.searches);
}

// Plants too large for the plain search: bounds taken over junctions and
// bounds taken element by element must not change a single route.
TEST(RouteProperty, ChainBoundsMatchElementBoundsOnLargePlants) {
  int routed = 0;
  for (uint32_t seed : {901u, 902u, 903u}) {
    synth::PlantOptions o;
    o.seed = seed;
    o.elements = 4000;
    o.cables = 150;
    o.treeLike = seed == 902;
    o.equalLengths = seed == 903;
    const synth::Plant plant = synth::MakePlant(o);
    RouteFinder chains(plant.source, plant.tagged);
    RouteFinder elements(plant.source, plant.tagged);
    elements.SetChainContraction(false);
    for (const auto& [from, to] : plant.cables) {
      const RouteSearchResult a = chains.Find(from, to, true);
      const RouteSearchResult b = elements.Find(from, to, true);
      ASSERT_EQ(a.route, b.route) << "seed " << seed << " from " << from.handle;
      ASSERT_TRUE(routetest::SameBits(a.length, b.length));
      routed += a.found();
    }
  }
  EXPECT_GT(routed, 200);
}

}  // namespace
