#include "platform/editor/entity.h"

#include <cmath>
#include <cstdlib>
#include <algorithm>
#include <map>
#include <tuple>

#include "platform/db/block_walk.h"
#include "platform/editor/document.h"

namespace wb::editor {
namespace {

db::Database* Db() { return ActiveDatabase(); }

double Num(const std::optional<std::string>& text, double fallback) {
  if (!text) return fallback;
  char* end = nullptr;
  double v = std::strtod(text->c_str(), &end);
  return end == text->c_str() ? fallback : v;
}

// Block reference placement: world = origin + Rz(angle) * (scale . (p - base)),
// kept as a 3x4 matrix so that nested references compose.
struct Xform {
  double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};

  AcGePoint3d Apply(const AcGePoint3d& p) const {
    return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
            m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
            m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
  }
  Xform Then(const Xform& inner) const {  // this * inner
    Xform r;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 4; ++j) {
        double v = j == 3 ? m[i][3] : 0;
        for (int k = 0; k < 3; ++k) v += m[i][k] * inner.m[k][j];
        r.m[i][j] = v;
      }
    return r;
  }
};

Xform InsertXform(const db::InsertInfo& insert, const AcGePoint3d& base) {
  const double a = insert.rotationDegrees * M_PI / 180.0;
  const double c = std::cos(a), s = std::sin(a);
  const auto& k = insert.scale;
  Xform x;
  x.m[0][0] = c * k.x, x.m[0][1] = -s * k.y, x.m[0][2] = 0;
  x.m[1][0] = s * k.x, x.m[1][1] = c * k.y, x.m[1][2] = 0;
  x.m[2][0] = 0, x.m[2][1] = 0, x.m[2][2] = k.z;
  x.m[0][3] = insert.position.x - (x.m[0][0] * base.x + x.m[0][1] * base.y);
  x.m[1][3] = insert.position.y - (x.m[1][0] * base.x + x.m[1][1] * base.y);
  x.m[2][3] = insert.position.z - k.z * base.z;
  return x;
}

