// The route search written plainly, step by step as the algorithm is defined:
// a fresh graph per search, neighbours found by asking every node, copies of
// neighbour records, the path length recomputed in full at every step. The
// production RouteFinder must return exactly what this returns.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/arxutil/convert.h"
#include "route/search/element_source.h"
#include "route/search/route_constants.h"

namespace oracle {

inline int32_t RouteSearchCallCount = 0;
// Test harness only: the plain search can take exponential time (every
// simple path of a meshed network when To is out of reach). A search that
// passes this many calls gives up and reports it, instead of running on.
inline int64_t CallLimit = INT64_MAX;
inline int64_t CallsThisSearch = 0;
inline bool GaveUp = false;

struct RouteNode {
  AcDbObjectId id;
  AcGePoint3dArray connectPoints;
  int32_t rootKind = -1;
  double bestLength = ROUTE_NO_BEST;
  int32_t graphIndex = 0;
  std::vector<RouteNode> neighbours;
};

using ConnectionGraph = std::vector<RouteNode>;

inline RouteNode MakeRouteNode(const ElementSource& source, AcDbObjectId id) {
  return {id, source.ConnectPoints(id), source.RootKind(id), ROUTE_NO_BEST, 0, {}};
}

inline ConnectionGraph BuildConnectionGraph(const ElementSource& source,
                                            const AcDbObjectIdArray& tagged) {
  ConnectionGraph graph;
  for (AcDbObjectId id : tagged) graph.push_back(MakeRouteNode(source, id));
  return graph;
}

inline bool Contains(const AcDbObjectIdArray& ids, AcDbObjectId id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

inline int GetNeighbourNodes(const ElementSource& source, ConnectionGraph& graph,
                             const RouteNode& node, AcDbObjectIdArray& ids,
                             std::vector<RouteNode>& records) {
  ids.clear();
  records.clear();
  const auto found =
      std::find_if(graph.begin(), graph.end(), [&](const RouteNode& g) { return g.id == node.id; });
  if (found == graph.end()) return -1;
  if (!found->neighbours.empty()) {
    for (const auto& n : found->neighbours) {
      ids.push_back(n.id);
      records.push_back(n);
    }
    return 0;
  }
  for (const AcGePoint3d& p : node.connectPoints) {
    for (size_t k = 0; k < graph.size(); ++k) {
      const RouteNode& candidate = graph[k];
      if (candidate.id == node.id) continue;
      AcGePoint3d nearest;
      double distance = 0;
      if (source.NearConnectPoint(candidate.id, p, nearest, distance) != 0) continue;
      if (!(distance <= CONNECT_TOLERANCE)) continue;
      if (candidate.rootKind != 0 && candidate.rootKind != 3) continue;
      if (Contains(ids, candidate.id)) continue;
      ids.push_back(candidate.id);
      // A neighbour record copies the node but for its cache: only the
      // graph's cache is ever read.
      const RouteNode copy{candidate.id, candidate.connectPoints, candidate.rootKind,
                           candidate.bestLength, static_cast<int32_t>(k), {}};
      records.push_back(copy);
      found->neighbours.push_back(copy);
    }
  }
  return 0;
}

inline double GetElementLength(const ElementSource& source, AcDbObjectIdArray path,
                               AcDbObjectId element, int index) {
  const int n = static_cast<int>(path.size());
  if (source.RootKind(element) == 0) {
    double length = ApiComn_atof(source.AttributeValue(element, u"S225")) * 1000;
    if (index == 0 && n >= 2) {
      length += std::fabs(ApiComn_atof(source.AttributeValue(element, u"S401")) -
                          ApiComn_atof(source.AttributeValue(path[1], u"S401")));
    } else if (index == n - 1 && n >= 2) {
      length += std::fabs(ApiComn_atof(source.AttributeValue(element, u"S401")) -
                          ApiComn_atof(source.AttributeValue(path[n - 2], u"S401")));
    }
    return length;
  }
  if (source.BlockClass(element) == 1) return _wtoi(source.AttributeValue(element, u"S304"));
  return 0;
}

inline double GetRouteLength(const ElementSource& source, const AcDbObjectIdArray& route) {
  double total = 0;
  for (size_t i = 0; i < route.size(); ++i)
    total += GetElementLength(source, route, route[i], static_cast<int>(i));
  return total;
}

inline void SearchRoute(const ElementSource& source, bool mostShortDist, ConnectionGraph& graph,
                        const RouteNode& node, AcDbObjectIdArray& path, AcDbObjectId target,
                        AcDbObjectIdArray& bestRoute, double& bestLength) {
  ++RouteSearchCallCount;
  if (++CallsThisSearch > CallLimit) GaveUp = true;
  if (GaveUp) return;
  if (!mostShortDist && !bestRoute.empty()) return;
  AcDbObjectIdArray ids;
  std::vector<RouteNode> neighbours;
  GetNeighbourNodes(source, graph, node, ids, neighbours);
  for (const RouteNode& n : neighbours) {
    if (Contains(path, n.id)) continue;
    path.push_back(n.id);
    const double length = GetRouteLength(source, path);
    RouteNode& g = graph[n.graphIndex];
    if (mostShortDist && !(length < g.bestLength)) {
      path.pop_back();
      continue;
    }
    g.bestLength = length;
    if (n.id == target) {
      if (!mostShortDist || !(length > bestLength)) {
        bestRoute = path;
        bestLength = length;
      }
    } else if (n.rootKind != 0 && (!mostShortDist || length < bestLength)) {
      SearchRoute(source, mostShortDist, graph, n, path, target, bestRoute, bestLength);
      if (GaveUp) return;
    }
    path.pop_back();
    if (!mostShortDist && !bestRoute.empty()) break;
  }
}

struct Result {
  AcDbObjectIdArray route;
  double length = ROUTE_NO_BEST;
  int32_t calls = 0;
  bool gaveUp = false;  // CallLimit reached: route and length mean nothing
};

// One search as the callers make it: fresh graph, path [from].
inline Result FindRoute(const ElementSource& source, const AcDbObjectIdArray& tagged,
                        AcDbObjectId from, AcDbObjectId to, bool mostShortDist) {
  const int32_t before = RouteSearchCallCount;
  CallsThisSearch = 0;
  GaveUp = false;
  ConnectionGraph graph = BuildConnectionGraph(source, tagged);
  RouteNode start = MakeRouteNode(source, from);
  AcDbObjectIdArray path{from};
  Result result;
  SearchRoute(source, mostShortDist, graph, start, path, to, result.route, result.length);
  result.calls = RouteSearchCallCount - before;
  result.gaveUp = GaveUp;
  return result;
}

}  // namespace oracle
