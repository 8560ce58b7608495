#include "platform/db/undo_journal.h"

#include <utility>

namespace wb::db {

void UndoJournal::Begin(std::string_view name) {
  if (depth_++ > 0) return;
  open_ = Step{std::string(name), {}};
  ++serial_;
}

void UndoJournal::End() {
  if (depth_ == 0 || --depth_ > 0) return;
  if (open_.images.empty()) return;
  ClearRedo();
  bytes_ += open_.bytes;
  undo_.push_back(std::move(open_));
  open_ = {};
  while (undo_.size() > 1 && (undo_.size() > kMaxSteps || bytes_ > kMaxBytes)) {
    bytes_ -= undo_.front().bytes;
    undo_.pop_front();
  }
}

void UndoJournal::ClearRedo() {
  for (const Step& step : redo_) bytes_ -= step.bytes;
  redo_.clear();
}

bool UndoJournal::Keep(uint32_t record) {
  if (depth_ == 0) {
    // A change outside any step: redoing would overwrite it.
    ClearRedo();
    return false;
  }
  if (stamp_.size() <= record) stamp_.resize(doc_.records.size() + 1024, 0);
  if (stamp_[record] == serial_) return false;
  stamp_[record] = serial_;
  return true;
}

void UndoJournal::Changing(uint32_t record) {
  if (!Keep(record)) return;
  Image image{record, doc_.records[record], {}, false};
  if (image.header.edit != dxf::kNone) {
    image.tags = doc_.EditedTags(image.header.edit);
    image.ownTags = true;
  }
  open_.bytes += sizeof(Image) + image.tags.Bytes();
  open_.images.push_back(std::move(image));
}

void UndoJournal::Added(uint32_t record) {
  if (!Keep(record)) return;
  Image image{record, doc_.records[record], {}, false};
  image.header.erased = true;
  open_.bytes += sizeof(Image);
  open_.images.push_back(std::move(image));
}

void UndoJournal::Swap(Step& step) {
  for (Image& image : step.images) {
    dxf::Record& now = doc_.records[image.record];
    std::swap(now, image.header);
    // Both headers name the same tag list; only its contents change hands.
    if (image.ownTags) std::swap(doc_.EditedTags(now.edit), image.tags);
  }
}

// Undo and redo are the same swap, between the two stacks.
bool UndoJournal::Move(std::deque<Step>& from, std::deque<Step>& to, std::string* name) {
  if (depth_ > 0 || from.empty()) return false;
  Step step = std::move(from.back());
  from.pop_back();
  Swap(step);
  if (name) *name = step.name;
  to.push_back(std::move(step));
  return true;
}

}  // namespace wb::db
