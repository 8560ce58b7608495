#include "annotation/annotation_geometry.h"

#include <cmath>

#include "annotation/cable_info.h"
#include "platform/arxutil/convert.h"
#include "platform/arxutil/drawing/arxutil_drawing.h"
#include "platform/editor/document.h"
#include "platform/editor/font_metrics.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"

namespace {

double Below360(double degrees) { return degrees >= 360.0 ? degrees - 360.0 : degrees; }

std::unique_ptr<AcDbLine> Line(const AcGePoint3d& a, const AcGePoint3d& b) {
  return std::make_unique<AcDbLine>(a, b);
}

CString TextStyleOfDrawing() {
  auto* database = wb::editor::ActiveDatabase();
  return database ? wb::editor::CurrentTextStyle(*database) : CString(u"Standard");
}

// Width of one row as the frame must hold it. The style's own metrics are
// preferred; a style the drawing lacks falls back to the entity's extents.
double RowWidth(const CString& text, const CString& style, double height, double widthFactor) {
  double width = 0;
  if (acgiTextStyleWidth(style, text, height, widthFactor, width) == 0) return width;
  AcDbText probe;
  probe.setTextString(text);
  probe.setHeight(height);
  probe.setWidthFactor(widthFactor);
  probe.setTextStyle(style);
  AcGePoint3dArray range;
  if (ApiComn_GetEntityRang(&probe, range) != 0 || range.size() < 2) return 0;
  return std::fabs(range[1].x - range[0].x);
}

}  // namespace

int GetPerpendicularFoot(const AcGePoint3d& p0, const AcGePoint3d& p1, const AcGePoint3d& pick,
                         AcGePoint3d& foot) {
  foot = pick;
  const double normal = acutAngle(p0, p1) + M_PI / 2;
  AcDbLine* wireLine = nullptr;
  AcDbLine* probe = nullptr;
  ApiComn_CreateLine(wireLine, {p0, p1});
  ApiComn_CreateLine(probe, {pick, {pick.x + 100.0 * std::cos(normal),
                                    pick.y + 100.0 * std::sin(normal), pick.z}});
  AcGePoint3dArray hits;
  if (wireLine && probe) probe->intersectWith(*wireLine, AcDb::kExtendThis, hits);
  delete wireLine;
  delete probe;
  if (hits.empty()) return 1;
  foot = hits.front();
  return 0;
}

double SnapAngle(double degrees, double step) {
  if (degrees == 0 || !(step > 0)) return degrees;
  long k = static_cast<long>(degrees / step);
  if (degrees - k * step > step * 0.5) ++k;
  return k * step;
}

AcGePoint3d SnapLeaderPoint(const AcGePoint3d& start, const AcGePoint3d& target, double step) {
  const double alpha = SnapAngle(ApiComn_ConvToAngle(acutAngle(start, target)), step);
  // The plan length: a cursor at another elevation does not stretch it.
  const double d = std::hypot(target.x - start.x, target.y - start.y);
  const double radians = ApiComn_ConvToRadian(alpha);
  return {start.x + d * std::cos(radians), start.y + d * std::sin(radians), target.z};
}

bool BuildAnchorGeometry(AcDbObjectId wire, const AcGePoint3d& pick, double h,
                         AnchorGeometry& geometry, const CableSetting& setting) {
  geometry = AnchorGeometry{};
  QzComn_createLayer(QZANNO_LAYER, nullptr);
  QzComn_createLayer(QZTABLE_LAYER, nullptr);

  if (IsEtatFlagged(wire)) {
    if (RootComn_GetOriginPoint(wire, geometry.anchor) != 0) return false;
    geometry.originMode = true;
    geometry.entities.push_back(Line(geometry.anchor, geometry.anchor));
    return true;
  }

  AcGePoint3dArray ends;
  QzComn_GetConnectPoint(wire, ends, QZCONECT_LAYER, nullptr);
  if (ends.size() != 2) return false;
  const AcGePoint3d& p0 = ends[0];
  const AcGePoint3d& p1 = ends[1];
  if (GetPerpendicularFoot(p0, p1, pick, geometry.anchor) != 0) return false;
  const AcGePoint3d& anchor = geometry.anchor;

  const double theta = ApiComn_ConvToAngle(acutAngle(p0, p1));
  // The same half ellipse whichever way the wire was drawn: it spans the
  // wire from one side to the other.
  double rho = theta;
  if (rho > 90 && rho <= 270) rho -= 180;
  rho += 90;
  AcDbEllipse* arc = nullptr;
  if (RootComn_CreateEllipse(arc, anchor, h * setting.cinfoArcMajorAxis,
                             h * setting.cinfoArcMinorAxis, rho, ApiComn_ConvToRadian(0),
                             ApiComn_ConvToRadian(180)) != 0)
    return false;
  geometry.entities.emplace_back(arc);

  const double sigma = Below360(theta + 90);
  AcGePoint3d q1, q2;
  RootComn_PointRotation2(anchor, h, sigma, q1);
  RootComn_PointRotation2(anchor, h, Below360(sigma + 180), q2);
  geometry.entities.push_back(Line(q1, q2));
  geometry.entities.push_back(Line(q1.y > q2.y ? q1 : q2, pick));
  return true;
}

TextFrame BuildTextFrame(const AcGePoint3d& p, const CStringArray& lines, double h,
                         const CableSetting& setting) {
  TextFrame frame;
  const double height = setting.cinfoTextHeight * h;
  const double widthFactor = setting.cinfoTextWidth / setting.cinfoTextHeight;
  const double offset = setting.cinfoStartOffset * h;
  const CString style = TextStyleOfDrawing();

  double w = 0;
  for (const CString& line : lines)
    w = std::max(w, RowWidth(line + u"W", style, height, widthFactor) + offset);
  frame.width = w;

  const double pitch = (setting.cinfoRowInterval + setting.cinfoTextHeight) * h;
  const size_t n = lines.size();
  const double top = p.y + static_cast<double>(n) * pitch;

  frame.entities.push_back({Line(p, {p.x + w, p.y, p.z}), kTagShiftOnce});
  if (n >= 1) frame.entities.push_back({Line({p.x, top, p.z}, {p.x + w, top, p.z}), kTagShiftOnce});
  for (size_t i = 0; i < n; ++i) {
    auto row = std::make_unique<AcDbText>();
    row->setPosition({p.x + offset, top - pitch + h - static_cast<double>(i) * pitch, p.z});
    row->setTextString(lines[i]);
    row->setHeight(height);
    row->setWidthFactor(widthFactor);
    row->setRotation(0);
    row->setTextStyle(style);
    row->setHorizontalMode(AcDb::kTextLeft);
    row->setVerticalMode(AcDb::kTextBase);
    row->setLayer(QZANNO_LAYER);
    row->setColorIndex(256);
    row->setLinetype(u"ByLayer");
    row->setLineWeight(AcDb::kLnWtByLayer);
    frame.entities.push_back({std::move(row), kTagShiftOnce});
  }
  frame.entities.push_back({Line({p.x + w, p.y, p.z}, {p.x + w, top, p.z}), kTagShiftTwice});
  frame.entities.push_back({Line(p, {p.x, top, p.z}), kTagStay});
  return frame;
}
