#include "route/search/distance_hierarchy.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "platform/host/worker_threads.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// A witness search gives up after this many elements: a shortcut added
// without need costs a little speed, never a wrong distance.
constexpr int kWitnessSettles = 40;

// A least-first heap of (key, element) with four children a node: half the
// depth of a binary heap, and the children it compares side by side. Its
// entries are never equal, so they come out in the one order any heap
// gives.
using Heap = std::vector<std::pair<double, int>>;
void Push(Heap& heap, double key, int node) {
  const std::pair<double, int> item{key, node};
  size_t i = heap.size();
  heap.push_back(item);
  while (i > 0 && item < heap[(i - 1) / 4]) {
    heap[i] = heap[(i - 1) / 4];
    i = (i - 1) / 4;
  }
  heap[i] = item;
}
std::pair<double, int> Pop(Heap& heap) {
  const auto top = heap.front();
  const auto last = heap.back();
  heap.pop_back();
  const size_t n = heap.size();
  if (n == 0) return top;
  size_t i = 0;
  for (size_t first = 1; first < n; first = 4 * i + 1) {
    size_t least = first;
    for (size_t c = first + 1; c < first + 4 && c < n; ++c)
      if (heap[c] < heap[least]) least = c;
    if (!(heap[least] < last)) break;
    heap[i] = heap[least];
    i = least;
  }
  heap[i] = last;
  return top;
}

struct Arc {
  int node;
  double cost;
};

using Shortcut = std::pair<int, Arc>;  // from, and the arc it gets

// What a witness search needs, one per thread.
struct Scratch {
  explicit Scratch(size_t n) : distance(n, kInfinity) {}
  std::vector<double> distance;
  std::vector<int> reached;
  Heap heap;
  std::vector<Shortcut> shortcuts;
  std::vector<std::vector<Shortcut>> through;  // per way in, when shared out
};

// Threads that share the witness searches of one removal at a time.
struct Team {
  wb::SpinningHelpers& helpers;
  wb::PerWorker<Scratch>& scratch;
};

// The graph while it is being contracted: arcs among the elements still in.
class Contraction {
 public:
  Contraction(const std::vector<int>& begin, const std::vector<int>& next,
              const std::vector<double>& cost, const std::vector<uint8_t>& usable)
      : out_(usable.size()), in_(usable.size()), dropped_(usable.size(), 0), part_(usable.size(), -1) {
    const int n = static_cast<int>(usable.size());
    for (int v = 0; v < n; ++v) {
      if (!usable[v]) continue;
      for (int e = begin[v]; e < begin[v + 1]; ++e) {
        const int w = next[e];
        if (w != v && usable[w]) Link(v, w, cost[w]);
      }
    }
  }

  const std::vector<Arc>& Out(int v) const { return out_[v]; }
  const std::vector<Arc>& In(int v) const { return in_[v]; }

  // Parts are contracted each on its own thread: an element whose
  // neighbours all lie in its part changes only elements of that part when
  // it goes, and its witness searches stay inside the part.
  void SetPart(int v, int part) { part_[v] = part; }
  int Part(int v) const { return part_[v]; }
  bool Inside(int v) const {
    for (const Arc& a : out_[v])
      if (part_[a.node] != part_[v]) return false;
    for (const Arc& a : in_[v])
      if (part_[a.node] != part_[v]) return false;
    return true;
  }

  // The shortcuts that taking v out needs: a way u -> v -> w with no other
  // way from u to w at most as long (searched within `part`, or everywhere
  // when it is -1). With a team, the searches from the ways in are shared
  // out; the shortcuts come in the same order.
  void Shortcuts(int v, Scratch& s, int part, const Team* team) const {
    s.shortcuts.clear();
    double longest = 0;
    for (const Arc& o : out_[v]) longest = std::max(longest, o.cost);
    if (!team) {
      for (const Arc& i : in_[v]) ShortcutsThrough(v, i, longest, s, part, s.shortcuts);
      return;
    }
    const size_t ways = in_[v].size();
    if (s.through.size() < ways) s.through.resize(ways);
    team->helpers.Run(ways, [&](size_t k, int worker) {
      s.through[k].clear();
      ShortcutsThrough(v, in_[v][k], longest, worker == 0 ? s : team->scratch[worker], part,
                       s.through[k]);
    });
    for (size_t k = 0; k < ways; ++k)
      s.shortcuts.insert(s.shortcuts.end(), s.through[k].begin(), s.through[k].end());
  }

