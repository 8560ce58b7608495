// Blocks that insert blocks, themselves and other spellings of their names
// included: every walk keeps to its budget, a pass over the drawing to its
// pool, and every pick is answered.
// Input: byte pairs; the first names the owner (one of eight blocks, or
// model space), the second a line or a reference to a block.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/db/block_walk.h"
#include "platform/editor/document.h"
#include "platform/editor/entity.h"
#include "platform/editor/prompts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  wb::editor::SetActiveDatabase(wb::db::Database::CreateEmpty());
  wb::db::Database& db = *wb::editor::ActiveDatabase();
  const std::string names = "ABCDEFGH";
  for (char name : names) db.CreateBlock(std::string(1, name), {0, 0, 0});
  for (size_t i = 0; i + 1 < size && i < 256; i += 2) {
    const std::string owner = data[i] & 0x80 ? "" : std::string(1, names[data[i] % 8]);
    const int what = data[i + 1], x = what >> 3;
    if ((what & 7) == 0) {
      db.AddEntity(owner, "LINE", "0", {{10, std::to_string(x)}, {11, std::to_string(x + 1)}, {21, "1"}});
    } else {
      const char block = static_cast<char>(names[what & 7] + (what & 8 ? 32 : 0));  // any case
      db.AddEntity(owner, "INSERT", "0", {{2, std::string(1, block)}, {10, std::to_string(x & 7)}});
    }
  }
  // As one pass over the drawing: every walk within its budget, all of
  // them within the pass's pool.
  const auto entities = db.ModelSpaceEntities();
  wb::db::WalkPool pool(entities.size());
  size_t total = 0;
  for (auto id : entities) {
    const size_t n = wb::editor::EntityPrimitives(id, &pool).size();
    if (n > wb::db::BlockWalk::kBudget) std::abort();
    total += n;
  }
  if (total > wb::db::WalkPool::kFloor + 4 * entities.size()) std::abort();
  wb::editor::PickHit hit;
  for (double x : {0.0, 1.0, 5.0, 40.0}) wb::editor::PickAt({x, 0.5, 0}, 5.0, hit);
  wb::editor::SetActiveDatabase(nullptr);
  return 0;
}
