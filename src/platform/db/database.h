// The drawing database: what the CAD host keeps in memory for one open
// drawing. Backed by a lossless DXF model (platform/dxf): loading keeps every
// tag, and saving an unedited drawing reproduces the file. Strings here are
// UTF-8; the DXF layer converts from and to the file's code page.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wb::db {

// An entity (or table record, or block record): its DXF handle, or, for an
// object the file gives no handle, an id of this session that no handle of
// the drawing uses.
struct ObjectId {
  uint64_t handle = 0;
  bool isNull() const { return handle == 0; }
  friend bool operator==(ObjectId, ObjectId) = default;
  friend auto operator<=>(ObjectId, ObjectId) = default;
};

struct Point3 {
  double x = 0, y = 0, z = 0;
  friend bool operator==(const Point3&, const Point3&) = default;
};

// One group of an entity's own data or of its xdata: the group code and the
// value exactly as its text (numbers in the file's formatting when loaded).
struct Tag {
  int code = 0;
  std::string value;
  friend bool operator==(const Tag&, const Tag&) = default;
};

struct InsertInfo {
  std::string blockName;
  Point3 position;
  Point3 scale{1, 1, 1};
  double rotationDegrees = 0;
  Point3 extrusion{0, 0, 1};
};

// Names in a drawing (blocks, layers, tables, types) are the same whatever
// the case of their ASCII letters: this is the form they compare in.
std::string AsciiUpper(std::string_view text);

struct Error {
  std::string file;
  int line = 0;  // 1-based line of the file; 0 when not tied to a line
  std::string message;
  std::string ToString() const;  // "file:line: message"
};

class Database {
 public:
  virtual ~Database() = default;

  // nullptr and `error` filled when the file cannot be read or is not a
  // well-formed DXF drawing.
  static std::unique_ptr<Database> Open(const std::string& path, Error* error);
  static std::unique_ptr<Database> OpenFromMemory(std::string contents, const std::string& name,
                                                  Error* error);
  // A new empty drawing (R2018 layout) for tests and tools.
  static std::unique_ptr<Database> CreateEmpty();

  // Writes a temporary file beside `path` and renames it into place, so a
  // failed save never leaves a truncated drawing behind.
  virtual bool Save(const std::string& path, Error* error) const = 0;
  virtual std::string SaveToString() const = 0;
  virtual const std::string& FileName() const = 0;
  // After a save under another name that file is the working drawing.
  virtual void SetFileName(std::string name) = 0;

  // "$ACADVER" value, e.g. "AC1032".
  virtual std::string Version() const = 0;
  virtual std::optional<std::string> HeaderValue(std::string_view variable) const = 0;
  virtual void SetHeaderValue(std::string_view variable, int code, std::string value) = 0;
  // Removes the variable and its value; nothing when it is absent.
  virtual void RemoveHeaderValue(std::string_view /*variable*/) {}

  // Entities of model space, in drawing order.
  virtual std::vector<ObjectId> ModelSpaceEntities() const = 0;
  // Entities of a block definition, in definition order; empty if none.
  virtual std::vector<ObjectId> BlockEntities(std::string_view blockName) const = 0;
  virtual bool HasBlock(std::string_view blockName) const = 0;
  // Base point (group 10 of the BLOCK) of a definition; origin when unknown.
  virtual Point3 BlockBasePoint(std::string_view blockName) const = 0;
  // Creates an empty block definition; false if the name is taken.
  virtual bool CreateBlock(std::string_view blockName, Point3 base) = 0;

  virtual bool IsAlive(ObjectId id) const = 0;
  virtual std::string EntityType(ObjectId id) const = 0;  // "INSERT", "POINT", ...

