#include "route/search/route_finder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "platform/arxutil/convert.h"
#include "platform/host/worker_threads.h"

int32_t RouteSearchCallCount = 0;

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Lengths beyond this are not trusted to the lower bounds (sums of a few
// thousand of them stay exact enough); such drawings are searched unpruned.
constexpr double kLargestBoundedValue = 1e12;
// Coordinates beyond this are kept out of the grid and compared with every
// query point instead.
constexpr double kGridLimit = 1099511627776.0;  // 2^40

bool Finite(const AcGePoint3d& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

bool Traversable(int rootKind) { return rootKind == 3; }
bool Linkable(int rootKind) { return rootKind == 0 || rootKind == 3; }

struct CellKey {
  int64_t x, y;
  bool operator==(const CellKey&) const = default;
  auto operator<=>(const CellKey&) const = default;
};

// Elements by the cells their points lie in, in one flat table probed
// linearly: a lookup mostly reads one cache line.
class CellGrid {
 public:
  void Add(CellKey cell, int element) { pairs_.push_back({cell, element}); }

  void Seal() {
    std::sort(pairs_.begin(), pairs_.end());
    pairs_.erase(std::unique(pairs_.begin(), pairs_.end()), pairs_.end());
    size_t capacity = 16;
    while (capacity < 2 * pairs_.size()) capacity *= 2;
    slots_.assign(capacity, Slot{});
    mask_ = capacity - 1;
    members_.reserve(pairs_.size());
    for (size_t i = 0; i < pairs_.size();) {
      const CellKey key = pairs_[i].first;
      Slot slot{key, static_cast<int>(members_.size()), 0};
      for (; i < pairs_.size() && pairs_[i].first == key; ++i) members_.push_back(pairs_[i].second);
      slot.end = static_cast<int>(members_.size());
      size_t at = Hash(key) & mask_;
      while (slots_[at].end > 0) at = (at + 1) & mask_;
      slots_[at] = slot;
    }
    pairs_ = {};
  }

  // The elements with a point in the cell, in graph order.
  template <typename Take>
  void ForEach(CellKey key, Take take) const {
    for (size_t at = Hash(key) & mask_; slots_[at].end > 0; at = (at + 1) & mask_) {
      if (!(slots_[at].key == key)) continue;
      for (int k = slots_[at].begin; k < slots_[at].end; ++k) take(members_[k]);
      return;
    }
  }

 private:
  struct Slot {
    CellKey key{0, 0};
    int begin = 0, end = 0;  // end 0: empty
  };
  static size_t Hash(const CellKey& k) {
    uint64_t h = static_cast<uint64_t>(k.x) * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(k.y);
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
    return static_cast<size_t>(h);
  }
  std::vector<std::pair<CellKey, int>> pairs_;
  std::vector<int> members_;
  std::vector<Slot> slots_;
  size_t mask_ = 0;
};

// Cells half a unit wide: 2x is exact, and two points within the tolerance
// (0.2 plus rounding) always lie in the same or adjacent cells.
int64_t CellOf(double v) { return static_cast<int64_t>(std::floor(v * 2.0)); }

// Elements go to the threads in blocks of this many; a block's neighbour
// lists are made on one thread, in element order.
constexpr size_t kBlock = 1024;

struct Frame {
  int node;
  int cursor;
  int end;
  double prefix;  // path length up to and including this node
};

}  // namespace

// Everything a search changes, so that the finder itself stays read-only.
struct RouteFinder::Workspace::State {
  explicit State(size_t elements)
      : label(elements, ROUTE_NO_BEST), onPath(elements, 0), visited(elements, 0) {}

  std::vector<double> label;
  std::vector<int> labelled;
  std::vector<uint8_t> onPath, visited;
  std::vector<Frame> stack;
  std::vector<int> path, entered;
  std::vector<std::pair<int, double>> exits;  // To's neighbours and what To adds after each
  std::unique_ptr<DistanceHierarchy::Query> distances;
};

RouteFinder::Workspace::Workspace(const RouteFinder& finder)
    : state_(std::make_unique<State>(finder.size())) {}
RouteFinder::Workspace::~Workspace() = default;

RouteFinder::RouteFinder(const ElementSource& source, const AcDbObjectIdArray& tagged)
    : source_(source) {
  for (AcDbObjectId id : tagged) {
    if (index_.emplace(id.handle, static_cast<int>(ids_.size())).second) ids_.push_back(id);
  }
  const size_t n = ids_.size();
  facts_.resize(n);
  boundsValid_ = true;
  points_.resize(n);
  wb::ForEachInBlocks(n, kBlock, wb::WorkerThreads(), [&](size_t i, int) {
    facts_[i] = ReadFacts(ids_[i]);
    points_[i] = source_.ConnectPoints(ids_[i]);
  });
  for (size_t i = 0; i < n; ++i) {
    const Facts& f = facts_[i];
    if (Linkable(f.rootKind)) {
      if (!(f.base >= 0 && f.base <= kLargestBoundedValue) ||
          !(std::fabs(f.level) <= kLargestBoundedValue))
        boundsValid_ = false;
    }
  }
  BuildNeighbours(points_);
  // A distance sums at most n lengths, each rounded once; comparisons
  // against bounds allow for far more than that.
  margin_ = 4.0 * (static_cast<double>(n) + 2) * std::numeric_limits<double>::epsilon();
  tolerance_ = std::max(1e-9, 16 * margin_);
  BuildComponents();
  Renumber();
  base_.resize(n);
  traversable_.resize(n);
  for (size_t i = 0; i < n; ++i) {
    base_[i] = facts_[i].base;
    traversable_[i] = Traversable(facts_[i].rootKind);
  }
  own_ = std::make_unique<Workspace>(*this);
}

RouteFinder::~RouteFinder() = default;

double RouteFinder::Slack(double x) const { return tolerance_ * (1.0 + std::fabs(x)); }

int RouteFinder::IndexOf(AcDbObjectId id) const {
  auto it = index_.find(id.handle);
  return it == index_.end() ? -1 : it->second;
}

RouteFinder::Facts RouteFinder::ReadFacts(AcDbObjectId id) const {
  // The conversions of the element length: S225 in metres, S304 as a
  // leading integer, S401 as a decimal.
  Facts f;
  f.rootKind = source_.RootKind(id);
  f.blockClass = source_.BlockClass(id);
  if (f.rootKind == 0) {
    f.base = ApiComn_atof(source_.AttributeValue(id, u"S225")) * 1000;
  } else if (f.blockClass == 1) {
    f.base = _wtoi(source_.AttributeValue(id, u"S304"));
  }
  f.level = ApiComn_atof(source_.AttributeValue(id, u"S401"));
  return f;
}

RouteFinder::Facts RouteFinder::FactsOf(AcDbObjectId id) const {
  const int i = IndexOf(id);
  return i >= 0 ? facts_[i] : ReadFacts(id);
}

void RouteFinder::BuildNeighbours(const std::vector<AcGePoint3dArray>& points) {
  const int n = static_cast<int>(ids_.size());
  CellGrid grid;
  std::vector<int> farAway;  // elements with a point too far out for the grid
  for (int k = 0; k < n; ++k) {
    if (!Linkable(facts_[k].rootKind)) continue;
    bool far = false;
    for (const AcGePoint3d& p : points[k]) {
      // A point with an infinite or undefined coordinate is never within the
      // tolerance of anything.
      if (!Finite(p)) continue;
      if (std::fabs(p.x) >= kGridLimit || std::fabs(p.y) >= kGridLimit) {
        far = true;
        continue;
      }
      grid.Add(CellKey{CellOf(p.x), CellOf(p.y)}, k);
    }
    if (far) farAway.push_back(k);
  }
  grid.Seal();

  // Each thread lists the neighbours of a block of elements; the blocks
  // are joined in element order.
  struct Scratch {
    explicit Scratch(int n) : seen(n, 0), listed(n, 0) {}
    std::vector<uint32_t> seen, listed;
    uint32_t seenStamp = 0;
    std::vector<int> candidates;
  };
  wb::PerWorker<Scratch> scratch(wb::WorkerThreads(), [n] { return std::make_unique<Scratch>(n); });
  std::vector<int> count(n, 0);
  std::vector<std::vector<int>> lists((n + kBlock - 1) / kBlock);
  wb::ForEachInBlocks(n, kBlock, wb::WorkerThreads(), [&](size_t element, int worker) {
    Scratch& s = scratch[worker];
    const int v = static_cast<int>(element);
    std::vector<int>& out = lists[element / kBlock];
    const size_t before = out.size();
    const uint32_t listStamp = static_cast<uint32_t>(v) + 1;
    for (const AcGePoint3d& p : points[v]) {
      if (!Finite(p)) continue;  // every distance to it is undefined or infinite
      ++s.seenStamp;
      s.candidates.clear();
      auto take = [&](int k) {
        if (s.seen[k] != s.seenStamp) {
          s.seen[k] = s.seenStamp;
          s.candidates.push_back(k);
        }
      };
      if (std::fabs(p.x) < kGridLimit + 1 && std::fabs(p.y) < kGridLimit + 1) {
        const int64_t cx = CellOf(p.x), cy = CellOf(p.y);
        for (int64_t dx = -1; dx <= 1; ++dx)
          for (int64_t dy = -1; dy <= 1; ++dy) grid.ForEach(CellKey{cx + dx, cy + dy}, take);
      }
      for (int k : farAway) take(k);
      // Graph order within one connection point of the current element.
      std::sort(s.candidates.begin(), s.candidates.end());
      for (int k : s.candidates) {
        if (k == v || s.listed[k] == listStamp) continue;
        AcGePoint3d nearest;
        double distance = 0;
        if (NearestConnectPoint(points[k], p, nearest, distance) != 0) continue;
        if (!(distance <= CONNECT_TOLERANCE)) continue;
        s.listed[k] = listStamp;
        out.push_back(k);
      }
    }
    count[v] = static_cast<int>(out.size() - before);
  });
  nbrBegin_.assign(n + 1, 0);
  for (int v = 0; v < n; ++v) nbrBegin_[v + 1] = nbrBegin_[v] + count[v];
  nbr_.clear();
  nbr_.reserve(nbrBegin_[n]);
  for (auto& list : lists) {
    nbr_.insert(nbr_.end(), list.begin(), list.end());
    std::vector<int>().swap(list);
  }

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
  permute(points_);
  relink(nbrBegin_, nbr_);
  relink(predBegin_, pred_);
  for (auto& [handle, index] : index_) index = renamed[index];
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

// At least what a route still adds after element n: the shortest way from
// n to To over root-kind-3 elements, From and To not excluded, less a
// margin for the rounding of sums taken along shortcuts.
double RouteFinder::Behind(State& s, int n) const {
  const double d = s.distances->Distance(n);
  return d == kInfinity ? d : d - d * margin_;
}

// The shortest route length (infinity when there is none), within the
// rounding the comparisons allow for. The distances may run through From
// or To where those are root-kind-3 elements themselves, but such a way is
// never shorter than the route that leaves From, or ends at To, right there.
double RouteFinder::Estimate(State& s, int from, int to) const {
  std::call_once(hierarchyOnce_, [this] {
    hierarchy_ = std::make_unique<DistanceHierarchy>(nbrBegin_, nbr_, base_, traversable_);
  });
  if (!s.distances) s.distances = std::make_unique<DistanceHierarchy::Query>(*hierarchy_);
  s.exits.clear();
  for (int p = predBegin_[to]; p < predBegin_[to + 1]; ++p) {
    const int u = pred_[p];
    if (u != from && traversable_[u]) s.exits.emplace_back(u, LastShare(to, u));
  }
  s.distances->SetTarget(s.exits);
  double shortest = kInfinity;
  for (int e = nbrBegin_[from]; e < nbrBegin_[from + 1]; ++e) {
    const int k = nbr_[e];
    if (k == to)
      shortest = std::min(shortest, FirstLength(from, to) + LastShare(to, from));
    else if (traversable_[k])
      shortest = std::min(shortest, FirstLength(from, k) + base_[k] + Behind(s, k));
  }
  return shortest;
}

RouteSearchResult RouteFinder::Find(AcDbObjectId from, AcDbObjectId to, bool mostShortDist) {
  RouteSearchResult result = Find(from, to, mostShortDist, *own_);
  RouteSearchCallCount += result.calls;
  return result;
}

RouteSearchResult RouteFinder::Find(AcDbObjectId fromId, AcDbObjectId toId, bool mostShortDist,
                                    Workspace& workspace) const {
  State& s = *workspace.state_;
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
      const double estimate = prune ? Estimate(s, from, to) : kInfinity;
      if (!prune || estimate < kInfinity) SearchShortest(s, from, to, prune, estimate, result);
    } else {
      SearchFirst(s, from, to, result);
    }
  }
  result.route.reserve(result.nodes.size());
  for (int k : result.nodes) result.route.push_back(ids_[k]);
  return result;
}

