#include "drawing/tagged_entities.h"

#include <algorithm>

#include "platform/arxutil/drawing/arxutil_drawing.h"
#include "platform/editor/selection.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"

namespace {

const CString kAttrApp = u"QZ_ATTR";

}  // namespace

AcDbObjectIdArray GetTaggedEntities(int mode, const CString& mark, const CString& name,
                                    const CString& subNumber, const CString& facility) {
  AcDbObjectIdArray result;
  // One xdata group naming both applications: either one suffices.
  FilterList filter{{-3, u""}, {1001, u"QZ_LINK,QZ_ATTR"}};
  ads_name selection;
  if (acedSSGet(u"A", nullptr, nullptr, &filter, selection) != RTNORM) return result;
  long count = 0;
  spedSSLength(selection, count);
  for (long i = 0; i < count; ++i) {
    ads_name entity;
    AcDbObjectId id;
    if (acedSSName(selection, i, entity) != RTNORM) continue;
    if (acdbGetObjectId(id, entity) != 0) continue;
    if (mode == TAGSCAN_EQUIPMENT) {
      if (CAttributeData::GetValueAttID(id, cablekey::kMark) != mark) continue;
      if (CAttributeData::GetValueAttID(id, cablekey::kName) != name) continue;
      if (CAttributeData::GetValueAttID(id, cablekey::kSubNumber) != subNumber) continue;
    }
    result.push_back(id);
  }
  if (mode == TAGSCAN_EQUIPMENT && result.size() > 1) {
    AcDbObjectIdArray sameFacility;
    for (AcDbObjectId id : result)
      if (CAttributeData::GetValueAttID(id, cablekey::kFacility) == facility)
        sameFacility.push_back(id);
    result = std::move(sameFacility);
  }
  acedSSFree(selection);
  return result;
}

int ClassifyBlockID(AcDbObjectId id) {
  CString partId;
  QzComn_GetIDByBlockName(id, partId);
  auto starts = [&](const char16_t* prefix) { return partId.compare(0, 2, prefix) == 0; };
  if (partId.size() >= 2 && starts(u"KK")) return BLOCKID_EQUIPMENT;
  if (partId.size() >= 2 && starts(u"RT")) return BLOCKID_WIRE;
  if (partId.size() >= 2 && starts(u"RB")) {
    if (partId.size() > 2 && partId[2] == u'S') return BLOCKID_RISER;
    if (partId.size() > 2 && partId[2] == u'T') return BLOCKID_TEE;
    return BLOCKID_RB_OTHER;
  }
  return BLOCKID_NONE;
}

int WriteEntityAttribute(AcDbObjectId id, const CString& key, const CString& value, int number1,
                         int number2, int accumulate) {
  CStringArray list;
  ApiComn_extractAttributesArrayID(id, kAttrApp, list, 0);
  if (CAttributeData::FindAtt(list, key) >= 0) {
    CString newValue = value;
    if (accumulate == 1)
      newValue = CAttributeData::ValueOf(list[CAttributeData::FindAtt(list, key)]) + u"," + value;
    CAttributeData::SetAtAtt(list, key, newValue);
  } else {
    list.push_back(wb::Format(u"%s|%s|%d|1|99|%d|", key.c_str(), value.c_str(), number1, number2));
  }
  return ApiComn_appendAttributesArray(id, kAttrApp, list, 1);
}

void RemoveEntityAttributes(AcDbObjectId id, const CStringArray& keys) {
  CStringArray list;
  ApiComn_extractAttributesArrayID(id, kAttrApp, list, 0);
  for (const auto& key : keys) {
    int index = CAttributeData::FindAtt(list, key);
    if (index >= 0) list.erase(list.begin() + index);
  }
  ApiComn_appendAttributesArray(id, kAttrApp, list, 1);
}

CString ElementLabel(int blockClass, int rootKind) {
  if (blockClass == BLOCKID_WIRE) return u"WIRE ";
  if (blockClass == BLOCKID_RISER) return u"TATE ";
  if (blockClass == BLOCKID_TEE) return u"TEE  ";
  if (rootKind == ROOTKIND_EQUIPMENT) return u"KIKI ";
  if (rootKind == ROOTKIND_PART) return u"BUHIN";
  return u"ETC  ";
}

namespace {
CString IndexKey(const CString& mark, const CString& name, const CString& subNumber) {
  // Unit separators cannot occur in drawing texts, so the key is unambiguous.
  return mark + u'\x1F' + name + u'\x1F' + subNumber;
}
}  // namespace

EquipmentIndex::EquipmentIndex(const AcDbObjectIdArray& tagged) {
  std::vector<std::pair<CString, Entry>> all;
  all.reserve(tagged.size());
  for (AcDbObjectId id : tagged) {
    CStringArray list;
    ApiComn_extractAttributesArrayID(id, kAttrApp, list, 0);
    auto value = [&](const char16_t* key) {
      int index = CAttributeData::FindAtt(list, key);
      return index < 0 ? CString() : CAttributeData::ValueOf(list[index]);
    };
    all.push_back({IndexKey(value(cablekey::kMark), value(cablekey::kName),
                            value(cablekey::kSubNumber)),
                   Entry{id, value(cablekey::kFacility)}});
  }
  // Stable: entities of one key stay in scan order.
  std::stable_sort(all.begin(), all.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& [key, entry] : all) {
    if (buckets_.empty() || buckets_.back().first != key) buckets_.push_back({key, {}});
    buckets_.back().second.push_back(std::move(entry));
  }
}

AcDbObjectIdArray EquipmentIndex::Find(const CString& mark, const CString& name,
                                       const CString& subNumber, const CString& facility) const {
  const CString key = IndexKey(mark, name, subNumber);
  auto it = std::lower_bound(buckets_.begin(), buckets_.end(), key,
                             [](const auto& bucket, const CString& k) { return bucket.first < k; });
  AcDbObjectIdArray result;
  if (it == buckets_.end() || it->first != key) return result;
  if (it->second.size() == 1) return {it->second.front().id};
  for (const auto& entry : it->second)
    if (entry.facility == facility) result.push_back(entry.id);
  return result;
}
