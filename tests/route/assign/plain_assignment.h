// The assignment command written plainly, step by step as it is defined: one
// scan for the graph, two equipment scans per row, a fresh graph and the
// plain search per row, every key written on its own through the drawing,
// the route log rewritten per row.
// The engine must leave exactly the same drawing and rows behind.
#pragma once

#include "drawing/drawing_element_source.h"
#include "drawing/tagged_entities.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"
#include "project/cable_list.h"
#include "route/assign/cable_assignment.h"
#include "../route_oracle.h"

namespace plain {

// The drawing's answers to the search, read once: the plain search asks
// them many thousand times, and a table gives the very same routes.
inline TableElementSource Snapshot(const AcDbObjectIdArray& tagged) {
  DrawingElementSource drawing;
  TableElementSource table;
  for (AcDbObjectId id : tagged) {
    TableElementSource::Element e;
    e.points = drawing.ConnectPoints(id);
    e.rootKind = drawing.RootKind(id);
    e.blockClass = drawing.BlockClass(id);
    for (const char16_t* key : {u"S225", u"S304", u"S401"})
      e.attributes[key] = drawing.AttributeValue(id, key);
    table.Set(id, std::move(e));
  }
  return table;
}

// False when the plain search gave up on a row (see oracle::CallLimit).
inline bool Assign(CableList& list, const CString& facility, bool mostShortDist) {
  const AcDbObjectIdArray tagged = GetTaggedEntities(TAGSCAN_ALL, u"", u"", u"", u"");
  for (AcDbObjectId id : tagged) RemoveEntityAttributes(id, CableKeys());
  const TableElementSource source = Snapshot(tagged);
  for (CableRow& row : list.rows) {
    const AcDbObjectIdArray from =
        GetTaggedEntities(TAGSCAN_EQUIPMENT, row.fromMark, row.fromName, row.fromSubNo, facility);
    const AcDbObjectIdArray to =
        GetTaggedEntities(TAGSCAN_EQUIPMENT, row.toMark, row.toName, row.toSubNo, facility);
    if (from.size() != 1 || to.size() != 1) continue;
    const oracle::Result r = oracle::FindRoute(source, tagged, from[0], to[0], mostShortDist);
    if (r.gaveUp) return false;
    WriteRouteLog(from[0], to[0], r.route, 0, 0);
    if (r.route.empty()) continue;
    const auto values = CableValues(row);
    for (AcDbObjectId id : r.route)
      for (int key = 0; key < 8; ++key) WriteEntityAttribute(id, CableKeys()[key], values[key], 1, 1, 1);
    row.length = GetRouteLength(r.route) / 1000;
    row.hasLength = true;
  }
  return true;
}

}  // namespace plain
