#include "hosts/common/entity_listing.h"

#include "drawing/tagged_entities.h"
#include "platform/arxutil/drawing/arxutil_drawing.h"
#include "platform/editor/document.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"

namespace wb::hosts {
namespace {

WString ColorText(int color) {
  static const char16_t* const kNames[] = {u"赤", u"黄", u"緑", u"シアン", u"青", u"マゼンタ", u"白"};
  if (color == 256) return u"BYLAYER";
  if (color == 0) return u"BYBLOCK";
  WString text = Utf8ToUtf16(std::to_string(color));
  if (color >= 1 && color <= 7) text += WString(u" (") + kNames[color - 1] + u")";
  return text;
}

// Lineweights are hundredths of a millimetre; the negative values are modes.
WString LineWeightText(int weight) {
  switch (weight) {
    case -1: return u"BYLAYER";
    case -2: return u"BYBLOCK";
    case -3: return u"既定";
    default: return Format(u"%.2f mm", weight / 100.0);
  }
}

EntityListing::Attribute Decode(const WString& entry) {
  EntityListing::Attribute a;
  a.key = CAttributeData::KeyOf(entry);
  a.value = CAttributeData::ValueOf(entry);
  // The four numbers follow "KEY|VALUE|".
  const size_t rest = a.key.size() + 1 + a.value.size() + 1;
  if (rest < entry.size()) {
    const std::vector<WString> fields = Split(WStringView(entry).substr(rest), u"|");
    for (size_t i = 0; i < fields.size() && i < 4; ++i) a.numbers[i] = fields[i];
  }
  return a;
}

// The cable keys, each a comma-separated list with one item per cable; the
// size list decides how many cables there are.
std::vector<EntityListing::Cable> Cables(const CStringArray& list) {
  auto items = [&](const char16_t* key) {
    const int at = CAttributeData::FindAtt(list, key);
    const WString value = at < 0 ? WString() : CAttributeData::ValueOf(list[static_cast<size_t>(at)]);
    return value.empty() ? std::vector<WString>{} : Split(value, u",");
  };
  using namespace cablekey;
  const auto sizes = items(kSizes), numbers = items(kNumbers), fromMarks = items(kFromMarks),
             fromNames = items(kFromNames), toMarks = items(kToMarks), toNames = items(kToNames),
             fromSubs = items(kFromSubNumbers), toSubs = items(kToSubNumbers);
  auto at = [](const std::vector<WString>& v, size_t i) { return i < v.size() ? v[i] : WString(); };
  std::vector<EntityListing::Cable> cables;
  for (size_t i = 0; i < sizes.size(); ++i)
    cables.push_back({at(numbers, i), sizes[i], at(fromMarks, i), at(fromSubs, i), at(fromNames, i),
                      at(toMarks, i), at(toSubs, i), at(toNames, i)});
  return cables;
}

}  // namespace

const std::vector<WString>& AttributeHeadings() {
  static const std::vector<WString> headings{u"キー", u"値", u"n1", u"n2", u"n3", u"n4"};
  return headings;
}

const std::vector<WString>& CableHeadings() {
  static const std::vector<WString> headings{u"ケーブル番号", u"サイズ", u"From記号", u"From副番",
                                             u"From名称",     u"To記号", u"To副番",   u"To名称"};
  return headings;
}

EntityListing ListEntity(db::ObjectId id) {
  EntityListing out;
  const db::Database* database = editor::ActiveDatabase();
  if (!database || !database->IsAlive(id)) return out;
  auto add = [&](const char16_t* label, const WString& value) { out.properties.push_back({label, value}); };
  add(u"ハンドル", Utf8ToUtf16(db::Database::HandleText(id)));
  add(u"種類", Utf8ToUtf16(database->EntityType(id)));
  add(u"画層", Utf8ToUtf16(database->Layer(id)));
  add(u"色", ColorText(database->Color(id)));
  add(u"線の太さ", LineWeightText(database->LineWeight(id)));
  if (auto insert = database->Insert(id)) {
    add(u"ブロック名", Utf8ToUtf16(insert->blockName));
    int kind = -1;
    if (RootComn_GetBlockRootKind(id, kind) == 0) {
      const WString name = kind == ROOTKIND_EQUIPMENT ? u" (機器)" : kind == ROOTKIND_PART ? u" (部品)" : u"";
      add(u"ルート種別", Utf8ToUtf16(std::to_string(kind)) + name);
    }
  }
  CStringArray list;
  ApiComn_extractAttributesArrayID(id, u"QZ_ATTR", list, 0);
  for (const WString& entry : list) out.attributes.push_back(Decode(entry));
  out.cables = Cables(list);
  CStringArray link;
  ApiComn_extractAttributesArrayID(id, u"QZ_CABLEINFO", link, 0);
  if (link.size() >= 2) out.markLink = u"文字 " + link[0] + u" / 機器 " + link[1];
  else if (!link.empty()) out.markLink = link[0];
  return out;
}

WString FormatListing(const EntityListing& listing) {
  WString text;
  for (const auto& p : listing.properties) text += p.label + u": " + p.value + u"\n";
  if (!listing.attributes.empty()) {
    text += u"属性 (QZ_ATTR):\n";
    for (const auto& a : listing.attributes) {
      text += u"  " + a.key + u" | " + a.value;
      for (const WString& n : a.numbers) text += u" | " + n;
      text += u"\n";
    }
  }
  if (!listing.cables.empty()) {
    text += Format(u"ケーブル (%d 本):\n", static_cast<int>(listing.cables.size()));
    for (const auto& c : listing.cables) {
      auto end = [](const WString& mark, const WString& sub, const WString& name) {
        return mark + (sub.empty() ? WString() : u"-" + sub) + (name.empty() ? WString() : u" " + name);
      };
      text += u"  " + c.number + u"  " + c.size + u"  From " + end(c.fromMark, c.fromSubNo, c.fromName) +
              u"  To " + end(c.toMark, c.toSubNo, c.toName) + u"\n";
    }
  }
  if (!listing.markLink.empty()) text += u"記号リンク: " + listing.markLink + u"\n";
  return text;
}

}  // namespace wb::hosts
