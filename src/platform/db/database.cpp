#include "platform/db/database.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "platform/db/undo_journal.h"
#include "platform/dxf/codec.h"
#include "platform/dxf/document.h"
#include "platform/fs/file_system.h"
#include "platform/text/codepage.h"

namespace wb::db {

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

namespace {

using dxf::Kind;
using dxf::kNone;
using dxf::Record;
using dxf::Section;
using dxf::TagList;
using dxf::TagView;
using dxf::Trim;

constexpr size_t kNpos = static_cast<size_t>(-1);
constexpr uint64_t kLastId = ~uint64_t{0};

// The file layer names the path first; an Error keeps it apart.
std::string Reason(const std::string& message, const std::string& path) {
  return message.compare(0, path.size() + 2, path + ": ") == 0 ? message.substr(path.size() + 2)
                                                               : message;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

std::optional<uint64_t> ParseHex(std::string_view text) {
  text = Trim(text);
  if (text.empty() || text.size() > 16) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else return std::nullopt;
    value = value * 16 + static_cast<uint64_t>(d);
  }
  return value;
}

std::string Hex(uint64_t value) {
  char buf[20];
  auto r = std::to_chars(buf, buf + sizeof buf, value, 16);
  std::string out(buf, r.ptr);
  for (char& c : out)
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 32);
  return out;
}

double ToDouble(std::string_view text, double fallback) {
  text = Trim(text);
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  double value = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  return r.ec == std::errc() ? value : fallback;
}

int ToInt(std::string_view text, int fallback) {
  text = Trim(text);
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  int value = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  return r.ec == std::errc() ? value : fallback;
}

// Shortest text that reads back as the same double, always with a point.
std::string FormatDouble(double value) {
  if (!std::isfinite(value)) value = 0;
  char buf[40];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  std::string out(buf, r.ptr);
  if (out.find_first_of(".e") == std::string::npos) out += ".0";
  return out;
}

// Values are one line each in the file.
std::string OneLine(std::string value) {
  // Looked for before anything is written: this runs over every text put in.
  if (!std::memchr(value.data(), '\n', value.size()) && !std::memchr(value.data(), '\r', value.size()))
    return value;
  for (char& c : value)
    if (c == '\n' || c == '\r') c = ' ';
  return value;
}

bool IsSubEntityType(std::string_view type) {
  return type == "ATTRIB" || type == "VERTEX" || type == "SEQEND";
}

// Groups that belong to the common entity part (AcDbEntity subclass).
bool IsCommonEntityCode(int code) {
  switch (code) {
    case 6: case 8: case 48: case 60: case 62: case 67: case 284: case 347: case 348:
    case 370: case 380: case 390: case 420: case 430: case 440:
      return true;
    default:
      return false;
  }
}

int SectionRank(std::string_view name) {
  static const char* const kOrder[] = {"HEADER", "CLASSES", "TABLES", "BLOCKS", "ENTITIES", "OBJECTS"};
  for (int i = 0; i < 6; ++i)
    if (name == kOrder[i]) return i;
  return 6;
}

Section SectionOf(std::string_view name) {
  if (name == "HEADER") return Section::kHeader;
  if (name == "CLASSES") return Section::kClasses;
  if (name == "TABLES") return Section::kTables;
  if (name == "BLOCKS") return Section::kBlocks;
  if (name == "ENTITIES") return Section::kEntities;
  if (name == "OBJECTS") return Section::kObjects;
  return Section::kOther;
}

struct SectionInfo {
  std::string name;
  uint32_t begin = kNone, end = kNone;
};

struct Table {
  std::string name;
  uint32_t head = kNone, end = kNone;
  std::vector<uint32_t> entries;
};

struct Block {
  uint32_t begin = kNone, end = kNone;
  std::vector<uint32_t> members;
};

class DxfDatabase final : public Database {
 public:
  explicit DxfDatabase(std::string fileName) : fileName_(std::move(fileName)) { doc_.SetWatcher(&journal_); }

  bool Load(std::string contents, dxf::ParseError* error) {
    return doc_.Load(std::move(contents), error) && Build(error);
  }

  bool Save(const std::string& path, Error* error) const override {
    std::string message;
    auto produce = [&](const fs::ContentWriter& write) { return doc_.Serialise(write); };
    if (fs::WriteFileAtomically(path, produce, &message)) return true;
    if (error) *error = {path, 0, Reason(message, path)};
    return false;
  }
  std::string SaveToString() const override { return doc_.Serialise(); }
  const std::string& FileName() const override { return fileName_; }
  void SetFileName(std::string name) override { fileName_ = std::move(name); }

  std::string Version() const override { return version_; }

  std::optional<std::string> HeaderValue(std::string_view variable) const override {
    if (!Alive(header_)) return std::nullopt;
    size_t i = FindHeaderVariable(variable);
    if (i == kNpos) return std::nullopt;
    const Record& r = doc_.records[header_];
    if (i + 1 >= doc_.Size(r) || doc_.At(r, i + 1).code == 9 || doc_.At(r, i + 1).code == 0)
      return std::nullopt;
    return codec_.Decode(doc_.At(r, i + 1).value);
  }

  void SetHeaderValue(std::string_view variable, int code, std::string value) override {
    if (code <= 0 || code == 9 || code > 1071 || variable.empty()) return;
    if (!Alive(header_)) EnsureSection("HEADER");
    size_t i = FindHeaderVariable(variable);
    auto& tags = doc_.Edit(header_);
    std::string raw = codec_.Encode(OneLine(std::move(value)));
    if (i == kNpos) {
      tags.Append(9, OneLine(std::string(variable)));
      tags.Append(code, raw);
    } else if (i + 1 < tags.size() && tags.code(i + 1) != 9) {
      if (tags.code(i + 1) != code || doc_.At(tags, i + 1).value != raw) tags.Set(i + 1, code, raw);
    } else {
      tags.Insert(i + 1, code, raw);
    }
    doc_.Reindex(header_);
  }

  void RemoveHeaderValue(std::string_view variable) override {
    if (!Alive(header_) || FindHeaderVariable(variable) == kNpos) return;
    size_t i = FindHeaderVariable(variable);
    auto& tags = doc_.Edit(header_);
    size_t end = i + 1;
    while (end < tags.size() && tags.code(end) != 9 && tags.code(end) != 0) ++end;
    tags.Erase(i, end);
    doc_.Reindex(header_);
  }

  std::vector<ObjectId> ModelSpaceEntities() const override {
    if (!modelSpaceValid_) {
      modelSpace_.clear();
      modelSpace_.reserve(entities_.size());
      for (uint32_t index : entities_) {
        const Record& r = doc_.records[index];
        if (r.erased || r.kind != Kind::kEntity || IsPaperSpace(r)) continue;
        modelSpace_.push_back({r.id});
      }
      modelSpaceValid_ = true;
    }
    return modelSpace_;
  }

  std::vector<ObjectId> BlockEntities(std::string_view blockName) const override {
    std::vector<ObjectId> out;
    const Block* block = FindBlock(blockName);
    if (!block) return out;
    out.reserve(block->members.size());
    for (uint32_t index : block->members) {
      const Record& r = doc_.records[index];
      if (!r.erased && r.kind == Kind::kEntity) out.push_back({r.id});
    }
    return out;
  }

