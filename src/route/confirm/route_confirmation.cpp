#include "route/confirm/route_confirmation.h"

#include "drawing/drawing_element_source.h"
#include "drawing/tagged_entities.h"
#include "platform/dialogs/message_box.h"
#include "platform/editor/entity.h"
#include "platform/editor/prompts.h"
#include "platform/editor/ticks.h"
#include "resources/string_table.h"
#include "route/assign/cable_assignment.h"
#include "route/search/route_finder.h"
#include "settings/cable_setting.h"
#include "ui/main_dlg.h"

using wb::editor::Entity;

namespace {

int Refuse(int stringId, int code) {
  AfxMessageBox(LoadModuleString(stringId), MB_OK);
  return code;
}

void SetAppearance(AcDbObjectId id, int colorIndex, int lineWeight) {
  auto entity = Entity::Open(id, Entity::kForWrite);
  if (!entity) return;
  entity->setLineWeight(lineWeight, true);
  entity->setColorIndex(colorIndex, true);
}

}  // namespace

int FindCableRoute(AcDbObjectId& from, AcDbObjectId& to, AcDbObjectIdArray& route) {
  route.clear();
  if (!g_pMainDlg) return Refuse(143, kRouteBadRow);
  const auto& rows = g_pMainDlg->m_cableList.rows;
  const int32_t selected = g_pMainDlg->m_selectedRow;
  if (selected < 0 || selected >= static_cast<int32_t>(rows.size()))
    return Refuse(143, kRouteBadRow);
  const CableRow row = rows[selected];
  const CString facility = g_pMainDlg->m_lastFacility;

  const AcDbObjectIdArray tagged = GetTaggedEntities(TAGSCAN_ALL, u"", u"", u"", u"");
  if (tagged.empty()) return Refuse(144, kRouteNoElements);
  const AcDbObjectIdArray froms =
      GetTaggedEntities(TAGSCAN_EQUIPMENT, row.fromMark, row.fromName, row.fromSubNo, facility);
  const AcDbObjectIdArray tos =
      GetTaggedEntities(TAGSCAN_EQUIPMENT, row.toMark, row.toName, row.toSubNo, facility);
  if (froms.empty()) return Refuse(147, kRouteNoFrom);
  if (tos.empty()) return Refuse(148, kRouteNoTo);
  if (froms.size() > 1 || tos.size() > 1) return Refuse(145, kRouteAmbiguous);

  from = froms.front();
  to = tos.front();
  const uint32_t start = GetTickCount();
  DrawingElementSource source;
  RouteFinder finder(source, tagged);
  RouteSearchCallCount = 0;
  route = finder.Find(from, to, g_cableSetting.mostShortDist).route;
  WriteRouteLog(from, to, route, GetTickCount() - start, 0);
  return !route.empty() && route.back() == to ? kRouteFound : kRouteNone;
}

HighlightRecord HighlightEntity(AcDbObjectId id, int colorIndex, int lineWeight) {
  HighlightRecord record{id, -1, 0};
  if (auto entity = Entity::Open(id, Entity::kForRead)) {
    record.colorIndex = entity->colorIndex();
    record.lineWeight = entity->lineWeight();
  }
  SetAppearance(id, colorIndex, lineWeight);
  return record;
}

void RestoreEntity(const HighlightRecord& record) {
  SetAppearance(record.id, record.colorIndex, record.lineWeight);
}

void QZ_ConfirtCable() {
  AcDbObjectId from, to;
  AcDbObjectIdArray route;
  const int code = FindCableRoute(from, to, route);
  if (code < 0) return;

  const int color = static_cast<uint16_t>(g_cableSetting.confirmColor);
  const int weight = g_cableSetting.confirmLineWeight;
  std::vector<HighlightRecord> records;
  // An entity is highlighted once, so that restoring in order ends with
  // its own appearance even when From and To are the same equipment.
  auto highlight = [&](AcDbObjectId id) {
    for (const auto& r : records)
      if (r.id == id) return;
    records.push_back(HighlightEntity(id, color, weight));
  };
  if (code == kRouteFound) {
    for (AcDbObjectId id : route) highlight(id);
  } else {
    highlight(from);
    highlight(to);
  }

  const bool display = wb::editor::LineWeightDisplay();
  wb::editor::SetLineWeightDisplay(true);
  if (g_pMainDlg) g_pMainDlg->ShowConfirmButtons(true);
  PostMessageW(adsw_acadDocWnd(), WM_ACTIVATE, WA_ACTIVE, 0);

  const CString prompt = LoadModuleString(146);
  AcGePoint3d point;
  while (acedGetPoint(nullptr, prompt.c_str(), point) == RTNORM) {
  }

  if (g_pMainDlg) g_pMainDlg->ShowConfirmButtons(false);
  wb::editor::SetLineWeightDisplay(display);
  for (const auto& record : records) RestoreEntity(record);
}
