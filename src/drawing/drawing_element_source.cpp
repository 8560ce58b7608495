#include "drawing/drawing_element_source.h"

#include <cmath>

#include "drawing/tagged_entities.h"
#include "platform/arxutil/convert.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"

AcGePoint3dArray DrawingElementSource::ConnectPoints(AcDbObjectId id) const {
  AcGePoint3dArray points;
  QzComn_GetConnectPoint(id, points, QZCONECT_LAYER, nullptr);
  return points;
}

int DrawingElementSource::RootKind(AcDbObjectId id) const {
  int kind = -1;
  RootComn_GetBlockRootKind(id, kind);
  return kind;
}

int DrawingElementSource::BlockClass(AcDbObjectId id) const { return ClassifyBlockID(id); }

CString DrawingElementSource::AttributeValue(AcDbObjectId id, const CString& key) const {
  return CAttributeData::GetValueAttID(id, key);
}

int DrawingElementSource::NearConnectPoint(AcDbObjectId id, const AcGePoint3d& point,
                                           AcGePoint3d& nearest, double& distance) const {
  return RootComn_GetNearConnectPoint(id, point, nearest, distance);
}

namespace {
// Leading decimal digits; no digits gives 0.
double LeadingInteger(const CString& text) { return static_cast<double>(_wtoi(text)); }
}  // namespace

double GetElementLength(const AcDbObjectIdArray& path, AcDbObjectId element, int index) {
  const int n = static_cast<int>(path.size());
  int kind = -1;
  RootComn_GetBlockRootKind(element, kind);
  if (kind == ROOTKIND_EQUIPMENT) {
    double length = ApiComn_atof(CAttributeData::GetValueAttID(element, u"S225")) * 1000;
    const double level = ApiComn_atof(CAttributeData::GetValueAttID(element, u"S401"));
    if (index == 0 && n >= 2) {
      length += std::fabs(level - ApiComn_atof(CAttributeData::GetValueAttID(path[1], u"S401")));
    } else if (index == n - 1 && n >= 2) {
      length +=
          std::fabs(level - ApiComn_atof(CAttributeData::GetValueAttID(path[n - 2], u"S401")));
    }
    return length;
  }
  if (ClassifyBlockID(element) == BLOCKID_WIRE)
    return LeadingInteger(CAttributeData::GetValueAttID(element, u"S304"));
  return 0;
}

double GetRouteLength(const AcDbObjectIdArray& route) {
  double sum = 0;
  for (size_t i = 0; i < route.size(); ++i)
    sum += GetElementLength(route, route[i], static_cast<int>(i));
  return sum;
}
