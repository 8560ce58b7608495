#include "platform/qzcomn/drawing/qzcomn_entity.h"

#include <cmath>
#include <cstdio>

#include "platform/editor/document.h"

namespace {

std::string Number(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  std::string text = buf;
  if (text.find_first_of(".eEn") == std::string::npos) text += ".0";
  return text;
}

void AddPoint(std::vector<wb::db::Tag>& tags, int code, const AcGePoint3d& p) {
  tags.push_back({code, Number(p.x)});
  tags.push_back({code + 10, Number(p.y)});
  tags.push_back({code + 20, Number(p.z)});
}

}  // namespace

// Properties at their defaults (colour and lineweight by layer, linetype
// BYLAYER, width factor 1, no rotation, left/baseline) are left out, as the
// host writes them.
int QzComn_addEntity(const AcDbText& text, AcDbObjectId* id) {
  auto* database = wb::editor::ActiveDatabase();
  if (!database) return -1;
  std::vector<wb::db::Tag> tags;
  const std::string linetype = wb::Utf16ToUtf8(text.linetype());
  if (!linetype.empty() && !wb::EqualsNoCase(text.linetype(), u"BYLAYER"))
    tags.push_back({6, linetype});
  if (text.colorIndex() != 256) tags.push_back({62, std::to_string(text.colorIndex())});
  if (text.lineWeight() != kLnWtByLayer) tags.push_back({370, std::to_string(text.lineWeight())});
  tags.push_back({100, "AcDbText"});
  AddPoint(tags, 10, text.position());
  tags.push_back({40, Number(text.height())});
  tags.push_back({1, wb::Utf16ToUtf8(text.textString())});
  if (text.rotation() != 0) tags.push_back({50, Number(text.rotation() * 180.0 / M_PI)});
  if (text.widthFactor() != 1.0) tags.push_back({41, Number(text.widthFactor())});
  // A text made without a style takes the drawing's current one, as a new
  // entity does in the host.
  if (text.textStyle().isNull()) {
    const auto current = database->HeaderValue("$TEXTSTYLE");
    if (current && !current->empty() && !wb::EqualsNoCase(wb::Utf8ToUtf16(*current), u"Standard"))
      tags.push_back({7, *current});
  } else {
    if (auto name = database->Group(text.textStyle(), 2)) tags.push_back({7, *name});
  }
  if (text.horizontalMode() != kTextLeft) tags.push_back({72, std::to_string(text.horizontalMode())});
  if (text.horizontalMode() != kTextLeft || text.verticalMode() != kTextBase)
    AddPoint(tags, 11, text.alignmentPoint());
  tags.push_back({100, "AcDbText"});
  if (text.verticalMode() != kTextBase) tags.push_back({73, std::to_string(text.verticalMode())});
  const AcDbObjectId added =
      database->AddEntity("", "TEXT", wb::Utf16ToUtf8(text.layer()), std::move(tags));
  if (added.isNull()) return -1;
  if (id) *id = added;
  return 0;
}
