// How many threads long work may use, and a way to run numbered pieces of
// work on them while the calling thread takes the results in order.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace wb {

// The environment variable both hosts read for the thread count.
inline constexpr const char* kJobsVariable = "WIREBINDER_JOBS";

// Threads for long work: what SetWorkerThreads set, else $WIREBINDER_JOBS
// when it holds a positive number, else every core. 1 means the calling
// thread alone.
int WorkerThreads();
// 0 goes back to the default.
void SetWorkerThreads(int threads);

// Runs work(index, worker) once for every index below `count`. With more
// than one thread the indices go to `threads` workers (worker = 0 ..
// threads - 1) as they become free: threads - 1 threads of their own and
// the caller, inside Wait; with one, each runs on the calling thread inside
// Wait. Either way the caller sees them done in index order.
// With `ahead` set, no index runs before the caller has waited for the one
// `ahead` places before it: results can live in a ring of `ahead` slots.
class OrderedWork {
 public:
  using Work = std::function<void(size_t index, int worker)>;
  OrderedWork(size_t count, int threads, Work work, size_t ahead = 0);
  ~OrderedWork();  // hands out no more work, waits for what runs
  OrderedWork(const OrderedWork&) = delete;
  OrderedWork& operator=(const OrderedWork&) = delete;

  // Returns once work(index) has run; rethrows what it threw. Indices
  // must be waited for in increasing order.
  void Wait(size_t index);
  // Wait for every index.
  void WaitAll();

 private:
  void Run(int worker);
  // With the lock held: the next index to run, if one may run now.
  bool Take(size_t& index);
  bool Do(std::unique_lock<std::mutex>& lock, size_t index, int worker);

  size_t count_;
  Work work_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable doneChanged_;
  std::condition_variable roomChanged_;  // for workers held back by `ahead`
  std::vector<char> done_;
  std::vector<std::exception_ptr> errors_;
  static constexpr size_t kNone = static_cast<size_t>(-1);
  size_t next_ = 0;  // next index to hand out
  size_t awaited_ = kNone;  // the index Wait sleeps for
  size_t ahead_ = 0;
  size_t released_ = 0;  // the caller is done with the indices below
  int held_ = 0;  // workers waiting for room
  int caller_ = 0;  // the caller's worker number
  bool stop_ = false;
};

// Helpers that stay awake between rounds of work too short to be worth
// waking a thread for (tens of microseconds): Run shares a round's pieces
// among them and the caller and returns when all are done. A waiting
// helper spins, so keep them only through a phase in which the caller
// hands them rounds one after another and nothing else needs the cores.
class SpinningHelpers {
 public:
  // threads - 1 helpers, at most one fewer than the cores: a spinning
  // helper must never stand in the caller's way.
  explicit SpinningHelpers(int threads);
  ~SpinningHelpers();
  SpinningHelpers(const SpinningHelpers&) = delete;
  SpinningHelpers& operator=(const SpinningHelpers&) = delete;

  // work(index, worker) for every index below `count`, the caller being
  // worker 0; rethrows the first thing a piece threw, once all are done.
  template <typename Work>
  void Run(size_t count, Work&& work) {
    using Target = std::remove_reference_t<Work>;
    RunRound(count, [](void* w, size_t index, int worker) { (*static_cast<Target*>(w))(index, worker); },
             static_cast<void*>(&work));
  }

 private:
  using Call = void (*)(void*, size_t, int);
  struct Round {
    std::atomic<size_t> count{0};
    std::atomic<Call> call{nullptr};
    std::atomic<void*> work{nullptr};
  };
  void RunRound(size_t count, Call call, void* work);
  void Help(int worker);
  // Takes the next piece of the round `state` names, or tells there is none.
  bool Take(uint64_t& state, size_t& index, Call& call, void*& work);
  void Do(Call call, void* work, size_t index, int worker);

  std::vector<std::thread> threads_;
  // The round's number (high half) and its next piece (low half): a piece
  // is taken by moving both at once, so no helper takes a piece of a round
  // that has ended. Rounds alternate between two descriptions, the one in
  // use never rewritten. Each of these on a cache line of its own: they
  // are written by different threads.
  alignas(64) std::atomic<uint64_t> state_{0};
  alignas(64) std::array<Round, 2> rounds_;
  alignas(64) std::atomic<uint64_t> finished_{0};  // pieces done, over all rounds
  alignas(64) uint64_t handedOut_ = 0;             // pieces of all rounds so far
  std::atomic<bool> stop_{false};
  std::atomic<bool> failed_{false};
  std::mutex errorMutex_;
  std::exception_ptr error_;
};

// One T for each of `threads` workers, made on that worker's first use:
// scratch space the threads must not share, and that a worker which never
// runs never allocates. Distinct workers may ask at the same time.
template <typename T>
class PerWorker {
 public:
  PerWorker(int threads, std::function<std::unique_ptr<T>()> make)
      : items_(static_cast<size_t>(threads)), make_(std::move(make)) {}
  T& operator[](int worker) {
    auto& item = items_[static_cast<size_t>(worker)];
    if (!item) item = make_();
    return *item;
  }

 private:
  std::vector<std::unique_ptr<T>> items_;
  std::function<std::unique_ptr<T>()> make_;
};

// work(index, worker) for every index below `count`, handed to the threads
// in blocks of `block` indices (each block in index order, on one thread);
// returns once all ran. For many small pieces of independent work.
template <typename Work>
void ForEachInBlocks(size_t count, size_t block, int threads, Work work) {
  OrderedWork blocks((count + block - 1) / block, threads, [&](size_t b, int worker) {
    const size_t end = count - b * block < block ? count : (b + 1) * block;
    for (size_t k = b * block; k < end; ++k) work(k, worker);
  });
  blocks.WaitAll();
}

}  // namespace wb
