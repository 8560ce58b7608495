// Route sheets on paper: a summary table of the chosen cables (as many
// pages as it needs), then one page per routed cable with the drawing
// zoomed to the route, the route drawn over the greyed drawing, the From
// and To equipment labelled and a title block listing the route's elements.
#pragma once

#include <string>
#include <vector>

#include "paper/page_writer.h"
#include "platform/db/database.h"
#include "sheets/route_sheets.h"

namespace wb::paper {

struct SheetRequest {
  std::string output;  // a .pdf file
  PageSetup setup;
  std::string date;  // as printed; empty: today
};

// Pages of the summary table for `rows` rows on this paper.
int SummaryPageCount(size_t rows, const PageSetup& setup);

// Writes the sheets of `rows` over the drawing. The status-bar progress
// meter counts the pages; `pump` runs once per page.
bool WriteRouteSheets(const db::Database& database, const SheetProject& project,
                      const std::vector<SheetRow>& rows, const SheetRequest& request,
                      std::string& error, void (*pump)() = nullptr);

// The whole job on the active drawing: routes the chosen rows of the
// project (empty: all) and writes their sheets.
bool MakeRouteSheets(const SheetProject& project, const std::vector<int>& rows,
                     const SheetRequest& request, std::string& error, void (*pump)() = nullptr);

}  // namespace wb::paper
