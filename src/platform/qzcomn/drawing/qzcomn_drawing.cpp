#include "platform/qzcomn/drawing/qzcomn_drawing.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "platform/arxutil/convert.h"
#include "platform/arxutil/drawing/arxutil_drawing.h"
#include "platform/editor/document.h"
#include "platform/host/nearest_point.h"
#include "platform/editor/drag_entity.h"

const wb::WString QZCONECT_LAYER = u"QZ_CONNECT";
const wb::WString QZLENGTH_LAYER = u"QZ_LENGTH";
const wb::WString QZHIDE_LAYER = u"QZ_HIDE";
const wb::WString QZPRIMARY_LAYER = u"QZ_PRIMARY";
const wb::WString STANDPIPE_LAYER = u"QZ_STANDPIPE";
const wb::WString QZSHELTER_LAYER = u"QZ_SHELTER";
const wb::WString QZBASIS_LAYER = u"QZ_BASIS";
const wb::WString QZSERVICESPACE_LAYER = u"QZ_SERVICESPACE";
const wb::WString QZSNAP_LAYER = u"QZ_SNAP";
const wb::WString QZARRANGE_LAYER = u"QZ_ARRANGE";
const wb::WString QZSUBHIDE_LAYER = u"QZ_SUBHIDE";
const wb::WString QZCENTERLINE_LAYER = u"QZ_CENTERLINE";
const wb::WString QZANNO_LAYER = u"QZ_ANNO";
const wb::WString QZANNOSIZE_LAYER = u"QZ_ANNOSIZE";
const wb::WString QZANNOFL_LAYER = u"QZ_ANNOFL";
const wb::WString QZANNOVARIOUS_LAYER = u"QZ_ANNOVARIOUS";
const wb::WString QZUNDRAW_LAYER = u"QZ_UNDRAW";
const wb::WString QZSLENDER_LAYER = u"QZ_SLENDER";
const wb::WString QZTABLE_LAYER = u"QZ_TABLE";

namespace {

wb::db::Database* Db() { return wb::editor::ActiveDatabase(); }

// A block reference keeps its insertion point and its block's geometry in
// its own coordinate system, which the extrusion direction fixes by the
// arbitrary-axis rule; nearly every reference has (0,0,1), the identity.
struct Ocs {
  wb::db::Point3 ax{1, 0, 0}, ay{0, 1, 0}, az{0, 0, 1};

  explicit Ocs(const wb::db::Point3& normal) {
    const double length =
        std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
    if (!(length > 1e-12)) return;
    az = {normal.x / length, normal.y / length, normal.z / length};
    if (az.x == 0 && az.y == 0 && az.z == 1) return;
    const bool nearPole = std::fabs(az.x) < 1.0 / 64 && std::fabs(az.y) < 1.0 / 64;
    ax = nearPole ? Cross({0, 1, 0}, az) : Cross({0, 0, 1}, az);
    const double n = std::sqrt(ax.x * ax.x + ax.y * ax.y + ax.z * ax.z);
    ax = {ax.x / n, ax.y / n, ax.z / n};
    ay = Cross(az, ax);
  }

  wb::db::Point3 ToWorld(double x, double y, double z) const {
    return {x * ax.x + y * ay.x + z * az.x, x * ax.y + y * ay.y + z * az.y,
            x * ax.z + y * ay.z + z * az.z};
  }

