// Entities of the active drawing as the host's entity classes present them
// to the module: open one by identifier, ask its class, read and change its
// colour index and lineweight, take its extents, erase it. An entity that is
// not in the drawing (never was, or erased) does not open.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/host/host_types.h"

namespace wb::db {
class WalkPool;
}

namespace wb::editor {

struct Extents {
  AcGePoint3d min, max;
};

// What an entity looks like to a pick: segments and points in world
// coordinates, text boxes that count as hit from inside, each tagged with the
// innermost entity it comes from and the block references around it.
struct PickPrimitive {
  enum Kind { kPoint, kSegment, kBox } kind = kPoint;
  AcGePoint3d a, b, c, d;  // point: a; segment: a-b; box: a-b-c-d
  AcDbObjectId leaf;
  std::vector<AcDbObjectId> containers;  // innermost first
  bool pickOnly = false;  // a block reference's insertion point: no extent
};

// The entity's geometry flattened to pick primitives: block references are
// expanded through their definitions (insertion point included), arcs and
// circles become short segments. The walks of one pass over the drawing share
// a `pool`.
std::vector<PickPrimitive> EntityPrimitives(AcDbObjectId id, db::WalkPool* pool = nullptr);
// Distance in the XY plane from `point` to a primitive (0 inside a box).
double PlanarDistance(const PickPrimitive& primitive, const AcGePoint3d& point);

class Entity {
 public:
  enum Mode { kForRead, kForWrite };

  // Null when the entity is not in the active drawing.
  static std::optional<Entity> Open(AcDbObjectId id, Mode mode);

  AcDbObjectId objectId() const { return id_; }
  // AcDbText and the classes derived from it (attributes and their
  // definitions).
  bool isKindOfText() const;
  // AcDbBlockReference and its derived classes.
  bool isKindOfBlockReference() const;

  int colorIndex() const;  // 256 when by layer
  int lineWeight() const;  // -1 when by layer
  // With `subEntities` the attributes of a block reference follow. Setting an
  // entity back to the value it had before its first change puts back the
  // very groups it had (also for its attributes): a highlight leaves no trace.
  // False when the entity was opened for read, or for a colour outside 0 to
  // 256, which leaves the colour as it was.
  bool setColorIndex(int color, bool subEntities = true);
  bool setLineWeight(int weight, bool subEntities = true);

  // Bounding box of the entity's geometry in world coordinates; false for an
  // entity without geometry.
  bool getGeomExtents(Extents& extents) const;

  // The handle as upper-case hex text, as the host writes it.
  std::string handleText() const;
  bool erase();

 private:
  Entity(AcDbObjectId id, Mode mode) : id_(id), mode_(mode) {}
  AcDbObjectId id_;
  Mode mode_;
};

// The working database's lineweight display flag (header variable
// $LWDISPLAY; off when absent). Switching it back to its first value restores
// the header exactly, removing a variable that was not there.
bool LineWeightDisplay();
void SetLineWeightDisplay(bool on);

}  // namespace wb::editor

// A single-line text built by the module and not yet in the drawing; the
// common library's QzComn_addEntity appends it.
enum TextHorzMode { kTextLeft = 0, kTextCenter = 1, kTextRight = 2, kTextAlign = 3, kTextMid = 4,
                    kTextFit = 5 };
enum TextVertMode { kTextBase = 0, kTextBottom = 1, kTextVertMid = 2, kTextTop = 3 };
constexpr int kLnWtByLayer = -1;

// Its own inline namespace: the drag entities have a text class of the same
// name, and the two must not share the linker's symbols for their members.
inline namespace qzcomn_text {

class AcDbText {
 public:
  // A null `style` keeps the drawing's current text style.
  AcDbText(const AcGePoint3d& position, const CString& text, AcDbObjectId style, double height,
           double rotation)
      : position_(position), alignment_(position), text_(text), style_(style), height_(height),
        rotation_(rotation) {}

  void setLayer(const CString& layer) { layer_ = layer; }
  void setWidthFactor(double factor) { widthFactor_ = factor; }
  // Beyond 256 a number is no colour index: the text keeps its colour.
  void setColorIndex(uint16_t color) {
    if (color <= 256) color_ = color;
  }
  void setLineWeight(int weight) { lineWeight_ = weight; }
  void setLinetype(const CString& linetype) { linetype_ = linetype; }
  void setHorizontalMode(TextHorzMode mode) { horz_ = mode; }
  void setVerticalMode(TextVertMode mode) { vert_ = mode; }
  void setAlignmentPoint(const AcGePoint3d& point) { alignment_ = point; }

  const AcGePoint3d& position() const { return position_; }
  const AcGePoint3d& alignmentPoint() const { return alignment_; }
  const CString& textString() const { return text_; }
  AcDbObjectId textStyle() const { return style_; }
  double height() const { return height_; }
  double rotation() const { return rotation_; }  // radians
  const CString& layer() const { return layer_; }
  double widthFactor() const { return widthFactor_; }
  int colorIndex() const { return color_; }
  int lineWeight() const { return lineWeight_; }
  const CString& linetype() const { return linetype_; }
  TextHorzMode horizontalMode() const { return horz_; }
  TextVertMode verticalMode() const { return vert_; }

 private:
  AcGePoint3d position_, alignment_;
  CString text_;
  AcDbObjectId style_;
  double height_, rotation_;
  CString layer_ = u"0";
  double widthFactor_ = 1.0;
  int color_ = 256;
  int lineWeight_ = kLnWtByLayer;
  CString linetype_ = u"BYLAYER";
  TextHorzMode horz_ = kTextLeft;
  TextVertMode vert_ = kTextBase;
};

}  // namespace qzcomn_text
