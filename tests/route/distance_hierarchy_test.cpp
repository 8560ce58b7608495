#include "route/search/distance_hierarchy.h"

#include <gtest/gtest.h>

#include <limits>
#include <queue>
#include <random>

#include "platform/host/worker_threads.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Grids large enough to be cut into parts, with gaps, one-way links,
// unusable elements, zero and equal costs (whole numbers, so that every
// sum is exact): the hierarchy must answer what a search back from the
// target over the plain graph answers, with any number of threads.
TEST(DistanceHierarchy, AnswersAsASearchOverTheWholeGraph) {
  for (uint32_t seed = 1; seed <= 4; ++seed) {
    std::mt19937 rnd(seed);
    const int side = 24 + 8 * static_cast<int>(seed);
    const int n = side * side;
    std::vector<int> begin(n + 1, 0), next;
    std::vector<double> cost(n);
    std::vector<uint8_t> usable(n);
    for (int v = 0; v < n; ++v) {
      cost[v] = static_cast<double>(rnd() % 6);
      usable[v] = rnd() % 40 != 0;
    }
    for (int v = 0; v < n; ++v) {
      begin[v] = static_cast<int>(next.size());
      const int x = v % side, y = v / side;
      for (int w : {x + 1 < side ? v + 1 : -1, x > 0 ? v - 1 : -1, y + 1 < side ? v + side : -1,
                    y > 0 ? v - side : -1})
        if (w >= 0 && (rnd() % 10 != 0 || (seed % 2 == 0 && w == v + 1))) next.push_back(w);
    }
    begin[n] = static_cast<int>(next.size());

    for (int threads : {1, 3}) {
      wb::SetWorkerThreads(threads);
      DistanceHierarchy hierarchy(begin, next, cost, usable);
      DistanceHierarchy::Query query(hierarchy);
      for (int t = 0; t < 12; ++t) {
        // Exits are usable elements, as the finder gives them.
        const int target = static_cast<int>(rnd() % n);
        std::vector<std::pair<int, double>> exits;
        if (usable[target]) exits.emplace_back(target, 1);
        if (target + 1 < n && usable[target + 1]) exits.emplace_back(target + 1, 0);
        query.SetTarget(exits);
        // Back from the exits over the reversed links.
        std::vector<double> want(n, kInfinity);
        using Item = std::pair<double, int>;
        std::priority_queue<Item, std::vector<Item>, std::greater<>> heap;
        for (auto [u, c] : exits)
          if (c < want[u]) heap.push({want[u] = c, u});
        std::vector<std::vector<int>> into(n);
        for (int v = 0; v < n; ++v)
          for (int e = begin[v]; e < begin[v + 1]; ++e) into[next[e]].push_back(v);
        while (!heap.empty()) {
          auto [d, w] = heap.top();
          heap.pop();
          if (d > want[w]) continue;
          for (int v : into[w])
            if (usable[v] && v != w && d + cost[w] < want[v]) heap.push({want[v] = d + cost[w], v});
        }
        for (int v = 0; v < n; ++v) {
          if (!usable[v]) continue;
          ASSERT_EQ(query.Distance(v), want[v]) << "seed " << seed << " threads " << threads
                                                << " target " << target << " element " << v;
        }
      }
    }
    wb::SetWorkerThreads(0);
  }
}

}  // namespace