  bool HasBlock(std::string_view blockName) const override { return FindBlock(blockName) != nullptr; }

  Point3 BlockBasePoint(std::string_view blockName) const override {
    const Block* block = FindBlock(blockName);
    if (!block) return {};
    return PointOf(doc_.records[block->begin], 10).value_or(Point3{});
  }

  bool CreateBlock(std::string_view blockName, Point3 base) override {
    std::string name = OneLine(std::string(blockName));
    if (name.empty() || FindBlock(name) || !Reserve(5)) return false;
    const std::string raw = codec_.Encode(name);
    std::string recordHandle;
    if (modern_) {
      Table& table = EnsureTable("BLOCK_RECORD");
      uint64_t id = NewId();
      TagList tags = {{0, "BLOCK_RECORD"}};
      AppendCommon(tags, id, HandleOf(table.head));
      tags.Append(100, "AcDbSymbolTableRecord");
      tags.Append(100, "AcDbBlockTableRecord");
      tags.Append(2, raw);
      tags.Append(70, "0");
      tags.Append(280, "1");
      tags.Append(281, "0");
      uint32_t index = AddRecord(std::move(tags), table.end, Kind::kTableEntry, Section::kTables, id);
      table.entries.push_back(index);
      BumpTableCount(table);
      blockRecords_[AsciiUpper(name)] = id;
      recordHandle = Hex(id);
    }
    SectionInfo blocks = EnsureSection("BLOCKS");
    Block block;
    {
      uint64_t id = NewId();
      TagList tags = {{0, "BLOCK"}};
      AppendCommon(tags, id, recordHandle);
      if (modern_) tags.Append(100, "AcDbEntity");
      tags.Append(8, "0");
      if (modern_) tags.Append(100, "AcDbBlockBegin");
      tags.Append(2, raw);
      tags.Append(70, "0");
      tags.Append(10, FormatDouble(base.x));
      tags.Append(20, FormatDouble(base.y));
      tags.Append(30, FormatDouble(base.z));
      tags.Append(3, raw);
      if (modern_) tags.Append(1, "");
      block.begin = AddRecord(std::move(tags), blocks.end, Kind::kBlockBegin, Section::kBlocks, id);
    }
    {
      uint64_t id = NewId();
      TagList tags = {{0, "ENDBLK"}};
      AppendCommon(tags, id, recordHandle);
      if (modern_) tags.Append(100, "AcDbEntity");
      tags.Append(8, "0");
      if (modern_) tags.Append(100, "AcDbBlockEnd");
      block.end = AddRecord(std::move(tags), blocks.end, Kind::kBlockEnd, Section::kBlocks, id);
    }
    blockIndex_[AsciiUpper(name)] = static_cast<uint32_t>(blocks_.size());
    blocks_.push_back(std::move(block));
    return true;
  }

  bool IsAlive(ObjectId id) const override { return Find(id) != nullptr; }

  std::string EntityType(ObjectId id) const override {
    const Record* r = Find(id);
    return r ? std::string(doc_.Type(*r)) : std::string();
  }

  std::optional<std::string> Group(ObjectId id, int code) const override {
    const Record* r = Find(id);
    if (!r) return std::nullopt;
    if (code == 0) return std::string(doc_.Type(*r));
    size_t i = FindOwn(*r, code);
    if (i == kNpos) return std::nullopt;
    return codec_.Decode(doc_.At(*r, i).value);
  }

  void SetGroup(ObjectId id, int code, std::string value) override {
    uint32_t index = IndexOf(id);
    if (index == kNone || !MayEdit(doc_.records[index], code)) return;
    value = OneLine(std::move(value));
    if (code == 8 && IsEntityKind(doc_.records[index].kind) && !HasLayer(value)) {
      CreateLayer(value, 7);
      if (!HasLayer(value)) return;  // no handle left for it
    }
    const Record& r = doc_.records[index];
    size_t i = FindOwn(r, code);
    if (i != kNpos && codec_.Decode(doc_.At(r, i).value) == value) return;
    std::string raw = codec_.Encode(value);
    size_t at = i == kNpos ? InsertPosition(r, code) : i;
    auto& tags = doc_.Edit(index);
    if (i != kNpos)
      tags.Set(i, code, raw);
    else
      tags.Insert(at, code, raw);
    doc_.Reindex(index);
    if (code == 67 || code == 330) modelSpaceValid_ = false;
  }

  void RemoveGroup(ObjectId id, int code) override {
    uint32_t index = IndexOf(id);
    if (index == kNone || !MayEdit(doc_.records[index], code)) return;
    size_t i = FindOwn(doc_.records[index], code);
    if (i == kNpos) return;
    doc_.Edit(index).Erase(i, i + 1);
    doc_.Reindex(index);
    if (code == 67 || code == 330) modelSpaceValid_ = false;
  }

  std::vector<Tag> Groups(ObjectId id) const override {
    std::vector<Tag> out;
    const Record* r = Find(id);
    if (!r) return out;
    out.reserve(r->xdata);
    int depth = 0;
    for (size_t i = 1; i < r->xdata; ++i) {
      TagView t = doc_.At(*r, i);
      if (t.code == 102) {
        std::string_view v = Trim(t.value);
        if (!v.empty() && v[0] == '{') ++depth;
        else if (v == "}" && depth > 0) --depth;
        continue;
      }
      if (depth == 0) out.push_back({t.code, codec_.Decode(t.value)});
    }
    return out;
  }

  std::vector<ObjectId> SubEntities(ObjectId id) const override {
    std::vector<ObjectId> out;
    uint32_t index = IndexOf(id);
    if (index == kNone || doc_.records[index].kind != Kind::kEntity) return out;
    for (uint32_t k = index + 1; k < doc_.records.size(); ++k) {
      const Record& child = doc_.records[k];
      if (child.kind != Kind::kSubEntity) break;
      if (child.erased) continue;
      if (doc_.Type(child) == "SEQEND") break;
      out.push_back({child.id});
    }
    return out;
  }

  ObjectId LayerId(std::string_view name) const override {
    auto it = layers_.find(AsciiUpper(name));
    if (it == layers_.end() || doc_.records[it->second].erased) return {};
    return {doc_.records[it->second].id};
  }

  // A draft reads the record in place until a change copies it out.
  bool HasXData(ObjectId id, std::string_view app) const override {
    const uint32_t index = IndexOf(id);
    return index != kNone && Draft(*this, index).FindApp(codec_.Encode(app)).first != kNpos;
  }

  std::vector<Tag> XData(ObjectId id, std::string_view app) const override {
    const uint32_t index = IndexOf(id);
    return index == kNone ? std::vector<Tag>{} : Draft(*this, index).XData(app);
  }

  void SetXData(ObjectId id, std::string_view app, std::vector<Tag> items) override {
    const uint32_t index = IndexOf(id);
    if (index == kNone) return;
    Draft draft(*this, index);
    draft.SetXData(app, std::move(items));
    Put(draft);
  }

  std::unique_ptr<XDataDraft> DraftXData(ObjectId id) const override {
    const uint32_t index = IndexOf(id);
    if (index == kNone) return nullptr;
    return std::make_unique<Draft>(*this, index);
  }

