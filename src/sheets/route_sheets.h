// What the route sheets of a cable list show: for every chosen row, the
// route the cable assignment gives it in the active drawing (the same
// equipment lookup, the same search with the same settings), the elements
// with the lengths the route log prints, or why there is no route. Reading
// only: the drawing and the list stay as they are.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/host/host_types.h"
#include "project/cable_list.h"

struct SheetElement {
  CString label;      // five characters, as in the route log
  double length = 0;  // millimetres
  double sum = 0;     // running sum up to and including this element
};

struct SheetRow {
  int row = 0;  // index into the cable list
  CableRow cable;
  AcDbObjectId from, to;  // null unless found exactly once
  AcDbObjectIdArray route;
  std::vector<SheetElement> elements;
  double metres = 0;  // the length the assignment stores in the row
  CString reason;     // why there is no length; empty when routed
  bool routed() const { return !route.empty(); }
};

// The project as the main dialog holds it, copied: the dialog may load
// another list while the sheets are made.
struct SheetProject {
  CableList list;
  CString plant;
  CString facility;
};

// False (and message 135 is what to show) without a main dialog or a
// loaded project.
bool MainDialogProject(SheetProject& project);

// Routes `rows` (indices into the list, in the order given; empty: all),
// with the status-bar progress meter, calling `pump` once per row so that
// the host stays responsive.
std::vector<SheetRow> RouteSheetRows(const SheetProject& project, const std::vector<int>& rows,
                                     void (*pump)() = nullptr);

// The length as the cable list export writes it ("12.3"); empty when the
// row has none.
CString SheetLength(const SheetRow& row);

// "1,4-9" (1-based, as the list shows them) into indices, in the order
// written; false with the reason for anything outside 1..rowCount or not a
// number.
bool ParseRowSelection(std::string_view text, int rowCount, std::vector<int>& rows,
                       std::string& problem);
