#include "annotation/draw_note.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "annotation/annotation_geometry.h"
#include "platform/arxutil/convert.h"
#include "platform/arxutil/drawing/arxutil_drawing.h"
#include "platform/editor/document.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"
#include "resources/dialog_templates.h"
#include "resources/string_table.h"
#include "settings/cable_setting.h"

CDrawNote* g_pDrawNote = nullptr;

CDrawNote::CDrawNote(void* parent) : Dialog(DialogTemplate(IDD_DRAWNOTE)), parentWnd(parent) {}

bool CDrawNote::StartAnnotationDrag() {
  CDrag drag(0);
  AnchorGeometry geometry;
  if (!BuildAnchorGeometry(wireId, pickPoint, scale, geometry)) return false;
  anchor = geometry.anchor;
  originMode = geometry.originMode;
  for (auto& entity : geometry.entities) drag.Append(entity.release(), nullptr, -1);
  phase = 0;
  drag.DistEnabled(0, 15.0, 1, 10.0, 10.0, 1, nullptr, 1);
  const CString prompt = LoadModuleString(152);
  drag.Dynamic(this, prompt, true, nullptr, 0.0, 1.0, 1.0, 1.0);
  return true;
}

intptr_t CDrawNote::OnDragMessage(unsigned message, uintptr_t, DragRecord* record) {
  if (message == WM_DRAG_CANCEL) return 1;
  CDrag* drag = record ? record->drag : nullptr;
  if (!drag) return 0;
  switch (message) {
    case WM_DRAG_MOVE:
      drag->SetEntEnable(0, UpdatePreview(drag, false) ? 1 : 0);
      return 1;
    case WM_DRAG_PICK:
      return OnDragPick(drag);
    default:
      return 0;
  }
}

bool CDrawNote::UpdateLeader(CDrag* drag, AcGePoint3d& p) {
  auto* leader = dynamic_cast<AcDbLine*>(drag->At(drag->Length() - 1));
  if (!leader) return false;
  if (!originMode) {
    auto* cross = dynamic_cast<AcDbLine*>(drag->At(drag->Length() - 2));
    if (!cross) return false;
    // The leader leaves the cross line on the cursor's side of the wire.
    const bool startNearer = acutDistance(cross->startPoint(), p) <=
                             acutDistance(cross->endPoint(), p);
    leader->setStartPoint(startNearer ? cross->startPoint() : cross->endPoint());
  }
  if (g_cableSetting.cinfoLeaderRevision)
    p = SnapLeaderPoint(leader->startPoint(), p, g_cableSetting.cinfoLeaderDegree);
  leader->setEndPoint(p);
  return true;
}

bool CDrawNote::UpdatePreview(CDrag* drag, bool commit) {
  AcGePoint3d p = drag->GetPoint();
  if (phase == 0) {
    if (!UpdateLeader(drag, p)) return false;
  } else {
    // Rounding in the angle correction must not push a straight-up leader's
    // end past the cursor and flip the frame.
    const double tolerance = 1e-9 * std::max(1.0, std::fabs(leaderEnd.x));
    const int32_t s = p.x >= leaderEnd.x - tolerance ? 1 : -1;
    if (s != side) {
      for (int i = originMode ? 1 : 3; i <= drag->Length() - 2; ++i) {
        CString tag;
        AcDbEntity* entity = drag->At(i, nullptr, &tag);
        const double factor = ApiComn_atof(tag);
        if (entity && factor > 0) entity->moveBy({factor * frameWidth * s, 0, 0});
      }
      side = s;
    }
  }
  if (!commit) return true;
  return Commit(drag);
}

bool CDrawNote::Commit(CDrag* drag) {
  auto* database = wb::editor::ActiveDatabase();
  if (!database) return false;
  const AcGeVector3d toOrigin{-anchor.x, -anchor.y, -anchor.z};
  AcDbBlockReference* created = nullptr;
  if (!CreateAnnotationBlock(created, anchor)) return false;
  std::unique_ptr<AcDbBlockReference> reference(created);
  AcDbBlockTableRecord definition(*database, reference->blockName());
  if (!definition.isValid()) return false;
  for (int i = 0; i < drag->Length(); ++i) {
    AcDbEntity* entity = drag->At(i);
    if (!entity) continue;
    entity->setLayer(dynamic_cast<AcDbText*>(entity) ? QZANNO_LAYER : QZTABLE_LAYER);
    entity->moveBy(toOrigin);
    entity->setLineWeight(AcDb::kLnWtByLayer);
    entity->setLinetype(u"ByLayer");
    entity->setColorIndex(256);
    definition.appendAcDbEntity(entity);
  }
  reference->setLayer(QZTABLE_LAYER);
  // The definition owns the entities now.
  drag->RemoveAll(1);
  QzComn_addEntity(reference.get(), nullptr);
  return true;
}

bool CDrawNote::CreateAnnotationBlock(AcDbBlockReference*& reference, const AcGePoint3d& at) {
  reference = nullptr;
  CString name = u"MWNT";
  if (ApiComn_SpaceBlockName(name, 4) != 0) return false;
  auto* database = wb::editor::ActiveDatabase();
  if (!database) return false;
  database->CreateBlock(wb::Utf16ToUtf8(name), {0, 0, 0});
  return ApiComn_CreateInsert(reference, name, at, 0.0, 1.0, 1.0, 1.0) == 0;
}

intptr_t CDrawNote::OnDragPick(CDrag* drag) {
  if (phase == 1) {
    drag->SetEntEnable(0, UpdatePreview(drag, true) ? 1 : 0);
    return 0;
  }
  AcGePoint3d p = drag->GetPoint();
  if (!UpdateLeader(drag, p)) return 0;
  leaderEnd = p;
  phase = 1;
  TextFrame frame = BuildTextFrame(leaderEnd, lines, scale);
  frameWidth = frame.width;
  for (auto& item : frame.entities) drag->Append(item.entity.release(), item.tag.c_str(), -1);
  side = 1;
  drag->SetEntEnable(0, UpdatePreview(drag, false) ? 1 : 0);
  return 1;
}
