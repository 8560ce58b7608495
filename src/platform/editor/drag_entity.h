// Entities that live outside any drawing: what a drag shows as its preview
// and what a command builds before it appends the result to a block or to
// model space. They carry the host's entity properties (layer, colour,
// linetype, lineweight) and write themselves into a database on request, so
// the module never sees a DXF group.
#pragma once

#include <memory>
#include <string_view>

#include "platform/host/host_types.h"

struct AcGeVector3d {
  double x = 0, y = 0, z = 0;
};

namespace AcDb {
// Which operands of an intersection may be extended beyond their ends.
enum Intersect { kOnBothOperands = 0, kExtendThis = 1, kExtendArg = 2, kExtendBoth = 3 };
enum TextHorzMode { kTextLeft = 0, kTextCenter = 1, kTextRight = 2 };
enum TextVertMode { kTextBase = 0, kTextBottom = 1, kTextVertMid = 2, kTextTop = 3 };
enum LineWeight { kLnWtByLayer = -1, kLnWtByBlock = -2, kLnWtByLwDefault = -3 };
}  // namespace AcDb

class AcDbEntity {
 public:
  virtual ~AcDbEntity() = default;

  const CString& layer() const { return layer_; }
  void setLayer(const CString& layer) { layer_ = layer; }
  int colorIndex() const { return color_; }
  void setColorIndex(int color) { color_ = color; }
  const CString& linetype() const { return linetype_; }
  void setLinetype(const CString& linetype) { linetype_ = linetype; }
  int lineWeight() const { return lineWeight_; }
  void setLineWeight(int weight) { lineWeight_ = weight; }

  // Moves every point of the entity by `offset`.
  virtual void moveBy(const AcGeVector3d& offset) = 0;
  // Appends a copy of the entity to model space (owner "") or to a block
  // definition of `database`; a null id when the owner does not exist.
  virtual AcDbObjectId appendTo(wb::db::Database& database, std::string_view ownerBlock) const = 0;

 protected:
  // Tags of the common entity part that follow the layer group.
  void appendCommon(const wb::db::Database& database, std::vector<wb::db::Tag>& tags) const;

 private:
  CString layer_ = u"0";
  int color_ = 256;
  CString linetype_ = u"ByLayer";
  int lineWeight_ = AcDb::kLnWtByLayer;
};

class AcDbLine : public AcDbEntity {
 public:
  AcDbLine() = default;
  AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end) : start_(start), end_(end) {}

  const AcGePoint3d& startPoint() const { return start_; }
  const AcGePoint3d& endPoint() const { return end_; }
  void setStartPoint(const AcGePoint3d& p) { start_ = p; }
  void setEndPoint(const AcGePoint3d& p) { end_ = p; }

  // Intersection with another line in the plan (XY) view; the point takes
  // its z from `other`. Parallel lines give none. Ends are honoured with a
  // relative tolerance of 1e-9 of the segment's length.
  void intersectWith(const AcDbLine& other, AcDb::Intersect mode, AcGePoint3dArray& points) const;

  void moveBy(const AcGeVector3d& offset) override;
  AcDbObjectId appendTo(wb::db::Database& database, std::string_view ownerBlock) const override;

 private:
  AcGePoint3d start_, end_;
};

class AcDbText : public AcDbEntity {
 public:
  const AcGePoint3d& position() const { return position_; }
  void setPosition(const AcGePoint3d& p) { position_ = p; }
  const CString& textString() const { return text_; }
  void setTextString(const CString& text) { text_ = text; }
  double height() const { return height_; }
  void setHeight(double h) { height_ = h; }
  double widthFactor() const { return widthFactor_; }
  void setWidthFactor(double f) { widthFactor_ = f; }
  double rotation() const { return rotation_; }  // radians
  void setRotation(double r) { rotation_ = r; }
  const CString& textStyle() const { return style_; }
  void setTextStyle(const CString& style) { style_ = style; }
  AcDb::TextHorzMode horizontalMode() const { return horz_; }
  void setHorizontalMode(AcDb::TextHorzMode m) { horz_ = m; }
  AcDb::TextVertMode verticalMode() const { return vert_; }
  void setVerticalMode(AcDb::TextVertMode m) { vert_ = m; }

