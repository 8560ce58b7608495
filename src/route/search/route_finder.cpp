#include "route/search/route_finder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <queue>

#include "platform/arxutil/convert.h"

int32_t RouteSearchCallCount = 0;

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Lengths beyond this are not trusted to the lower bounds (sums of a few
// thousand of them stay exact enough); such drawings are searched unpruned.
constexpr double kLargestBoundedValue = 1e12;
// Coordinates beyond this are kept out of the grid and compared with every
// query point instead.
constexpr double kGridLimit = 1099511627776.0;  // 2^40

// Margin for comparisons against a lower bound, so that a bound computed in
// another order of additions never cuts a branch the plain search would take.
double Slack(double x) { return 1e-9 * (1.0 + std::fabs(x)); }

bool Finite(const AcGePoint3d& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

bool Traversable(int rootKind) { return rootKind == 3; }
bool Linkable(int rootKind) { return rootKind == 0 || rootKind == 3; }

struct CellKey {
  int64_t x, y;
  bool operator==(const CellKey&) const = default;
};
struct CellHash {
  size_t operator()(const CellKey& k) const {
    uint64_t h = static_cast<uint64_t>(k.x) * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<uint64_t>(k.y) + 0x7F4A7C159E3779B9ull + (h << 6) + (h >> 2);
    return static_cast<size_t>(h);
  }
};

// Cells half a unit wide: 2x is exact, and two points within the tolerance
// (0.2 plus rounding) always lie in the same or adjacent cells.
int64_t CellOf(double v) { return static_cast<int64_t>(std::floor(v * 2.0)); }

struct Frame {
  int node;
  int cursor;
  int end;
  double prefix;  // path length up to and including this node
};

}  // namespace

RouteFinder::RouteFinder(const ElementSource& source, const AcDbObjectIdArray& tagged)
    : source_(source) {
  for (AcDbObjectId id : tagged) {
    if (index_.emplace(id.handle, static_cast<int>(ids_.size())).second) ids_.push_back(id);
  }
  const size_t n = ids_.size();
  facts_.resize(n);
  points_.resize(n);
  boundsValid_ = true;
  for (size_t i = 0; i < n; ++i) {
    facts_[i] = ReadFacts(ids_[i]);
    points_[i] = source_.ConnectPoints(ids_[i]);
    const Facts& f = facts_[i];
    if (Linkable(f.rootKind)) {
      if (!(f.base >= 0 && f.base <= kLargestBoundedValue) ||
          !(std::fabs(f.level) <= kLargestBoundedValue))
        boundsValid_ = false;
    }
  }
  BuildNeighbours();
  points_.clear();
  points_.shrink_to_fit();
  BuildComponents();
  Renumber();
  label_.assign(n, ROUTE_NO_BEST);
  onPath_.assign(n, 0);
  visited_.assign(n, 0);
  state_.assign(n, NodeState{});
  base_.resize(n);
  traversable_.resize(n);
  for (size_t i = 0; i < n; ++i) {
    base_[i] = facts_[i].base;
    traversable_[i] = Traversable(facts_[i].rootKind);
  }
  BuildChains();
}

int RouteFinder::IndexOf(AcDbObjectId id) const {
  auto it = index_.find(id.handle);
  return it == index_.end() ? -1 : it->second;
}

RouteFinder::Facts RouteFinder::ReadFacts(AcDbObjectId id) const {
  // The conversions of the element length: S225 in metres, S304 as a
  // leading integer, S401 as a decimal.
  Facts f;
  f.rootKind = source_.RootKind(id);
  if (f.rootKind == 0) {
    f.base = ApiComn_atof(source_.AttributeValue(id, u"S225")) * 1000;
  } else if (source_.BlockClass(id) == 1) {
    f.base = _wtoi(source_.AttributeValue(id, u"S304"));
  }
  f.level = ApiComn_atof(source_.AttributeValue(id, u"S401"));
  return f;
}

RouteFinder::Facts RouteFinder::FactsOf(AcDbObjectId id) const {
  const int i = IndexOf(id);
  return i >= 0 ? facts_[i] : ReadFacts(id);
}

void RouteFinder::BuildNeighbours() {
  const int n = static_cast<int>(ids_.size());
  std::unordered_map<CellKey, std::vector<int>, CellHash> grid;
  std::vector<int> farAway;  // elements with a point too far out for the grid
  for (int k = 0; k < n; ++k) {
    if (!Linkable(facts_[k].rootKind)) continue;
    bool far = false;
    for (const AcGePoint3d& p : points_[k]) {
      // A point with an infinite or undefined coordinate is never within the
      // tolerance of anything.
      if (!Finite(p)) continue;
      if (std::fabs(p.x) >= kGridLimit || std::fabs(p.y) >= kGridLimit) {
        far = true;
        continue;
      }
      auto& cell = grid[CellKey{CellOf(p.x), CellOf(p.y)}];
      if (cell.empty() || cell.back() != k) cell.push_back(k);
    }
    if (far) farAway.push_back(k);
  }

  std::vector<uint32_t> seen(n, 0), listed(n, 0);
  uint32_t seenStamp = 0;
  std::vector<int> candidates;
  nbrBegin_.assign(n + 1, 0);
  nbr_.clear();
  for (int v = 0; v < n; ++v) {
    nbrBegin_[v] = static_cast<int>(nbr_.size());
    const uint32_t listStamp = static_cast<uint32_t>(v) + 1;
    for (const AcGePoint3d& p : points_[v]) {
      if (!Finite(p)) continue;  // every distance to it is undefined or infinite
      ++seenStamp;
      candidates.clear();
      auto take = [&](int k) {
        if (seen[k] != seenStamp) {
          seen[k] = seenStamp;
          candidates.push_back(k);
        }
      };
      if (std::fabs(p.x) < kGridLimit + 1 && std::fabs(p.y) < kGridLimit + 1) {
        const int64_t cx = CellOf(p.x), cy = CellOf(p.y);
        for (int64_t dx = -1; dx <= 1; ++dx)
          for (int64_t dy = -1; dy <= 1; ++dy) {
            auto it = grid.find(CellKey{cx + dx, cy + dy});
            if (it == grid.end()) continue;
            for (int k : it->second) take(k);
          }
      }
      for (int k : farAway) take(k);
      // Graph order within one connection point of the current element.
      std::sort(candidates.begin(), candidates.end());
      for (int k : candidates) {
        if (k == v || listed[k] == listStamp) continue;
        AcGePoint3d nearest;
        double distance = 0;
        if (NearestConnectPoint(points_[k], p, nearest, distance) != 0) continue;
        if (!(distance <= CONNECT_TOLERANCE)) continue;
        listed[k] = listStamp;
        nbr_.push_back(k);
      }
    }
  }
  nbrBegin_[n] = static_cast<int>(nbr_.size());

  predBegin_.assign(n + 1, 0);
  for (int k : nbr_) ++predBegin_[k + 1];
  std::partial_sum(predBegin_.begin(), predBegin_.end(), predBegin_.begin());
  pred_.assign(nbr_.size(), 0);
  std::vector<int> fill(predBegin_.begin(), predBegin_.end() - 1);
  for (int v = 0; v < n; ++v)
    for (int e = nbrBegin_[v]; e < nbrBegin_[v + 1]; ++e) pred_[fill[nbr_[e]]++] = v;
}

void RouteFinder::BuildComponents() {
  const int n = static_cast<int>(ids_.size());
  std::vector<int> parent(n);
  std::iota(parent.begin(), parent.end(), 0);
  auto find = [&](int x) {
    while (parent[x] != x) x = parent[x] = parent[parent[x]];
    return x;
  };
  for (int v = 0; v < n; ++v) {
    if (!Traversable(facts_[v].rootKind)) continue;
    for (int e = nbrBegin_[v]; e < nbrBegin_[v + 1]; ++e) {
      const int k = nbr_[e];
      if (Traversable(facts_[k].rootKind)) parent[find(k)] = find(v);
    }
  }
  component_.assign(n, -1);
  for (int v = 0; v < n; ++v)
    if (Traversable(facts_[v].rootKind)) component_[v] = find(v);
}

// The searches jump from an element to its neighbours, and the scan order is
// no order in space: number the elements breadth first along the links so
// that neighbours mostly sit close in memory. Only the numbering changes:
// every neighbour list keeps its order, and the scan order it was sorted by
// stays behind in nothing the searches read.
void RouteFinder::Renumber() {
  const int n = static_cast<int>(ids_.size());
  std::vector<int> order;  // new -> old
  order.reserve(n);
  std::vector<int> renamed(n, -1);  // old -> new
  for (int start = 0; start < n; ++start) {
    if (renamed[start] >= 0) continue;
    renamed[start] = static_cast<int>(order.size());
    order.push_back(start);
    for (size_t head = order.size() - 1; head < order.size(); ++head) {
      const int v = order[head];
      auto visit = [&](int k) {
        if (renamed[k] < 0) {
          renamed[k] = static_cast<int>(order.size());
          order.push_back(k);
        }
      };
      for (int e = nbrBegin_[v]; e < nbrBegin_[v + 1]; ++e) visit(nbr_[e]);
      for (int p = predBegin_[v]; p < predBegin_[v + 1]; ++p) visit(pred_[p]);
    }
  }
  auto permute = [&](auto& values) {
    std::remove_reference_t<decltype(values)> out;
    out.reserve(values.size());
    for (int old : order) out.push_back(std::move(values[old]));
    values = std::move(out);
  };
  auto relink = [&](std::vector<int>& begin, std::vector<int>& list) {
    std::vector<int> newBegin(n + 1, 0), newList;
    newList.reserve(list.size());
    for (int v = 0; v < n; ++v) {
      newBegin[v] = static_cast<int>(newList.size());
      const int old = order[v];
      for (int e = begin[old]; e < begin[old + 1]; ++e) newList.push_back(renamed[list[e]]);
    }
    newBegin[n] = static_cast<int>(newList.size());
    begin = std::move(newBegin);
    list = std::move(newList);
  };
  permute(ids_);
  permute(facts_);
  permute(component_);
  relink(nbrBegin_, nbr_);
  relink(predBegin_, pred_);
  for (auto& [handle, index] : index_) index = renamed[index];
}

AcDbObjectIdArray RouteFinder::Neighbours(AcDbObjectId id) const {
  AcDbObjectIdArray out;
  const int v = IndexOf(id);
  if (v < 0) return out;
  for (int e = nbrBegin_[v]; e < nbrBegin_[v + 1]; ++e) out.push_back(ids_[nbr_[e]]);
  return out;
}

// A route runs From, then root-kind-3 elements linked one to the next, then
// To: without a component shared by a neighbour of From and an element next
// to To there is none.
bool RouteFinder::MayReach(int from, int to) const {
  for (int e = nbrBegin_[from]; e < nbrBegin_[from + 1]; ++e)
    if (nbr_[e] == to) return true;
  for (int p = predBegin_[to]; p < predBegin_[to + 1]; ++p) {
    const int u = pred_[p];
    if (u == from || component_[u] < 0) continue;
    for (int e = nbrBegin_[from]; e < nbrBegin_[from + 1]; ++e) {
      const int k = nbr_[e];
      if (component_[k] == component_[u]) return true;
    }
  }
  return false;
}

// Share of From in the path [from, n, ...].
double RouteFinder::FirstLength(int from, int n) const {
  const Facts& f = facts_[from];
  double length = f.base;
  if (f.rootKind == 0) length += std::fabs(f.level - facts_[n].level);
  return 0.0 + length;
}

double RouteFinder::LastShare(int n, int previous) const {
  const Facts& f = facts_[n];
  double length = f.base;
  if (f.rootKind == 0) length += std::fabs(f.level - facts_[previous].level);
  return length;
}

// The two Dijkstra frontiers of a row, from From (ahead) and from To
// (behind), on a fresh stamp; `shortest` is the best meeting found so far.
class RouteFinder::Frontiers {
 public:
  explicit Frontiers(RouteFinder& finder) : f_(finder) {
    if (++f_.stamp_ == 0) {
      for (NodeState& state : f_.state_) state = NodeState{};
      f_.stamp_ = 1;
    }
    st_ = f_.stamp_;
    state_ = f_.state_.data();
    f_.aheadHeap_.clear();
    f_.behindHeap_.clear();
  }

  void ReachAhead(int v, double key) {
    NodeState& s = state_[v];
    if (s.aheadDone == st_) return;
    if (s.aheadSeen == st_ && !(key < s.ahead)) return;
    s.aheadSeen = st_;
    s.ahead = key;
    Push(f_.aheadHeap_, key, v);
    if (s.behindSeen == st_) shortest = std::min(shortest, key + s.behind);
  }
  void ReachBehind(int v, double key) {
    NodeState& s = state_[v];
    if (s.behindDone == st_) return;
    if (s.behindSeen == st_ && !(key < s.behind)) return;
    s.behindSeen = st_;
    s.behind = key;
    Push(f_.behindHeap_, key, v);
    if (s.aheadSeen == st_) shortest = std::min(shortest, s.ahead + key);
  }

  // Settles elements from the smaller frontier until the two radii prove
  // the shortest length; `ahead(u, radius)` and `behind(u, radius)` reach
  // on from a settled element. Leaves the radii for the bounds.
  template <class Ahead, class Behind>
  double Run(Ahead ahead, Behind behind) {
    for (;;) {
      const double a = Top(f_.aheadHeap_, &NodeState::aheadDone);
      const double b = Top(f_.behindHeap_, &NodeState::behindDone);
      if (!(a + b < shortest)) {
        f_.aheadRadius_ = a;
        f_.behindRadius_ = b;
        return shortest;
      }
      if (f_.aheadHeap_.size() <= f_.behindHeap_.size()) {
        const int u = Pop(f_.aheadHeap_);
        state_[u].aheadDone = st_;
        ahead(u, a);
      } else {
        const int u = Pop(f_.behindHeap_);
        state_[u].behindDone = st_;
        behind(u, b);
      }
    }
  }

  double shortest = kInfinity;

 private:
  static bool Later(const HeapItem& a, const HeapItem& b) { return a.key > b.key; }
  static void Push(std::vector<HeapItem>& heap, double key, int node) {
    heap.push_back(HeapItem{key, node});
    std::push_heap(heap.begin(), heap.end(), Later);
  }
  static int Pop(std::vector<HeapItem>& heap) {
    const int node = heap.front().node;
    std::pop_heap(heap.begin(), heap.end(), Later);
    heap.pop_back();
    return node;
  }
  // Top key after dropping entries of elements already settled.
  double Top(std::vector<HeapItem>& heap, uint32_t NodeState::*done) {
    while (!heap.empty() && state_[heap.front().node].*done == st_) Pop(heap);
    return heap.empty() ? kInfinity : heap.front().key;
  }

  RouteFinder& f_;
  NodeState* state_ = nullptr;
  uint32_t st_ = 0;
};

// Dijkstra from both ends over the elements a route may pass through, until
// the two frontiers prove the shortest route length. Settled elements get
// their exact distance from From (ahead) and to To (behind); the others are
// at least the frontier's radius away. Both serve as lower bounds that only
// ever cut branches that cannot hold a shortest route.
double RouteFinder::ComputeDistances(int from, int to) {
  Frontiers frontiers(*this);
  double& shortest = frontiers.shortest;
  for (int e = nbrBegin_[from]; e < nbrBegin_[from + 1]; ++e) {
    const int k = nbr_[e];
    if (k == to)
      shortest = std::min(shortest, FirstLength(from, to) + LastShare(to, from));
    else if (traversable_[k])
      frontiers.ReachAhead(k, FirstLength(from, k) + base_[k]);
  }
  for (int p = predBegin_[to]; p < predBegin_[to + 1]; ++p) {
    const int u = pred_[p];
    if (u != from && traversable_[u]) frontiers.ReachBehind(u, LastShare(to, u));
  }
  return frontiers.Run(
      [&](int u, double a) {
        for (int e = nbrBegin_[u]; e < nbrBegin_[u + 1]; ++e) {
          const int v = nbr_[e];
          if (v != from && v != to && traversable_[v]) frontiers.ReachAhead(v, a + base_[v]);
        }
      },
      [&](int u, double b) {
        const double through = base_[u] + b;
        for (int p = predBegin_[u]; p < predBegin_[u + 1]; ++p) {
          const int v = pred_[p];
          if (v != from && v != to && traversable_[v]) frontiers.ReachBehind(v, through);
        }
      });
}

// Chains and hubs for the distance computation. Needs links between
// root-kind-3 elements that go both ways; otherwise it leaves chainsValid_
// off and the rows use the element-by-element computation.
void RouteFinder::BuildChains() {
  const int n = static_cast<int>(ids_.size());
  chainsValid_ = false;
  chains_.clear();
  chainNodes_.clear();
  chainPrefix_.clear();
  chainOf_.assign(n, -1);
  chainPos_.assign(n, -1);
  hubBegin_.assign(n + 1, 0);
  hubLinks_.clear();

  std::vector<int> links;  // per element, its root-kind-3 neighbours (CSR)
  std::vector<int> begin(n + 1, 0);
  std::vector<int> out, in;
  for (int v = 0; v < n; ++v) {
    begin[v] = static_cast<int>(links.size());
    if (!traversable_[v]) continue;
    out.clear();
    in.clear();
    for (int e = nbrBegin_[v]; e < nbrBegin_[v + 1]; ++e)
      if (traversable_[nbr_[e]]) out.push_back(nbr_[e]);
    for (int p = predBegin_[v]; p < predBegin_[v + 1]; ++p)
      if (traversable_[pred_[p]]) in.push_back(pred_[p]);
    std::sort(out.begin(), out.end());
    std::sort(in.begin(), in.end());
    if (out != in) return;
    links.insert(links.end(), out.begin(), out.end());
  }
  begin[n] = static_cast<int>(links.size());
  auto degree = [&](int v) { return begin[v + 1] - begin[v]; };

  std::vector<uint8_t> hub(n, 0);
  for (int v = 0; v < n; ++v) hub[v] = traversable_[v] && degree(v) != 2;
  // The next element of a walk along a chain that came from `previous`.
  auto next = [&](int v, int previous) {
    return links[begin[v]] == previous ? links[begin[v] + 1] : links[begin[v]];
  };
  // A closed ring of two-neighbour elements gets one hub.
  std::vector<uint8_t> seen(n, 0);
  for (int v = 0; v < n; ++v) {
    if (!traversable_[v] || hub[v] || seen[v]) continue;
    seen[v] = 1;
    // Walk both ways (so that each chain is walked once); a ring comes back.
    for (int side = 0; side < 2; ++side) {
      int previous = v, at = links[begin[v] + side];
      while (!hub[at] && at != v) {
        seen[at] = 1;
        const int following = next(at, previous);
        previous = at;
        at = following;
      }
      if (at == v) {
        hub[v] = 1;
        break;
      }
    }
  }

  std::vector<std::vector<HubLink>> hubLinks(n);
  for (int h = 0; h < n; ++h) {
    if (!hub[h]) continue;
    for (int e = begin[h]; e < begin[h + 1]; ++e) {
      const int first = links[e];
      if (hub[first]) {
        hubLinks[h].push_back(HubLink{first, 0.0});
        continue;
      }
      if (chainOf_[first] >= 0) continue;  // walked from its other end
      Chain chain{h, -1, static_cast<int>(chainNodes_.size()), 0,
                  static_cast<int>(chainPrefix_.size())};
      const int id = static_cast<int>(chains_.size());
      int previous = h, at = first;
      double sum = 0;
      chainPrefix_.push_back(0.0);
      while (!hub[at]) {
        chainOf_[at] = id;
        chainPos_[at] = chain.count++;
        chainNodes_.push_back(at);
        sum += base_[at];
        chainPrefix_.push_back(sum);
        const int following = next(at, previous);
        previous = at;
        at = following;
      }
      chain.endB = at;
      chains_.push_back(chain);
      hubLinks[h].push_back(HubLink{at, sum});
      if (at != h) hubLinks[at].push_back(HubLink{h, sum});
    }
  }
  for (int v = 0; v < n; ++v) {
    hubBegin_[v] = static_cast<int>(hubLinks_.size());
    hubLinks_.insert(hubLinks_.end(), hubLinks[v].begin(), hubLinks[v].end());
  }
  hubBegin_[n] = static_cast<int>(hubLinks_.size());
  chainsValid_ = true;
}

// As ComputeDistances, over the hubs: a chain is crossed in one step, and an
// end's neighbour inside a chain starts its search at both of the chain's
// hubs. Elements inside chains get their bounds from their hubs (Bounds).
double RouteFinder::ComputeHubDistances(int from, int to) {
  Frontiers frontiers(*this);
  double& shortest = frontiers.shortest;
  aheadSeeds_.clear();
  behindSeeds_.clear();
  for (int e = nbrBegin_[from]; e < nbrBegin_[from + 1]; ++e) {
    const int k = nbr_[e];
    if (k == to) {
      shortest = std::min(shortest, FirstLength(from, to) + LastShare(to, from));
      continue;
    }
    if (!traversable_[k]) continue;
    const double key = FirstLength(from, k) + base_[k];
    const int c = chainOf_[k];
    if (c < 0) {
      frontiers.ReachAhead(k, key);
      continue;
    }
    const Chain& chain = chains_[c];
    const double* prefix = &chainPrefix_[chain.prefix];
    const int j = chainPos_[k];
    aheadSeeds_.push_back(Seed{c, j, key});
    frontiers.ReachAhead(chain.endB, key + (prefix[chain.count] - prefix[j + 1]) + base_[chain.endB]);
    frontiers.ReachAhead(chain.endA, key + prefix[j] + base_[chain.endA]);
  }
  for (int p = predBegin_[to]; p < predBegin_[to + 1]; ++p) {
    const int u = pred_[p];
    if (u == from || !traversable_[u]) continue;
    const double key = LastShare(to, u);
    const int c = chainOf_[u];
    if (c < 0) {
      frontiers.ReachBehind(u, key);
      continue;
    }
    const Chain& chain = chains_[c];
    const double* prefix = &chainPrefix_[chain.prefix];
    const int l = chainPos_[u];
    behindSeeds_.push_back(Seed{c, l, key});
    frontiers.ReachBehind(chain.endA, prefix[l + 1] + key);
    frontiers.ReachBehind(chain.endB, (prefix[chain.count] - prefix[l]) + key);
  }
  // Routes that stay inside one chain meet no hub.
  for (const Seed& a : aheadSeeds_)
    for (const Seed& b : behindSeeds_) {
      if (a.chain != b.chain) continue;
      const double* prefix = &chainPrefix_[chains_[a.chain].prefix];
      double between = 0;
      if (a.pos < b.pos) between = prefix[b.pos + 1] - prefix[a.pos + 1];
      else if (a.pos > b.pos) between = prefix[a.pos] - prefix[b.pos];
      shortest = std::min(shortest, a.key + between + b.key);
    }

  return frontiers.Run(
      [&](int u, double a) {
        for (int e = hubBegin_[u]; e < hubBegin_[u + 1]; ++e) {
          const HubLink& link = hubLinks_[e];
          frontiers.ReachAhead(link.hub, a + link.interior + base_[link.hub]);
        }
      },
      [&](int u, double b) {
        const double through = base_[u] + b;
        for (int e = hubBegin_[u]; e < hubBegin_[u + 1]; ++e) {
          const HubLink& link = hubLinks_[e];
          frontiers.ReachBehind(link.hub, link.interior + through);
        }
      });
}

void RouteFinder::Bounds(int n, double& behind, double& ahead) const {
  const NodeState& ns = state_[n];
  if (!rowChains_ || chainOf_[n] < 0) {
    behind = ns.behindDone == stamp_ ? ns.behind : behindRadius_;
    ahead = ns.aheadDone == stamp_ ? ns.ahead : kInfinity;
    return;
  }
  // Every way on from inside a chain leaves it through one of its hubs or
  // ends at To next to the chain. Every known way in is a real one, so at
  // least as long as the shortest.
  const int c = chainOf_[n];
  const Chain& chain = chains_[c];
  const double* prefix = &chainPrefix_[chain.prefix];
  const int j = chainPos_[n];
  const double last = prefix[chain.count];
  auto behindAt = [&](int hub) {
    const NodeState& s = state_[hub];
    return s.behindDone == stamp_ ? s.behind : behindRadius_;
  };
  behind = std::min(behindAt(chain.endB) + (last - prefix[j + 1]) + base_[chain.endB],
                    behindAt(chain.endA) + prefix[j] + base_[chain.endA]);
  for (const Seed& b : behindSeeds_) {
    if (b.chain != c) continue;
    double between = 0;
    if (j < b.pos) between = prefix[b.pos + 1] - prefix[j + 1];
    else if (j > b.pos) between = prefix[j] - prefix[b.pos];
    behind = std::min(behind, between + b.key);
  }
  ahead = kInfinity;
  const NodeState& sa = state_[chain.endA];
  if (sa.aheadSeen == stamp_) ahead = std::min(ahead, sa.ahead + prefix[j + 1]);
  const NodeState& sb = state_[chain.endB];
  if (sb.aheadSeen == stamp_) ahead = std::min(ahead, sb.ahead + (last - prefix[j]));
  for (const Seed& a : aheadSeeds_) {
    if (a.chain != c) continue;
    double between = 0;
    if (a.pos < j) between = prefix[j + 1] - prefix[a.pos + 1];
    else if (a.pos > j) between = prefix[a.pos] - prefix[j];
    ahead = std::min(ahead, a.key + between);
  }
}

RouteSearchResult RouteFinder::Find(AcDbObjectId fromId, AcDbObjectId toId, bool mostShortDist) {
  RouteSearchResult result;
  result.calls = 1;
  const int from = IndexOf(fromId);
  const int to = IndexOf(toId);
  // From outside the graph has no neighbours; To outside it is never met.
  if (from >= 0 && to >= 0 && from != to && MayReach(from, to)) {
    if (mostShortDist) {
      const Facts& f = facts_[from];
      const bool prune = boundsValid_ && std::fabs(f.base) <= kLargestBoundedValue &&
                         std::fabs(f.level) <= kLargestBoundedValue;
      double estimate = kInfinity;
      rowChains_ = prune && useChains_ && chainsValid_ && !traversable_[from] && !traversable_[to];
      if (prune) estimate = rowChains_ ? ComputeHubDistances(from, to) : ComputeDistances(from, to);
      if (!prune || estimate < kInfinity) SearchShortest(from, to, prune, estimate, result);
    } else {
      SearchFirst(from, to, result);
    }
  }
  RouteSearchCallCount += result.calls;
  result.route.reserve(result.nodes.size());
  for (int k : result.nodes) result.route.push_back(ids_[k]);
  return result;
}

// The label-correcting depth-first search, step for step, on an explicit
// stack. With `prune`, a branch is not entered when even its lower bound
// cannot reach the best length (or the estimate of the shortest route):
// nothing beyond it could become the result, and the lengths it would have
// recorded only ever cut branches that cannot either.
void RouteFinder::SearchShortest(int from, int to, bool prune, double estimate,
                                 RouteSearchResult& result) {
  std::vector<Frame> stack;
  std::vector<int> path;
  double bestLength = ROUTE_NO_BEST;
  stack.push_back(Frame{from, nbrBegin_[from], nbrBegin_[from + 1], 0.0});
  path.push_back(from);
  onPath_[from] = 1;
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.cursor == f.end) {
      onPath_[f.node] = 0;
      path.pop_back();
      stack.pop_back();
      continue;
    }
    const int n = nbr_[f.cursor++];
    if (onPath_[n]) continue;
    const double length =
        stack.size() == 1 ? FirstLength(from, n) + LastShare(n, from) : f.prefix + LastShare(n, f.node);
    if (!(length < label_[n])) continue;
    if (label_[n] == ROUTE_NO_BEST) labelled_.push_back(n);
    label_[n] = length;
    if (n == to) {
      if (!(length > bestLength)) {
        result.nodes.assign(path.begin(), path.end());
        result.nodes.push_back(to);
        bestLength = length;
      }
      continue;
    }
    if (facts_[n].rootKind == 0 || !(length < bestLength)) continue;
    if (prune) {
      // Not even the least way on can beat the best (or the shortest) ...
      const double limit = std::min(bestLength, estimate);
      double behind, ahead;
      Bounds(n, behind, ahead);
      if (length + behind > limit + Slack(limit)) continue;
      // ... or n was reached along a longer way than its shortest. The margin
      // is taken at the scale of the whole route: two prefixes that differ by
      // less than its rounding can still end in the very same sum.
      if (ahead < kInfinity && length > ahead + Slack(std::max(ahead, limit)))
        continue;
    }
    ++result.calls;
    stack.push_back(Frame{n, nbrBegin_[n], nbrBegin_[n + 1], length});
    path.push_back(n);
    onPath_[n] = 1;
  }
  for (int k : labelled_) label_[k] = ROUTE_NO_BEST;
  labelled_.clear();
  if (!result.nodes.empty()) result.length = bestLength;
}