// The label-correcting depth-first search, step for step, on an explicit
// stack. With `prune`, a branch is not entered when even its lower bound
// cannot reach the best length (or the shortest route length): nothing
// beyond it could become the result, and the lengths it would have recorded
// only ever cut branches that cannot either.
void RouteFinder::SearchShortest(State& s, int from, int to, bool prune, double estimate,
                                 RouteSearchResult& result) const {
  std::vector<Frame>& stack = s.stack;
  std::vector<int>& path = s.path;
  double bestLength = ROUTE_NO_BEST;
  stack.push_back(Frame{from, nbrBegin_[from], nbrBegin_[from + 1], 0.0});
  path.push_back(from);
  s.onPath[from] = 1;
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.cursor == f.end) {
      s.onPath[f.node] = 0;
      path.pop_back();
      stack.pop_back();
      continue;
    }
    const int n = nbr_[f.cursor++];
    if (s.onPath[n]) continue;
    const double length =
        stack.size() == 1 ? FirstLength(from, n) + LastShare(n, from) : f.prefix + LastShare(n, f.node);
    if (!(length < s.label[n])) continue;
    if (s.label[n] == ROUTE_NO_BEST) s.labelled.push_back(n);
    s.label[n] = length;
    if (n == to) {
      if (!(length > bestLength)) {
        result.nodes.assign(path.begin(), path.end());
        result.nodes.push_back(to);
        bestLength = length;
      }
      continue;
    }
    if (facts_[n].rootKind == 0 || !(length < bestLength)) continue;
    // Not even the least way on can beat the best (or the shortest): nothing
    // beyond n could become the result. The bound being the distance to To
    // itself, only elements on routes as short as the shortest pass, and
    // only along their shortest ways from From.
    if (prune) {
      const double limit = std::min(bestLength, estimate);
      if (length + Behind(s, n) > limit + Slack(limit)) continue;
    }
    ++result.calls;
    stack.push_back(Frame{n, nbrBegin_[n], nbrBegin_[n + 1], length});
    path.push_back(n);
    s.onPath[n] = 1;
  }
  for (int k : s.labelled) s.label[k] = ROUTE_NO_BEST;
  s.labelled.clear();
  if (!result.nodes.empty()) result.length = bestLength;
}