  // Those of the ways in through i.
  void ShortcutsThrough(int v, const Arc& i, double longest, Scratch& s, int part,
                        std::vector<Shortcut>& into) const {
    Witness(i.node, v, i.cost + longest, s, part);
    for (const Arc& o : out_[v]) {
      if (o.node == i.node) continue;
      const double via = i.cost + o.cost;
      if (!(s.distance[o.node] <= via)) into.push_back({i.node, Arc{o.node, via}});
    }
    for (int w : s.reached) s.distance[w] = kInfinity;
    s.reached.clear();
  }

  // Cost of taking v out now: arcs added less arcs removed, and how many
  // neighbours went before it (which spreads the removals evenly). Leaves
  // the shortcuts in `s`.
  int Priority(int v, Scratch& s, int part, const Team* team = nullptr) const {
    Shortcuts(v, s, part, team);
    const int edges = static_cast<int>(in_[v].size() + out_[v].size());
    return 2 * (static_cast<int>(s.shortcuts.size()) - edges) + dropped_[v];
  }

  // An element of a run (two neighbours, linked both ways) or at its end:
  // every way through it needs its shortcut, so no witness is searched.
  bool Run(int v, Scratch& s) {
    const auto& in = in_[v];
    const auto& out = out_[v];
    if (in.size() > 2 || in.size() != out.size()) return false;
    for (const Arc& i : in)
      if (std::none_of(out.begin(), out.end(), [&](const Arc& o) { return o.node == i.node; }))
        return false;
    s.shortcuts.clear();
    for (const Arc& i : in)
      for (const Arc& o : out)
        if (o.node != i.node) s.shortcuts.push_back({i.node, Arc{o.node, i.cost + o.cost}});
    return true;
  }

  // Takes v out with the shortcuts its last Priority or Run found.
  void Remove(int v, const Scratch& s) {
    for (const auto& [from, arc] : s.shortcuts) Link(from, arc.node, arc.cost);
    for (const Arc& i : in_[v]) {
      Erase(out_[i.node], v);
      ++dropped_[i.node];
    }
    for (const Arc& o : out_[v]) {
      Erase(in_[o.node], v);
      ++dropped_[o.node];
    }
  }

 private:
  void Link(int from, int to, double cost) {
    for (Arc& a : out_[from])
      if (a.node == to) {
        if (cost < a.cost) {
          a.cost = cost;
          for (Arc& b : in_[to])
            if (b.node == from) b.cost = cost;
        }
        return;
      }
    out_[from].push_back(Arc{to, cost});
    in_[to].push_back(Arc{from, cost});
  }

  static void Erase(std::vector<Arc>& arcs, int node) {
    for (size_t k = 0; k < arcs.size(); ++k)
      if (arcs[k].node == node) {
        arcs[k] = arcs.back();
        arcs.pop_back();
        return;
      }
  }

  // Distances from `source` among the elements still in, v left out, as
  // far as `limit` or the settle budget reaches.
  void Witness(int source, int v, double limit, Scratch& s, int part) const {
    s.heap.clear();
    s.distance[source] = 0;
    s.reached.push_back(source);
    Push(s.heap, 0, source);
    int settled = 0;
    while (!s.heap.empty() && settled < kWitnessSettles) {
      const auto [key, u] = Pop(s.heap);
      if (key > s.distance[u]) continue;
      if (key > limit) break;
      ++settled;
      for (const Arc& a : out_[u]) {
        if (a.node == v || (part >= 0 && part_[a.node] != part)) continue;
        const double d = key + a.cost;
        if (d < s.distance[a.node]) {
          if (s.distance[a.node] == kInfinity) s.reached.push_back(a.node);
          s.distance[a.node] = d;
          Push(s.heap, d, a.node);
        }
      }
    }
  }

