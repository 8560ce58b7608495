#include "platform/editor/drag_entity.h"

#include <cmath>
#include <cstdio>

namespace {

using wb::db::Tag;

std::string Num(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

void AddPoint(std::vector<Tag>& tags, int code, const AcGePoint3d& p) {
  tags.push_back({code, Num(p.x)});
  tags.push_back({code + 10, Num(p.y)});
  tags.push_back({code + 20, Num(p.z)});
}

AcGePoint3d Moved(const AcGePoint3d& p, const AcGeVector3d& v) {
  return {p.x + v.x, p.y + v.y, p.z + v.z};
}

}  // namespace

namespace wb::editor {

bool IsModernDrawing(const db::Database& database) {
  // "AC1009" is R12; every later version code sorts above it.
  return database.Version() > "AC1009";
}

CString CurrentTextStyle(const db::Database& database) {
  auto value = database.HeaderValue("$TEXTSTYLE");
  if (!value || value->empty()) return u"Standard";
  return Utf8ToUtf16(*value);
}

CString CurrentLayer(const db::Database& database) {
  auto value = database.HeaderValue("$CLAYER");
  if (!value || value->empty()) return u"0";
  return Utf8ToUtf16(*value);
}

}  // namespace wb::editor

void AcDbEntity::appendCommon(const wb::db::Database& database, std::vector<Tag>& tags) const {
  tags.push_back({6, wb::Utf16ToUtf8(linetype_)});
  tags.push_back({62, std::to_string(color_)});
  if (wb::editor::IsModernDrawing(database)) tags.push_back({370, std::to_string(lineWeight_)});
}

void AcDbLine::intersectWith(const AcDbLine& other, AcDb::Intersect mode,
                             AcGePoint3dArray& points) const {
  const double dx1 = end_.x - start_.x, dy1 = end_.y - start_.y;
  const double dx2 = other.end_.x - other.start_.x, dy2 = other.end_.y - other.start_.y;
  const double denom = dx1 * dy2 - dy1 * dx2;
  const double scale = std::hypot(dx1, dy1) * std::hypot(dx2, dy2);
  if (scale == 0 || std::fabs(denom) <= 1e-12 * scale) return;  // parallel or degenerate
  const double ex = other.start_.x - start_.x, ey = other.start_.y - start_.y;
  const double t = (ex * dy2 - ey * dx2) / denom;  // along this line
  const double u = (ex * dy1 - ey * dx1) / denom;  // along the other line
  constexpr double kTol = 1e-9;
  const bool extendThis = mode == AcDb::kExtendThis || mode == AcDb::kExtendBoth;
  const bool extendArg = mode == AcDb::kExtendArg || mode == AcDb::kExtendBoth;
  if (!extendThis && (t < -kTol || t > 1 + kTol)) return;
  if (!extendArg && (u < -kTol || u > 1 + kTol)) return;
  points.push_back({other.start_.x + u * dx2, other.start_.y + u * dy2,
                    other.start_.z + u * (other.end_.z - other.start_.z)});
}

void AcDbLine::moveBy(const AcGeVector3d& offset) {
  start_ = Moved(start_, offset);
  end_ = Moved(end_, offset);
}

AcDbObjectId AcDbLine::appendTo(wb::db::Database& database, std::string_view owner) const {
  std::vector<Tag> tags;
  appendCommon(database, tags);
  tags.push_back({100, "AcDbLine"});
  AddPoint(tags, 10, start_);
  AddPoint(tags, 11, end_);
  return database.AddEntity(owner, "LINE", wb::Utf16ToUtf8(layer()), std::move(tags));
}

void AcDbText::moveBy(const AcGeVector3d& offset) { position_ = Moved(position_, offset); }

AcDbObjectId AcDbText::appendTo(wb::db::Database& database, std::string_view owner) const {
  std::vector<Tag> tags;
  appendCommon(database, tags);
  tags.push_back({100, "AcDbText"});
  AddPoint(tags, 10, position_);
  tags.push_back({40, Num(height_)});
  tags.push_back({1, wb::Utf16ToUtf8(text_)});
  tags.push_back({50, Num(rotation_ * 180.0 / M_PI)});
  tags.push_back({41, Num(widthFactor_)});
  tags.push_back({7, wb::Utf16ToUtf8(style_)});
  tags.push_back({72, std::to_string(static_cast<int>(horz_))});
  // Any alignment but left/baseline is placed by its alignment point.
  if (horz_ != AcDb::kTextLeft || vert_ != AcDb::kTextBase) AddPoint(tags, 11, position_);
  tags.push_back({100, "AcDbText"});
  tags.push_back({73, std::to_string(static_cast<int>(vert_))});
  return database.AddEntity(owner, "TEXT", wb::Utf16ToUtf8(layer()), std::move(tags));
}

AcGePoint3d AcDbEllipse::pointAt(double t) const {
  // Minor axis: the major axis turned by +90 degrees about Z, scaled.
  const double c = std::cos(t), s = std::sin(t);
  return {center_.x + c * major_.x - s * ratio_ * major_.y,
          center_.y + c * major_.y + s * ratio_ * major_.x, center_.z + c * major_.z};
}

void AcDbEllipse::moveBy(const AcGeVector3d& offset) { center_ = Moved(center_, offset); }

AcDbObjectId AcDbEllipse::appendTo(wb::db::Database& database, std::string_view owner) const {
  const std::string layerName = wb::Utf16ToUtf8(layer());
  if (!wb::editor::IsModernDrawing(database)) {
    constexpr int kSegments = 16;
    AcDbObjectId first;
    for (int i = 0; i < kSegments; ++i) {
      const double t0 = start_ + (end_ - start_) * i / kSegments;
      const double t1 = start_ + (end_ - start_) * (i + 1) / kSegments;
      AcDbLine piece(pointAt(t0), pointAt(t1));
      piece.setLayer(layer());
      piece.setColorIndex(colorIndex());
      piece.setLinetype(linetype());
      AcDbObjectId id = piece.appendTo(database, owner);
      if (first.isNull()) first = id;
    }
    return first;
  }
  std::vector<Tag> tags;
  appendCommon(database, tags);
  tags.push_back({100, "AcDbEllipse"});
  AddPoint(tags, 10, center_);
  AddPoint(tags, 11, {major_.x, major_.y, major_.z});
  AddPoint(tags, 210, {0, 0, 1});
  tags.push_back({40, Num(ratio_)});
  tags.push_back({41, Num(start_)});
  tags.push_back({42, Num(end_)});
  return database.AddEntity(owner, "ELLIPSE", layerName, std::move(tags));
}

void AcDbBlockReference::moveBy(const AcGeVector3d& offset) {
  position_ = Moved(position_, offset);
}

AcDbObjectId AcDbBlockReference::appendTo(wb::db::Database& database,
                                          std::string_view owner) const {
  std::vector<Tag> tags;
  appendCommon(database, tags);
  tags.push_back({100, "AcDbBlockReference"});
  tags.push_back({2, wb::Utf16ToUtf8(block_)});
  AddPoint(tags, 10, position_);
  tags.push_back({41, Num(scale_.x)});
  tags.push_back({42, Num(scale_.y)});
  tags.push_back({43, Num(scale_.z)});
  tags.push_back({50, Num(rotation_ * 180.0 / M_PI)});
  return database.AddEntity(owner, "INSERT", wb::Utf16ToUtf8(layer()), std::move(tags));
}

double acutAngle(const AcGePoint3d& p1, const AcGePoint3d& p2) {
  double a = std::atan2(p2.y - p1.y, p2.x - p1.x);
  if (a < 0) a += 2 * M_PI;
  return a >= 2 * M_PI ? 0.0 : a;
}

double acutDistance(const AcGePoint3d& p1, const AcGePoint3d& p2) {
  const double dx = p2.x - p1.x, dy = p2.y - p1.y, dz = p2.z - p1.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

int AcDbBlockTableRecord::appendAcDbEntity(AcDbEntity* entity, AcDbObjectId* id) {
  std::unique_ptr<AcDbEntity> owned(entity);
  if (!owned || !isValid()) return -1;
  AcDbObjectId added = owned->appendTo(database_, name_);
  if (added.isNull()) return -1;
  if (id) *id = added;
  return 0;
}
