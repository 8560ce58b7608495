// The route search of one command. The drawing's geometry and marks do not
// change while a command runs (only the cable keys, which the search never
// reads), so everything the search reads is fetched once: points, root kinds,
// classes and lengths, and from them every element's neighbour list in the
// defined order. Each Find then runs the same depth-first search with the
// same lengths and comparisons, skipping only work that provably cannot
// change its outcome (see docs/route.md).
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

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

  // One cable row. Adds the calls made to RouteSearchCallCount.
  RouteSearchResult Find(AcDbObjectId from, AcDbObjectId to, bool mostShortDist);

  // The element's share of the path length and the route length, for the
  // route log and the cable list.
  double GetElementLength(const AcDbObjectIdArray& path, AcDbObjectId element, int index) const;
  double GetRouteLength(const AcDbObjectIdArray& route) const;

  size_t size() const { return ids_.size(); }
  // The distances that bound the shortest-route search are computed over
  // junctions, with runs of two-neighbour elements taken in one step; off,
  // element by element. Both give the same routes; tests compare them.
  void SetChainContraction(bool on) { useChains_ = on; }
  // The element behind an index of RouteSearchResult::nodes (each id of the
  // scan has one index; the numbering is the finder's own).
  AcDbObjectId IdAt(int index) const { return ids_[index]; }
  // Neighbours of an element in search order (empty for unknown elements).
  AcDbObjectIdArray Neighbours(AcDbObjectId id) const;

 private:
  struct Facts {
    int rootKind = -1;
    double base = 0;  // S225 x 1000 for equipment, S304 for wires, else 0
    double level = 0;  // S401
  };

  int IndexOf(AcDbObjectId id) const;
  Facts ReadFacts(AcDbObjectId id) const;
  Facts FactsOf(AcDbObjectId id) const;
  void BuildNeighbours();
  void BuildComponents();
  void Renumber();
  bool MayReach(int from, int to) const;
  void BuildChains();
  double ComputeHubDistances(int from, int to);
  // Bounds for an element on the current row: what a route still adds after
  // it (at least), and its distance from From (at most; infinity if unknown).
  void Bounds(int n, double& behind, double& ahead) const;
  // Shortest distances from both ends at once (see the .cpp); returns the
  // shortest route length (infinity when there is none).
  double ComputeDistances(int from, int to);
  double FirstLength(int from, int n) const;   // path [from, n]
  double LastShare(int n, int previous) const;  // n as last element
  void SearchShortest(int from, int to, bool prune, double estimate, RouteSearchResult& result);
  void SearchFirst(int from, int to, RouteSearchResult& result);

  const ElementSource& source_;
  std::vector<AcDbObjectId> ids_;  // graph order, first occurrence of each id
  std::unordered_map<uint64_t, int> index_;
  std::vector<Facts> facts_;
  std::vector<AcGePoint3dArray> points_;
  std::vector<int> nbrBegin_, nbr_;    // neighbour lists (CSR)
  std::vector<int> predBegin_, pred_;  // who lists me as neighbour
  std::vector<int> component_;         // over root-kind-3 elements; -1 elsewhere
  bool boundsValid_ = false;           // all lengths finite and never negative

  // Per-row scratch, reset through the touched lists.
  std::vector<double> label_;
  std::vector<int> labelled_;
  std::vector<uint8_t> onPath_;
  std::vector<uint8_t> visited_;
  // Per-row distances. ahead: from From up to and including the element;
  // behind: what a route still adds after the element. Exact where the
  // stamp says settled, at least the radius elsewhere.
  struct NodeState {
    double ahead = 0, behind = 0;
    uint32_t aheadSeen = 0, aheadDone = 0, behindSeen = 0, behindDone = 0;
  };
  struct HeapItem {
    double key;
    int node;
  };
  std::vector<NodeState> state_;
  class Frontiers;  // the two searches of ComputeDistances and ComputeHubDistances

  // Runs of elements with exactly two root-kind-3 neighbours ("chains")
  // between junctions ("hubs": every other root-kind-3 element, and one
  // element of each closed ring). Only for drawings where the links between
  // root-kind-3 elements go both ways.
  struct Chain {
    int endA, endB;  // hub next to the first node, hub next to the last
    int begin, count;  // chainNodes_[begin, begin + count)
    int prefix;  // chainPrefix_[prefix + j]: base lengths of nodes [0, j)
  };
  struct HubLink {
    int hub;
    double interior;  // base lengths of the chain's nodes; 0 for direct links
  };
  struct Seed {
    int chain, pos;
    double key;
  };
  bool chainsValid_ = false;
  bool useChains_ = true;
  bool rowChains_ = false;
  std::vector<Chain> chains_;
  std::vector<int> chainNodes_;
  std::vector<double> chainPrefix_;
  std::vector<int> chainOf_, chainPos_;  // -1 for hubs and other elements
  std::vector<int> hubBegin_;
  std::vector<HubLink> hubLinks_;
  std::vector<Seed> aheadSeeds_, behindSeeds_;
  std::vector<HeapItem> aheadHeap_, behindHeap_;
  uint32_t stamp_ = 0;
  double aheadRadius_ = 0, behindRadius_ = 0;
  // Compact copies of the facts for the inner loops.
  std::vector<double> base_;
  std::vector<uint8_t> traversable_;
};