// The coordinate system of an entity that keeps its points relative to its
// extrusion direction (arbitrary-axis rule). Mirrored blocks, arcs and
// polylines carry (0,0,-1): their x runs the other way in the world.
Xform OcsXform(const AcGePoint3d& normal) {
  Xform x;
  const double length = std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
  if (!(length > 1e-12)) return x;
  const AcGePoint3d az{normal.x / length, normal.y / length, normal.z / length};
  if (az.x == 0 && az.y == 0 && az.z == 1) return x;
  auto cross = [](const AcGePoint3d& a, const AcGePoint3d& b) {
    return AcGePoint3d{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
  };
  const bool nearPole = std::fabs(az.x) < 1.0 / 64 && std::fabs(az.y) < 1.0 / 64;
  AcGePoint3d ax = cross(nearPole ? AcGePoint3d{0, 1, 0} : AcGePoint3d{0, 0, 1}, az);
  const double n = std::sqrt(ax.x * ax.x + ax.y * ax.y + ax.z * ax.z);
  ax = {ax.x / n, ax.y / n, ax.z / n};
  const AcGePoint3d ay = cross(az, ax);
  const AcGePoint3d axes[3] = {ax, ay, az};
  for (int j = 0; j < 3; ++j) {
    x.m[0][j] = axes[j].x;
    x.m[1][j] = axes[j].y;
    x.m[2][j] = axes[j].z;
  }
  return x;
}

size_t CodePoints(const std::string& utf8) {
  size_t n = 0;
  for (unsigned char ch : utf8)
    if ((ch & 0xC0) != 0x80) ++n;
  return n;
}

class Collector {
 public:
  Collector(const db::Database& database, db::WalkPool* pool)
      : db_(database), walk_(db::BlockWalk::kBudget, pool) {}

  void Entity(AcDbObjectId id, const Xform& world) {
    if (!walk_.Spend()) return;
    const std::string type = db_.EntityType(id);
    // Lines, points, ellipses, 3D faces and multiline texts are in world
    // coordinates; the others are relative to their extrusion direction.
    const bool inWorld = type == "LINE" || type == "POINT" || type == "ELLIPSE" ||
                         type == "3DFACE" || type == "MTEXT" ||
                         (type == "POLYLINE" &&
                          (static_cast<int>(Num(db_.Group(id, 70), 0)) & (8 | 16 | 64)) != 0);
    const Xform x =
        inWorld ? world
                : world.Then(OcsXform({Num(db_.Group(id, 210), 0), Num(db_.Group(id, 220), 0),
                                       Num(db_.Group(id, 230), 1)}));
    auto point = [&](int code) {
      return AcGePoint3d{Num(db_.Group(id, code), 0), Num(db_.Group(id, code + 10), 0),
                         Num(db_.Group(id, code + 20), 0)};
    };
    if (type == "LINE") {
      Segment(x.Apply(point(10)), x.Apply(point(11)), id);
    } else if (type == "POINT") {
      Point(x.Apply(point(10)), id);
    } else if (type == "CIRCLE" || type == "ARC") {
      const AcGePoint3d c = point(10);
      const double r = Num(db_.Group(id, 40), 0);
      double start = 0, sweep = 2 * M_PI;
      if (type == "ARC") {
        start = Num(db_.Group(id, 50), 0) * M_PI / 180.0;
        double end = Num(db_.Group(id, 51), 360) * M_PI / 180.0;
        sweep = end - start;
        while (sweep <= 0) sweep += 2 * M_PI;
      }
      Arc(c, r, r, 0, start, sweep, x, id);
    } else if (type == "ELLIPSE") {
      const AcGePoint3d c = point(10), major = point(11);
      const double ratio = Num(db_.Group(id, 40), 1);
      const double r = std::hypot(major.x, major.y);
      const double start = Num(db_.Group(id, 41), 0);
      double sweep = Num(db_.Group(id, 42), 2 * M_PI) - start;
      while (sweep <= 0) sweep += 2 * M_PI;
      // Facing down, the minor axis lies on the other side of the major one.
      const double minor = Num(db_.Group(id, 230), 1) < 0 ? -r * ratio : r * ratio;
      Arc(c, r, minor, std::atan2(major.y, major.x), start, sweep, x, id);
    } else if (type == "LWPOLYLINE") {
      std::vector<AcGePoint3d> vertices;
      const double z = Num(db_.Group(id, 38), 0);
      for (const auto& tag : db_.Groups(id)) {
        if (tag.code == 10) vertices.push_back({Num(tag.value, 0), 0, z});
        if (tag.code == 20 && !vertices.empty()) vertices.back().y = Num(tag.value, 0);
      }
      Polyline(vertices, (static_cast<int>(Num(db_.Group(id, 70), 0)) & 1) != 0, x, id);
    } else if (type == "POLYLINE") {
      std::vector<AcGePoint3d> vertices;
      for (AcDbObjectId v : db_.SubEntities(id))
        if (db_.EntityType(v) == "VERTEX")
          vertices.push_back({Num(db_.Group(v, 10), 0), Num(db_.Group(v, 20), 0),
                              Num(db_.Group(v, 30), 0)});
      Polyline(vertices, (static_cast<int>(Num(db_.Group(id, 70), 0)) & 1) != 0, x, id);
    } else if (type == "SOLID" || type == "TRACE" || type == "3DFACE") {
      std::vector<AcGePoint3d> corners{point(10), point(11), point(12), point(13)};
      Polyline(corners, true, x, id);
    } else if (type == "TEXT" || type == "ATTRIB") {
      Text(id, type == "ATTRIB" ? 74 : 73, x);
    } else if (type == "MTEXT") {
      MText(id, x);
    } else if (type == "INSERT") {
      auto insert = db_.Insert(id);
      if (!insert) return;
      const Xform inner = x.Then(InsertXform(*insert, db_.BlockBasePoint(insert->blockName)));
      const size_t before = out.size();
      Point(x.Apply(insert->position), id);
      if (out.size() > before) out.back().pickOnly = true;
      if (walk_.Enter(insert->blockName)) {
        containers_.insert(containers_.begin(), id);
        for (AcDbObjectId member : db_.BlockEntities(insert->blockName))
          if (db_.EntityType(member) != "ATTDEF") Entity(member, inner);
        containers_.erase(containers_.begin());
        walk_.Leave();
      }
      // Attributes are placed in the reference's surroundings, by their own
      // extrusion, not through the block.
      for (AcDbObjectId sub : db_.SubEntities(id))
        if (db_.EntityType(sub) == "ATTRIB") Entity(sub, world);
    } else if (auto at = db_.Location(id)) {
      Point(x.Apply(*at), id);
    }
  }

  std::vector<PickPrimitive> out;

 private:
  void Add(PickPrimitive p, AcDbObjectId leaf) {
    if (!walk_.Spend()) return;
    p.leaf = leaf;
    p.containers = containers_;
    out.push_back(std::move(p));
  }
  void Point(const AcGePoint3d& a, AcDbObjectId id) {
    PickPrimitive p;
    p.kind = PickPrimitive::kPoint;
    p.a = a;
    Add(p, id);
  }
  void Segment(const AcGePoint3d& a, const AcGePoint3d& b, AcDbObjectId id) {
    PickPrimitive p;
    p.kind = PickPrimitive::kSegment;
    p.a = a;
    p.b = b;
    Add(p, id);
  }
  void Polyline(const std::vector<AcGePoint3d>& v, bool closed, const Xform& x, AcDbObjectId id) {
    if (v.size() == 1) Point(x.Apply(v[0]), id);
    for (size_t i = 0; i + 1 < v.size(); ++i) Segment(x.Apply(v[i]), x.Apply(v[i + 1]), id);
    if (closed && v.size() > 2) Segment(x.Apply(v.back()), x.Apply(v.front()), id);
  }
  // 64 chords per full turn, through the quadrant points of the unrotated
  // curve, so extents of circles are exact and of arcs nearly so.
  void Arc(const AcGePoint3d& c, double rx, double ry, double axis, double start, double sweep,
           const Xform& x, AcDbObjectId id) {
    const int n = std::max(2, static_cast<int>(std::ceil(sweep / (2 * M_PI) * 64)));
    auto at = [&](double t) {
      const double px = rx * std::cos(t), py = ry * std::sin(t);
      return AcGePoint3d{c.x + px * std::cos(axis) - py * std::sin(axis),
                         c.y + px * std::sin(axis) + py * std::cos(axis), c.z};
    };
    AcGePoint3d previous = x.Apply(at(start));
    for (int i = 1; i <= n; ++i) {
      AcGePoint3d next = x.Apply(at(start + sweep * i / n));
      Segment(previous, next, id);
      previous = next;
    }
  }
  void Box(const AcGePoint3d& origin, double angle, double x0, double x1, double y0, double y1,
           const Xform& x, AcDbObjectId id) {
    const double c = std::cos(angle), s = std::sin(angle);
    auto corner = [&](double u, double v) {
      return x.Apply({origin.x + u * c - v * s, origin.y + u * s + v * c, origin.z});
    };
    PickPrimitive p;
    p.kind = PickPrimitive::kBox;
    p.a = corner(x0, y0);
    p.b = corner(x1, y0);
    p.c = corner(x1, y1);
    p.d = corner(x0, y1);
    Add(p, id);
  }
  // A single-line text occupies about height x width factor per character.
  void Text(AcDbObjectId id, int valignCode, const Xform& x) {
    const double h = Num(db_.Group(id, 40), 1);
    const double width = h * Num(db_.Group(id, 41), 1) *
                         static_cast<double>(CodePoints(db_.Group(id, 1).value_or("")));
    const int ha = static_cast<int>(Num(db_.Group(id, 72), 0));
    const int va = static_cast<int>(Num(db_.Group(id, valignCode), 0));
    const bool aligned = ha != 0 || va != 0;
    const int code = aligned ? 11 : 10;
    AcGePoint3d ref{Num(db_.Group(id, code), 0), Num(db_.Group(id, code + 10), 0),
                    Num(db_.Group(id, code + 20), 0)};
    double x0 = 0, y0 = 0;
    if (ha == 1 || ha == 4) x0 = -width / 2;
    if (ha == 2) x0 = -width;
    if (va == 2 || ha == 4) y0 = -h / 2;
    if (va == 3) y0 = -h;
    if (ha == 3 || ha == 5) {  // aligned or fit: between the two points
      ref = {Num(db_.Group(id, 10), 0), Num(db_.Group(id, 20), 0), Num(db_.Group(id, 30), 0)};
      x0 = 0;
    }
    Box(ref, Num(db_.Group(id, 50), 0) * M_PI / 180.0, x0, x0 + width, y0, y0 + h, x, id);
  }
  void MText(AcDbObjectId id, const Xform& x) {
    const AcGePoint3d ref{Num(db_.Group(id, 10), 0), Num(db_.Group(id, 20), 0),
                          Num(db_.Group(id, 30), 0)};
    const double h = Num(db_.Group(id, 40), 1);
    double width = Num(db_.Group(id, 41), 0);
    if (width <= 0) width = h * static_cast<double>(CodePoints(db_.Group(id, 1).value_or("")));
    const int attach = static_cast<int>(Num(db_.Group(id, 71), 1));
    const int col = (attach - 1) % 3, row = (attach - 1) / 3;
    const double x0 = -width * col / 2.0, y1 = h * row / 2.0;
    Box(ref, Num(db_.Group(id, 50), 0) * M_PI / 180.0, x0, x0 + width, y1 - h, y1, x, id);
  }

  const db::Database& db_;
  std::vector<AcDbObjectId> containers_;
  db::BlockWalk walk_;
};

double SegmentDistance(const AcGePoint3d& a, const AcGePoint3d& b, const AcGePoint3d& p) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y);
}