  void Apply(std::unique_ptr<XDataDraft> draft) override {
    if (auto* mine = dynamic_cast<Draft*>(draft.get()); mine && &mine->db_ == this) Put(*mine);
  }

  size_t StoredSize(std::string_view text) const override {
    return codec_.codePage() == 65001 ? text.size() : codec_.Encode(text).size();
  }

  std::vector<std::string> TableEntryNames(std::string_view table) const override {
    std::vector<std::string> names;
    const std::string type = AsciiUpper(std::string(table));
    auto it = tableIndex_.find(type);
    if (it == tableIndex_.end()) return names;
    for (uint32_t index : tables_[it->second].entries) {
      const Record& r = doc_.records[index];
      if (r.erased || AsciiUpper(std::string(Trim(doc_.Type(r)))) != type) continue;
      size_t i = FindOwn(r, 2);
      if (i != kNpos) names.push_back(codec_.Decode(doc_.At(r, i).value));
    }
    return names;
  }

  std::vector<std::string> LayerNames() const override {
    std::vector<std::string> names;
    auto it = tableIndex_.find("LAYER");
    if (it == tableIndex_.end()) return names;
    for (uint32_t index : tables_[it->second].entries) {
      const Record& r = doc_.records[index];
      if (r.erased || doc_.Type(r) != "LAYER") continue;
      size_t i = FindOwn(r, 2);
      if (i != kNpos) names.push_back(codec_.Decode(doc_.At(r, i).value));
    }
    return names;
  }

  bool HasLayer(std::string_view name) const override { return !LayerId(name).isNull(); }

  void CreateLayer(std::string_view layerName, int color) override {
    std::string name = OneLine(std::string(layerName));
    if (name.empty() || HasLayer(name) || !Reserve(2)) return;
    Table& table = EnsureTable("LAYER");
    uint64_t id = NewId();
    TagList tags = {{0, "LAYER"}};
    AppendCommon(tags, id, HandleOf(table.head));
    if (modern_) {
      tags.Append(100, "AcDbSymbolTableRecord");
      tags.Append(100, "AcDbLayerTableRecord");
    }
    tags.Append(2, codec_.Encode(name));
    tags.Append(70, "0");
    tags.Append(62, std::to_string(color));
    if (std::string linetype = ContinuousLinetype(); !linetype.empty()) tags.Append(6, linetype);
    if (modern_) tags.Append(370, "-3");
    uint32_t index = AddRecord(std::move(tags), table.end, Kind::kTableEntry, Section::kTables, id);
    table.entries.push_back(index);
    BumpTableCount(table);
    layers_[AsciiUpper(name)] = index;
  }

  bool IsLayerLocked(std::string_view name) const override {
    auto it = layers_.find(AsciiUpper(name));
    if (it == layers_.end() || !Alive(it->second)) return false;
    const Record& r = doc_.records[it->second];
    size_t i = FindOwn(r, 70);
    return i != kNpos && (ToInt(doc_.At(r, i).value, 0) & 4) != 0;
  }

  void SetLayerLocked(std::string_view name, bool locked) override {
    auto it = layers_.find(AsciiUpper(name));
    if (it == layers_.end() || !Alive(it->second)) return;
    const Record& r = doc_.records[it->second];
    size_t i = FindOwn(r, 70);
    int flags = i == kNpos ? 0 : ToInt(doc_.At(r, i).value, 0);
    int updated = locked ? (flags | 4) : (flags & ~4);
    if (i != kNpos && updated == flags) return;
    SetGroup({r.id}, 70, std::to_string(updated));
  }

  ObjectId AddEntity(std::string_view ownerBlock, std::string_view entityType, std::string_view layerName,
                     std::vector<Tag> tags) override {
    std::string type = AsciiUpper(OneLine(std::string(Trim(entityType))));
    if (type.empty() || type == "SECTION" || type == "ENDSEC" || type == "EOF" || type == "BLOCK" ||
        type == "ENDBLK" || type == "TABLE" || type == "ENDTAB")
      return {};
    uint32_t anchor;
    int32_t container = -1;
    std::string owner;
    if (ownerBlock.empty()) {
      anchor = EnsureSection("ENTITIES").end;
      owner = BlockRecordHandle("*Model_Space");
    } else {
      auto it = blockIndex_.find(AsciiUpper(ownerBlock));
      if (it == blockIndex_.end()) return {};
      container = static_cast<int32_t>(it->second);
      anchor = blocks_[it->second].end;
      owner = BlockRecordHandle(ownerBlock);
    }
    std::string layer = OneLine(std::string(layerName));
    if (layer.empty()) layer = "0";
    // The entity, its layer and the application ids of its xdata, each
    // with a table to hold it.
    size_t records = 3;
    for (const Tag& tag : tags) records += tag.code == 1001 ? 2 : 0;
    if (!Reserve(records)) return {};
    if (!HasLayer(layer)) CreateLayer(layer, 7);

    uint64_t id = NewId();
    TagList out = {{0, type}};
    AppendCommon(out, id, owner);
    if (modern_) out.Append(100, "AcDbEntity");
    out.Append(8, codec_.Encode(layer));
    for (Tag& tag : tags) {
      if (tag.code <= 0 || tag.code == 5 || tag.code > 1071) continue;
      if (!modern_ && (tag.code == 100 || tag.code == 330 || tag.code == 102)) continue;
      out.Append(tag.code, codec_.Encode(OneLine(std::move(tag.value))));
    }
    for (size_t i = 0; i < out.size(); ++i)
      if (out.code(i) == 1001 && !HasAppId(codec_.Decode(out.text(i))))
        RegisterApp(codec_.Decode(out.text(i)));
    Section section = container < 0 ? Section::kEntities : Section::kBlocks;
    uint32_t index = AddRecord(std::move(out), anchor, Kind::kEntity, section, id);
    doc_.records[index].container = container;
    if (container < 0) {
      entities_.push_back(index);
      modelSpaceValid_ = false;
    } else {
      blocks_[container].members.push_back(index);
    }
    return {id};
  }

  std::string TakeRefusal() override { return std::exchange(refusal_, {}); }

  void Erase(ObjectId id) override {
    uint32_t index = IndexOf(id);
    if (index == kNone || doc_.records[index].kind != Kind::kEntity) return;
    doc_.Erase(index);
    // Attributes and vertices go with their INSERT or POLYLINE.
    if (doc_.records[index].first != kNone) {
      for (uint32_t k = index + 1; k < doc_.records.size(); ++k) {
        const Record& child = doc_.records[k];
        if (child.first == kNone || child.kind != Kind::kSubEntity) break;
        doc_.Erase(k);
        if (doc_.Type(child) == "SEQEND") break;
      }
    }
    modelSpaceValid_ = false;
  }

  void BeginUndoStep(std::string_view name) override { journal_.Begin(name); }
  void EndUndoStep() override { journal_.End(); }
  bool Undo(std::string* name) override { return Moved(journal_.Undo(name)); }
  bool Redo(std::string* name) override { return Moved(journal_.Redo(name)); }
  size_t UndoSteps() const override { return journal_.undoSteps(); }
  size_t RedoSteps() const override { return journal_.redoSteps(); }

 private:
  // The tags of one record as a run of SetXData calls would leave them,
  // copied out of the drawing only once a call changes something.
  class Draft final : public XDataDraft {
   public:
    Draft(const DxfDatabase& db, uint32_t index) : db_(db), index_(index) {}

