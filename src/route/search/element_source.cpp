#include "route/search/element_source.h"


void TableElementSource::Set(AcDbObjectId id, Element element) {
  elements_[id.handle] = std::move(element);
}

TableElementSource::Element& TableElementSource::At(AcDbObjectId id) { return elements_[id.handle]; }

void TableElementSource::SetAttribute(AcDbObjectId id, const CString& key, const CString& value) {
  elements_[id.handle].attributes[key] = value;
}

const TableElementSource::Element* TableElementSource::Find(AcDbObjectId id) const {
  auto it = elements_.find(id.handle);
  return it == elements_.end() ? nullptr : &it->second;
}

AcGePoint3dArray TableElementSource::ConnectPoints(AcDbObjectId id) const {
  const Element* e = Find(id);
  return e ? e->points : AcGePoint3dArray{};
}

int TableElementSource::RootKind(AcDbObjectId id) const {
  const Element* e = Find(id);
  return e ? e->rootKind : -1;
}

int TableElementSource::BlockClass(AcDbObjectId id) const {
  const Element* e = Find(id);
  return e ? e->blockClass : -1;
}

CString TableElementSource::AttributeValue(AcDbObjectId id, const CString& key) const {
  const Element* e = Find(id);
  if (!e) return {};
  auto it = e->attributes.find(key);
  return it == e->attributes.end() ? CString{} : it->second;
}

int TableElementSource::NearConnectPoint(AcDbObjectId id, const AcGePoint3d& point,
                                         AcGePoint3d& nearest, double& distance) const {
  const Element* e = Find(id);
  if (!e) return -1;
  return NearestConnectPoint(e->points, point, nearest, distance);
}
