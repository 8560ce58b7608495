// The cable assignment command: for every row of the loaded cable list, find
// the route between its two equipment, tag every element of the route with
// the cable and store the route length in the row.
#pragma once

#include <cstdint>

#include "platform/host/host_types.h"

void QZ_SetCableDist();

// Adds one entry at the top of the route log when the log is switched on.
void WriteRouteLog(AcDbObjectId from, AcDbObjectId to, AcDbObjectIdArray route, uint32_t searchMs,
                   uint32_t cumulativeMs);