    std::vector<Tag> XData(std::string_view app) const override {
      std::vector<Tag> items;
      auto [begin, end] = FindApp(db_.codec_.Encode(app));
      if (begin == kNpos) return items;
      items.reserve(end - begin - 1);
      for (size_t i = begin + 1; i < end; ++i) {
        TagView t = At(i);
        items.push_back({t.code, db_.codec_.Decode(t.value)});
      }
      return items;
    }

    void SetXData(std::string_view app, std::vector<Tag> items) override {
      if (app.empty()) return;
      const std::string name = OneLine(std::string(app));
      const std::string rawName = db_.codec_.Encode(name);
      auto [begin, end] = FindApp(rawName);
      TagList block;
      bool same = begin != kNpos;
      for (Tag& item : items) {
        // Only xdata groups; a 1001 would start another application's data.
        if (item.code < 1000 || item.code > 1071 || item.code == 1001) continue;
        if (block.empty()) {
          // The name keeps its bytes when the application's data is there.
          if (begin != kNpos) CopyTo(block, begin);
          else block.Append(1001, rawName);
        }
        item.value = OneLine(std::move(item.value));
        // An item equal to the one already in its place keeps its bytes.
        const size_t at = begin + block.size();
        if (begin != kNpos && at < end) {
          TagView old = At(at);
          if (old.code == item.code && db_.codec_.DecodesTo(old.value, item.value)) {
            CopyTo(block, at);
            continue;
          }
        }
        same = false;
        block.Append(item.code, db_.codec_.Encode(std::move(item.value)));
      }
      if (same && end - begin == block.size()) return;
      if (begin == kNpos && block.empty()) return;
      // The application is registered when the draft goes in; should that
      // be refused, the draft goes in as it was before this call.
      if (!block.empty() && !db_.HasAppId(name) && !unregistered_) {
        unregistered_ = name;
        beforeUnregistered_ = changed_ ? tags_ : TagList{};
        changedBeforeUnregistered_ = changed_;
      }
      CopyOut();
      changed_ = true;
      if (begin == kNpos) begin = end = tags_.size();
      tags_.Replace(begin, end, block);
    }

   private:
    friend class DxfDatabase;
    const Record& record() const { return db_.doc_.records[index_]; }
    size_t Size() const { return copied_ ? tags_.size() : db_.doc_.Size(record()); }
    TagView At(size_t i) const { return copied_ ? db_.doc_.At(tags_, i) : db_.doc_.At(record(), i); }
    // Tag i as it stands now, its place in the file kept.
    void CopyTo(TagList& into, size_t i) const {
      if (copied_) into.AppendFrom(tags_, i);
      else db_.doc_.CopyTag(record(), i, into);
    }
    void CopyOut() {
      if (copied_) return;
      tags_ = db_.doc_.Tags(record());
      copied_ = true;
    }
    // Tag range [begin, end) of one application's xdata, the 1001 included.
    std::pair<size_t, size_t> FindApp(std::string_view rawName) const {
      const size_t n = Size();
      size_t i = copied_ ? 1 : record().xdata;
      if (copied_)
        while (i < n && tags_.code(i) != 1001) ++i;
      for (; i < n; ++i) {
        TagView t = At(i);
        if (t.code != 1001 || !EqualsNoCase(Trim(t.value), rawName)) continue;
        size_t end = i + 1;
        while (end < n && At(end).code != 1001) ++end;
        return {i, end};
      }
      return {kNpos, kNpos};
    }

    const DxfDatabase& db_;
    const uint32_t index_;
    bool copied_ = false, changed_ = false;
    TagList tags_;
    std::optional<std::string> unregistered_;
    TagList beforeUnregistered_;
    bool changedBeforeUnregistered_ = false;
  };

  // Puts a draft's tags in place of its record's.
  void Put(Draft& draft) {
    if (draft.unregistered_ && !HasAppId(*draft.unregistered_)) {
      if (Reserve(2)) {
        RegisterApp(*draft.unregistered_);
      } else {
        draft.changed_ = draft.changedBeforeUnregistered_;
        draft.tags_ = std::move(draft.beforeUnregistered_);
      }
    }
    if (!draft.changed_) return;
    if (doc_.records[draft.index_].erased) return;
    doc_.Replace(draft.index_, std::move(draft.tags_));
    doc_.Reindex(draft.index_);
  }

  bool Build(dxf::ParseError* error);
  // Undo leaves every index in place: a record a step added is erased
  // again, so lookups by name check that the record they find is alive.
  bool Alive(uint32_t index) const { return index != kNone && !doc_.records[index].erased; }
  bool HasAppId(std::string_view name) const {
    auto it = appids_.find(AsciiUpper(name));
    return it != appids_.end() && Alive(it->second);
  }
  bool Moved(bool done) {
    if (done) modelSpaceValid_ = false;
    return done;
  }
  // `tag` > 0 points at a value that is wrong: the line of that value.
  bool Fail(dxf::ParseError* error, const Record& r, size_t tag, std::string message) {
    error->line = doc_.Line(r, tag) + (tag > 0 ? 1 : 0);
    error->message = std::move(message);
    return false;
  }

  static bool IsEntityKind(Kind kind) {
    return kind == Kind::kEntity || kind == Kind::kSubEntity || kind == Kind::kBlockBegin ||
           kind == Kind::kBlockEnd;
  }

  const Record* Find(ObjectId id) const {
    auto it = byId_.find(id.handle);
    if (it == byId_.end()) return nullptr;
    const Record& r = doc_.records[it->second];
    return r.erased ? nullptr : &r;
  }
  uint32_t IndexOf(ObjectId id) const {
    auto it = byId_.find(id.handle);
    if (it == byId_.end() || doc_.records[it->second].erased) return kNone;
    return it->second;
  }

  // First group of the record's own data, outside 102 {...} groups.
  size_t FindOwn(const Record& r, int code) const {
    int depth = 0;
    for (size_t i = 1; i < r.xdata; ++i) {
      TagView t = doc_.At(r, i);
      if (t.code == 102) {
        std::string_view v = Trim(t.value);
        if (!v.empty() && v[0] == '{') ++depth;
        else if (v == "}" && depth > 0) --depth;
        continue;
      }
      if (depth == 0 && t.code == code) return i;
    }
    return kNpos;
  }

  std::optional<Point3> PointOf(const Record& r, int code) const {
    size_t i = FindOwn(r, code);
    if (i == kNpos) return std::nullopt;
    Point3 p;
    p.x = ToDouble(doc_.At(r, i).value, 0);
    size_t n = std::min<size_t>(r.xdata, i + 3);
    for (size_t k = i + 1; k < n; ++k) {
      TagView t = doc_.At(r, k);
      if (t.code == code + 10) p.y = ToDouble(t.value, 0);
      else if (t.code == code + 20) p.z = ToDouble(t.value, 0);
    }
    return p;
  }

  bool MayEdit(const Record& r, int code) const {
    if (code <= 0 || code >= 1000 || code == 5 || code == 105) return false;
    if (code == 2 && !(r.kind == Kind::kEntity || r.kind == Kind::kSubEntity)) return false;
    return r.kind != Kind::kSectionBegin && r.kind != Kind::kSectionEnd && r.kind != Kind::kEof &&
           r.kind != Kind::kPrefix;
  }

