// The route search of one command. The drawing's geometry and marks do not
// change while a command runs (only the cable keys, which the search never
// reads), so everything the search reads is fetched once: points, root kinds,
// classes and lengths, and from them every element's neighbour list in the
// defined order. Each Find then runs the same depth-first search with the
// same lengths and comparisons, skipping only work that provably cannot
// change its outcome (see docs/route.md).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "route/search/distance_hierarchy.h"
#include "route/search/element_source.h"
#include "route/search/route_constants.h"

struct RouteSearchResult {
  AcDbObjectIdArray route;  // From .. To; empty when there is no route
  std::vector<int> nodes;   // the route as the finder's element indices
  double length = 0;        // GetRouteLength(route), to the bit; 0 when none
  int32_t calls = 0;        // searches actually made (the plain search may make more)
  bool found() const { return !route.empty(); }
};

class RouteFinder {
 public:
  // `tagged` is the command's scan of all tagged entities, in scan order.
  RouteFinder(const ElementSource& source, const AcDbObjectIdArray& tagged);
  ~RouteFinder();

  // What one thread needs for its searches. The finder does not change
  // while it searches, so searches through different workspaces may run at
  // the same time.
  class Workspace {
   public:
    explicit Workspace(const RouteFinder& finder);
    ~Workspace();

   private:
    friend class RouteFinder;
    struct State;
    std::unique_ptr<State> state_;
  };

  // One cable row. Adds the calls made to RouteSearchCallCount.
  RouteSearchResult Find(AcDbObjectId from, AcDbObjectId to, bool mostShortDist);
  // The same search for a worker thread: leaves RouteSearchCallCount to the
  // caller, who adds the calls of the rows in row order.
  RouteSearchResult Find(AcDbObjectId from, AcDbObjectId to, bool mostShortDist,
                         Workspace& workspace) const;

  // The element's share of the path length and the route length, for the
  // route log and the cable list.
  double GetElementLength(const AcDbObjectIdArray& path, AcDbObjectId element, int index) const;
  double GetRouteLength(const AcDbObjectIdArray& route) const;

  size_t size() const { return ids_.size(); }
  // The element behind an index of RouteSearchResult::nodes (each id of the
  // scan has one index; the numbering is the finder's own).
  AcDbObjectId IdAt(int index) const { return ids_[index]; }
  // What was read about the element behind an index, as the drawing
  // answered: root kind, block ID class and connection points.
  int RootKindAt(int index) const { return facts_[index].rootKind; }
  int BlockClassAt(int index) const { return facts_[index].blockClass; }
  const AcGePoint3dArray& ConnectPointsAt(int index) const { return points_[index]; }

 private:
  struct Facts {
    int rootKind = -1;
    int blockClass = -1;
    double base = 0;  // S225 x 1000 for equipment, S304 for wires, else 0
    double level = 0;  // S401
  };
  using State = Workspace::State;

  int IndexOf(AcDbObjectId id) const;
  Facts ReadFacts(AcDbObjectId id) const;
  Facts FactsOf(AcDbObjectId id) const;
  void BuildNeighbours(const std::vector<AcGePoint3dArray>& points);
  void BuildComponents();
  void Renumber();
  bool MayReach(int from, int to) const;
  double Slack(double x) const;
  double FirstLength(int from, int n) const;   // path [from, n]
  double LastShare(int n, int previous) const;  // n as last element
  // At least what a route still adds after element n on the current row.
  double Behind(State& s, int n) const;
  // Sets the row's To for Behind; returns the shortest route length
  // (infinity when there is none).
  double Estimate(State& s, int from, int to) const;
  void SearchShortest(State& s, int from, int to, bool prune, double estimate,
                      RouteSearchResult& result) const;
  void SearchFirst(State& s, int from, int to, RouteSearchResult& result) const;

  const ElementSource& source_;
  std::vector<AcDbObjectId> ids_;  // graph order, first occurrence of each id
  std::unordered_map<uint64_t, int> index_;
  std::vector<Facts> facts_;
  std::vector<AcGePoint3dArray> points_;
  std::vector<int> nbrBegin_, nbr_;    // neighbour lists (CSR)
  std::vector<int> predBegin_, pred_;  // who lists me as neighbour
  std::vector<int> component_;         // over root-kind-3 elements; -1 elsewhere
  bool boundsValid_ = false;           // all lengths finite and never negative
  double margin_ = 0;                  // relative rounding of a distance
  // Comparisons against a bound allow this much (relative), so that sums
  // taken in another order never cut a branch the plain search would take.
  double tolerance_ = 0;
  // Compact copies of the facts for the inner loops.
  std::vector<double> base_;
  std::vector<uint8_t> traversable_;

  // Distances over root-kind-3 elements for the bounds of the shortest
  // search, built on the first one.
  mutable std::unique_ptr<DistanceHierarchy> hierarchy_;
  mutable std::once_flag hierarchyOnce_;
  std::unique_ptr<Workspace> own_;  // for the single-threaded Find
};
