// Shows the route of the cable selected in the main dialog: highlights it
// until the user ends the confirmation, then gives every element its own
// appearance back.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/host/host_types.h"

// One highlighted entity and its appearance before the highlight.
struct HighlightRecord {
  AcDbObjectId id;
  int32_t colorIndex = -1;  // -1 when it could not be read
  int32_t lineWeight = 0;   // 0 when it could not be read
};

// Result codes of FindCableRoute.
constexpr int kRouteFound = 0;
constexpr int kRouteNone = 1;
constexpr int kRouteBadRow = -20;
constexpr int kRouteNoElements = -30;
constexpr int kRouteNoFrom = -35;
constexpr int kRouteNoTo = -37;
constexpr int kRouteAmbiguous = -40;

// Searches the route of the main dialog's selected row as the cable
// assignment does; a negative code has been reported with its message.
int FindCableRoute(AcDbObjectId& from, AcDbObjectId& to, AcDbObjectIdArray& route);

// Highlighting and restoring one entity (an entity that does not open is
// left alone).
HighlightRecord HighlightEntity(AcDbObjectId id, int colorIndex, int lineWeight);
void RestoreEntity(const HighlightRecord& record);

void QZ_ConfirtCable();
