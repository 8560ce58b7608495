// How the authoring tools tag equipment and route elements, as the module
// sees it: the scan for tagged entities, the block ID classes, the attribute
// writes and removals, and the element labels of the route log.
#pragma once

#include "platform/host/host_types.h"

constexpr int TAGSCAN_ALL = 1;
constexpr int TAGSCAN_EQUIPMENT = 2;

constexpr int ROOTKIND_EQUIPMENT = 0;
constexpr int ROOTKIND_PART = 3;

constexpr int BLOCKID_NONE = -1;
constexpr int BLOCKID_EQUIPMENT = 0;
constexpr int BLOCKID_WIRE = 1;
constexpr int BLOCKID_RB_OTHER = 2;
constexpr int BLOCKID_TEE = 3;
constexpr int BLOCKID_RISER = 7;

// Attribute keys written by the module.
namespace cablekey {
inline constexpr char16_t kSubNumber[] = u"CB00";
inline constexpr char16_t kMark[] = u"CB01";
inline constexpr char16_t kName[] = u"CB02";
inline constexpr char16_t kSizes[] = u"CB03";
inline constexpr char16_t kFromMarks[] = u"CB04";
inline constexpr char16_t kFromNames[] = u"CB05";
inline constexpr char16_t kToMarks[] = u"CB06";
inline constexpr char16_t kToNames[] = u"CB07";
inline constexpr char16_t kNumbers[] = u"CB08";
inline constexpr char16_t kFromSubNumbers[] = u"CB09";
inline constexpr char16_t kToSubNumbers[] = u"CB10";
inline constexpr char16_t kFacility[] = u"CB11";
}  // namespace cablekey

AcDbObjectIdArray GetTaggedEntities(int mode, const CString& mark, const CString& name,
                                    const CString& subNumber, const CString& facility);
int ClassifyBlockID(AcDbObjectId id);
int WriteEntityAttribute(AcDbObjectId id, const CString& key, const CString& value, int number1,
                         int number2, int accumulate);
void RemoveEntityAttributes(AcDbObjectId id, const CStringArray& keys);
// Five characters naming an element in the route log.
CString ElementLabel(int blockClass, int rootKind);

// Equipment lookup of one command: the result of GetTaggedEntities mode 2 for
// any mark, name and sub-number, from one reading of the drawing. Valid while
// marks do not change (they do not during cable assignment).
class EquipmentIndex {
 public:
  explicit EquipmentIndex(const AcDbObjectIdArray& tagged);
  AcDbObjectIdArray Find(const CString& mark, const CString& name, const CString& subNumber,
                         const CString& facility) const;

 private:
  struct Entry {
    AcDbObjectId id;
    CString facility;
  };
  std::vector<std::pair<CString, std::vector<Entry>>> buckets_;  // sorted by key
};
