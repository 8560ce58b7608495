#include "annotation/cable_info.h"

#include <array>

#include "annotation/annotation_command.h"
#include "annotation/draw_note.h"
#include "drawing/tagged_entities.h"
#include "platform/arxutil/drawing/arxutil_drawing.h"
#include "platform/dialogs/message_box.h"
#include "platform/editor/command_queue.h"
#include "platform/editor/document.h"
#include "platform/editor/drag_entity.h"
#include "platform/editor/prompts.h"
#include "platform/qzcomn/config/qzcomn_config.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "ui/main_dlg.h"

namespace {


// A key the element lacks is no cable; a key with an empty value is one
// cable whose field is empty.
CStringArray SplitCableValue(AcDbObjectId element, const CStringArray& entries,
                             const char16_t* key) {
  CStringArray items;
  if (CAttributeData::FindAtt(entries, key) < 0) return items;
  QzComn_GetSplitString(CAttributeData::GetValueAttID(element, key), items, nullptr, u",");
  return items;
}

// Item i of a list, empty beyond its end.
const CString& ItemOr(const CStringArray& list, size_t i) {
  static const CString kEmpty;
  return i < list.size() ? list[i] : kEmpty;
}

void AppendEnd(CString& line, const CStringArray& marks, const CStringArray& subNumbers,
               size_t i, const CableSetting& setting) {
  line += ItemOr(marks, i);
  if (setting.annoSubNumber && i < subNumbers.size() && !subNumbers[i].empty())
    line += setting.subNumberSeparator + subNumbers[i];
}

}  // namespace

CableInfoLists ReadCableInfoLists(AcDbObjectId element) {
  CableInfoLists lists;
  CStringArray entries;
  ApiComn_extractAttributesArrayID(element, u"QZ_ATTR", entries, 0);
  lists.sizes = SplitCableValue(element, entries, cablekey::kSizes);
  lists.fromMarks = SplitCableValue(element, entries, cablekey::kFromMarks);
  lists.toMarks = SplitCableValue(element, entries, cablekey::kToMarks);
  lists.numbers = SplitCableValue(element, entries, cablekey::kNumbers);
  lists.fromSubNumbers = SplitCableValue(element, entries, cablekey::kFromSubNumbers);
  lists.toSubNumbers = SplitCableValue(element, entries, cablekey::kToSubNumbers);
  return lists;
}

bool CableInfoListsConsistent(const CableInfoLists& lists) {
  const size_t n = lists.sizes.size();
  return lists.fromMarks.size() == n && lists.toMarks.size() == n && lists.numbers.size() == n;
}