// The first route in depth-first order. An element whose branch was searched
// to the end without meeting To cannot reach To later either: every way on
// from it runs into the path it was entered from, which stays on the stack
// until the search returns past it. So each element is entered once.
void RouteFinder::SearchFirst(int from, int to, RouteSearchResult& result) {
  std::vector<Frame> stack;
  std::vector<int> path;
  std::vector<int> entered;
  stack.push_back(Frame{from, nbrBegin_[from], nbrBegin_[from + 1], 0.0});
  path.push_back(from);
  onPath_[from] = 1;
  bool done = false;
  while (!stack.empty() && !done) {
    Frame& f = stack.back();
    if (f.cursor == f.end) {
      onPath_[f.node] = 0;
      path.pop_back();
      stack.pop_back();
      continue;
    }
    const int n = nbr_[f.cursor++];
    if (onPath_[n]) continue;
    if (n == to) {
      result.nodes.assign(path.begin(), path.end());
      result.nodes.push_back(to);
      // The prefix sums of the walk, added in the same order once at the end.
      double length = FirstLength(from, result.nodes[1]) + LastShare(result.nodes[1], from);
      for (size_t k = 2; k < result.nodes.size(); ++k)
        length += LastShare(result.nodes[k], result.nodes[k - 1]);
      result.length = length;
      done = true;
      continue;
    }
    if (visited_[n] || facts_[n].rootKind == 0) continue;
    visited_[n] = 1;
    entered.push_back(n);
    ++result.calls;
    stack.push_back(Frame{n, nbrBegin_[n], nbrBegin_[n + 1], 0.0});
    path.push_back(n);
    onPath_[n] = 1;
  }
  for (int k : path) onPath_[k] = 0;
  for (int k : entered) visited_[k] = 0;
}

double RouteFinder::GetElementLength(const AcDbObjectIdArray& path, AcDbObjectId element,
                                     int index) const {
  const int n = static_cast<int>(path.size());
  const Facts f = FactsOf(element);
  double length = f.base;
  if (f.rootKind == 0) {
    if (index == 0 && n >= 2)
      length += std::fabs(f.level - FactsOf(path[1]).level);
    else if (index == n - 1 && n >= 2)
      length += std::fabs(f.level - FactsOf(path[n - 2]).level);
  }
  return length;
}

double RouteFinder::GetRouteLength(const AcDbObjectIdArray& route) const {
  double total = 0;
  for (size_t i = 0; i < route.size(); ++i)
    total += GetElementLength(route, route[i], static_cast<int>(i));
  return total;
}
