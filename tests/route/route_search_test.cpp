// The route finder against the plain search, on hand-drawn plants that pin
// one edge each and on families of synthetic plants.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>

#include "platform/host/worker_threads.h"
#include "route/route_oracle.h"
#include "route/search/route_finder.h"
#include "route/synthetic_plant.h"

namespace {

using synth::Plant;

AcGePoint3d P(double x, double y) { return AcGePoint3d{x, y, 0}; }

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct Answer {
  oracle::Result plain;
  RouteSearchResult got;
};

// The finder must give the plain search's route, and the very same lengths,
// unless the plain search gave up; its calls go into the command's count.
Answer Search(const Plant& d, RouteFinder& finder, AcDbObjectId from, AcDbObjectId to, bool msd) {
  const int32_t before = RouteSearchCallCount;
  Answer a{oracle::FindRoute(d.source, d.tagged, from, to, msd), finder.Find(from, to, msd)};
  EXPECT_EQ(RouteSearchCallCount - before, a.got.calls);
  if (a.plain.gaveUp) return a;
  const AcDbObjectIdArray& route = a.got.route;
  EXPECT_EQ(route, a.plain.route) << "msd " << msd << " from " << from.handle << " to " << to.handle;
  if (route.empty() || route != a.plain.route) return a;
  EXPECT_TRUE(SameBits(a.got.length, a.plain.length)) << a.got.length << " vs " << a.plain.length;
  EXPECT_TRUE(SameBits(finder.GetRouteLength(route), oracle::GetRouteLength(d.source, route)));
  for (size_t i = 0; i < route.size(); ++i) {
    const int at = static_cast<int>(i);
    EXPECT_TRUE(SameBits(finder.GetElementLength(route, route[i], at),
                         oracle::GetElementLength(d.source, route, route[i], at)));
  }
  return a;
}

// What a hand-drawn plant must give with the shortest setting and without
// it (empty: no route); length and the plain search's call count with the
// shortest setting where they are given.
struct Expected {
  AcDbObjectId from, to;
  AcDbObjectIdArray shortest, first;
  double length = 0;
  int calls = 0;
};

Expected Both(AcDbObjectId from, AcDbObjectId to, AcDbObjectIdArray route, double length = 0) {
  return {from, to, route, route, length};
}

Expected Joint(Plant& d, double gap) {
  // Each pair of coordinates subtracts exactly: the distances are the
  // doubles 0.2 and 0.2000001.
  const auto from = d.Equipment({P(-1, 0)}, "0", "0");
  const auto w1 = d.Wire(P(-1, 0), P(0, 0), "100");
  const auto w2 = d.Wire(P(gap, 0), P(1, 0), "200");
  const auto to = d.Equipment({P(1, 0)}, "0", "0");
  return gap <= 0.2 ? Both(from, to, {from, w1, w2, to}) : Both(from, to, {});
}

// Equipment whose two terminals bridge the short way: a dead end; with a
// long way round, the route takes it.
Expected Bridged(Plant& d, bool wayRound) {
  const auto from = d.Equipment({P(0, 0)}, "0", "0");
  const auto w1 = d.Wire(P(0, 0), P(1, 0), "100");
  d.Equipment({P(1, 0), P(1.5, 0)}, "0", "0");
  const auto w2 = d.Wire(P(1.5, 0), P(3, 0), "100");
  const auto to = d.Equipment({P(3, 0)}, "0", "0");
  if (!wayRound) return Both(from, to, {});
  const auto u1 = d.Wire(P(1, 0), P(1, 5), "5000");
  const auto u2 = d.Wire(P(1, 5), P(1.5, 0), "5000");
  return Both(from, to, {from, w1, u1, u2, w2, to});
}

// Two ways from From to To that meet only at the equipment: up (a, b) and
// down (c, e), listed in that order or the other.
Expected TwoWays(Plant& d, int up, int down, bool downFirst) {
  const auto from = downFirst ? d.Equipment({P(0, -0.5), P(0, 0.5)}, "0", "0")
                              : d.Equipment({P(0, 0.5), P(0, -0.5)}, "0", "0");
  AcDbObjectId a, b, c, e;
  const std::string u = std::to_string(up), w = std::to_string(down);
  const auto addUp = [&] { a = d.Wire(P(0, 0.5), P(0, 1), u), b = d.Wire(P(0, 1), P(2, 0.5), u); };
  const auto addDown = [&] { c = d.Wire(P(0, -0.5), P(0, -1), w), e = d.Wire(P(0, -1), P(2, -0.5), w); };
  if (downFirst) addDown(), addUp(); else addUp(), addDown();
  const auto to = d.Equipment({P(2, 0.5), P(2, -0.5)}, "0", "0");
  const AcDbObjectIdArray upRoute{from, a, b, to}, downRoute{from, c, e, to};
  const AcDbObjectIdArray& firstFound = downFirst ? downRoute : upRoute;
  if (up == down) return Both(from, to, firstFound, 2.0 * up);
  return {from, to, up < down ? upRoute : downRoute, firstFound, 2.0 * std::min(up, down)};
}

// From reaches x through p or through q; beyond x lies a chain to To.
Expected Revisit(Plant& d, const std::string& q) {
  const auto from = d.Equipment({P(0, 0), P(0, -0.5)}, "0", "0");
  const auto p = d.Wire(P(0, 0), P(1, 1), "10");
  const auto viaQ = d.Wire(P(0, -0.5), P(1, -1), q);
  const auto x = d.Add({P(1, 1), P(1, -1), P(2, 0)}, 3, 3);
  const auto y = d.Wire(P(2, 0), P(3, 0), "10");
  const auto to = d.Equipment({P(3, 0)}, "0", "0");
  // Equal: calls From, p, x, q (from x), y, then q from From, where x is
  // not entered again. Shorter through q: x is entered again.
  return q == "10" ? Expected{from, to, {from, p, x, y, to}, {from, p, x, y, to}, 20, 6}
                   : Expected{from, to, {from, viaQ, x, y, to}, {from, p, x, y, to}, 19, 8};
}

// One end an element the drawing does not hold.
Expected Stranger(Plant& d, bool atFrom) {
  const AcDbObjectId stranger{0x9999}, e = d.Equipment({P(0, 0)}, "1", "0");
  d.Wire(P(0, 0), P(1, 0), "1");
  return atFrom ? Both(stranger, e, {}) : Both(e, stranger, {});
}

TEST(RouteSearch, HandDrawnPlants) {
  const struct {
    const char* name;
    std::function<Expected(Plant&)> draw;
  } cases[] = {
      {"joint at the tolerance", [](Plant& d) { return Joint(d, 0.2); }},
      {"joint beyond the tolerance", [](Plant& d) { return Joint(d, 0.2000001); }},
      {"other kinds break the run",
       [](Plant& d) {
         const auto from = d.Equipment({P(0, 0)}, "1", "0");
         d.Wire(P(0, 0), P(1, 0), "100");
         for (int kind : {1, 2, -1}) d.Wire(P(1, 0), P(2, 0), "100", "0", kind);
         d.Wire(P(2, 0), P(3, 0), "100");
         return Both(from, d.Equipment({P(3, 0)}, "1", "0"), {});
       }},
      {"equipment on the only way", [](Plant& d) { return Bridged(d, false); }},
      {"detour around equipment", [](Plant& d) { return Bridged(d, true); }},
      {"same equipment at both ends",
       [](Plant& d) {
         const auto e = d.Equipment({P(0, 0), P(2, 0)}, "1", "0");
         d.Wire(P(0, 0), P(1, 0), "1");
         d.Wire(P(1, 0), P(2, 0), "1");
         return Both(e, e, {});
       }},
      {"an element twice in the scan",
       [](Plant& d) {
         const auto from = d.Equipment({P(0, 0)}, "0", "0");
         const auto w = d.Wire(P(0, 0), P(1, 0), "5");
         const auto to = d.Equipment({P(1, 0)}, "0", "0");
         d.tagged.push_back(w);
         d.tagged.insert(d.tagged.begin(), to);
         return Both(from, to, {from, w, to});
       }},
      {"From not in the drawing", [](Plant& d) { return Stranger(d, true); }},
      {"To not in the drawing", [](Plant& d) { return Stranger(d, false); }},
      // Equal routes keep the first in neighbour order; without the
      // shortest setting the first route found stays, however long.
      {"tie, up first", [](Plant& d) { return TwoWays(d, 500, 500, false); }},
      {"tie, down first", [](Plant& d) { return TwoWays(d, 500, 500, true); }},
      {"first route longer", [](Plant& d) { return TwoWays(d, 900, 100, false); }},
      {"one wire",
       [](Plant& d) {
         const auto from = d.Equipment({P(0, 0)}, "1.5", "300");
         const auto w = d.Wire(P(0, 0), P(1, 0), "2500", "1000");
         const auto to = d.Equipment({P(1, 0)}, "0.25", "1200");
         return Both(from, to, {from, w, to}, 1500.0 + 700.0 + 2500.0 + 250.0 + 200.0);
       }},
      // Texts convert like the runtime; a negative length turns the bounds off.
      {"length texts",
       [](Plant& d) {
         const auto from = d.Equipment({P(0, 0)}, "2abc", " 100");
         const auto w1 = d.Wire(P(0, 0), P(1, 0), "12.9mm");  // leading integer: 12
         const auto w2 = d.Wire(P(1, 0), P(2, 0), "mm12");    // no leading digits: 0
         const auto t = d.Add({P(2, 0), P(3, 0)}, 3, 3);      // tee: adds nothing
         d.source.SetAttribute(t, u"S304", u"777");
         const auto w3 = d.Wire(P(3, 0), P(4, 0), " -0007");
         const auto to = d.Equipment({P(4, 0)}, "", "1e2");
         return Both(from, to, {from, w1, w2, t, w3, to}, 2000.0 + 100.0 + 12.0 - 7.0 + 100.0);
       }},
      {"revisit at equal length", [](Plant& d) { return Revisit(d, "10"); }},
      {"revisit shorter", [](Plant& d) { return Revisit(d, "9"); }},
      // x is reached first through a at 2.7e-9, later through b at 0.95e-9;
      // To then adds 9e6 and both sums round to the same double, so the
      // later way is not shorter. A bound that judged the prefix at x by its
      // own small scale would drop the first way.
      {"rounding hides a longer prefix",
       [](Plant& d) {
         const auto from = d.Equipment({P(0, 0), P(0, -1)}, "0", "0");
         const auto a = d.Add({P(0, 0), P(1, 1)}, 3, 3);
         d.source.SetAttribute(a, u"S401", u"0.0000000027");
         const auto b = d.Add({P(0, -1), P(1, -1)}, 3, 3);
         d.source.SetAttribute(b, u"S401", u"0.00000000095");
         const auto x = d.Add({P(1, 1), P(1, -1), P(2, 0)}, 3, 3);
         const auto y = d.Add({P(2, 0), P(3, 0)}, 3, 3);
         const auto to = d.Equipment({P(3, 0), P(3, 5)}, "9000", "0");
         for (int k = 0; k < 3; ++k) d.Add({P(3, 5), P(4, 5 + k)}, 3, 3);  // dead ends beside To
         return Both(from, to, {from, a, x, y, to});
       }},
      // A wire whose first point is undefined: nothing is near it, but its
      // second point finds the next wire, so that link goes one way only.
      {"one-way link",
       [](Plant& d) {
         const auto from = d.Equipment({P(0, 0)}, "0", "0");
         const auto w1 = d.Wire(P(0, 0), P(1, 0), "10");
         const auto w2 = d.Wire(P(1, 0), P(2, 0), "10");
         d.Add({P(std::numeric_limits<double>::quiet_NaN(), 0), P(2, 0)}, 3, 1);
         const auto w3 = d.Wire(P(2, 0), P(3, 0), "10");
         const auto to = d.Equipment({P(3, 0)}, "0", "0");
         return Both(from, to, {from, w1, w2, w3, to}, 30);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Plant d;
    const Expected e = c.draw(d);
    RouteFinder finder(d.source, d.tagged);
    EXPECT_EQ(finder.size(), d.source.size());  // each element once, however often scanned
    for (bool msd : {true, false}) {
      const oracle::Result r = Search(d, finder, e.from, e.to, msd).plain;
      EXPECT_EQ(r.route, msd ? e.shortest : e.first) << "msd " << msd;
      if (msd && e.length) {
        EXPECT_EQ(r.length, e.length);
      }
      if (msd && e.calls) {
        EXPECT_EQ(r.calls, e.calls);
      }
    }
  }
}

TEST(RouteSearch, VeryLongChainDoesNotExhaustTheStack) {
  Plant d;
  const int n = 30000;
  const auto from = d.Equipment({P(0, 0)}, "1", "0");
  for (int i = 0; i < n; ++i) d.Wire(P(i, 0), P(i + 1, 0), "3");
  const auto to = d.Equipment({P(n, 0)}, "1", "0");
  RouteFinder finder(d.source, d.tagged);
  for (bool msd : {true, false}) {
    const auto r = finder.Find(from, to, msd);
    ASSERT_EQ(r.route.size(), static_cast<size_t>(n + 2));
    EXPECT_EQ(r.length, 2000.0 + 3.0 * n);
    EXPECT_TRUE(SameBits(r.length, finder.GetRouteLength(r.route)));
  }
}

using Ends = std::vector<std::pair<AcDbObjectId, AcDbObjectId>>;

// Every pair searched on worker threads, each with its own workspace, as
// the assignment searches them.
std::vector<RouteSearchResult> SearchOnThreads(const RouteFinder& finder, const Ends& ends, bool msd,
                                               int threads) {
  std::vector<RouteSearchResult> results(ends.size());
  std::vector<std::unique_ptr<RouteFinder::Workspace>> spaces;
  for (int t = 0; t < threads; ++t) spaces.push_back(std::make_unique<RouteFinder::Workspace>(finder));
  wb::OrderedWork work(results.size(), threads, [&](size_t i, int worker) {
    results[i] = finder.Find(ends[i].first, ends[i].second, msd, *spaces[worker]);
  });
  work.WaitAll();
  return results;
}

void ExpectSame(const RouteSearchResult& a, const RouteSearchResult& b) {
  ASSERT_EQ(a.route, b.route);
  ASSERT_TRUE(SameBits(a.length, b.length));
  ASSERT_EQ(a.calls, b.calls);
}

struct Tally {
  int routed = 0, searches = 0, gaveUp = 0, gaveUpShortest = 0;
};

// One finder per plant, reused across cable rows as the command does, on
// threads and on one, must give the plain search's route and length for
// every row; for a few rows one end is an element of any kind instead.
void CheckPlant(const synth::PlantOptions& options, Tally* tally, int64_t callLimit) {
  SCOPED_TRACE("seed " + std::to_string(options.seed));
  oracle::CallLimit = callLimit;
  const Plant plant = synth::MakePlant(options);
  Ends ends = plant.cables;
  for (size_t k = 0; k < plant.cables.size(); k += 8)
    ends.push_back({plant.tagged[k * 7 % plant.tagged.size()], plant.cables[k].second});
  RouteFinder finder(plant.source, plant.tagged);
  for (bool msd : {true, false}) {
    // Threads first, so that they also prepare the finder's bounds.
    const std::vector<RouteSearchResult> threaded = SearchOnThreads(finder, ends, msd, 3);
    for (size_t k = 0; k < ends.size(); ++k) {
      const Answer a = Search(plant, finder, ends[k].first, ends[k].second, msd);
      ExpectSame(threaded[k], a.got);
      if (::testing::Test::HasFailure()) return;
      ++tally->searches;
      if (a.plain.gaveUp) {
        ++tally->gaveUp;
        tally->gaveUpShortest += msd;
        continue;
      }
      // Negative lengths leave nothing to cut by bounds: the finder then
      // makes exactly the plain search's calls.
      if (msd && options.negativeLength && a.got.found()) {
        ASSERT_EQ(a.got.calls, a.plain.calls);
      }
      tally->routed += a.got.found();
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
      if (HasFailure()) return;
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
    SCOPED_TRACE("seed " + std::to_string(seed));
    synth::PlantOptions o;
    o.seed = seed;
    o.elements = 4000;
    o.cables = 150;
    o.treeLike = seed == 902;
    o.equalLengths = seed == 903;
    const Plant plant = synth::MakePlant(o);
    RouteFinder finder(plant.source, plant.tagged);
    for (bool msd : {true, false}) {
      const std::vector<RouteSearchResult> threaded = SearchOnThreads(finder, plant.cables, msd, 4);
      for (size_t k = 0; k < plant.cables.size(); ++k) {
        const RouteSearchResult one = finder.Find(plant.cables[k].first, plant.cables[k].second, msd);
        ExpectSame(threaded[k], one);
        if (HasFatalFailure()) return;
        ASSERT_TRUE(SameBits(one.length, finder.GetRouteLength(one.route)));
        routed += one.found();
      }
    }
  }
  EXPECT_GT(routed, 400);
}

}  // namespace
