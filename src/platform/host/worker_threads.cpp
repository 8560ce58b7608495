#include "platform/host/worker_threads.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

namespace wb {
namespace {

std::atomic<int> configured{0};

int FromEnvironment() {
  const char* text = std::getenv(kJobsVariable);
  if (!text || !*text) return 0;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  return *end == 0 && value > 0 && value <= 1024 ? static_cast<int>(value) : 0;
}

// A short breath while spinning; after a while a turn for other threads,
// in case the helper's core is someone else's too.
void Breathe(int& spins) {
  if (++spins < 64) {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
    return;
  }
  std::this_thread::yield();
}

}  // namespace

int WorkerThreads() {
  if (const int n = configured.load()) return n;
  static const int fallback = [] {
    if (const int n = FromEnvironment()) return n;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores ? static_cast<int>(cores) : 1;
  }();
  return fallback;
}

void SetWorkerThreads(int threads) { configured.store(threads > 0 ? threads : 0); }

OrderedWork::OrderedWork(size_t count, int threads, Work work, size_t ahead)
    : count_(count), work_(std::move(work)), done_(count, 0), errors_(count), ahead_(ahead) {
  // The caller works too, while it waits, as the last worker: one thread
  // fewer to start, and no more threads than cores to share them.
  const size_t helpers = threads > 1 ? std::min(static_cast<size_t>(threads) - 1, count) : 0;
  caller_ = threads > 1 ? threads - 1 : 0;
  for (size_t w = 0; w < helpers; ++w) threads_.emplace_back([this, w] { Run(static_cast<int>(w)); });
}

OrderedWork::~OrderedWork() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  roomChanged_.notify_all();
  for (auto& t : threads_) t.join();
}

bool OrderedWork::Take(size_t& index) {
  if (stop_ || next_ >= count_ || (ahead_ != 0 && next_ >= released_ + ahead_)) return false;
  index = next_++;
  return true;
}

// Runs `index` without the lock and marks it done; true when the caller
// sleeps waiting for it.
bool OrderedWork::Do(std::unique_lock<std::mutex>& lock, size_t index, int worker) {
  lock.unlock();
  std::exception_ptr error;
  try {
    work_(index, worker);
  } catch (...) {
    error = std::current_exception();
  }
  lock.lock();
  done_[index] = 1;
  errors_[index] = error;
  return index == awaited_;
}

void OrderedWork::Run(int worker) {
  std::unique_lock lock(mutex_);
  for (;;) {
    size_t index;
    if (!Take(index)) {
      if (stop_ || next_ >= count_) return;
      ++held_;
      roomChanged_.wait(lock);
      --held_;
      continue;
    }
    // Only the index the caller waits for wakes it: on a busy machine every
    // needless wake-up costs it a turn of the scheduler.
    if (Do(lock, index, worker)) {
      lock.unlock();
      doneChanged_.notify_one();
      lock.lock();
    }
  }
}

void OrderedWork::Wait(size_t index) {
  if (threads_.empty()) {
    // One thread: the work runs here, in order, as a plain loop would.
    while (next_ <= index) work_(next_++, 0);
    return;
  }
  std::unique_lock lock(mutex_);
  if (index > released_) {
    released_ = index;
    if (held_ > 0) roomChanged_.notify_all();
  }
  while (!done_[index]) {
    size_t taken;
    if (Take(taken)) {
      Do(lock, taken, caller_);
      continue;
    }
    awaited_ = index;
    doneChanged_.wait(lock, [&] { return done_[index] != 0; });
    awaited_ = kNone;
  }
  if (errors_[index]) std::rethrow_exception(errors_[index]);
}

void OrderedWork::WaitAll() {
  for (size_t i = 0; i < count_; ++i) Wait(i);
}

SpinningHelpers::SpinningHelpers(int threads) {
  const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  const int helpers = std::min(threads, cores) - 1;
  for (int w = 1; w <= helpers; ++w) threads_.emplace_back([this, w] { Help(w); });
}

SpinningHelpers::~SpinningHelpers() {
  stop_.store(true, std::memory_order_relaxed);
  for (auto& t : threads_) t.join();
}

bool SpinningHelpers::Take(uint64_t& state, size_t& index, Call& call, void*& work) {
  for (;;) {
    const Round& round = rounds_[(state >> 32) & 1];
    const size_t count = round.count.load(std::memory_order_relaxed);
    call = round.call.load(std::memory_order_relaxed);
    work = round.work.load(std::memory_order_relaxed);
    const auto next = static_cast<uint32_t>(state);
    if (next >= count) return false;
    // Succeeds only while the round read above is still the current one.
    if (state_.compare_exchange_weak(state, state + 1, std::memory_order_acq_rel,
                                     std::memory_order_acquire)) {
      index = next;
      return true;
    }
  }
}

void SpinningHelpers::Do(Call call, void* work, size_t index, int worker) {
  try {
    call(work, index, worker);
  } catch (...) {
    std::lock_guard lock(errorMutex_);
    if (!error_) error_ = std::current_exception();
    failed_.store(true, std::memory_order_relaxed);
  }
  finished_.fetch_add(1, std::memory_order_release);
}

void SpinningHelpers::Help(int worker) {
  int spins = 0;
  while (!stop_.load(std::memory_order_relaxed)) {
    uint64_t state = state_.load(std::memory_order_acquire);
    size_t index;
    Call call;
    void* work;
    if (Take(state, index, call, work)) {
      Do(call, work, index, worker);
      spins = 0;
    } else {
      Breathe(spins);
    }
  }
}

void SpinningHelpers::RunRound(size_t count, Call call, void* work) {
  handedOut_ += count;
  if (threads_.empty()) {
    for (size_t i = 0; i < count; ++i) Do(call, work, i, 0);
  } else {
    const uint64_t number = (state_.load(std::memory_order_relaxed) >> 32) + 1;
    Round& round = rounds_[number & 1];
    round.count.store(count, std::memory_order_relaxed);
    round.call.store(call, std::memory_order_relaxed);
    round.work.store(work, std::memory_order_relaxed);
    state_.store(number << 32, std::memory_order_release);
    uint64_t state = number << 32;
    size_t index;
    while (Take(state, index, call, work)) Do(call, work, index, 0);
  }
  int spins = 0;
  while (finished_.load(std::memory_order_acquire) < handedOut_) Breathe(spins);
  if (!failed_.load(std::memory_order_relaxed)) return;
  std::exception_ptr error;
  {
    std::lock_guard lock(errorMutex_);
    std::swap(error, error_);
    failed_.store(false, std::memory_order_relaxed);
  }
  std::rethrow_exception(error);
}

}  // namespace wb