// The first route in depth-first order. An element whose branch was searched
// to the end without meeting To cannot reach To later either: every way on
// from it runs into the path it was entered from, which stays on the stack
// until the search returns past it. So each element is entered once.
void RouteFinder::SearchFirst(State& s, int from, int to, RouteSearchResult& result) const {
  std::vector<Frame>& stack = s.stack;
  std::vector<int>& path = s.path;
  std::vector<int>& entered = s.entered;
  stack.push_back(Frame{from, nbrBegin_[from], nbrBegin_[from + 1], 0.0});
  path.push_back(from);
  s.onPath[from] = 1;
  bool done = false;
  while (!stack.empty() && !done) {
    Frame& f = stack.back();
    if (f.cursor == f.end) {
      s.onPath[f.node] = 0;
      path.pop_back();
      stack.pop_back();
      continue;
    }
    const int n = nbr_[f.cursor++];
    if (s.onPath[n]) continue;
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
    if (s.visited[n] || facts_[n].rootKind == 0) continue;
    s.visited[n] = 1;
    entered.push_back(n);
    ++result.calls;
    stack.push_back(Frame{n, nbrBegin_[n], nbrBegin_[n + 1], 0.0});
    path.push_back(n);
    s.onPath[n] = 1;
  }
  for (int k : path) s.onPath[k] = 0;
  for (int k : entered) s.visited[k] = 0;
  stack.clear();
  path.clear();
  entered.clear();
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