// Appearance groups as they were before the first change, per drawing and
// entity: setting a value back puts back the original text, or removes a
// group that was not there.
using MemoKey = std::tuple<const db::Database*, uint64_t, int>;
std::map<MemoKey, std::optional<std::string>>& Memo() {
  static std::map<MemoKey, std::optional<std::string>> memo;
  return memo;
}

// The new value in the layout of the old text: right-aligned to its width
// when it was padded, as some writers pad integers.
std::string FormatLike(const std::optional<std::string>& old, int value) {
  std::string text = std::to_string(value);
  if (old && !old->empty() && (*old)[0] == ' ' && text.size() < old->size())
    text.insert(0, old->size() - text.size(), ' ');
  return text;
}

bool Restorable(db::Database& database, AcDbObjectId id, int code, int value, int fallback) {
  auto it = Memo().find({&database, id.handle, code});
  return it != Memo().end() && static_cast<int>(Num(it->second, fallback)) == value;
}

void RestoreOwn(db::Database& database, AcDbObjectId id, int code) {
  auto it = Memo().find({&database, id.handle, code});
  if (it == Memo().end()) return;
  if (it->second)
    database.SetGroup(id, code, *it->second);
  else
    database.RemoveGroup(id, code);
  Memo().erase(it);
}

void SetValue(db::Database& database, AcDbObjectId id, int code, int value, int fallback) {
  if (Restorable(database, id, code, value, fallback)) {
    RestoreOwn(database, id, code);
    return;
  }
  const auto current = database.Group(id, code);
  if (static_cast<int>(Num(current, fallback)) == value && (current || value == fallback)) return;
  Memo().emplace(MemoKey{&database, id.handle, code}, current);
  database.SetGroup(id, code, FormatLike(current, value));
}

