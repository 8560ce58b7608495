// The one guard for every walk into nested block definitions (picking,
// extents, the display list). A block that inserts itself, directly or
// through other blocks, is not entered again while it is open, and one walk
// visits at most a fixed number of entities and primitives: blocks that
// insert blocks many times over would otherwise ask for work and memory
// that grow exponentially with the depth of a small file.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/database.h"

namespace wb::db {

// A count of visited entities and primitives that runs down to zero.
class WalkBudget {
 public:
  explicit WalkBudget(size_t n) : left_(n) {}

  // False, and nothing left, once `n` is more than what is left.
  bool Spend(size_t n) {
    if (left_ < n) {
      left_ = 0;
      return false;
    }
    left_ -= n;
    return true;
  }
  void Drain() { left_ = 0; }
  bool Spent() const { return left_ == 0; }

 private:
  size_t left_;
};

// What one pass over the drawing (a pick, the display list) may unfold
// through block references in all its walks together: a small file with many
// references to such blocks would otherwise cost each pass the full budget
// of every walk. Drawings whose blocks unfold into more than a hundred times
// their model space are rare; the floor keeps a sheet full of title blocks.
class WalkPool : public WalkBudget {
 public:
  static constexpr size_t kFloor = 1000000;
  static constexpr size_t kPerModelSpaceEntity = 100;

  explicit WalkPool(size_t modelSpaceEntities)
      : WalkBudget(std::max(kFloor, kPerModelSpaceEntity * modelSpaceEntities)) {}
};

class BlockWalk {
 public:
  // Generous for any real block (a title block has thousands), small
  // enough that one walk stays within tens of megabytes.
  static constexpr size_t kBudget = 250000;
  static constexpr size_t kMaxDepth = 16;

  // A walk of a pass draws what it unfolds inside blocks also from `pool`.
  explicit BlockWalk(size_t budget = kBudget, WalkPool* pool = nullptr)
      : own_(budget), pool_(pool) {}

  // Counts `n` visited entities or primitives; false once the budget is spent.
  // Inside a block the pool pays too; when it cannot, the walk ends.
  bool Spend(size_t n = 1) {
    if (!own_.Spend(n)) return false;
    if (pool_ && !open_.empty() && !pool_->Spend(n)) {
      own_.Drain();
      return false;
    }
    return true;
  }
  bool Spent() const { return own_.Spent(); }

  // False, and nothing to Leave, when the block is already open on the
  // chain of inserts being walked, the chain is kMaxDepth long (the
  // recursion of the walkers stays shallow) or the budget is spent. Block
  // names compare without regard to ASCII case, as the drawing's do.
  bool Enter(std::string_view blockName) {
    if (open_.size() >= kMaxDepth || (pool_ && pool_->Spent()) || !Spend()) return false;
    std::string key = AsciiUpper(blockName);
    for (const std::string& open : open_)
      if (open == key) return false;
    open_.push_back(std::move(key));
    return true;
  }
  void Leave() { open_.pop_back(); }

 private:
  WalkBudget own_;
  WalkPool* pool_;
  std::vector<std::string> open_;
};

}  // namespace wb::db