  void moveBy(const AcGeVector3d& offset) override;
  AcDbObjectId appendTo(wb::db::Database& database, std::string_view ownerBlock) const override;

 private:
  AcGePoint3d position_;
  CString text_;
  double height_ = 1.0;
  double widthFactor_ = 1.0;
  double rotation_ = 0.0;
  CString style_ = u"Standard";
  AcDb::TextHorzMode horz_ = AcDb::kTextLeft;
  AcDb::TextVertMode vert_ = AcDb::kTextBase;
};

// An elliptical arc in the XY plane: centre, major axis (a vector from the
// centre, its length the major radius), minor-to-major ratio (0 < r <= 1)
// and start and end parameters in radians, counter-clockwise.
class AcDbEllipse : public AcDbEntity {
 public:
  AcDbEllipse() = default;
  AcDbEllipse(const AcGePoint3d& center, const AcGeVector3d& majorAxis, double radiusRatio,
              double startParam, double endParam)
      : center_(center), major_(majorAxis), ratio_(radiusRatio), start_(startParam),
        end_(endParam) {}

  const AcGePoint3d& center() const { return center_; }
  const AcGeVector3d& majorAxis() const { return major_; }
  double radiusRatio() const { return ratio_; }
  double startParam() const { return start_; }
  double endParam() const { return end_; }
  // The point of parameter t.
  AcGePoint3d pointAt(double t) const;

  void moveBy(const AcGeVector3d& offset) override;
  // Drawings older than R13 have no ellipse: there it is written as a
  // chain of short lines through pointAt().
  AcDbObjectId appendTo(wb::db::Database& database, std::string_view ownerBlock) const override;

 private:
  AcGePoint3d center_;
  AcGeVector3d major_{1, 0, 0};
  double ratio_ = 1.0;
  double start_ = 0.0, end_ = 0.0;
};

// A reference to a block definition, built before it joins a space.
class AcDbBlockReference : public AcDbEntity {
 public:
  AcDbBlockReference() = default;
  AcDbBlockReference(const AcGePoint3d& position, const CString& blockName)
      : position_(position), block_(blockName) {}

  const AcGePoint3d& position() const { return position_; }
  void setPosition(const AcGePoint3d& p) { position_ = p; }
  const CString& blockName() const { return block_; }
  double rotation() const { return rotation_; }  // radians
  void setRotation(double r) { rotation_ = r; }
  const AcGeVector3d& scaleFactors() const { return scale_; }
  void setScaleFactors(const AcGeVector3d& s) { scale_ = s; }

  void moveBy(const AcGeVector3d& offset) override;
  AcDbObjectId appendTo(wb::db::Database& database, std::string_view ownerBlock) const override;

 private:
  AcGePoint3d position_;
  CString block_;
  double rotation_ = 0.0;
  AcGeVector3d scale_{1, 1, 1};
};

// A block definition of a drawing opened for appending. Appending hands the
// entity over to the database: it is written and the object deleted.
class AcDbBlockTableRecord {
 public:
  AcDbBlockTableRecord(wb::db::Database& database, const CString& name)
      : database_(database), name_(wb::Utf16ToUtf8(name)) {}
  bool isValid() const { return database_.HasBlock(name_); }
  // 0 and, when asked, the new id; non-zero (the entity deleted all the
  // same) when the definition does not exist.
  int appendAcDbEntity(AcDbEntity* entity, AcDbObjectId* id = nullptr);

 private:
  wb::db::Database& database_;
  std::string name_;
};

// Direction from p1 to p2 in the XY plane, radians in [0, 2 pi).
double acutAngle(const AcGePoint3d& p1, const AcGePoint3d& p2);
double acutDistance(const AcGePoint3d& p1, const AcGePoint3d& p2);  // 3D

namespace wb::editor {
// R13 and later drawings carry subclass markers, lineweights and ellipses.
bool IsModernDrawing(const db::Database& database);
// The drawing's current text style ($TEXTSTYLE), "Standard" when unset.
CString CurrentTextStyle(const db::Database& database);
// The drawing's current layer ($CLAYER), "0" when unset.
CString CurrentLayer(const db::Database& database);
}  // namespace wb::editor
