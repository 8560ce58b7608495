// The record layer: a DXF file cut into records, each starting at a group 0
// (an entity, a table entry, SECTION, ENDSEC, ...). A record points at its
// tags in the file buffer until it is edited; then it gets a tag list of its
// own, whose tags that kept their value still point there. Saving copies
// untouched records as the bytes they were, and writes edited tags that
// kept their value as their original lines too.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/dxf/tags.h"

namespace wb::dxf {

enum class Section : uint8_t { kNone, kHeader, kClasses, kTables, kBlocks, kEntities, kObjects, kOther };

enum class Kind : uint8_t {
  kPrefix,  // comments before the first SECTION
  kSectionBegin,
  kSectionEnd,
  kTableHead,
  kTableEnd,
  kTableEntry,
  kBlockBegin,
  kBlockEnd,
  kEntity,
  kSubEntity,  // ATTRIB, VERTEX, SEQEND: belong to the entity before them
  kObject,
  kEof,
};

struct TagView {
  int code;
  std::string_view value;  // as in the file (file encoding)
};

// The tags of a record that was edited or made in memory. A tag the file
// still holds as it was keeps only its place there (`original`); any other
// keeps its value in the list's one text buffer. A record with hundreds of
// tags of cable data costs two allocations, not one a tag.
class TagList {
 public:
  TagList() = default;
  TagList(std::initializer_list<std::pair<int, std::string_view>> tags) {
    for (const auto& [code, value] : tags) Append(code, value);
  }

  size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  int code(size_t i) const { return items_[i].code; }
  // Raw tag whose lines still hold exactly tag i; kNone for one made here.
  uint32_t original(size_t i) const { return items_[i].original; }
  // Value of a tag made here (original(i) == kNone), in the file encoding.
  std::string_view text(size_t i) const { return {text_.data() + items_[i].offset, items_[i].length}; }

  void Reserve(size_t tags) { items_.reserve(tags); }
  void Append(int code, std::string_view value) { Insert(items_.size(), code, value); }
  void AppendOriginal(int code, uint32_t original) { items_.push_back({code, original, 0, 0}); }
  // Tag i of `from`, as it stands there.
  void AppendFrom(const TagList& from, size_t i) {
    if (from.original(i) != kNone) AppendOriginal(from.code(i), from.original(i));
    else Append(from.code(i), from.text(i));
  }
  void Insert(size_t at, int code, std::string_view value);
  void Set(size_t i, int code, std::string_view value);
  // Tags [begin, end) replaced by those of `with`.
  void Replace(size_t begin, size_t end, const TagList& with);
  void Erase(size_t begin, size_t end) { Replace(begin, end, {}); }
  // About the memory the list holds.
  size_t Bytes() const { return items_.capacity() * sizeof(Item) + text_.capacity(); }

 private:
  struct Item {
    int32_t code;
    uint32_t original;
    uint32_t offset, length;  // in text_, when original is kNone
  };
  // Values replaced or erased leave their bytes behind until they are as
  // many as the live ones.
  void Forget(const Item& item);
  void Compact();

  std::vector<Item> items_;
  std::string text_;
  size_t dead_ = 0;  // bytes of text_ no item uses
};

struct Record {
  uint32_t first = kNone;  // first raw tag; kNone for records made in memory
  uint32_t count = 0;
  uint32_t edit = kNone;   // index of the edited copy of the tags
  uint32_t xdata = 0;      // index of the first 1001 tag, or the tag count
  uint64_t id = 0;         // handle, or an id given in memory
  int32_t container = -1;  // block definition of a block member
  Kind kind = Kind::kObject;
  Section section = Section::kNone;
  bool erased = false;
  bool handleInFile = false;
};

// Told before a record changes (its tags or its erased flag) and after a
// record is added, so that undo can keep what the record was.
class RecordWatcher {
 public:
  virtual ~RecordWatcher() = default;
  virtual void Changing(uint32_t record) = 0;
  virtual void Added(uint32_t record) = 0;
};

class Document {
 public:
  // Tokenizes and cuts into records; section/kind are left for the caller.
  bool Load(std::string buffer, ParseError* error);

  std::vector<Record> records;

  size_t Size(const Record& r) const { return r.edit != kNone ? edits_[r.edit].size() : r.count; }
  TagView At(const Record& r, size_t i) const {
    if (r.edit != kNone) return At(edits_[r.edit], i);
    return Raw(r.first + static_cast<uint32_t>(i));
  }
  TagView At(const TagList& tags, size_t i) const {
    const uint32_t o = tags.original(i);
    return o != kNone ? Raw(o) : TagView{tags.code(i), tags.text(i)};
  }
  std::string_view Type(const Record& r) const { return Size(r) ? Trim(At(r, 0).value) : ""; }
  // 1-based line of the group code of tag i; 0 for tags made in memory.
  int Line(const Record& r, size_t i) const {
    const uint32_t o = r.edit != kNone ? edits_[r.edit].original(i) : r.first + static_cast<uint32_t>(i);
    return o == kNone ? 0 : static_cast<int>(o) * 2 + 1;
  }
  int LineCount() const { return static_cast<int>(tokens_.tags.size() * 2); }

  // Tag i of the record onto `into`, its place in the file kept.
  void CopyTag(const Record& r, size_t i, TagList& into) const {
    if (r.edit != kNone) into.AppendFrom(edits_[r.edit], i);
    else into.AppendOriginal(tokens_.tags[r.first + i].code, r.first + static_cast<uint32_t>(i));
  }
  // The record's tags as a list of their own, as Edit would copy them out.
  TagList Tags(const Record& r) const;
  // The record's tags, copied out on first use; call Reindex after changes.
  TagList& Edit(uint32_t record);
  // The record's tags replaced at once, as Edit and changes to its result
  // would leave them; call Reindex after.
  void Replace(uint32_t record, TagList tags);
  // An erased record is not written; its id no longer resolves.
  void Erase(uint32_t record) {
    if (watcher_) watcher_->Changing(record);
    records[record].erased = true;
  }
  // The copied tags of an edited record (Record::edit), for undo.
  TagList& EditedTags(uint32_t edit) { return edits_[edit]; }
  void SetWatcher(RecordWatcher* watcher) { watcher_ = watcher; }
  void Reindex(uint32_t record);
  // A new record, written just before record `before` (after any record
  // added there earlier).
  uint32_t Add(TagList tags, uint32_t before, Kind kind, Section section);

  const Style& style() const { return style_; }
  std::string Serialise() const;
  // The same text handed to `write` piece by piece, so that a large drawing
  // is never held twice; stops at the first false.
  bool Serialise(const std::function<bool(std::string_view)>& write) const;

 private:
  void Emit(uint32_t record, std::string& out, size_t& spanBegin, size_t& spanEnd) const;
  // About the bytes Emit writes for the record (records added before it aside).
  size_t SizeGuess(uint32_t record) const;
  TagView Raw(uint32_t tag) const {
    const RawTag& t = tokens_.tags[tag];
    return {t.code, std::string_view(buffer_.data() + t.valueOffset, t.valueLength)};
  }
  size_t RawEnd(uint32_t tag) const {
    return tag + 1 < tokens_.tags.size() ? tokens_.tags[tag + 1].lineOffset : tokens_.end;
  }

  std::string buffer_;
  size_t bodyStart_ = 0;
  Tokens tokens_;
  Style style_;
  std::vector<TagList> edits_;
  std::unordered_map<uint32_t, std::vector<uint32_t>> before_;
  RecordWatcher* watcher_ = nullptr;
};

}  // namespace wb::dxf