  std::vector<std::vector<Arc>> out_, in_;
  std::vector<int> dropped_;
  std::vector<int> part_;
};

}  // namespace

DistanceHierarchy::DistanceHierarchy(const std::vector<int>& begin, const std::vector<int>& next,
                                     const std::vector<double>& cost,
                                     const std::vector<uint8_t>& usable) {
  const int n = static_cast<int>(usable.size());
  Contraction graph(begin, next, cost, usable);
  std::vector<std::vector<::Arc>> up(n), down(n);

  std::vector<int> order;  // removal order: rank from low to high
  auto remove = [&](int v, const Scratch& s, std::vector<int>& into) {
    // Whatever is still linked to v ranks above it.
    up[v] = graph.Out(v);
    down[v] = graph.In(v);
    graph.Remove(v, s);
    into.push_back(v);
  };
  const int threads = wb::WorkerThreads();
  wb::PerWorker<Scratch> scratch(threads, [&] { return std::make_unique<Scratch>(usable.size()); });
  // Runs first: most of a plant's elements, and the cheapest to take out.
  std::vector<uint8_t> gone(n, 0);
  for (int v = 0; v < n; ++v)
    if (usable[v] && graph.Run(v, scratch[0])) {
      remove(v, scratch[0], order);
      gone[v] = 1;
    }
  // Then least important first; a priority is looked at again when it comes
  // up, since removals around an element change it. The `keep` last are left
  // in `rest`. The first priorities only read the graph: outside the parts
  // they are spread over the threads.
  auto contract = [&](const std::vector<int>& elements, int part, Scratch& own,
                      std::vector<int>& into, size_t keep, std::vector<int>& rest,
                      const Team* team) {
    std::vector<std::pair<int, int>> queue;  // priority, element
    for (int v : elements) queue.emplace_back(0, v);
    wb::ForEachInBlocks(queue.size(), 512, part < 0 ? threads : 1, [&](size_t k, int worker) {
      queue[k].first = graph.Priority(queue[k].second, part < 0 ? scratch[worker] : own, part);
    });
    std::make_heap(queue.begin(), queue.end(), std::greater<>());
    while (queue.size() > keep) {
      std::pop_heap(queue.begin(), queue.end(), std::greater<>());
      const int v = queue.back().second;
      queue.pop_back();
      const int now = graph.Priority(v, own, part, team);
      if (!queue.empty() && now > queue.front().first) {
        queue.emplace_back(now, v);
        std::push_heap(queue.begin(), queue.end(), std::greater<>());
        continue;
      }
      remove(v, own, into);
    }
    for (const auto& entry : queue) rest.push_back(entry.second);
  };
  // The elements left, cut into parts along the numbering (which follows
  // the links). Most of those inside a part go first, the parts side by
  // side; then the rest with the borders between the parts. Taking a part
  // out to its border would join the border in a web of shortcuts, so the
  // last tenth of each part waits for the end. The parts do not depend on
  // the number of threads, and so neither does the hierarchy.
  std::vector<int> left;
  for (int v = 0; v < n; ++v)
    if (usable[v] && !gone[v]) left.push_back(v);
  constexpr size_t kParts = 4, kWaitingShare = 10;  // percent
  for (size_t k = 0; k < left.size(); ++k)
    graph.SetPart(left[k], static_cast<int>(k * kParts / left.size()));
  std::vector<std::vector<int>> inside(kParts), orders(kParts), waiting(kParts);
  std::vector<int> last;
  for (int v : left) (graph.Inside(v) ? inside[graph.Part(v)] : last).push_back(v);
  wb::ForEachInBlocks(kParts, 1, threads, [&](size_t part, int) {
    Scratch own(usable.size());
    contract(inside[part], static_cast<int>(part), own, orders[part],
             inside[part].size() * kWaitingShare / 100, waiting[part], nullptr);
  });
  for (size_t part = 0; part < kParts; ++part) {
    order.insert(order.end(), orders[part].begin(), orders[part].end());
    last.insert(last.end(), waiting[part].begin(), waiting[part].end());
  }
  // The rest is one web: its removals go one after another, each one's
  // searches shared among the threads.
  std::sort(last.begin(), last.end());
  std::vector<int> none;
  {
    wb::SpinningHelpers helpers(threads);
    const Team team{helpers, scratch};
    contract(last, -1, scratch[0], order, 0, none, &team);
  }

  // The searches run in rank order, so elements are stored that way: the
  // high ranks every search passes through sit together.
  slot_.assign(n, -1);
  for (size_t r = 0; r < order.size(); ++r) slot_[order[r]] = static_cast<int>(r);
  auto flatten = [&](std::vector<std::vector<::Arc>>& lists, std::vector<int>& begin,
                     std::vector<Arc>& flat) {
    begin.assign(order.size() + 1, 0);
    for (size_t r = 0; r < order.size(); ++r) {
      begin[r] = static_cast<int>(flat.size());
      for (const ::Arc& a : lists[order[r]]) flat.push_back(Arc{slot_[a.node], a.cost});
      lists[order[r]] = {};
    }
    begin[order.size()] = static_cast<int>(flat.size());
  };
  flatten(up, upBegin_, up_);
  flatten(down, downBegin_, down_);
}

