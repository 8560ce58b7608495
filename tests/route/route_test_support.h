// Small hand-drawn plants for the route search tests, and a runner that asks
// both the plain search and the RouteFinder and insists they agree.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "route/route_oracle.h"
#include "route/search/route_finder.h"

namespace routetest {

inline std::u16string U(const std::string& s) { return std::u16string(s.begin(), s.end()); }

struct Drawing {
  TableElementSource source;
  AcDbObjectIdArray tagged;
  uint64_t next = 0x10;

  AcDbObjectId Add(AcGePoint3dArray points, int rootKind, int blockClass) {
    AcDbObjectId id{next++};
    TableElementSource::Element e;
    e.points = std::move(points);
    e.rootKind = rootKind;
    e.blockClass = blockClass;
    source.Set(id, std::move(e));
    tagged.push_back(id);
    return id;
  }
  AcDbObjectId Equipment(AcGePoint3dArray points, const std::string& s225, const std::string& s401) {
    AcDbObjectId id = Add(std::move(points), 0, 0);
    source.SetAttribute(id, u"S225", U(s225));
    source.SetAttribute(id, u"S401", U(s401));
    return id;
  }
  // A straight wire from a to b.
  AcDbObjectId Wire(AcGePoint3d a, AcGePoint3d b, const std::string& s304,
                    const std::string& s401 = "0", int rootKind = 3) {
    AcDbObjectId id = Add({a, b}, rootKind, 1);
    source.SetAttribute(id, u"S304", U(s304));
    source.SetAttribute(id, u"S401", U(s401));
    return id;
  }
};

inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Oracle result; the finder's answer is checked against it.
inline oracle::Result Search(const Drawing& d, RouteFinder& finder, AcDbObjectId from,
                             AcDbObjectId to, bool msd) {
  oracle::Result expected = oracle::FindRoute(d.source, d.tagged, from, to, msd);
  RouteSearchResult got = finder.Find(from, to, msd);
  EXPECT_EQ(got.route, expected.route) << "msd " << msd;
  if (!expected.route.empty()) {
    EXPECT_TRUE(SameBits(got.length, expected.length)) << got.length << " vs " << expected.length;
    EXPECT_TRUE(SameBits(got.length, finder.GetRouteLength(got.route)));
  }
  return expected;
}

inline oracle::Result Search(const Drawing& d, AcDbObjectId from, AcDbObjectId to, bool msd) {
  RouteFinder finder(d.source, d.tagged);
  return Search(d, finder, from, to, msd);
}

}  // namespace routetest
