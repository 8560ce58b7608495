// Shortest distances in the element graph, for any element to a target given
// per row, without a search over the whole graph per row. A contraction
// hierarchy: elements are taken out one at a time, least important first,
// and each removal adds shortcuts that keep the distances among the rest.
// A shortest path then climbs the ranks from its start and descends to its
// end, so a row needs only the small searches upward from both sides.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

class DistanceHierarchy {
 public:
  // The graph: a step from v to w, for w in next[begin[v] .. begin[v + 1])
  // with both usable, costs cost[w] (never negative).
  DistanceHierarchy(const std::vector<int>& begin, const std::vector<int>& next,
                    const std::vector<double>& cost, const std::vector<uint8_t>& usable);

  // The searches of one thread, one target at a time.
  class Query {
   public:
    explicit Query(const DistanceHierarchy& hierarchy);
    // The target is left through one of the given elements, each adding
    // its own cost after it.
    void SetTarget(const std::vector<std::pair<int, double>>& exits);
    // The least cost of the elements after v on a way to the target (v's
    // own cost not included); infinity when there is none. Exact up to
    // rounding: the sums go along shortcuts, not step by step.
    double Distance(int element);

   private:
    const DistanceHierarchy& h_;
    // Per element, valid where the stamp is this row's: the way down to the
    // target, and the answer. The stamps apart, so that the checks stay in
    // cache.
    std::vector<uint32_t> downSeen_, seen_;
    std::vector<double> down_, distance_;
    uint32_t stamp_ = 0;
    std::vector<std::pair<double, int>> heap_;
    // The elements whose answers wait for those above them, each with its
    // next arc up and the least so far.
    struct Frame {
      int element, arc;
      double best;
    };
    std::vector<Frame> frames_;
  };

 private:
  struct Arc {
    int node;
    double cost;
  };
  // Per element in rank order: its arcs up the ranks, leaving it (up_) and
  // arriving at it from higher elements (down_, for the search back from
  // the target). slot_ gives an element's place in that order.
  std::vector<int> slot_;
  std::vector<int> upBegin_, downBegin_;
  std::vector<Arc> up_, down_;
};
