#include "platform/host/worker_threads.h"

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

}  // namespace wb
