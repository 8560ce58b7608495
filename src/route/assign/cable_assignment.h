// Cable assignment: for every row of a cable list, the route between its From
// and To equipment in the active drawing, the cable's data on every element
// of the route and the route length in the row. The command wrapper adds the
// dialogs around it; tests and benchmarks call it directly.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "platform/host/host_types.h"
#include "project/cable_list.h"
#include "route/assign/route_log.h"

// The eight keys written on every route element, in the order of writing,
// and the row's value for each.
const CStringArray& CableKeys();
std::array<CString, 8> CableValues(const CableRow& row);

struct AssignmentHooks {
  // Called once per row before anything else: lets the host handle one
  // waiting window message.
  std::function<void()> pumpMessage;
};

// What one run did, for the wrapper and the benchmarks.
struct AssignmentSummary {
  int rowsSearched = 0;  // both ends found exactly once
  int rowsRouted = 0;
  uint32_t cumulativeMs = 0;
};

// Works on the active drawing: clears the cable keys of every tagged entity,
// then routes every row of `list` (equipment looked up with `facility`),
// writing lengths into the rows. Shows the status-bar progress meter and
// writes the route log when it is switched on; shows no message box. The
// searches run on wb::WorkerThreads() threads; everything else, the hooks
// included, runs on the calling thread in row order, as with one thread.
AssignmentSummary AssignCables(CableList& list, const CString& facility,
                               const AssignmentHooks& hooks = {});

// The QZ_SetCableDist command: the engine over the main dialog's cable list
// and facility, then the list refreshed and the completion message.
void QZ_SetCableDist();