DistanceHierarchy::Query::Query(const DistanceHierarchy& hierarchy)
    : h_(hierarchy),
      downSeen_(hierarchy.upBegin_.size() - 1, 0),
      seen_(hierarchy.upBegin_.size() - 1, 0),
      down_(hierarchy.upBegin_.size() - 1, 0),
      distance_(hierarchy.upBegin_.size() - 1, 0) {}

// Every distance from the target's exits back up the ranks.
void DistanceHierarchy::Query::SetTarget(const std::vector<std::pair<int, double>>& exits) {
  if (++stamp_ == 0) {
    std::fill(downSeen_.begin(), downSeen_.end(), 0);
    std::fill(seen_.begin(), seen_.end(), 0);
    stamp_ = 1;
  }
  heap_.clear();
  auto reach = [&](int v, double d) {
    if (downSeen_[v] == stamp_ && !(d < down_[v])) return;
    downSeen_[v] = stamp_;
    down_[v] = d;
    Push(heap_, d, v);
  };
  for (const auto& [v, cost] : exits) reach(h_.slot_[v], cost);
  while (!heap_.empty()) {
    const auto [key, v] = Pop(heap_);
    if (key > down_[v]) continue;
    for (int e = h_.downBegin_[v]; e < h_.downBegin_[v + 1]; ++e)
      reach(h_.down_[e].node, key + h_.down_[e].cost);
  }
}

// The least, over the elements w above v, of the way up to w plus w's
// distance down to the target; each element's answer is kept for the row.
// The arcs up lead to higher ranks only, so the walk never meets an element
// that waits: each arc is looked at once.
double DistanceHierarchy::Query::Distance(int element) {
  const int v = h_.slot_[element];
  if (seen_[v] == stamp_) return distance_[v];
  auto open = [&](int u) {
    frames_.push_back(Frame{u, h_.upBegin_[u], downSeen_[u] == stamp_ ? down_[u] : kInfinity});
  };
  open(v);
  while (!frames_.empty()) {
    Frame& f = frames_.back();
    const int end = h_.upBegin_[f.element + 1];
    while (f.arc < end && seen_[h_.up_[f.arc].node] == stamp_) {
      const Arc& a = h_.up_[f.arc++];
      f.best = std::min(f.best, a.cost + distance_[a.node]);
    }
    if (f.arc < end) {
      open(h_.up_[f.arc].node);  // its answer first; this arc again after
      continue;
    }
    distance_[f.element] = f.best;
    seen_[f.element] = stamp_;
    frames_.pop_back();
  }
  return distance_[v];
}