  static wb::db::Point3 Cross(const wb::db::Point3& a, const wb::db::Point3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
  }
};

bool SameLayer(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

}  // namespace

int QzComn_GetIDByBlockName(AcDbObjectId id, wb::WString& partId) {
  partId.clear();
  auto* database = Db();
  if (!database || !database->IsAlive(id)) return -1;
  auto insert = database->Insert(id);
  if (!insert) return -1;
  partId = wb::Utf8ToUtf16(insert->blockName);
  return 0;
}

int RootComn_GetBlockRootKind(AcDbObjectId id, int& kind) {
  auto* database = Db();
  if (!database || !database->IsAlive(id)) return -1;
  for (const auto& tag : database->XData(id, "QZ_LINK")) {
    if (tag.code != 1070) continue;
    // Files right-align integers; a group that holds no number is no kind.
    const char* begin = tag.value.c_str();
    while (*begin == ' ' || *begin == '\t') ++begin;
    if (*begin == '+') ++begin;
    const char* end = tag.value.c_str() + tag.value.size();
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t')) --end;
    int value = 0;
    auto [stop, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || stop != end) return -1;
    kind = value;
    return 0;
  }
  return -1;
}

int QzComn_GetConnectPoint(AcDbObjectId id, AcGePoint3dArray& points, const wb::WString& layer,
                           void*) {
  points.clear();
  auto* database = Db();
  if (!database || !database->IsAlive(id)) return -1;
  auto insert = database->Insert(id);
  if (!insert) return -1;
  const std::string layerName = wb::Utf16ToUtf8(layer);
  wb::db::Point3 base = database->BlockBasePoint(insert->blockName);
  const double angle = insert->rotationDegrees * M_PI / 180.0;
  const double c = std::cos(angle), s = std::sin(angle);
  const Ocs ocs(insert->extrusion);
  for (AcDbObjectId member : database->BlockEntities(insert->blockName)) {
    if (database->EntityType(member) != "POINT" || !SameLayer(database->Layer(member), layerName))
      continue;
    auto local = database->Location(member);
    if (!local) continue;
    const double x = (local->x - base.x) * insert->scale.x;
    const double y = (local->y - base.y) * insert->scale.y;
    const double z = (local->z - base.z) * insert->scale.z;
    points.push_back(ocs.ToWorld(insert->position.x + x * c - y * s,
                                 insert->position.y + x * s + y * c, insert->position.z + z));
  }
  return 0;
}

int RootComn_GetNearConnectPoint(AcDbObjectId id, const AcGePoint3d& point, AcGePoint3d& nearest,
                                 double& distance) {
  AcGePoint3dArray points;
  if (QzComn_GetConnectPoint(id, points, QZCONECT_LAYER, nullptr) != 0) return -1;
  return NearestConnectPoint(points, point, nearest, distance);
}

int RootComn_GetOriginPoint(AcDbObjectId id, AcGePoint3d& origin) {
  auto* database = Db();
  if (!database || !database->IsAlive(id)) return -1;
  auto insert = database->Insert(id);
  if (!insert) return -1;
  origin = Ocs(insert->extrusion).ToWorld(insert->position.x, insert->position.y,
                                          insert->position.z);
  return 0;
}

// The drawing scale is kept in the header as $DIMSCALE (positive), the
// global annotation scale as $LTSCALE; see docs/drawing.md.
int QzComn_GetScale(double& scale) {
  auto* database = Db();
  if (!database) return -1;
  auto value = database->HeaderValue("$DIMSCALE");
  if (!value) return -1;
  double v = std::atof(value->c_str());
  if (!(v > 0)) return -1;
  scale = v;
  return 0;
}

double QzComn_GetGlobalScale() {
  auto* database = Db();
  if (!database) return 1.0;
  auto value = database->HeaderValue("$LTSCALE");
  double v = value ? std::atof(value->c_str()) : 1.0;
  return v > 0 ? v : 1.0;
}

int QzComn_createLayer(const wb::WString& name, AcDbObjectId*) {
  auto* database = Db();
  if (!database) return -1;
  const std::string layer = wb::Utf16ToUtf8(name);
  if (!database->HasLayer(layer)) database->CreateLayer(layer, 7);
  return 0;
}

wb::WString CAttributeData::KeyOf(const wb::WString& entry) {
  size_t bar = entry.find(u'|');
  return bar == wb::WString::npos ? entry : entry.substr(0, bar);
}

// The value runs from the first bar to the bar that starts the four trailing
// number fields, so a value may itself hold bars.
wb::WString CAttributeData::ValueOf(const wb::WString& entry) {
  size_t first = entry.find(u'|');
  if (first == wb::WString::npos) return {};
  size_t end = entry.size();
  if (end > first + 1 && entry[end - 1] == u'|') --end;
  for (int field = 0; field < 4; ++field) {
    size_t bar = entry.rfind(u'|', end == 0 ? 0 : end - 1);
    if (bar == wb::WString::npos || bar <= first) return entry.substr(first + 1, end - first - 1);
    end = bar;
  }
  return entry.substr(first + 1, end - first - 1);
}

int CAttributeData::FindAtt(const CStringArray& list, const wb::WString& key) {
  for (size_t i = 0; i < list.size(); ++i) {
    const auto& entry = list[i];
    if (entry.size() > key.size() && entry.compare(0, key.size(), key) == 0 &&
        entry[key.size()] == u'|')
      return static_cast<int>(i);
    if (entry == key) return static_cast<int>(i);
  }
  return -1;
}

int CAttributeData::GetAtAtt(const CStringArray& list, const wb::WString& key,
                             wb::WString& entry) {
  int index = FindAtt(list, key);
  if (index < 0) return -1;
  entry = list[index];
  return 0;
}

int CAttributeData::SetAtAtt(CStringArray& list, const wb::WString& key,
                             const wb::WString& value) {
  int index = FindAtt(list, key);
  if (index < 0) return -1;
  wb::WString& entry = list[index];
  const wb::WString old = ValueOf(entry);
  const size_t start = key.size() + 1;
  if (entry.size() < start) {
    entry = key + u"|" + value + u"|1|1|99|1|";
    return 0;
  }
  entry.replace(start, old.size(), value);
  return 0;
}

wb::WString CAttributeData::GetValueAttID(AcDbObjectId id, const wb::WString& key) {
  CStringArray list;
  ApiComn_extractAttributesArrayID(id, u"QZ_ATTR", list, 0);
  int index = FindAtt(list, key);
  return index < 0 ? wb::WString() : ValueOf(list[index]);
}

int QzComn_addEntity(const AcDbEntity* entity, AcDbObjectId* id) {
  auto* database = Db();
  if (!database || !entity) return -1;
  AcDbObjectId added = entity->appendTo(*database, "");
  if (added.isNull()) return -1;
  if (id) *id = added;
  return 0;
}

int RootComn_CreateEllipse(AcDbEllipse*& ellipse, const AcGePoint3d& center, double major,
                           double minor, double axisDegrees, double startParam,
                           double endParam) {
  ellipse = nullptr;
  if (!(major > 0) || !(minor > 0)) return -1;
  double angle = axisDegrees * M_PI / 180.0;
  double ratio = minor / major;
  double radius = major;
  if (ratio > 1) {
    // The longer axis must be the major one: turn it a quarter and shift the
    // parameters back by the same amount.
    radius = minor;
    ratio = major / minor;
    angle += M_PI / 2;
    startParam -= M_PI / 2;
    endParam -= M_PI / 2;
  }
  ellipse = new AcDbEllipse(center, {radius * std::cos(angle), radius * std::sin(angle), 0},
                            ratio, startParam, endParam);
  return 0;
}

int RootComn_PointRotation2(const AcGePoint3d& base, double distance, double degrees,
                            AcGePoint3d& point) {
  const double a = degrees * M_PI / 180.0;
  point = {base.x + distance * std::cos(a), base.y + distance * std::sin(a), base.z};
  return 0;
}
