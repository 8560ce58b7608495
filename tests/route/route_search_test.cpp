#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "route/route_test_support.h"

using routetest::Drawing;
using routetest::Search;

namespace {

AcGePoint3d P(double x, double y, double z = 0) { return AcGePoint3d{x, y, z}; }

TEST(RouteSearch, NeighboursAtExactlyTheToleranceButNotBeyond) {
  // Each pair of coordinates subtracts exactly, so the distances are the
  // doubles 0.2 and 0.2000001.
  for (double gap : {0.2, 0.2000001}) {
    Drawing d;
    const auto from = d.Equipment({P(-1, 0)}, "0", "0");
    const auto w1 = d.Wire(P(-1, 0), P(0, 0), "100");
    const auto w2 = d.Wire(P(gap, 0), P(1, 0), "200");
    const auto to = d.Equipment({P(1, 0)}, "0", "0");
    RouteFinder finder(d.source, d.tagged);
    const bool touching = gap == 0.2;
    EXPECT_EQ(finder.Neighbours(w1).size(), touching ? 2u : 1u) << gap;

    oracle::ConnectionGraph graph = oracle::BuildConnectionGraph(d.source, d.tagged);
    AcDbObjectIdArray ids;
    std::vector<oracle::RouteNode> records;
    ASSERT_EQ(oracle::GetNeighbourNodes(d.source, graph, graph[1], ids, records), 0);
    EXPECT_EQ(ids, finder.Neighbours(w1));

    for (bool msd : {true, false}) {
      const auto r = Search(d, finder, from, to, msd);
      if (touching)
        EXPECT_EQ(r.route, (AcDbObjectIdArray{from, w1, w2, to}));
      else
        EXPECT_TRUE(r.route.empty());
    }
  }
}

TEST(RouteSearch, NeighbourOrderFollowsConnectionPointsThenGraphOrder) {
  Drawing d;
  const auto a = d.Wire(P(10, 0), P(20, 0), "1");   // touches w at its second point
  const auto b = d.Wire(P(0, 0), P(-5, 0), "1");    // touches w at its first point
  const auto w = d.Wire(P(0, 0), P(10, 0), "1");
  const auto c = d.Wire(P(0.1, 0), P(0, 7), "1");   // near both ends? only the first
  const auto off = d.Wire(P(10, 0.1), P(12, 3), "1", "0", 1);  // root kind 1: never linked
  const auto twice = d.Wire(P(0, 0.05), P(10, 0.05), "1");   // near both points: listed once
  RouteFinder finder(d.source, d.tagged);
  EXPECT_EQ(finder.Neighbours(w), (AcDbObjectIdArray{b, c, twice, a}));
  oracle::ConnectionGraph graph = oracle::BuildConnectionGraph(d.source, d.tagged);
  AcDbObjectIdArray ids;
  std::vector<oracle::RouteNode> records;
  oracle::GetNeighbourNodes(d.source, graph, graph[2], ids, records);
  EXPECT_EQ(ids, finder.Neighbours(w));
  EXPECT_EQ(records[0].graphIndex, 1);
  (void)off;
  EXPECT_TRUE(finder.Neighbours(AcDbObjectId{999}).empty());
}

// Ends that no route joins, in both modes: an element of another kind in
// the run, equipment bridging the only way (a dead end), the same equipment
// at both ends, ends the drawing does not hold.
TEST(RouteSearch, EndsWithoutARoute) {
  const AcDbObjectId stranger{0x9999};
  const std::function<std::pair<AcDbObjectId, AcDbObjectId>(Drawing&)> cases[] = {
      [](Drawing& d) {
        const auto from = d.Equipment({P(0, 0)}, "1", "0");
        d.Wire(P(0, 0), P(1, 0), "100");
        for (int kind : {1, 2, -1}) d.Wire(P(1, 0), P(2, 0), "100", "0", kind);
        d.Wire(P(2, 0), P(3, 0), "100");
        return std::pair{from, d.Equipment({P(3, 0)}, "1", "0")};
      },
      [](Drawing& d) {
        const auto from = d.Equipment({P(0, 0)}, "0", "0");
        d.Wire(P(0, 0), P(1, 0), "100");
        d.Equipment({P(1, 0), P(1.5, 0)}, "0", "0");
        d.Wire(P(1.5, 0), P(3, 0), "100");
        return std::pair{from, d.Equipment({P(3, 0)}, "0", "0")};
      },
      [](Drawing& d) {
        const auto e = d.Equipment({P(0, 0), P(2, 0)}, "1", "0");
        d.Wire(P(0, 0), P(1, 0), "1");
        d.Wire(P(1, 0), P(2, 0), "1");
        return std::pair{e, e};
      },
      [&](Drawing& d) {
        d.Wire(P(0, 0), P(1, 0), "1");
        return std::pair{stranger, d.Equipment({P(1, 0)}, "1", "0")};
      },
      [&](Drawing& d) {
        d.Wire(P(0, 0), P(1, 0), "1");
        return std::pair{d.Equipment({P(0, 0)}, "1", "0"), stranger};
      },
  };
  for (size_t k = 0; k < std::size(cases); ++k) {
    Drawing d;
    const auto [from, to] = cases[k](d);
    for (bool msd : {true, false}) EXPECT_TRUE(Search(d, from, to, msd).route.empty()) << k;
  }
}

TEST(RouteSearch, DetourAroundEquipmentOnTheWay) {
  Drawing d;
  const auto from = d.Equipment({P(0, 0)}, "0", "0");
  const auto w1 = d.Wire(P(0, 0), P(1, 0), "100");
  // Equipment bridging the short way: its two terminals touch w1 and w2.
  d.Equipment({P(1, 0), P(1.5, 0)}, "0", "0");
  const auto w2 = d.Wire(P(1.5, 0), P(3, 0), "100");
  const auto to = d.Equipment({P(3, 0)}, "0", "0");
  const auto u1 = d.Wire(P(1, 0), P(1, 5), "5000");
  const auto u2 = d.Wire(P(1, 5), P(1.5, 0), "5000");
  for (bool msd : {true, false})
    EXPECT_EQ(Search(d, from, to, msd).route, (AcDbObjectIdArray{from, w1, u1, u2, w2, to}));
}

// Two ways from From to To: up (through a, b) and down (through c, d).
struct TwoWays {
  Drawing d;
  AcDbObjectId from, to, a, b, c, e;
  TwoWays(const std::string& up, const std::string& down, bool downFirst) {
    auto addUp = [&] {
      a = d.Wire(P(0, 0.5), P(0, 1), up);
      b = d.Wire(P(0, 1), P(2, 0.5), up);
    };
    auto addDown = [&] {
      c = d.Wire(P(0, -0.5), P(0, -1), down);
      e = d.Wire(P(0, -1), P(2, -0.5), down);
    };
    // Terminals apart, so the two ways meet only at the equipment.
    from = downFirst ? d.Equipment({P(0, -0.5), P(0, 0.5)}, "0", "0")
                     : d.Equipment({P(0, 0.5), P(0, -0.5)}, "0", "0");
    if (downFirst) addDown(), addUp(); else addUp(), addDown();
    to = d.Equipment({P(2, 0.5), P(2, -0.5)}, "0", "0");
  }
};

// Equal routes keep the first in neighbour order; without the shortest
// setting the first route found stays, however long.
TEST(RouteSearch, TiesAndFirstRoutes) {
  for (bool downFirst : {false, true}) {
    TwoWays w("500", "500", downFirst);
    EXPECT_EQ(Search(w.d, w.from, w.to, true).route,
              downFirst ? (AcDbObjectIdArray{w.from, w.c, w.e, w.to})
                        : (AcDbObjectIdArray{w.from, w.a, w.b, w.to}));
  }
  TwoWays w("900", "100", false);
  EXPECT_EQ(Search(w.d, w.from, w.to, false).route, (AcDbObjectIdArray{w.from, w.a, w.b, w.to}));
  const auto shortest = Search(w.d, w.from, w.to, true);
  EXPECT_EQ(shortest.route, (AcDbObjectIdArray{w.from, w.c, w.e, w.to}));
  EXPECT_EQ(shortest.length, 200.0);
}

TEST(RouteSearch, OneWireRouteLength) {
  Drawing d;
  const auto from = d.Equipment({P(0, 0)}, "1.5", "300");
  const auto w = d.Wire(P(0, 0), P(1, 0), "2500", "1000");
  const auto to = d.Equipment({P(1, 0)}, "0.25", "1200");
  RouteFinder finder(d.source, d.tagged);
  for (bool msd : {true, false}) {
    const auto r = Search(d, finder, from, to, msd);
    ASSERT_EQ(r.route, (AcDbObjectIdArray{from, w, to}));
    EXPECT_EQ(r.length, 1500.0 + 700.0 + 2500.0 + 250.0 + 200.0);
  }
  const AcDbObjectIdArray route{from, w, to};
  EXPECT_EQ(finder.GetElementLength(route, from, 0), 2200.0);
  EXPECT_EQ(finder.GetElementLength(route, w, 1), 2500.0);
  EXPECT_EQ(finder.GetElementLength(route, to, 2), 450.0);
  // Equipment in the middle counts its S225 only; alone, no level term.
  EXPECT_EQ(finder.GetElementLength({w, from, to}, from, 1), 1500.0);
  EXPECT_EQ(finder.GetElementLength({from}, from, 0), 1500.0);
}

TEST(RouteSearch, LengthTextsConvertLikeTheRuntime) {
  Drawing d;
  const auto from = d.Equipment({P(0, 0)}, "2abc", " 100");
  const auto w1 = d.Wire(P(0, 0), P(1, 0), "12.9mm");  // leading integer: 12
  const auto w2 = d.Wire(P(1, 0), P(2, 0), "mm12");    // no leading digits: 0
  const auto t = d.Add({P(2, 0), P(3, 0)}, 3, 3);      // tee: adds nothing
  d.source.SetAttribute(t, u"S304", u"777");
  const auto w3 = d.Wire(P(3, 0), P(4, 0), " -0007");
  const auto to = d.Equipment({P(4, 0)}, "", "1e2");
  const auto r = Search(d, from, to, false);
  ASSERT_EQ(r.route, (AcDbObjectIdArray{from, w1, w2, t, w3, to}));
  EXPECT_EQ(r.length, 2000.0 + 100.0 + 12.0 + 0.0 + 0.0 - 7.0 + 0.0 + 100.0);
  // A negative length turns the bounds off; the result must not change.
  Search(d, from, to, true);
}

TEST(RouteSearch, EqualLengthRevisitIsNotContinued) {
  // From reaches x through p or through q at the same length; beyond x lies
  // a chain to To. The plain search enters x once only.
  Drawing d;
  const auto from = d.Equipment({P(0, 0), P(0, -0.5)}, "0", "0");
  const auto p = d.Wire(P(0, 0), P(1, 1), "10");
  const auto q = d.Wire(P(0, -0.5), P(1, -1), "10");
  const auto x = d.Add({P(1, 1), P(1, -1), P(2, 0)}, 3, 3);
  const auto y = d.Wire(P(2, 0), P(3, 0), "10");
  const auto to = d.Equipment({P(3, 0)}, "0", "0");
  const auto r = Search(d, from, to, true);
  EXPECT_EQ(r.route, (AcDbObjectIdArray{from, p, x, y, to}));
  // Calls: From, p, x, q (from x), y, then q from From, where x is not
  // entered again at the same length.
  EXPECT_EQ(r.calls, 6);
  // Make the way through q shorter: then x is entered again.
  d.source.SetAttribute(q, u"S304", u"9");
  const auto shorter = Search(d, from, to, true);
  EXPECT_EQ(shorter.route, (AcDbObjectIdArray{from, q, x, y, to}));
  EXPECT_EQ(shorter.calls, 8);
}

TEST(RouteSearch, RoundingThatHidesALongerPrefixKeepsTheFirstRoute) {
  // x is reached first through a at 2.7e-9, later through b at 0.95e-9; To
  // then adds 9e6 and both sums round to the same double, so the later way
  // is not shorter and the first route stays. A bound that judges the
  // prefix at x by its own small scale would drop the first way.
  Drawing d;
  const auto from = d.Equipment({P(0, 0), P(0, -1)}, "0", "0");
  const auto a = d.Add({P(0, 0), P(1, 1)}, 3, 3);
  d.source.SetAttribute(a, u"S401", u"0.0000000027");
  const auto b = d.Add({P(0, -1), P(1, -1)}, 3, 3);
  d.source.SetAttribute(b, u"S401", u"0.00000000095");
  const auto x = d.Add({P(1, 1), P(1, -1), P(2, 0)}, 3, 3);
  const auto y = d.Add({P(2, 0), P(3, 0)}, 3, 3);
  const auto to = d.Equipment({P(3, 0), P(3, 5)}, "9000", "0");
  // Dead ends beside To, so that a search from both ends settles x.
  for (int k = 0; k < 3; ++k) d.Add({P(3, 5), P(4, 5 + k)}, 3, 3);
  const auto r = Search(d, from, to, true);
  EXPECT_EQ(r.route, (AcDbObjectIdArray{from, a, x, y, to}));
  (void)b;
}

TEST(RouteSearch, DuplicateIdsInTheScanCountOnceAndCallsAreCounted) {
  Drawing d;
  const auto from = d.Equipment({P(0, 0)}, "0", "0");
  const auto w = d.Wire(P(0, 0), P(1, 0), "5");
  const auto to = d.Equipment({P(1, 0)}, "0", "0");
  d.tagged.push_back(w);
  d.tagged.insert(d.tagged.begin(), to);
  RouteFinder finder(d.source, d.tagged);
  EXPECT_EQ(finder.size(), 3u);
  RouteSearchCallCount = 0;
  int calls = 0;
  for (bool msd : {true, false}) {
    calls += finder.Find(from, to, msd).calls;
    EXPECT_EQ(Search(d, finder, from, to, msd).route, (AcDbObjectIdArray{from, w, to}));
  }
  EXPECT_EQ(RouteSearchCallCount, 2 * calls);
}

TEST(RouteSearch, VeryLongChainDoesNotExhaustTheStack) {
  Drawing d;
  const int n = 30000;
  const auto from = d.Equipment({P(0, 0)}, "1", "0");
  for (int i = 0; i < n; ++i) d.Wire(P(i, 0), P(i + 1, 0), "3");
  const auto to = d.Equipment({P(n, 0)}, "1", "0");
  RouteFinder finder(d.source, d.tagged);
  for (bool msd : {true, false}) {
    const auto r = finder.Find(from, to, msd);
    ASSERT_EQ(r.route.size(), static_cast<size_t>(n + 2));
    EXPECT_EQ(r.length, 2000.0 + 3.0 * n);
    EXPECT_TRUE(routetest::SameBits(r.length, finder.GetRouteLength(r.route)));
  }
}

TEST(TableElementSource, AnswersLikeTheDrawingLibrary) {
  TableElementSource s;
  const AcDbObjectId id{7};
  s.At(id).points = {P(0, 0), P(3, 4), P(0, 0)};
  s.SetAttribute(id, u"S304", u"12");
  AcGePoint3d nearest;
  double distance = -1;
  ASSERT_EQ(s.NearConnectPoint(id, P(3, 4.5), nearest, distance), 0);
  EXPECT_EQ(distance, 0.5);
  EXPECT_EQ(nearest, P(3, 4));
  EXPECT_EQ(s.AttributeValue(id, u"S304"), u"12");
  EXPECT_EQ(s.AttributeValue(id, u"S401"), u"");
  const AcDbObjectId missing{8};
  EXPECT_NE(s.NearConnectPoint(missing, P(0, 0), nearest, distance), 0);
  EXPECT_EQ(s.RootKind(missing), -1);
  EXPECT_EQ(s.BlockClass(missing), -1);
  EXPECT_TRUE(s.ConnectPoints(missing).empty());
  // An undefined coordinate at the first point hides the others, as in the
  // library's loop.
  s.At(missing).points = {P(std::nan(""), 0), P(0, 0)};
  ASSERT_EQ(s.NearConnectPoint(missing, P(0, 0), nearest, distance), 0);
  EXPECT_TRUE(std::isnan(distance));
}

}  // namespace

