#include "sheets/route_sheets.h"

#include <charconv>
#include <memory>

#include "drawing/drawing_element_source.h"
#include "drawing/tagged_entities.h"
#include "platform/editor/document.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"
#include "route/search/route_constants.h"
#include "route/search/route_finder.h"
#include "settings/cable_setting.h"
#include "ui/main_dlg.h"

namespace {

// Why one end is not usable: the lookup gave no equipment or several.
CString EndProblem(const char16_t* end, size_t found) {
  if (found == 0) return CString(end) + u"機器が見つかりません";
  return CString(end) + u"機器が複数あります（記号・名称・副番が同じ）";
}

}  // namespace

bool MainDialogProject(SheetProject& project) {
  if (!g_pMainDlg || !g_pMainDlg->ProjectLoaded()) return false;
  project.list = g_pMainDlg->m_cableList;
  project.plant = g_pMainDlg->m_lastPlant;
  project.facility = g_pMainDlg->m_lastFacility;
  return true;
}

std::vector<SheetRow> RouteSheetRows(const SheetProject& project, const std::vector<int>& chosen,
                                     void (*pump)()) {
  const auto& cables = project.list.rows;
  std::vector<int> rows = chosen;
  if (rows.empty())
    for (size_t i = 0; i < cables.size(); ++i) rows.push_back(static_cast<int>(i));

  // The assignment's inputs: one scan, equipment by mark, name and
  // sub-number (the facility only among several), one finder for all rows.
  const AcDbObjectIdArray tagged = GetTaggedEntities(TAGSCAN_ALL, u"", u"", u"", u"");
  const EquipmentIndex equipment(tagged);
  DrawingElementSource source;
  std::unique_ptr<RouteFinder> finder;
  // The route log's call count belongs to the assignment and confirmation.
  const int32_t calls = RouteSearchCallCount;

  std::vector<SheetRow> sheets;
  sheets.reserve(rows.size());
  acedSetStatusBarProgressMeter(u"経路検索中・・・", 0, static_cast<int>(rows.size()));
  for (size_t k = 0; k < rows.size(); ++k) {
    if (pump) pump();
    acedSetStatusBarProgressMeterPos(static_cast<int>(k));
    SheetRow& sheet = sheets.emplace_back();
    sheet.row = rows[k];
    sheet.cable = cables.at(rows[k]);
    const CableRow& row = sheet.cable;
    const auto from = equipment.Find(row.fromMark, row.fromName, row.fromSubNo, project.facility);
    const auto to = equipment.Find(row.toMark, row.toName, row.toSubNo, project.facility);
    if (from.size() != 1 || to.size() != 1) {
      if (from.size() != 1) sheet.reason = EndProblem(u"From", from.size());
      if (to.size() != 1) sheet.reason += (sheet.reason.empty() ? u"" : u"、") + EndProblem(u"To", to.size());
      continue;
    }
    sheet.from = from[0];
    sheet.to = to[0];
    if (!finder) finder = std::make_unique<RouteFinder>(source, tagged);
    const RouteSearchResult result = finder->Find(sheet.from, sheet.to, g_cableSetting.mostShortDist);
    if (!result.found()) {
      sheet.reason = sheet.from == sheet.to ? u"From機器とTo機器が同じ機器です"
                                            : u"From機器とTo機器をつなぐ経路がありません";
      continue;
    }
    sheet.route = result.route;
    sheet.metres = result.length / 1000;
    double sum = 0;
    for (size_t i = 0; i < sheet.route.size(); ++i) {
      const AcDbObjectId id = sheet.route[i];
      int rootKind = -1;
      RootComn_GetBlockRootKind(id, rootKind);
      const double length = finder->GetElementLength(sheet.route, id, static_cast<int>(i));
      sum += length;
      sheet.elements.push_back({ElementLabel(ClassifyBlockID(id), rootKind), length, sum});
    }
  }
  acedRestoreStatusBar();
  RouteSearchCallCount = calls;
  return sheets;
}

CString SheetLength(const SheetRow& row) {
  return row.routed() ? wb::Format(u"%.1lf", row.metres) : CString();
}

bool ParseRowSelection(std::string_view text, int rowCount, std::vector<int>& rows,
                       std::string& problem) {
  rows.clear();
  std::vector<bool> taken(rowCount > 0 ? rowCount : 0);
  auto number = [](std::string_view s, int& value) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return !s.empty() && ec == std::errc() && end == s.data() + s.size();
  };
  while (true) {
    const size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    const size_t dash = item.find('-', item.find_first_not_of(' '));
    int first = 0, last = 0;
    const bool ok = dash == std::string_view::npos
                        ? number(item, first) && (last = first, true)
                        : number(item.substr(0, dash), first) && number(item.substr(dash + 1), last);
    if (!ok || first < 1 || last < first || last > rowCount) {
      problem = "rows \"" + std::string(item) + "\": expected N or N-M between 1 and " +
                std::to_string(rowCount);
      return false;
    }
    // A row asked for twice gets one page.
    for (int r = first; r <= last; ++r)
      if (!taken[r - 1]) {
        taken[r - 1] = true;
        rows.push_back(r - 1);
      }
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}