  size_t InsertPosition(const Record& r, int code) const {
    if (!modern_ || !IsCommonEntityCode(code) || !IsEntityKind(r.kind)) return r.xdata;
    size_t entity = kNpos;
    for (size_t i = 1; i < r.xdata; ++i) {
      TagView t = doc_.At(r, i);
      if (t.code != 100) continue;
      if (entity != kNpos) return i;
      if (Trim(t.value) == "AcDbEntity") entity = i;
    }
    return r.xdata;
  }

  bool IsPaperSpace(const Record& r) const {
    size_t i = FindOwn(r, 67);
    if (i != kNpos && ToInt(doc_.At(r, i).value, 0) == 1) return true;
    if (!paperOwners_.empty()) {
      size_t o = FindOwn(r, 330);
      if (o != kNpos) {
        auto owner = ParseHex(doc_.At(r, o).value);
        if (owner && paperOwners_.count(*owner)) return true;
      }
    }
    return false;
  }

  const Block* FindBlock(std::string_view name) const {
    auto it = blockIndex_.find(AsciiUpper(name));
    return it == blockIndex_.end() || !Alive(blocks_[it->second].begin) ? nullptr : &blocks_[it->second];
  }

  size_t FindHeaderVariable(std::string_view variable) const {
    const Record& r = doc_.records[header_];
    size_t n = doc_.Size(r);
    for (size_t i = 1; i < n; ++i) {
      TagView t = doc_.At(r, i);
      if (t.code == 9 && EqualsNoCase(Trim(t.value), variable)) return i;
    }
    return kNpos;
  }

  std::string HandleOf(uint32_t index) const {
    if (index == kNone) return "0";
    const Record& r = doc_.records[index];
    size_t i = FindOwn(r, 5);
    return i == kNpos ? "0" : std::string(Trim(doc_.At(r, i).value));
  }

  std::string BlockRecordHandle(std::string_view blockName) const {
    auto it = blockRecords_.find(AsciiUpper(blockName));
    return it == blockRecords_.end() ? std::string() : Hex(it->second);
  }

  std::string ContinuousLinetype() const {
    auto it = tableIndex_.find("LTYPE");
    if (it == tableIndex_.end()) return {};
    for (uint32_t index : tables_[it->second].entries) {
      const Record& r = doc_.records[index];
      size_t i = FindOwn(r, 2);
      if (i != kNpos && EqualsNoCase(Trim(doc_.At(r, i).value), "CONTINUOUS"))
        return std::string(doc_.At(r, i).value);
    }
    return {};
  }

  // Handle and owner of a new record, as the file's version writes them.
  void AppendCommon(TagList& tags, uint64_t id, const std::string& owner) const {
    if (handles_) tags.Append(5, Hex(id));
    if (modern_ && !owner.empty()) tags.Append(330, owner);
  }

  // True when `count` new objects can get ids: handles below the last one
  // (so that $HANDSEED, the next handle, still fits in 64 bits) that are
  // not the in-memory id of an object without a handle. Otherwise the edit
  // is refused and the reason kept for the host to tell.
  bool Reserve(size_t count) {
    for (size_t i = 0; i < count; ++i) {
      const uint64_t id = nextHandle_ + i;
      if (id < nextHandle_ || id >= kLastId || byId_.count(id)) {
        refusal_ = "no handle left for a new object (the drawing's next handle would be past " +
                   Hex(kLastId) + "); the change was not made";
        return false;
      }
    }
    return true;
  }

  // Callers Reserve first.
  uint64_t NewId() {
    uint64_t id = nextHandle_++;
    if (handles_) SetHeaderValue("$HANDSEED", 5, Hex(nextHandle_));
    return id;
  }

  uint32_t AddRecord(TagList tags, uint32_t before, Kind kind, Section section, uint64_t id) {
    uint32_t index = doc_.Add(std::move(tags), before, kind, section);
    doc_.records[index].id = id;
    doc_.records[index].handleInFile = handles_;
    byId_[id] = index;
    return index;
  }

  void BumpTableCount(const Table& table) {
    if (table.head == kNone) return;
    const Record& head = doc_.records[table.head];
    size_t i = FindOwn(head, 70);
    if (i == kNpos) return;
    int count = ToInt(doc_.At(head, i).value, 0);
    doc_.Edit(table.head).Set(i, 70, std::to_string(count + 1));
  }

  void RegisterApp(const std::string& name) {
    Table& table = EnsureTable("APPID");
    uint64_t id = NewId();
    TagList tags = {{0, "APPID"}};
    AppendCommon(tags, id, HandleOf(table.head));
    if (modern_) {
      tags.Append(100, "AcDbSymbolTableRecord");
      tags.Append(100, "AcDbRegAppTableRecord");
    }
    tags.Append(2, codec_.Encode(name));
    tags.Append(70, "0");
    uint32_t index = AddRecord(std::move(tags), table.end, Kind::kTableEntry, Section::kTables, id);
    table.entries.push_back(index);
    BumpTableCount(table);
    appids_[AsciiUpper(name)] = index;
  }

  SectionInfo EnsureSection(const std::string& name) {
    // Sections added by a step that was undone are gone.
    std::erase_if(sections_, [&](const SectionInfo& s) { return !Alive(s.begin); });
    size_t at = sections_.size();
    for (size_t i = 0; i < sections_.size(); ++i) {
      if (sections_[i].name == name) return sections_[i];
      if (at == sections_.size() && SectionRank(sections_[i].name) > SectionRank(name)) at = i;
    }
    uint32_t anchor = at < sections_.size() ? sections_[at].begin : eof_;
    Section kind = SectionOf(name);
    SectionInfo info{name};
    info.begin = doc_.Add({{0, "SECTION"}, {2, name}}, anchor, Kind::kSectionBegin, kind);
    info.end = doc_.Add({{0, "ENDSEC"}}, anchor, Kind::kSectionEnd, kind);
    sections_.insert(sections_.begin() + static_cast<long>(at), info);
    if (name == "HEADER") header_ = info.begin;
    return info;
  }

  Table& EnsureTable(const std::string& name) {
    auto it = tableIndex_.find(name);
    if (it != tableIndex_.end() && Alive(tables_[it->second].head)) return tables_[it->second];
    SectionInfo section = EnsureSection("TABLES");
    Table table;
    table.name = name;
    TagList tags = {{0, "TABLE"}, {2, name}};
    uint64_t id = 0;
    if (modern_) {
      id = NewId();
      tags.Append(5, Hex(id));
      tags.Append(330, "0");
      tags.Append(100, "AcDbSymbolTable");
    }
    tags.Append(70, "0");
    table.head = doc_.Add(std::move(tags), section.end, Kind::kTableHead, Section::kTables);
    if (id) {
      doc_.records[table.head].id = id;
      byId_[id] = table.head;
    }
    table.end = doc_.Add({{0, "ENDTAB"}}, section.end, Kind::kTableEnd, Section::kTables);
    tableIndex_[name] = static_cast<uint32_t>(tables_.size());
    tables_.push_back(std::move(table));
    return tables_.back();
  }

