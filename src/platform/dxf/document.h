// The record layer: a DXF file cut into records, each starting at a group 0
// (an entity, a table entry, SECTION, ENDSEC, ...). A record keeps pointing
// at its tags in the file buffer until it is edited; only then are its tags
// copied out. Saving copies untouched records as the bytes they were, and
// writes edited tags that kept their value as their original lines too.
#pragma once

#include <cstdint>
#include <functional>
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

struct EditedTag {
  EditedTag() = default;
  EditedTag(int c, std::string v, uint32_t o = kNone) : code(c), original(o), value(std::move(v)) {}
  // The two numbers side by side: millions of these are held at once.
  int code = 0;
  uint32_t original = kNone;  // raw tag whose lines still hold exactly this tag
  std::string value;  // file encoding
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

  size_t Size(const Record& r) const {
    return r.edit != kNone ? edits_[r.edit].size() : r.count;
  }
  TagView At(const Record& r, size_t i) const {
    if (r.edit != kNone) {
      const EditedTag& t = edits_[r.edit][i];
      return {t.code, t.value};
    }
    const RawTag& t = tokens_.tags[r.first + i];
    return {t.code, std::string_view(buffer_.data() + t.valueOffset, t.valueLength)};
  }
  std::string_view Type(const Record& r) const { return Size(r) ? Trim(At(r, 0).value) : ""; }
  // 1-based line of the group code of tag i; 0 for tags made in memory.
  int Line(const Record& r, size_t i) const {
    if (r.edit != kNone) {
      uint32_t o = edits_[r.edit][i].original;
      return o == kNone ? 0 : static_cast<int>(o) * 2 + 1;
    }
    return static_cast<int>(r.first + i) * 2 + 1;
  }
  int LineCount() const { return static_cast<int>(tokens_.tags.size() * 2); }

  // Tag i as Edit would hold it, without copying the record out.
  EditedTag Copy(const Record& r, size_t i) const {
    if (r.edit != kNone) return edits_[r.edit][i];
    const RawTag& t = tokens_.tags[r.first + i];
    return {t.code, std::string(buffer_.data() + t.valueOffset, t.valueLength),
            static_cast<uint32_t>(r.first + i)};
  }
  // The record's tags, copied out on first use; call Reindex after changes.
  std::vector<EditedTag>& Edit(uint32_t record);
  // The record's tags replaced at once, as Edit and changes to its result
  // would leave them; call Reindex after.
  void Replace(uint32_t record, std::vector<EditedTag> tags);
  // An erased record is not written; its id no longer resolves.
  void Erase(uint32_t record) {
    if (watcher_) watcher_->Changing(record);
    records[record].erased = true;
  }
  // The copied tags of an edited record (Record::edit), for undo.
  std::vector<EditedTag>& EditedTags(uint32_t edit) { return edits_[edit]; }
  void SetWatcher(RecordWatcher* watcher) { watcher_ = watcher; }
  void Reindex(uint32_t record);
  // A new record, written just before record `before` (after any record
  // added there earlier).
  uint32_t Add(std::vector<EditedTag> tags, uint32_t before, Kind kind, Section section);

  const Style& style() const { return style_; }
  std::string Serialise() const;
  // The same text handed to `write` piece by piece, so that a large drawing
  // is never held twice; stops at the first false.
  bool Serialise(const std::function<bool(std::string_view)>& write) const;

 private:
  void Emit(uint32_t record, std::string& out, size_t& spanBegin, size_t& spanEnd) const;
  // About the bytes Emit writes for the record (records added before it aside).
  size_t SizeGuess(uint32_t record) const;
  size_t RawEnd(uint32_t tag) const {
    return tag + 1 < tokens_.tags.size() ? tokens_.tags[tag + 1].lineOffset : tokens_.end;
  }

  std::string buffer_;
  size_t bodyStart_ = 0;
  Tokens tokens_;
  Style style_;
  std::vector<std::vector<EditedTag>> edits_;
  std::unordered_map<uint32_t, std::vector<uint32_t>> before_;
  RecordWatcher* watcher_ = nullptr;
};

}  // namespace wb::dxf
