#include "platform/host/worker_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

// Every index runs once, on a worker numbered below the thread count; none
// runs more than `ahead` past the last one waited for; what a piece throws
// comes out of the wait for that piece and no other. The caller works too,
// so these hold for its pieces as well as the threads'.
TEST(OrderedWork, EachIndexOnceWithinAheadAndErrorsAtTheirIndex) {
  constexpr size_t kCount = 300, kThrows = 77;
  for (int threads : {1, 2, 3})
    for (size_t ahead : {0, 1, 4}) {
      SCOPED_TRACE("threads " + std::to_string(threads) + ", ahead " + std::to_string(ahead));
      std::vector<std::atomic<int>> runs(kCount);
      std::atomic<size_t> waitedFor{0};
      std::atomic<bool> tooFar{false}, badWorker{false};
      wb::OrderedWork work(kCount, threads, [&](size_t i, int worker) {
        if (ahead && i >= waitedFor + ahead) tooFar = true;
        if (worker < 0 || worker >= threads) badWorker = true;
        ++runs[i];
        if (i == kThrows) throw std::runtime_error("piece");
      }, ahead);
      for (size_t i = 0; i < kCount; ++i) {
        waitedFor = i;
        if (i == kThrows)
          EXPECT_THROW(work.Wait(i), std::runtime_error);
        else
          EXPECT_NO_THROW(work.Wait(i)) << i;
        EXPECT_EQ(runs[i].load(), 1) << i;
      }
      EXPECT_FALSE(tooFar);
      EXPECT_FALSE(badWorker);
    }
}

// Round after round, every piece runs once on a worker below the thread
// count, the round is over when Run returns, and a throw comes out of the
// round it happened in once the rest of that round has run.
TEST(SpinningHelpers, EachPieceOnceWithinItsRound) {
  for (int threads : {1, 2, 3}) {
    SCOPED_TRACE("threads " + std::to_string(threads));
    wb::SpinningHelpers helpers(threads);
    for (size_t count : {0, 1, 7, 500, 3}) {
      std::vector<std::atomic<int>> runs(count);
      std::atomic<bool> badWorker{false};
      helpers.Run(count, [&](size_t i, int worker) {
        if (worker < 0 || worker >= threads) badWorker = true;
        // Slow helpers: the caller runs out of pieces to take long before
        // they finish theirs.
        if (count < 10) std::this_thread::sleep_for(std::chrono::microseconds(worker ? 1000 : 100));
        ++runs[i];
      });
      for (size_t i = 0; i < count; ++i) EXPECT_EQ(runs[i].load(), 1) << count << ": " << i;
      EXPECT_FALSE(badWorker);
    }
    std::atomic<int> ran{0};
    EXPECT_THROW(helpers.Run(50, [&](size_t i, int) {
      ++ran;
      if (i == 3) throw std::runtime_error("piece");
    }), std::runtime_error);
    EXPECT_EQ(ran.load(), 50);
    EXPECT_NO_THROW(helpers.Run(2, [](size_t, int) {}));
  }
}