// A colour index replaces the whole colour: a true colour (420) and a colour
// book name (430) would otherwise still decide what is drawn. They come back
// with the entity's own index.
constexpr int kColorCompanions[] = {420, 430};

void DropCompanions(db::Database& database, AcDbObjectId id) {
  for (int code : kColorCompanions) {
    const auto current = database.Group(id, code);
    if (!current) continue;
    Memo().emplace(MemoKey{&database, id.handle, code}, current);
    database.RemoveGroup(id, code);
  }
}

bool HasMemo(db::Database& database, AcDbObjectId id, int code) {
  return Memo().count({&database, id.handle, code}) != 0;
}

// Setting the colour back also when only the companions were dropped (the
// index already was the highlight's).
bool RestoresColor(db::Database& database, AcDbObjectId id, int value) {
  if (HasMemo(database, id, 62)) return Restorable(database, id, 62, value, 256);
  bool dropped = false;
  for (int companion : kColorCompanions) dropped = dropped || HasMemo(database, id, companion);
  return dropped && static_cast<int>(Num(database.Group(id, 62), 256)) == value;
}

void SetOne(db::Database& database, AcDbObjectId id, int code, int value, int fallback,
            bool restoring) {
  if (restoring) {
    RestoreOwn(database, id, code);
    if (code == 62)
      for (int companion : kColorCompanions) RestoreOwn(database, id, companion);
    return;
  }
  SetValue(database, id, code, value, fallback);
  if (code == 62) DropCompanions(database, id);
}

void SetAppearance(AcDbObjectId id, int code, int value, int fallback, bool subEntities) {
  db::Database* database = Db();
  const bool restoring = code == 62 ? RestoresColor(*database, id, value)
                                    : Restorable(*database, id, code, value, fallback);
  SetOne(*database, id, code, value, fallback, restoring);
  if (!subEntities) return;
  for (AcDbObjectId sub : database->SubEntities(id)) {
    if (database->EntityType(sub) != "ATTRIB") continue;
    SetOne(*database, sub, code, value, fallback, restoring);
  }
}

}  // namespace

std::vector<PickPrimitive> EntityPrimitives(AcDbObjectId id, db::WalkPool* pool) {
  db::Database* database = Db();
  if (!database || !database->IsAlive(id)) return {};
  Collector collector(*database, pool);
  collector.Entity(id, Xform{});
  return std::move(collector.out);
}