  std::string fileName_;
  mutable dxf::Document doc_;
  UndoJournal journal_{doc_};
  dxf::TextCodec codec_;
  std::string version_ = "AC1009";
  bool modern_ = false;   // R13 and later: subclass markers and owners
  bool handles_ = false;  // the file stores handles (group 5)
  uint64_t nextHandle_ = 1;
  std::string refusal_;  // why the last edit was refused, until taken
  uint32_t header_ = kNone;
  uint32_t eof_ = kNone;
  std::vector<SectionInfo> sections_;  // in file order
  std::vector<Table> tables_;
  std::unordered_map<std::string, uint32_t> tableIndex_;
  std::vector<Block> blocks_;
  std::unordered_map<std::string, uint32_t> blockIndex_;  // upper-case name
  std::unordered_map<std::string, uint32_t> layers_;
  std::unordered_map<std::string, uint32_t> appids_;
  std::unordered_map<std::string, uint64_t> blockRecords_;
  std::unordered_set<uint64_t> paperOwners_;
  std::vector<uint32_t> entities_;  // ENTITIES section, in file order
  std::unordered_map<uint64_t, uint32_t> byId_;
  mutable std::vector<ObjectId> modelSpace_;
  mutable bool modelSpaceValid_ = false;
};

bool DxfDatabase::Build(dxf::ParseError* error) {
  auto& records = doc_.records;
  SectionInfo* open = nullptr;
  int openLine = 0;
  Table* table = nullptr;
  Block* block = nullptr;
  int blockLine = 0;
  uint64_t maxHandle = 0;
  bool anyHandle = false;
  byId_.reserve(records.size());

  for (uint32_t index = 0; index < records.size(); ++index) {
    Record& r = records[index];
    const std::string_view type = doc_.Type(r);
    if (r.kind == Kind::kPrefix) {
      for (size_t i = 0; i < r.count; ++i)
        if (doc_.At(r, i).code != 999) {
          error->line = doc_.Line(r, i);
          error->message = "group " + std::to_string(doc_.At(r, i).code) +
                           " before the first SECTION (not a DXF drawing?)";
          return false;
        }
      continue;
    }
    if (!open) {
      if (type == "SECTION") {
        if (r.count < 2 || doc_.At(r, 1).code != 2)
          return Fail(error, r, 0, "SECTION without a name");
        std::string name(Trim(doc_.At(r, 1).value));
        for (const SectionInfo& s : sections_)
          if (s.name == name) return Fail(error, r, 1, "second " + name + " section");
        sections_.push_back({name, index, kNone});
        open = &sections_.back();
        openLine = doc_.Line(r, 0);
        r.kind = Kind::kSectionBegin;
        r.section = SectionOf(name);
        if (r.section == Section::kHeader) header_ = index;
        continue;
      }
      if (type == "EOF") {
        r.kind = Kind::kEof;
        eof_ = index;
        continue;
      }
      return Fail(error, r, 0, "'" + std::string(type) + "' outside of a section");
    }
    r.section = records[open->begin].section;
    if (type == "SECTION" || type == "EOF") {
      return Fail(error, r, 0, "section " + open->name + " (line " + std::to_string(openLine) +
                                   ") has no ENDSEC");
    }
    if (type == "ENDSEC") {
      if (table)
        return Fail(error, r, 0, "table " + table->name + " has no ENDTAB");
      if (block)
        return Fail(error, r, 0, "block definition (line " + std::to_string(blockLine) + ") has no ENDBLK");
      r.kind = Kind::kSectionEnd;
      open->end = index;
      open = nullptr;
      continue;
    }
    switch (r.section) {
      case Section::kHeader:
        return Fail(error, r, 0, "'" + std::string(type) + "' inside the HEADER section");
      case Section::kTables:
        if (type == "TABLE") {
          if (table) return Fail(error, r, 0, "table " + table->name + " has no ENDTAB");
          if (r.count < 2 || doc_.At(r, 1).code != 2) return Fail(error, r, 0, "TABLE without a name");
          std::string name = AsciiUpper(Trim(doc_.At(r, 1).value));
          if (tableIndex_.count(name)) return Fail(error, r, 1, "second " + name + " table");
          tableIndex_[name] = static_cast<uint32_t>(tables_.size());
          tables_.push_back({name, index, kNone, {}});
          table = &tables_.back();
          r.kind = Kind::kTableHead;
        } else if (type == "ENDTAB") {
          if (!table) return Fail(error, r, 0, "ENDTAB without TABLE");
          table->end = index;
          table = nullptr;
          r.kind = Kind::kTableEnd;
        } else {
          if (!table) return Fail(error, r, 0, "'" + std::string(type) + "' outside of a TABLE");
          table->entries.push_back(index);
          r.kind = Kind::kTableEntry;
        }
        break;
      case Section::kBlocks:
        if (type == "BLOCK") {
          if (block)
            return Fail(error, r, 0, "block definition (line " + std::to_string(blockLine) + ") has no ENDBLK");
          blocks_.push_back({index, kNone, {}});
          block = &blocks_.back();
          blockLine = doc_.Line(r, 0);
          r.kind = Kind::kBlockBegin;
        } else if (type == "ENDBLK") {
          if (!block) return Fail(error, r, 0, "ENDBLK without BLOCK");
          block->end = index;
          block = nullptr;
          r.kind = Kind::kBlockEnd;
        } else {
          if (!block) return Fail(error, r, 0, "'" + std::string(type) + "' outside of a BLOCK");
          r.container = static_cast<int32_t>(blocks_.size() - 1);
          r.kind = IsSubEntityType(type) ? Kind::kSubEntity : Kind::kEntity;
          if (r.kind == Kind::kEntity) block->members.push_back(index);
        }
        break;
      case Section::kEntities:
        if (type == "BLOCK" || type == "ENDBLK" || type == "TABLE" || type == "ENDTAB")
          return Fail(error, r, 0, "'" + std::string(type) + "' inside the ENTITIES section");
        r.kind = IsSubEntityType(type) ? Kind::kSubEntity : Kind::kEntity;
        if (r.kind == Kind::kEntity) entities_.push_back(index);
        break;
      default:
        r.kind = Kind::kObject;
        break;
    }
    // Handle (105 in DIMSTYLE records) and where the xdata starts.
    const bool dimstyle = r.kind == Kind::kTableEntry && type == "DIMSTYLE";
    int depth = 0;
    r.xdata = r.count;
    for (uint32_t i = 1; i < r.count; ++i) {
      TagView t = doc_.At(r, i);
      if (t.code == 1001) {
        r.xdata = i;
        break;
      }
      if (t.code == 102) {
        std::string_view v = Trim(t.value);
        if (!v.empty() && v[0] == '{') ++depth;
        else if (v == "}" && depth > 0) --depth;
        continue;
      }
      // In DIMSTYLE records group 5 is the arrow block's name (R12), 105
      // the handle (R13 on).
      if (depth != 0 || r.handleInFile || t.code != (dimstyle ? 105 : 5)) continue;
      if (r.kind == Kind::kObject && r.section == Section::kClasses) continue;
      auto handle = ParseHex(t.value);
      if (!handle || *handle == 0)
        return Fail(error, r, i, "invalid handle '" + std::string(Trim(t.value)).substr(0, 24) + "'");
      auto [it, inserted] = byId_.emplace(*handle, index);
      if (!inserted)
        return Fail(error, r, i, "duplicate handle " + Hex(*handle) + " (first at line " +
                                     std::to_string(doc_.Line(records[it->second], 0)) + ")");
      r.id = *handle;
      r.handleInFile = true;
      anyHandle = true;
      if (*handle > maxHandle) maxHandle = *handle;
    }
  }
  if (open) {
    error->line = doc_.LineCount();
    error->message = "section " + open->name + " (line " + std::to_string(openLine) +
                     ") has no ENDSEC (file truncated?)";
    return false;
  }
  if (eof_ == kNone) {
    error->line = doc_.LineCount();
    error->message = "missing EOF at the end of the file (file truncated?)";
    return false;
  }

  // Version and code page decide how the rest is read.
  if (header_ != kNone) {
    if (auto v = HeaderValue("$ACADVER")) version_ = std::string(Trim(*v));
  }
  int number = 0;
  if (version_.size() == 6 && version_.compare(0, 2, "AC") == 0)
    number = ToInt(std::string_view(version_).substr(2), 0);
  if (number < 1009 || number > 1032) {
    error->line = header_ != kNone ? doc_.Line(records[header_], FindHeaderVariable("$ACADVER") + 1) + 1 : 0;
    error->message = "unsupported DXF version '" + version_.substr(0, 24) +
                     "' (R12 AC1009 to R2018 AC1032 are read)";
    return false;
  }
  modern_ = number >= 1012;
  int codePage = 65001;
  if (number < 1021) {
    auto name = HeaderValue("$DWGCODEPAGE");
    codePage = name ? dxf::CodePageFromHeader(Trim(*name)) : 0;
    if (codePage == 0) codePage = codepage::AnsiCodePage();
  }
  codec_ = dxf::TextCodec(codePage);

  handles_ = anyHandle || modern_;
  nextHandle_ = maxHandle == kLastId ? kLastId : maxHandle + 1;
  if (auto seed = HeaderValue("$HANDSEED")) {
    if (auto value = ParseHex(*seed); value && *value > nextHandle_) nextHandle_ = *value;
  }
  // Objects without a handle still need an id while the drawing is open.
  // In a file with handles they take the highest values no handle of the
  // file uses, and new handles are given out from below until the two
  // meet (Reserve), so an id never stands for two objects.
  uint64_t sessionId = kLastId;
  for (uint32_t index = 0; index < records.size(); ++index) {
    Record& r = records[index];
    if (r.handleInFile) continue;
    if (r.kind != Kind::kTableEntry && r.kind != Kind::kBlockBegin && r.kind != Kind::kBlockEnd &&
        r.kind != Kind::kEntity && r.kind != Kind::kSubEntity && r.kind != Kind::kObject)
      continue;
    if (r.kind == Kind::kObject && r.section == Section::kClasses) continue;
    if (handles_) {
      while (byId_.count(sessionId)) --sessionId;
      r.id = sessionId--;
    } else {
      r.id = nextHandle_++;
    }
    byId_[r.id] = index;
  }

  // Names, now that the code page is known.
  for (Table& t : tables_) {
    for (uint32_t index : t.entries) {
      const Record& r = records[index];
      size_t i = FindOwn(r, 2);
      if (i == kNpos) continue;
      std::string key = AsciiUpper(codec_.Decode(doc_.At(r, i).value));
      if (t.name == "LAYER") layers_.emplace(key, index);
      else if (t.name == "APPID") appids_.emplace(key, index);
      else if (t.name == "BLOCK_RECORD") {
        blockRecords_.emplace(key, r.id);
        if (key.compare(0, 12, "*PAPER_SPACE") == 0) paperOwners_.insert(r.id);
      }
    }
  }
  for (uint32_t b = 0; b < blocks_.size(); ++b) {
    const Record& r = records[blocks_[b].begin];
    size_t i = FindOwn(r, 2);
    if (i == kNpos) {
      error->line = doc_.Line(r, 0);
      error->message = "BLOCK without a name";
      return false;
    }
    blockIndex_.emplace(AsciiUpper(codec_.Decode(doc_.At(r, i).value)), b);
  }
  return true;
}

// A new R2018 drawing: the tables, blocks and root dictionary every reader
// expects, nothing else.
std::string EmptyDrawing() {
  static const char* const kTags[][2] = {
      {"0", "SECTION"}, {"2", "HEADER"},
      {"9", "$ACADVER"}, {"1", "AC1032"},
      {"9", "$DWGCODEPAGE"}, {"3", "ANSI_1252"},
      {"9", "$INSBASE"}, {"10", "0.0"}, {"20", "0.0"}, {"30", "0.0"},
      {"9", "$LTSCALE"}, {"40", "1.0"},
      {"9", "$DIMSCALE"}, {"40", "1.0"},
      {"9", "$HANDSEED"}, {"5", "30"},
      {"0", "ENDSEC"},
      {"0", "SECTION"}, {"2", "CLASSES"}, {"0", "ENDSEC"},
      {"0", "SECTION"}, {"2", "TABLES"},
      {"0", "TABLE"}, {"2", "VPORT"}, {"5", "8"}, {"330", "0"}, {"100", "AcDbSymbolTable"}, {"70", "0"},
      {"0", "ENDTAB"},
      {"0", "TABLE"}, {"2", "LTYPE"}, {"5", "5"}, {"330", "0"}, {"100", "AcDbSymbolTable"}, {"70", "3"},
      {"0", "LTYPE"}, {"5", "14"}, {"330", "5"}, {"100", "AcDbSymbolTableRecord"},
      {"100", "AcDbLinetypeTableRecord"}, {"2", "ByBlock"}, {"70", "0"}, {"3", ""}, {"72", "65"},
      {"73", "0"}, {"40", "0.0"},
      {"0", "LTYPE"}, {"5", "15"}, {"330", "5"}, {"100", "AcDbSymbolTableRecord"},
      {"100", "AcDbLinetypeTableRecord"}, {"2", "ByLayer"}, {"70", "0"}, {"3", ""}, {"72", "65"},
      {"73", "0"}, {"40", "0.0"},
      {"0", "LTYPE"}, {"5", "16"}, {"330", "5"}, {"100", "AcDbSymbolTableRecord"},
      {"100", "AcDbLinetypeTableRecord"}, {"2", "Continuous"}, {"70", "0"}, {"3", "Solid line"},
      {"72", "65"}, {"73", "0"}, {"40", "0.0"},
      {"0", "ENDTAB"},
      {"0", "TABLE"}, {"2", "LAYER"}, {"5", "2"}, {"330", "0"}, {"100", "AcDbSymbolTable"}, {"70", "1"},
      {"0", "LAYER"}, {"5", "10"}, {"330", "2"}, {"100", "AcDbSymbolTableRecord"},
      {"100", "AcDbLayerTableRecord"}, {"2", "0"}, {"70", "0"}, {"62", "7"}, {"6", "Continuous"},
      {"370", "-3"},
      {"0", "ENDTAB"},
      {"0", "TABLE"}, {"2", "STYLE"}, {"5", "3"}, {"330", "0"}, {"100", "AcDbSymbolTable"}, {"70", "1"},
      {"0", "STYLE"}, {"5", "11"}, {"330", "3"}, {"100", "AcDbSymbolTableRecord"},
      {"100", "AcDbTextStyleTableRecord"}, {"2", "Standard"}, {"70", "0"}, {"40", "0.0"},
      {"41", "1.0"}, {"50", "0.0"}, {"71", "0"}, {"42", "2.5"}, {"3", "txt"}, {"4", ""},
      {"0", "ENDTAB"},
      {"0", "TABLE"}, {"2", "VIEW"}, {"5", "6"}, {"330", "0"}, {"100", "AcDbSymbolTable"}, {"70", "0"},
      {"0", "ENDTAB"},
      {"0", "TABLE"}, {"2", "UCS"}, {"5", "7"}, {"330", "0"}, {"100", "AcDbSymbolTable"}, {"70", "0"},
      {"0", "ENDTAB"},
      {"0", "TABLE"}, {"2", "APPID"}, {"5", "9"}, {"330", "0"}, {"100", "AcDbSymbolTable"}, {"70", "1"},
      {"0", "APPID"}, {"5", "12"}, {"330", "9"}, {"100", "AcDbSymbolTableRecord"},
      {"100", "AcDbRegAppTableRecord"}, {"2", "ACAD"}, {"70", "0"},
      {"0", "ENDTAB"},
      {"0", "TABLE"}, {"2", "DIMSTYLE"}, {"5", "A"}, {"330", "0"}, {"100", "AcDbSymbolTable"},
      {"70", "0"}, {"100", "AcDbDimStyleTable"}, {"71", "0"},
      {"0", "ENDTAB"},
      {"0", "TABLE"}, {"2", "BLOCK_RECORD"}, {"5", "1"}, {"330", "0"}, {"100", "AcDbSymbolTable"},
      {"70", "2"},
      {"0", "BLOCK_RECORD"}, {"5", "1F"}, {"330", "1"}, {"100", "AcDbSymbolTableRecord"},
      {"100", "AcDbBlockTableRecord"}, {"2", "*Model_Space"}, {"70", "0"}, {"280", "1"}, {"281", "0"},
      {"0", "BLOCK_RECORD"}, {"5", "1B"}, {"330", "1"}, {"100", "AcDbSymbolTableRecord"},
      {"100", "AcDbBlockTableRecord"}, {"2", "*Paper_Space"}, {"70", "0"}, {"280", "1"}, {"281", "0"},
      {"0", "ENDTAB"},
      {"0", "ENDSEC"},
      {"0", "SECTION"}, {"2", "BLOCKS"},
      {"0", "BLOCK"}, {"5", "20"}, {"330", "1F"}, {"100", "AcDbEntity"}, {"8", "0"},
      {"100", "AcDbBlockBegin"}, {"2", "*Model_Space"}, {"70", "0"}, {"10", "0.0"}, {"20", "0.0"},
      {"30", "0.0"}, {"3", "*Model_Space"}, {"1", ""},
      {"0", "ENDBLK"}, {"5", "21"}, {"330", "1F"}, {"100", "AcDbEntity"}, {"8", "0"},
      {"100", "AcDbBlockEnd"},
      {"0", "BLOCK"}, {"5", "1C"}, {"330", "1B"}, {"100", "AcDbEntity"}, {"67", "1"}, {"8", "0"},
      {"100", "AcDbBlockBegin"}, {"2", "*Paper_Space"}, {"70", "0"}, {"10", "0.0"}, {"20", "0.0"},
      {"30", "0.0"}, {"3", "*Paper_Space"}, {"1", ""},
      {"0", "ENDBLK"}, {"5", "1D"}, {"330", "1B"}, {"100", "AcDbEntity"}, {"67", "1"}, {"8", "0"},
      {"100", "AcDbBlockEnd"},
      {"0", "ENDSEC"},
      {"0", "SECTION"}, {"2", "ENTITIES"}, {"0", "ENDSEC"},
      {"0", "SECTION"}, {"2", "OBJECTS"},
      {"0", "DICTIONARY"}, {"5", "C"}, {"330", "0"}, {"100", "AcDbDictionary"}, {"281", "1"},
      {"3", "ACAD_GROUP"}, {"350", "D"},
      {"0", "DICTIONARY"}, {"5", "D"}, {"330", "C"}, {"100", "AcDbDictionary"}, {"281", "1"},
      {"0", "ENDSEC"},
      {"0", "EOF"},
  };
  dxf::Style style;
  std::string out;
  for (const auto& tag : kTags) dxf::AppendTag(out, style, std::atoi(tag[0]), tag[1]);
  return out;
}

}  // namespace