  // First value of a group of the entity's own data (xdata excluded).
  virtual std::optional<std::string> Group(ObjectId id, int code) const = 0;
  // Replaces the first group of that code, or adds it at the end of the
  // entity's own data.
  virtual void SetGroup(ObjectId id, int code, std::string value) = 0;
  virtual void RemoveGroup(ObjectId id, int code) = 0;
  // Every group of the entity's own data in order (xdata and 102 {...}
  // groups excluded): what repeated codes need, e.g. LWPOLYLINE vertices.
  virtual std::vector<Tag> Groups(ObjectId /*id*/) const { return {}; }
  // The VERTEX and ATTRIB records that follow a POLYLINE or an INSERT, in
  // file order (SEQEND excluded); read them with Group/Groups.
  virtual std::vector<ObjectId> SubEntities(ObjectId /*id*/) const { return {}; }
  // The LAYER table record of a layer (colour 62, flags 70, lineweight 370
  // through Group); null when there is no such layer.
  virtual ObjectId LayerId(std::string_view /*name*/) const { return {}; }

  std::string Layer(ObjectId id) const;
  int Color(ObjectId id) const;       // 256 (by layer) when absent
  int LineWeight(ObjectId id) const;  // -1 (by layer) when absent
  std::optional<InsertInfo> Insert(ObjectId id) const;
  std::optional<Point3> Location(ObjectId id) const;  // group 10/20/30

  // xdata of one registered application, without the 1001 group.
  virtual bool HasXData(ObjectId id, std::string_view app) const = 0;
  virtual std::vector<Tag> XData(ObjectId id, std::string_view app) const = 0;
  // Replaces the application's xdata (registering the APPID if needed);
  // an empty list removes it.
  virtual void SetXData(ObjectId id, std::string_view app, std::vector<Tag> items) = 0;
  // An entity's xdata rewritten away from the drawing, so that many
  // entities can be worked out on several threads: a draft starts as what
  // the entity holds, XData and SetXData on it answer and change as they
  // would on the drawing, and Apply puts the result in as those calls would
  // have. Drafts may be made and changed on any thread as long as nothing
  // changes the drawing meanwhile; Apply belongs to the thread that edits it.
  class XDataDraft {
   public:
    virtual ~XDataDraft() = default;
    virtual std::vector<Tag> XData(std::string_view app) const = 0;
    virtual void SetXData(std::string_view app, std::vector<Tag> items) = 0;
  };
  // nullptr when the entity does not exist.
  virtual std::unique_ptr<XDataDraft> DraftXData(ObjectId id) const = 0;
  virtual void Apply(std::unique_ptr<XDataDraft> draft) = 0;
  // Bytes `text` takes in the file: in the drawing's code page before R2007,
  // a character the code page lacks counted as its escape.
  virtual size_t StoredSize(std::string_view text) const { return text.size(); }

  virtual std::vector<std::string> LayerNames() const = 0;
  // Names of the records of a symbol table ("STYLE", "LTYPE", ...), in file
  // order; empty when the drawing has no such table.
  virtual std::vector<std::string> TableEntryNames(std::string_view table) const = 0;
  virtual bool HasLayer(std::string_view name) const = 0;
  virtual void CreateLayer(std::string_view name, int color) = 0;
  virtual bool IsLayerLocked(std::string_view name) const = 0;
  virtual void SetLayerLocked(std::string_view name, bool locked) = 0;

  // Appends a new entity to model space (owner "") or to a block definition.
  // `tags` are the entity's own data after the common part (handle, owner,
  // subclass markers are added by the database).
  virtual ObjectId AddEntity(std::string_view ownerBlock, std::string_view type,
                             std::string_view layer, std::vector<Tag> tags) = 0;
  virtual void Erase(ObjectId id) = 0;
  // Why the last edit that would create an object was refused (a drawing
  // whose handles are used up), once; empty when nothing was refused.
  virtual std::string TakeRefusal() { return {}; }

  // Undo. The changes made between BeginUndoStep and EndUndoStep (nested
  // pairs join the outermost) are one step; Undo and Redo move the drawing
  // across steps, byte for byte as it was saved before and after. Both
  // return false, changing nothing, when there is no step or one is open.
  virtual void BeginUndoStep(std::string_view name) = 0;
  virtual void EndUndoStep() = 0;
  virtual bool Undo(std::string* name = nullptr) = 0;
  virtual bool Redo(std::string* name = nullptr) = 0;
  virtual size_t UndoSteps() const = 0;
  virtual size_t RedoSteps() const = 0;

  static std::string HandleText(ObjectId id);      // upper-case hex
  static ObjectId FromHandleText(std::string_view text);  // null on bad text
};

}  // namespace wb::db
