// Undo and redo of the drawing database. While a step is open (one host
// command) the journal keeps, for each record the step changes, what the
// record was before: its header and, when it had been edited already, its
// copied tags. A record still pointing at the file buffer costs its header
// alone. A record the step adds was "erased" before it. Undoing a step swaps
// those images with the records as they are now, so the same images redo it.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/dxf/document.h"

namespace wb::db {

class UndoJournal : public dxf::RecordWatcher {
 public:
  explicit UndoJournal(dxf::Document& doc) : doc_(doc) {}

  // Nested Begin/End pairs join the outermost step. A step that changed
  // nothing is dropped, so it never hides the one before it.
  void Begin(std::string_view name);
  void End();
  bool open() const { return depth_ > 0; }

  // False when there is nothing to undo (or redo), or while a step is open.
  bool Undo(std::string* name) { return Move(undo_, redo_, name); }
  bool Redo(std::string* name) { return Move(redo_, undo_, name); }
  size_t undoSteps() const { return undo_.size(); }
  size_t redoSteps() const { return redo_.size(); }

  void Changing(uint32_t record) override;
  void Added(uint32_t record) override;

 private:
  struct Image {
    uint32_t record;
    dxf::Record header;
    dxf::TagList tags;
    bool ownTags = false;  // `tags` holds the copy of header.edit
  };
  struct Step {
    std::string name;
    std::vector<Image> images;
    size_t bytes = 0;  // about what the images take
  };
  // True when the record's image is to be kept now (first change in the step).
  bool Keep(uint32_t record);
  void ClearRedo();
  void Swap(Step& step);
  bool Move(std::deque<Step>& from, std::deque<Step>& to, std::string* name);

  // Deep enough for a working day; the oldest steps go first, also when the
  // images pass the memory budget (a repeated assignment of a large plant
  // keeps a copy of every element's tags per step).
  static constexpr size_t kMaxSteps = 100;
  static constexpr size_t kMaxBytes = size_t{512} << 20;

  dxf::Document& doc_;
  int depth_ = 0;
  Step open_;
  uint32_t serial_ = 0;          // of the open step
  std::vector<uint32_t> stamp_;  // per record: the step that kept its image
  std::deque<Step> undo_, redo_;
  size_t bytes_ = 0;  // of the steps on both stacks
};

}  // namespace wb::db
