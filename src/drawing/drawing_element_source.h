// The route search's view of the active drawing, answered through the
// common library's calls.
#pragma once

#include "route/search/element_source.h"

class DrawingElementSource : public ElementSource {
 public:
  AcGePoint3dArray ConnectPoints(AcDbObjectId id) const override;
  int RootKind(AcDbObjectId id) const override;
  int BlockClass(AcDbObjectId id) const override;
  CString AttributeValue(AcDbObjectId id, const CString& key) const override;
  int NearConnectPoint(AcDbObjectId id, const AcGePoint3d& point, AcGePoint3d& nearest,
                       double& distance) const override;
};

// An element's share of the length of `path` in millimetres, read from the
// drawing (the route log evaluates it on the route it prints).
double GetElementLength(const AcDbObjectIdArray& path, AcDbObjectId element, int index);
double GetRouteLength(const AcDbObjectIdArray& route);