CStringArray BuildAnnotationLines(const CableInfoLists& lists, bool withNumber, bool withFromTo,
                                  const CableSetting& setting) {
  CStringArray lines;
  const size_t n = lists.sizes.size();
  lines.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    CString line;
    // Text after an omitted field belongs to it and goes with it.
    bool skip = false;
    for (char16_t c : setting.cinfoTextFormat) {
      switch (c) {
        case u'A':
          if (withNumber) {
            line += ItemOr(lists.numbers, i);
            skip = false;
          } else {
            skip = true;
          }
          break;
        case u'B':
          line += ItemOr(lists.sizes, i);
          skip = false;
          break;
        case u'C':
        case u'D':
          if (withFromTo) {
            if (c == u'C')
              AppendEnd(line, lists.fromMarks, lists.fromSubNumbers, i, setting);
            else
              AppendEnd(line, lists.toMarks, lists.toSubNumbers, i, setting);
            skip = false;
          } else {
            skip = true;
          }
          break;
        default:
          if (!skip) line += c;
      }
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

CString GetAttributeEntryValue(const CString& entry) {
  const size_t first = entry.find(u'|');
  if (first == CString::npos) return {};
  const size_t second = entry.find(u'|', first + 1);
  return second == CString::npos ? entry.substr(first + 1)
                                 : entry.substr(first + 1, second - first - 1);
}

bool IsEtatFlagged(AcDbObjectId entity) {
  CStringArray list;
  if (ApiComn_extractAttributesArrayID(entity, u"QZ_ATTR", list, 0) != 0) return false;
  CString entry;
  if (CAttributeData::GetAtAtt(list, u"ETAT", entry) != 0) return false;
  return _wtoi(GetAttributeEntryValue(entry)) != 0;
}

bool IsModuleLayer(const CString& name) {
  const std::array<const CString*, 18> globals = {
      &QZCONECT_LAYER,   &QZLENGTH_LAYER,      &QZHIDE_LAYER,       &QZPRIMARY_LAYER,
      &STANDPIPE_LAYER,  &QZSHELTER_LAYER,     &QZBASIS_LAYER,      &QZSERVICESPACE_LAYER,
      &QZSNAP_LAYER,     &QZARRANGE_LAYER,     &QZSUBHIDE_LAYER,    &QZCENTERLINE_LAYER,
      &QZANNO_LAYER,     &QZANNOSIZE_LAYER,    &QZANNOFL_LAYER,     &QZANNOVARIOUS_LAYER,
      &QZUNDRAW_LAYER,   &QZSLENDER_LAYER};
  for (const CString* global : globals)
    if (name == *global) return true;
  for (int i = 0; i <= 16; ++i)
    if (name == wb::Utf8ToUtf16(std::to_string(i))) return true;
  return false;
}

void UnlockModuleLayers() {
  auto* database = wb::editor::ActiveDatabase();
  if (!database) return;
  for (const std::string& name : database->LayerNames())
    if (database->IsLayerLocked(name) && IsModuleLayer(wb::Utf8ToUtf16(name)))
      database->SetLayerLocked(name, false);
}

int CheckLayerLocked(const CString& layer, bool unlock) {
  auto* database = wb::editor::ActiveDatabase();
  if (!database) return -1;
  const AcDbObjectId record = database->LayerId(wb::Utf16ToUtf8(layer));
  if (record.isNull()) return -1;
  // The record's own spelling: an entity may name its layer in another case.
  const std::string name = database->Group(record, 2).value_or(wb::Utf16ToUtf8(layer));
  bool locked = database->IsLayerLocked(name);
  if (unlock && locked) {
    database->SetLayerLocked(name, false);
    locked = false;
  }
  if (locked) {
    AfxMessageBox(wb::Format(LoadModuleString(155).c_str(), wb::Utf8ToUtf16(name).c_str()),
                  MB_OK | MB_ICONSTOP);
    return 1;
  }
  const CString current = wb::editor::CurrentLayer(*database);
  if (database->LayerId(wb::Utf16ToUtf8(current)) != record &&
      CheckLayerLocked(current, unlock) != 0)
    return 1;
  UnlockModuleLayers();
  return 0;
}

int SelectWire(const CString& prompt, AcDbObjectId& nested, AcGePoint3d& pickPoint,
               AcDbObjectId& wire) {
  nested = {};
  wire = {};
  auto* database = wb::editor::ActiveDatabase();
  if (!database) return RTCAN;
  while (true) {
    ads_name name;
    AcGePoint3d point;
    AcDbObjectIdArray containers;
    const int result = acedNEntSelP(prompt.c_str(), name, point, false, containers);
    if (result == RTERROR) continue;  // a missed pick asks again
    if (result != RTNORM) return result;  // Enter (RTNONE) or Esc
    AcDbObjectId entity;
    acdbGetObjectId(entity, name);
    if (containers.empty() || entity.isNull()) continue;
    const AcDbObjectId outer = containers.back();
    if (outer.isNull() || !database->IsAlive(outer)) continue;
    pickPoint = point;
    nested = entity;
    wire = outer;
    CStringArray link;
    ApiComn_extractAttributesArrayID(wire, u"QZ_LINK", link, 0);
    const CString layer = wb::Utf8ToUtf16(database->Layer(wire));
    if (CheckLayerLocked(layer, false) != 0) {
      nested = {};
      wire = {};
      continue;
    }
    return RTNORM;
  }
}

void QZ_DrawCableInfo() {
  if (!g_pDrawNote || !g_pMainDlg) return;

  AcDbObjectId nested, wire;
  AcGePoint3d pickPoint;
  if (SelectWire(LoadModuleString(153), nested, pickPoint, wire) != RTNORM) return;
  if (wire.isNull()) return;

  int kind = -1;
  RootComn_GetBlockRootKind(wire, kind);
  if (kind == ROOTKIND_EQUIPMENT && IsEtatFlagged(wire)) kind = ROOTKIND_PART;
  if (kind != ROOTKIND_PART) return;

  const bool withFromTo = g_pMainDlg->IsDlgButtonChecked(IDC_FROMTO);
  const bool withNumber = g_pMainDlg->IsDlgButtonChecked(IDC_CABLENO);

  const CableInfoLists lists = ReadCableInfoLists(wire);
  if (!CableInfoListsConsistent(lists)) {
    acutPrintf(LoadModuleString(154).c_str());
    return;
  }
  g_pDrawNote->lines.clear();
  if (!lists.sizes.empty())
    g_pDrawNote->lines = BuildAnnotationLines(lists, withNumber, withFromTo);
  g_pDrawNote->wireId = wire;
  g_pDrawNote->pickPoint = pickPoint;
  g_pDrawNote->StartAnnotationDrag();
  ApiComn_sendCommand(u"QZ_DrawCableInfo", 1, 0, 1);
}
