// Blocks that insert blocks, themselves included, in any pattern and as
// arrays: every pick is answered within the walk's budget.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/db/block_walk.h"
#include "platform/editor/document.h"
#include "platform/editor/entity.h"
#include "platform/editor/prompts.h"

namespace {

std::string Num(int v) { return std::to_string(v); }

}  // namespace

// Input: pairs of bytes. The first byte of a pair names the block (of
// eight, by case-varied names) that gets a member, the second what member:
// a line, or a reference (array of up to 4 x 4) to another block.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  wb::editor::SetActiveDatabase(wb::db::Database::CreateEmpty());
  wb::db::Database& db = *wb::editor::ActiveDatabase();
  const char* names[8] = {"A", "B", "C", "D", "E", "F", "G", "H"};
  for (const char* name : names) db.CreateBlock(name, {0, 0, 0});
  for (size_t i = 0; i + 1 < size && i < 256; i += 2) {
    const uint8_t what = data[i + 1];
    std::string owner = names[data[i] % 8];
    if (data[i] & 0x80) owner.clear();  // model space
    if ((what & 7) == 0) {
      db.AddEntity(owner, "LINE", "0",
                   {{10, Num(what >> 3)}, {20, "0"}, {11, Num((what >> 3) + 1)}, {21, "1"}});
      continue;
    }
    std::string block = names[what & 7];
    if (what & 8) block[0] = static_cast<char>(block[0] + 32);  // another spelling
    db.AddEntity(owner, "INSERT", "0",
                 {{2, block}, {10, Num(what >> 6)}, {20, "0"}, {70, Num(1 + ((what >> 4) & 3))},
                  {71, Num(1 + (what >> 6))}, {44, "2"}, {45, "3"}});
  }
  for (auto id : db.ModelSpaceEntities())
    if (wb::editor::EntityPrimitives(id).size() > wb::db::BlockWalk::kBudget) std::abort();
  wb::editor::PickHit hit;
  for (int x : {0, 1, 5, 40}) wb::editor::PickAt({static_cast<double>(x), 0.5, 0}, 5.0, hit);
  wb::editor::SetActiveDatabase(nullptr);
  return 0;
}
