#include "marks/mark_commands.h"

#include "drawing/tagged_entities.h"
#include "marks/draw_mark_dlg.h"
#include "platform/arxutil/drawing/arxutil_drawing.h"
#include "platform/dialogs/message_box.h"
#include "platform/editor/command_queue.h"
#include "platform/editor/document.h"
#include "platform/editor/entity.h"
#include "platform/editor/prompts.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"
#include "platform/qzcomn/drawing/qzcomn_entity.h"
#include "resources/string_table.h"
#include "settings/cable_setting.h"
#include "ui/main_dlg.h"

using wb::editor::Entity;

namespace {

const CString kLinkApp = u"QZ_CABLEINFO";
const CStringArray kMarkKeys = {cablekey::kMark, cablekey::kName, cablekey::kSubNumber,
                                cablekey::kFacility};

void ActivateDocumentWindow() { PostMessageW(adsw_acadDocWnd(), WM_ACTIVATE, WA_ACTIVE, 0); }

// One entity by the user's pick; null when the pick did not give one.
AcDbObjectId PickOne(int promptId) {
  ads_name name;
  AcGePoint3d point;
  if (acedEntSel(LoadModuleString(promptId).c_str(), name, point) != RTNORM) return {};
  AcDbObjectId id;
  if (acdbGetObjectId(id, name) != 0) return {};
  return id;
}

}  // namespace

double GetDrawingScale() {
  double scale = 1.0;
  if (QzComn_GetScale(scale) != 0) scale = 1.0;
  return scale;
}

CString GetHandleText(AcDbObjectId id) {
  auto entity = Entity::Open(id, Entity::kForRead);
  if (!entity) return {};
  return wb::Utf8ToUtf16(entity->handleText()).substr(0, 19);  // a 20-unit buffer
}

AcDbObjectId GetIdFromHandleText(wb::db::Database* database, const CString& text) {
  if (!database) database = wb::editor::ActiveDatabase();
  if (!database) return {};
  const AcDbObjectId id = wb::db::Database::FromHandleText(wb::Utf16ToUtf8(text));
  return !id.isNull() && database->IsAlive(id) ? id : AcDbObjectId{};
}

CString ComposeMarkText(const CString& mark, const CString& subNumber) {
  if (g_cableSetting.drawSubNumber && !subNumber.empty())
    return mark + g_cableSetting.subNumberSeparator + subNumber;
  return mark;
}

