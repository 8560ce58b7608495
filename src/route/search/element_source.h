// What the route search may read about the drawing, and nothing more: per
// element its connection points, root kind, block ID class and attribute
// values, and the nearness of a point to the element. The module answers it
// from the drawing; tests and benchmarks answer it from a table. A finder
// asks from several threads at once, so answering may only read.
#pragma once

#include <unordered_map>

#include "platform/host/host_types.h"
#include "platform/host/nearest_point.h"

class ElementSource {
 public:
  virtual ~ElementSource() = default;

  // Connection points in the authoring tools' order; empty when none.
  virtual AcGePoint3dArray ConnectPoints(AcDbObjectId id) const = 0;
  // Root kind of the element's block; -1 when the element has none.
  virtual int RootKind(AcDbObjectId id) const = 0;
  // Block ID class: 0 KK, 1 RT, 7 RBS, 3 RBT, 2 other RB, -1 anything else.
  virtual int BlockClass(AcDbObjectId id) const = 0;
  // Value of one attribute-list key; empty when the key is absent.
  virtual CString AttributeValue(AcDbObjectId id, const CString& key) const = 0;
  // 0 and the distance from `point` to the element's nearest connection
  // point; non-zero when the element has no connection point. Must agree
  // with NearestConnectPoint over ConnectPoints(id): the production search
  // evaluates nearness itself from the prefetched points.
  virtual int NearConnectPoint(AcDbObjectId id, const AcGePoint3d& point, AcGePoint3d& nearest,
                               double& distance) const = 0;
};

// A drawing described by a table, for tests, benchmarks and tools.
class TableElementSource : public ElementSource {
 public:
  struct Element {
    AcGePoint3dArray points;
    int rootKind = -1;
    int blockClass = -1;
    std::unordered_map<CString, CString> attributes;
  };

  // Adds or replaces the element.
  void Set(AcDbObjectId id, Element element);
  Element& At(AcDbObjectId id);  // adds an empty element when missing
  void SetAttribute(AcDbObjectId id, const CString& key, const CString& value);
  size_t size() const { return elements_.size(); }

  AcGePoint3dArray ConnectPoints(AcDbObjectId id) const override;
  int RootKind(AcDbObjectId id) const override;
  int BlockClass(AcDbObjectId id) const override;
  CString AttributeValue(AcDbObjectId id, const CString& key) const override;
  int NearConnectPoint(AcDbObjectId id, const AcGePoint3d& point, AcGePoint3d& nearest,
                       double& distance) const override;

 private:
  const Element* Find(AcDbObjectId id) const;
  std::unordered_map<uint64_t, Element> elements_;
};