double PlanarDistance(const PickPrimitive& p, const AcGePoint3d& point) {
  switch (p.kind) {
    case PickPrimitive::kPoint: return std::hypot(p.a.x - point.x, p.a.y - point.y);
    case PickPrimitive::kSegment: return SegmentDistance(p.a, p.b, point);
    case PickPrimitive::kBox: {
      const AcGePoint3d c[4] = {p.a, p.b, p.c, p.d};
      bool inside = true;
      double best = -1;
      for (int i = 0; i < 4; ++i) {
        const AcGePoint3d& u = c[i];
        const AcGePoint3d& v = c[(i + 1) % 4];
        const double cross = (v.x - u.x) * (point.y - u.y) - (v.y - u.y) * (point.x - u.x);
        if (cross < 0) inside = false;
        const double d = SegmentDistance(u, v, point);
        if (best < 0 || d < best) best = d;
      }
      return inside ? 0 : best;
    }
  }
  return 0;
}

std::optional<Entity> Entity::Open(AcDbObjectId id, Mode mode) {
  db::Database* database = Db();
  if (id.isNull() || !database || !database->IsAlive(id) || database->EntityType(id).empty())
    return std::nullopt;
  return Entity(id, mode);
}

bool Entity::isKindOfText() const {
  const std::string type = Db()->EntityType(id_);
  return type == "TEXT" || type == "ATTRIB" || type == "ATTDEF";
}

bool Entity::isKindOfBlockReference() const { return Db()->EntityType(id_) == "INSERT"; }

int Entity::colorIndex() const { return Db()->Color(id_); }
int Entity::lineWeight() const { return Db()->LineWeight(id_); }

bool Entity::setColorIndex(int color, bool subEntities) {
  if (mode_ != kForWrite || !Db() || !Db()->IsAlive(id_)) return false;
  if (color < 0 || color > 256) return false;  // not an index: the colour stays
  SetAppearance(id_, 62, color, 256, subEntities);
  return true;
}

bool Entity::setLineWeight(int weight, bool subEntities) {
  if (mode_ != kForWrite || !Db() || !Db()->IsAlive(id_)) return false;
  SetAppearance(id_, 370, weight, -1, subEntities);
  return true;
}

bool Entity::getGeomExtents(Extents& extents) const {
  const auto primitives = EntityPrimitives(id_);
  bool any = false;
  auto add = [&](const AcGePoint3d& p) {
    if (!any) {
      extents.min = extents.max = p;
      any = true;
      return;
    }
    extents.min = {std::min(extents.min.x, p.x), std::min(extents.min.y, p.y),
                   std::min(extents.min.z, p.z)};
    extents.max = {std::max(extents.max.x, p.x), std::max(extents.max.y, p.y),
                   std::max(extents.max.z, p.z)};
  };
  for (const auto& p : primitives) {
    if (p.pickOnly) continue;
    add(p.a);
    if (p.kind != PickPrimitive::kPoint) add(p.b);
    if (p.kind == PickPrimitive::kBox) {
      add(p.c);
      add(p.d);
    }
  }
  return any;
}

namespace {
struct HeaderMemo {
  const db::Database* database = nullptr;
  bool saved = false;
  std::optional<std::string> text;
};
HeaderMemo g_lwDisplay;
}  // namespace

bool LineWeightDisplay() {
  db::Database* database = Db();
  return database && static_cast<int>(Num(database->HeaderValue("$LWDISPLAY"), 0)) != 0;
}

void SetLineWeightDisplay(bool on) {
  db::Database* database = Db();
  if (!database) return;
  if (g_lwDisplay.saved && g_lwDisplay.database == database &&
      (static_cast<int>(Num(g_lwDisplay.text, 0)) != 0) == on) {
    if (g_lwDisplay.text)
      database->SetHeaderValue("$LWDISPLAY", 290, *g_lwDisplay.text);
    else
      database->RemoveHeaderValue("$LWDISPLAY");
    g_lwDisplay = {};
    return;
  }
  if (LineWeightDisplay() == on) return;
  if (!g_lwDisplay.saved || g_lwDisplay.database != database)
    g_lwDisplay = {database, true, database->HeaderValue("$LWDISPLAY")};
  database->SetHeaderValue("$LWDISPLAY", 290, on ? "1" : "0");
}

std::string Entity::handleText() const { return db::Database::HandleText(id_); }

bool Entity::erase() {
  if (mode_ != kForWrite || !Db() || !Db()->IsAlive(id_)) return false;
  Db()->Erase(id_);
  return true;
}

}  // namespace wb::editor