std::string Error::ToString() const {
  if (line > 0) return file + ":" + std::to_string(line) + ": " + message;
  return file + ": " + message;
}

std::unique_ptr<Database> Database::Open(const std::string& path, Error* error) {
  std::string message;
  auto contents = fs::ReadFile(path, &message);
  if (!contents) {
    if (error) *error = {path, 0, Reason(message, path)};
    return nullptr;
  }
  return OpenFromMemory(std::move(*contents), path, error);
}

std::unique_ptr<Database> Database::OpenFromMemory(std::string contents, const std::string& name,
                                                   Error* error) {
  auto database = std::make_unique<DxfDatabase>(name);
  dxf::ParseError parseError;
  if (!database->Load(std::move(contents), &parseError)) {
    if (error) *error = {name, parseError.line, parseError.message};
    return nullptr;
  }
  return database;
}

std::unique_ptr<Database> Database::CreateEmpty() {
  Error error;
  auto database = OpenFromMemory(std::string(EmptyDrawing()), "", &error);
  return database;
}

std::string Database::Layer(ObjectId id) const { return Group(id, 8).value_or("0"); }

int Database::Color(ObjectId id) const {
  auto value = Group(id, 62);
  return value ? ToInt(*value, 256) : 256;
}

int Database::LineWeight(ObjectId id) const {
  auto value = Group(id, 370);
  return value ? ToInt(*value, -1) : -1;
}