void QZ_DrawMark() {
  // Without the mark dialog there is no selected mark to place.
  if (!g_pMainDlg || !g_pDrawMarkDlg) return;
  ActivateDocumentWindow();
  const AcDbObjectId block = PickOne(125);
  if (block.isNull()) return;
  int kind = 0;
  if (RootComn_GetBlockRootKind(block, kind) != 0 || kind != ROOTKIND_EQUIPMENT) return;

  CString mark, name, subNumber;
  g_pDrawMarkDlg->GetSelectedMark(g_pDrawMarkDlg->m_markSide, mark, name, subNumber);
  const CString text = ComposeMarkText(mark, subNumber);

  wb::editor::Extents extents;
  {
    auto entity = Entity::Open(block, Entity::kForRead);
    if (!entity) {
      AfxMessageBox(LoadModuleString(128), MB_OK);
      return;
    }
    if (!entity->getGeomExtents(extents)) {
      // A block without geometry: its insertion point stands for it.
      AcGePoint3d origin;
      RootComn_GetOriginPoint(block, origin);
      extents = {origin, origin};
    }
  }

  const double scale = GetDrawingScale();
  const AcGePoint3d at{(extents.min.x + extents.max.x) / 2,
                       extents.max.y + g_cableSetting.markOffset * scale, 0};
  AcDbText markText(at, text, AcDbObjectId{}, g_cableSetting.markTextHeight * scale, 0);
  QzComn_createLayer(g_cableSetting.markLayer, nullptr);
  markText.setLayer(g_cableSetting.markLayer);
  markText.setWidthFactor(g_cableSetting.markWidthFactor);
  markText.setColorIndex(static_cast<uint16_t>(g_cableSetting.markColor));
  markText.setLineWeight(kLnWtByLayer);
  markText.setLinetype(u"BYLAYER");
  markText.setVerticalMode(kTextBottom);
  markText.setHorizontalMode(kTextCenter);
  markText.setAlignmentPoint(at);
  AcDbObjectId textId;
  QzComn_addEntity(markText, &textId);

  // A block marked before: its old mark text goes.
  CStringArray link;
  ApiComn_extractAttributesArrayID(block, kLinkApp, link, 0);
  if (link.size() >= 2) {
    const AcDbObjectId old = GetIdFromHandleText(nullptr, link[0]);
    if (!old.isNull()) {
      if (auto entity = Entity::Open(old, Entity::kForWrite)) entity->erase();
    }
  }

  const CStringArray newLink{GetHandleText(textId), GetHandleText(block)};
  ApiComn_appendAttributesArray(textId, kLinkApp, newLink, 1);
  ApiComn_appendAttributesArray(block, kLinkApp, newLink, 1);

  const CString facility = g_pMainDlg->m_lastFacility;
  WriteEntityAttribute(block, cablekey::kMark, mark, 1, 1, 0);
  WriteEntityAttribute(block, cablekey::kName, name, 1, 1, 0);
  WriteEntityAttribute(block, cablekey::kSubNumber, subNumber, 1, 1, 0);
  WriteEntityAttribute(block, cablekey::kFacility, facility, 1, 1, 0);
}

void QZ_DeleteMark() {
  if (!g_pMainDlg) return;
  ActivateDocumentWindow();
  const AcDbObjectId picked = PickOne(136);
  if (picked.isNull()) return;
  bool isText = false;
  {
    auto entity = Entity::Open(picked, Entity::kForRead);
    if (!entity) return;
    isText = entity->isKindOfText();
    if (!isText && !entity->isKindOfBlockReference()) return;
  }

  CStringArray link;
  AcDbObjectId doomed;
  if (isText) {
    ApiComn_extractAttributesArrayID(picked, kLinkApp, link, 0);
    if (link.size() < 2) return;  // an ordinary text
    const AcDbObjectId block = GetIdFromHandleText(nullptr, link[1]);
    if (!block.isNull()) RemoveEntityAttributes(block, kMarkKeys);
    doomed = picked;
  } else {
    RemoveEntityAttributes(picked, kMarkKeys);
    ApiComn_extractAttributesArrayID(picked, kLinkApp, link, 0);
    if (link.size() < 2) return;
    doomed = GetIdFromHandleText(nullptr, link[0]);
  }

  auto entity = Entity::Open(doomed, Entity::kForWrite);
  if (!entity || !entity->isKindOfText()) return;
  entity->erase();
  ApiComn_sendCommand(u"QZ_DELETEMARK", 1, 0, 1);
}

void QZ_DeleteCableAtt() {
  FilterList filter{{-3, u""}, {1001, u"QZ_LINK,QZ_ATTR"}};
  ActivateDocumentWindow();
  ads_name selection;
  if (acedSSGet(nullptr, nullptr, nullptr, &filter, selection) != RTNORM) return;
  long count = 0;
  spedSSLength(selection, count);
  const CStringArray keys{cablekey::kSizes,   cablekey::kFromMarks, cablekey::kFromNames,
                          cablekey::kToMarks, cablekey::kToNames,   cablekey::kNumbers};
  for (long i = 0; i < count; ++i) {
    ads_name name;
    AcDbObjectId id;
    if (acedSSName(selection, i, name) != RTNORM || acdbGetObjectId(id, name) != 0) continue;
    if (id.isNull()) continue;
    RemoveEntityAttributes(id, keys);
  }
  acedSSFree(selection);
  acutPrintf(u"%s", LoadModuleString(156).c_str());
}