// Landmark bounds must give the plain search's routes: on a ring without
// any junction, on runs between junctions, from a wire as From, and with a
// one-way link (which makes the distances to and from a landmark differ).
TEST(RouteSearch, RingsRunsAndOneWayLinksGiveThePlainRoutes) {
  auto both = [](Drawing& d, AcDbObjectId from, AcDbObjectId to) {
    RouteFinder finder(d.source, d.tagged);
    for (bool msd : {true, false}) EXPECT_FALSE(Search(d, finder, from, to, msd).route.empty());
  };
  {
    // A square ring of eight wires, the ends at two of its joints.
    Drawing d;
    const AcGePoint3d corners[8] = {P(0, 0), P(2, 0), P(4, 0), P(4, 2),
                                    P(4, 4), P(2, 4), P(0, 4), P(0, 2)};
    const char* lengths[8] = {"30", "70", "20", "90", "10", "10", "40", "25"};
    for (int k = 0; k < 8; ++k) d.Wire(corners[k], corners[(k + 1) % 8], lengths[k]);
    const auto from = d.Equipment({P(0, 0)}, "0.1", "300");
    const auto to = d.Equipment({P(4, 2)}, "0.2", "0");
    both(d, from, to);
    both(d, to, from);
    // Both ends on one joint of the ring, and a wire of the ring as From.
    const auto near = d.Equipment({P(2, 4)}, "0", "0");
    both(d, near, to);
    both(d, d.tagged[5], to);
  }
  {
    // A tee with three runs of three wires, one of them closing a loop back
    // to the tee; equipment at run joints.
    Drawing d;
    d.Add({P(0, 0), P(1, 0), P(0, 1), P(-1, 0)}, 3, 3);  // tee
    const auto a = d.Wire(P(1, 0), P(2, 0), "5");
    d.Wire(P(2, 0), P(3, 0), "15");
    d.Wire(P(3, 0), P(4, 0), "25");
    d.Wire(P(0, 1), P(0, 2), "5");
    d.Wire(P(0, 2), P(-1, 2), "5");
    d.Wire(P(-1, 2), P(-1, 0), "5");  // back to the tee's third arm
    const auto from = d.Equipment({P(3, 0)}, "1", "100");
    const auto to = d.Equipment({P(0, 2)}, "1", "200");
    both(d, from, to);
    both(d, a, to);
  }
  {
    // A wire whose first point is undefined: nothing is near it, but its
    // second point finds the next wire, so that link goes one way only.
    Drawing d;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto from = d.Equipment({P(0, 0)}, "0", "0");
    d.Wire(P(0, 0), P(1, 0), "10");
    d.Wire(P(1, 0), P(2, 0), "10");
    d.Add({P(nan, 0), P(2, 0)}, 3, 1);
    d.Wire(P(2, 0), P(3, 0), "10");
    const auto to = d.Equipment({P(3, 0)}, "0", "0");
    both(d, from, to);
  }
}