std::optional<InsertInfo> Database::Insert(ObjectId id) const {
  if (EntityType(id) != "INSERT") return std::nullopt;
  auto name = Group(id, 2);
  if (!name) return std::nullopt;
  InsertInfo info;
  info.blockName = *name;
  info.position = Location(id).value_or(Point3{});
  auto number = [&](int code, double fallback) {
    auto v = Group(id, code);
    return v ? ToDouble(*v, fallback) : fallback;
  };
  info.scale = {number(41, 1), number(42, 1), number(43, 1)};
  info.rotationDegrees = number(50, 0);
  info.extrusion = {number(210, 0), number(220, 0), number(230, 1)};
  return info;
}

std::optional<Point3> Database::Location(ObjectId id) const {
  auto x = Group(id, 10);
  if (!x) return std::nullopt;
  Point3 p;
  p.x = ToDouble(*x, 0);
  if (auto y = Group(id, 20)) p.y = ToDouble(*y, 0);
  if (auto z = Group(id, 30)) p.z = ToDouble(*z, 0);
  return p;
}

std::string Database::HandleText(ObjectId id) { return Hex(id.handle); }

ObjectId Database::FromHandleText(std::string_view text) {
  auto value = ParseHex(text);
  return value ? ObjectId{*value} : ObjectId{};
}

}  // namespace wb::db
