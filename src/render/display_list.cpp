#include "render/display_list.h"

#include <charconv>
#include <cmath>
#include <numbers>

#include "platform/db/block_walk.h"
#include "platform/host/color_index.h"

namespace wb::render {
namespace {

using db::ObjectId;
using db::Tag;

constexpr double kPi = std::numbers::pi;
constexpr int16_t kDefaultLineWeight = 25;

double ToDouble(std::string_view text, double fallback) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '+')) text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  double value = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  return r.ec == std::errc() && std::isfinite(value) ? value : fallback;
}

int ToInt(std::string_view text, int fallback) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '+')) text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  int value = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  return r.ec == std::errc() ? value : fallback;
}

// First-group lookups over one entity's groups, read once.
class Groups {
 public:
  explicit Groups(std::vector<Tag> tags) : tags_(std::move(tags)) {}
  const std::vector<Tag>& all() const { return tags_; }
  const std::string* Find(int code) const {
    for (const Tag& t : tags_)
      if (t.code == code) return &t.value;
    return nullptr;
  }
  bool Has(int code) const { return Find(code) != nullptr; }
  double Double(int code, double fallback = 0) const {
    const std::string* v = Find(code);
    return v ? ToDouble(*v, fallback) : fallback;
  }
  int Int(int code, int fallback = 0) const {
    const std::string* v = Find(code);
    return v ? ToInt(*v, fallback) : fallback;
  }
  std::string String(int code) const {
    const std::string* v = Find(code);
    return v ? *v : std::string();
  }
  Vec2 Point(int code) const { return {Double(code), Double(code + 10)}; }

 private:
  std::vector<Tag> tags_;
};

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

// Points of an arc from angle a0 sweeping `sweep` (radians, signed).
void AppendArc(Vec2 c, double r, double a0, double sweep, bool includeFirst, std::vector<Vec2>& out) {
  int n = std::max(2, static_cast<int>(std::ceil(std::abs(sweep) / (2 * kPi) * 72)));
  for (int i = includeFirst ? 0 : 1; i <= n; ++i) {
    double a = a0 + sweep * i / n;
    out.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
  }
}

// Segment from p to q bulging by b (tan of a quarter of the included angle).
void AppendBulge(Vec2 p, Vec2 q, double b, std::vector<Vec2>& out) {
  double chord = Length(q - p);
  if (std::abs(b) < 1e-9 || chord < 1e-12) {
    out.push_back(q);
    return;
  }
  double sweep = 4 * std::atan(b);
  double r = chord / (2 * std::sin(std::abs(sweep) / 2));
  Vec2 mid = (p + q) * 0.5;
  Vec2 dir = (q - p) * (1 / chord);
  Vec2 normal{-dir.y, dir.x};
  // Centre on the left of p->q for a counter-clockwise bulge of less than a
  // half turn.
  double h = std::sqrt(std::max(0.0, r * r - chord * chord / 4));
  double side = (std::abs(sweep) < kPi) == (b > 0) ? 1 : -1;
  Vec2 c = mid + normal * (h * side);
  double a0 = std::atan2(p.y - c.y, p.x - c.x);
  AppendArc(c, r, a0, sweep, false, out);
}

bool IsWide(uint32_t cp) {
  return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
         (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
         (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
         (cp >= 0xFFE0 && cp <= 0xFFE6) || cp >= 0x20000;
}

}  // namespace

Rgb AciToRgb(int aci) {
  const IndexColor c = ColorOfIndex(std::abs(aci));
  return {c.r, c.g, c.b};
}

double TextMeasurer::Advance(std::string_view utf8) const {
  double width = 0;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    uint32_t cp = c;
    int len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (len > 1) {
      cp = c & (0xFF >> (len + 1));
      for (int k = 1; k < len && i + k < utf8.size(); ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    i += len;
    width += cp == ' ' ? 0.4 : IsWide(cp) ? 1.37 : 0.8;
  }
  return width;
}

std::string PlainText(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && text[i + 1] == '%') {
      char k = text[i + 2];
      if (k == 'd' || k == 'D') out += "\xC2\xB0";
      else if (k == 'p' || k == 'P') out += "\xC2\xB1";
      else if (k == 'c' || k == 'C') out += "\xE2\x8C\x80";
      else if (k == '%') out += '%';
      else if (k == 'u' || k == 'U' || k == 'o' || k == 'O') {}
      else { out.append(text.substr(i, 3)); }
      i += 2;
      continue;
    }
    out += text[i];
  }
  return out;
}

std::vector<std::string> PlainMTextLines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '{' || c == '}') continue;
    if (c != '\\' || i + 1 >= text.size()) {
      lines.back() += c;
      continue;
    }
    char k = text[++i];
    switch (k) {
      case 'P': case 'n': lines.emplace_back(); break;
      case '~': lines.back() += ' '; break;
      case '\\': case '{': case '}': lines.back() += k; break;
      case 'L': case 'l': case 'O': case 'o': case 'K': case 'k': break;
      case 'S': {  // stacked: up to ';', "^", "/" or "#" between the parts
        size_t end = text.find(';', i + 1);
        std::string_view body = text.substr(i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1);
        for (char b : body) lines.back() += (b == '^' || b == '#') ? '/' : b;
        i = end == std::string_view::npos ? text.size() : end;
        break;
      }
      default: {  // \f...; \H...; \C...; \W...; \Q...; \T...; \A...; and friends
        size_t end = text.find(';', i + 1);
        i = end == std::string_view::npos ? text.size() : end;
        break;
      }
    }
  }
  return lines;
}

class DisplayListBuilder {
 public:
  DisplayListBuilder(const db::Database& db, const TextMeasurer& measurer, DisplayList& out)
      : db_(db), measurer_(measurer), out_(out) {}

  void Run() {
    Context top;
    const std::vector<ObjectId> entities = db_.ModelSpaceEntities();
    db::WalkPool pool(entities.size());
    for (ObjectId id : entities) {
      EntityEntry entry;
      entry.id = id;
      entry.firstPrimitive = static_cast<uint32_t>(out_.primitives_.size());
      entity_ = static_cast<uint32_t>(out_.entities_.size());
      out_.entities_.push_back(entry);
      path_.clear();
      walk_ = db::BlockWalk(db::BlockWalk::kBudget, &pool);
      Draw(id, top);
      EntityEntry& done = out_.entities_.back();
      done.endPrimitive = static_cast<uint32_t>(out_.primitives_.size());
      for (uint32_t p = done.firstPrimitive; p < done.endPrimitive; ++p) done.box.Add(out_.primitives_[p].box);
      out_.entityIndex_[id.handle] = entity_;
      out_.extents_.Add(done.box);
    }
  }

 private:
  struct Context {
    Affine xf;
    std::string layer = "0";  // what layer "0" means here
    Rgb color = AciToRgb(7);  // what "by block" means here
    int16_t lineWeight = kDefaultLineWeight;
    int depth = 0;
  };
  struct LayerInfo {
    Rgb color = AciToRgb(7);
    int16_t lineWeight = kDefaultLineWeight;
    bool visible = true;   // not off
    bool frozen = false;
  };

  const LayerInfo& Layer(const std::string& name) {
    std::string key = Upper(name);
    auto it = layers_.find(key);
    if (it != layers_.end()) return it->second;
    LayerInfo info;
    ObjectId id = db_.LayerId(name);
    if (!id.isNull()) {
      int color = ToInt(db_.Group(id, 62).value_or("7"), 7);
      info.visible = color >= 0;
      info.color = AciToRgb(color == 0 ? 7 : color);
      if (auto rgb = db_.Group(id, 420)) info.color = TrueColor(ToInt(*rgb, 0));
      info.frozen = (ToInt(db_.Group(id, 70).value_or("0"), 0) & 1) != 0;
      int lw = ToInt(db_.Group(id, 370).value_or("-3"), -3);
      info.lineWeight = lw >= 0 ? static_cast<int16_t>(lw) : kDefaultLineWeight;
    }
    return layers_.emplace(key, info).first->second;
  }

  static Rgb TrueColor(int value) {
    return {static_cast<uint8_t>((value >> 16) & 0xFF), static_cast<uint8_t>((value >> 8) & 0xFF),
            static_cast<uint8_t>(value & 0xFF)};
  }

  struct Style {
    std::string layer;
    Rgb color;
    int16_t lineWeight;
    bool visible;
    bool frozen;
  };

  Style Resolve(const Groups& g, const Context& ctx) {
    Style s;
    s.layer = g.String(8);
    if (s.layer.empty()) s.layer = "0";
    if (ctx.depth > 0 && s.layer == "0") s.layer = ctx.layer;
    const LayerInfo& layer = Layer(s.layer);
    s.visible = layer.visible && g.Int(60, 0) == 0;
    s.frozen = layer.frozen;
    int aci = g.Int(62, 256);
    if (g.Has(420)) s.color = TrueColor(g.Int(420, 0));
    else if (aci == 0) s.color = ctx.color;
    else if (aci >= 1 && aci <= 255) s.color = AciToRgb(aci);
    else s.color = layer.color;
    int lw = g.Int(370, -1);
    s.lineWeight = lw >= 0 ? static_cast<int16_t>(lw) : lw == -2 ? ctx.lineWeight
                 : lw == -3 ? kDefaultLineWeight : layer.lineWeight;
    return s;
  }

  // Object coordinates of planar entities: an extrusion of (0,0,-1) (what a
  // mirrored insertion leaves) mirrors X; other tilted planes are drawn as
  // if flat.
  static Affine Ocs(const Groups& g) {
    return g.Double(230, 1) < 0 ? Affine::Scaling(-1, 1) : Affine{};
  }

  void Draw(ObjectId id, const Context& ctx) {
    if (!walk_.Spend()) return;
    Groups g(db_.Groups(id));
    if (g.all().empty()) return;
    std::string type = db_.EntityType(id);
    Style style = Resolve(g, ctx);
    if (style.frozen) return;
    path_.push_back(id);
    if (type == "INSERT") DrawInsert(id, g, style, ctx);
    else if (type == "DIMENSION") DrawBlock(g.String(2), ctx.xf, style, ctx);
    else if (style.visible) DrawSimple(id, type, g, style, ctx);
    path_.pop_back();
  }

  void DrawSimple(ObjectId id, const std::string& type, const Groups& g, const Style& style, const Context& ctx) {
    std::vector<Vec2>& pts = scratch_;
    pts.clear();
    const Affine ocs = ctx.xf * Ocs(g);
    if (type == "LINE") {
      pts = {g.Point(10), g.Point(11)};
      AddPolyline(pts, false, style, ctx.xf);
    } else if (type == "POINT") {
      AddPoint(ctx.xf.Apply(g.Point(10)), style);
    } else if (type == "CIRCLE") {
      AppendArc(g.Point(10), g.Double(40), 0, 2 * kPi, true, pts);
      pts.pop_back();
      AddPolyline(pts, true, style, ocs);
    } else if (type == "ARC") {
      double a0 = g.Double(50) * kPi / 180, a1 = g.Double(51) * kPi / 180;
      double sweep = std::fmod(a1 - a0, 2 * kPi);
      if (sweep <= 0) sweep += 2 * kPi;
      AppendArc(g.Point(10), g.Double(40), a0, sweep, true, pts);
      AddPolyline(pts, false, style, ocs);
    } else if (type == "ELLIPSE") {
      DrawEllipse(g, style, ctx);
    } else if (type == "LWPOLYLINE") {
      struct V { Vec2 p; double bulge = 0; };
      std::vector<V> vs;
      for (const Tag& t : g.all()) {
        if (t.code == 10) vs.push_back({{ToDouble(t.value, 0), 0}});
        else if (t.code == 20 && !vs.empty()) vs.back().p.y = ToDouble(t.value, 0);
        else if (t.code == 42 && !vs.empty()) vs.back().bulge = ToDouble(t.value, 0);
      }
      DrawVertices(vs.size(), [&](size_t i) { return std::pair(vs[i].p, vs[i].bulge); },
                   (g.Int(70) & 1) != 0, style, ocs);
    } else if (type == "POLYLINE") {
      int flags = g.Int(70);
      if (flags & (16 | 64)) return;  // meshes and polyface meshes: faces not drawn
      struct V { Vec2 p; double bulge = 0; };
      std::vector<V> vs;
      for (ObjectId v : db_.SubEntities(id)) {
        if (db_.EntityType(v) != "VERTEX") continue;
        Groups vg(db_.Groups(v));
        if (vg.Int(70) & (16 | 128)) continue;  // spline frame points, face records
        vs.push_back({vg.Point(10), vg.Double(42)});
      }
      DrawVertices(vs.size(), [&](size_t i) { return std::pair(vs[i].p, vs[i].bulge); },
                   (flags & 1) != 0, style, (flags & 8) ? ctx.xf : ocs);
    } else if (type == "SOLID" || type == "TRACE" || type == "3DFACE") {
      pts = {g.Point(10), g.Point(11), g.Has(13) ? g.Point(13) : g.Point(12), g.Point(12)};
      if (type == "3DFACE") std::swap(pts[2], pts[3]);
      AddPolyline(pts, true, style, type == "3DFACE" ? ctx.xf : ocs);
    } else if (type == "SPLINE") {
      int code = g.Has(11) ? 11 : 10;
      for (const Tag& t : g.all()) {
        if (t.code == code) pts.push_back({ToDouble(t.value, 0), 0});
        else if (t.code == code + 10 && !pts.empty()) pts.back().y = ToDouble(t.value, 0);
      }
      AddPolyline(pts, (g.Int(70) & 1) != 0, style, ctx.xf);
    } else if (type == "TEXT" || type == "ATTRIB") {
      if (type == "ATTRIB" && (g.Int(70) & 1)) return;
      DrawText(g, type == "ATTRIB" ? 74 : 73, style, ocs);
    } else if (type == "MTEXT") {
      DrawMText(g, style, ctx.xf);
    }
  }

  template <typename VertexAt>
  void DrawVertices(size_t n, VertexAt at, bool closed, const Style& style, const Affine& xf) {
    if (n == 0) return;
    std::vector<Vec2>& pts = scratch_;
    pts.clear();
    pts.push_back(at(0).first);
    for (size_t i = 0; i + 1 < n; ++i) AppendBulge(at(i).first, at(i + 1).first, at(i).second, pts);
    bool anyClosingBulge = closed && n > 1 && std::abs(at(n - 1).second) > 1e-9;
    if (anyClosingBulge) {
      AppendBulge(at(n - 1).first, at(0).first, at(n - 1).second, pts);
      pts.pop_back();
    }
    if (pts.size() == 1) {
      AddPoint(xf.Apply(pts[0]), style);
      return;
    }
    AddPolyline(pts, closed, style, xf);
  }

  void DrawEllipse(const Groups& g, const Style& style, const Context& ctx) {
    Vec2 c = g.Point(10), major = g.Point(11);
    double ratio = g.Double(40, 1);
    Vec2 minor{-major.y * ratio, major.x * ratio};
    if (g.Double(230, 1) < 0) minor = minor * -1;
    double t0 = g.Double(41, 0), t1 = g.Double(42, 2 * kPi);
    double sweep = t1 - t0;
    while (sweep <= 0) sweep += 2 * kPi;
    bool full = std::abs(sweep - 2 * kPi) < 1e-9;
    int n = std::max(4, static_cast<int>(std::ceil(sweep / (2 * kPi) * 72)));
    std::vector<Vec2>& pts = scratch_;
    pts.clear();
    for (int i = 0; i < (full ? n : n + 1); ++i) {
      double t = t0 + sweep * i / n;
      pts.push_back(c + major * std::cos(t) + minor * std::sin(t));
    }
    AddPolyline(pts, full, style, ctx.xf);
  }

  void DrawText(const Groups& g, int valignCode, const Style& style, const Affine& xf) {
    std::string text = PlainText(g.String(1));
    if (text.empty()) return;
    double h = g.Double(40, 1), wf = g.Double(41, 1), rot = g.Double(50) * kPi / 180;
    if (wf <= 0) wf = 1;
    int ha = g.Int(72), va = g.Int(valignCode);
    double advance = measurer_.Advance(text);
    Vec2 base = g.Point(10);
    if ((ha == 3 || ha == 5) && g.Has(11)) {
      Vec2 d = g.Point(11) - base;
      double len = Length(d);
      if (len > 0 && advance > 0) {
        rot = std::atan2(d.y, d.x);
        if (ha == 5) wf = len / (advance * h);
        else h = len / (advance * wf);
      }
    } else if (ha != 0 || va != 0) {
      Vec2 anchor = g.Has(11) ? g.Point(11) : base;
      double w = advance * h * wf;
      double dx = ha == 1 || ha == 4 ? -w / 2 : ha == 2 ? -w : 0;
      double dy = ha == 4 || va == 2 ? -h / 2 : va == 1 ? 0.3 * h : va == 3 ? -h : 0;
      base = anchor + Affine::Rotation(rot).ApplyVector({dx, dy});
    }
    AddText(std::move(text), base, h, rot, wf, advance, style, xf);
  }

  void DrawMText(const Groups& g, const Style& style, const Affine& xf) {
    std::string raw;
    for (const Tag& t : g.all())
      if (t.code == 3) raw += t.value;
    raw += g.String(1);
    std::vector<std::string> lines = PlainMTextLines(raw);
    double h = g.Double(40, 1);
    double rot = g.Has(11) ? std::atan2(g.Double(21), g.Double(11)) : g.Double(50);
    double spacing = h * 5.0 / 3.0 * g.Double(44, 1);
    int attach = std::clamp(g.Int(71, 1), 1, 9);
    int col = (attach - 1) % 3, row = (attach - 1) / 3;
    double total = h + spacing * static_cast<double>(lines.size() - 1);
    double top = row == 0 ? 0 : row == 1 ? total / 2 : total;
    Vec2 anchor = g.Point(10);
    Affine r = Affine::Rotation(rot);
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].empty()) continue;
      double advance = measurer_.Advance(lines[i]);
      double w = advance * h;
      double dx = col == 0 ? 0 : col == 1 ? -w / 2 : -w;
      double dy = top - h - spacing * static_cast<double>(i);
      AddText(lines[i], anchor + r.ApplyVector({dx, dy}), h, rot, 1, advance, style, xf);
    }
  }

  void DrawInsert(ObjectId id, const Groups& g, const Style& style, const Context& ctx) {
    std::string name = g.String(2);
    double sx = g.Double(41, 1), sy = g.Double(42, 1);
    double rot = g.Double(50) * kPi / 180;
    int cols = std::clamp(g.Int(70, 1), 1, 1000), rows = std::clamp(g.Int(71, 1), 1, 1000);
    double dc = g.Double(44), dr = g.Double(45);
    db::Point3 base3 = db_.BlockBasePoint(name);
    Affine place = ctx.xf * Ocs(g) * Affine::Translation(g.Point(10)) * Affine::Rotation(rot);
    Affine local = Affine::Scaling(sx, sy) * Affine::Translation({-base3.x, -base3.y});
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c)
        DrawBlock(name, place * Affine::Translation({c * dc, r * dr}) * local, style, ctx);
    for (ObjectId sub : db_.SubEntities(id))
      if (db_.EntityType(sub) == "ATTRIB") Draw(sub, ctx);
  }

  void DrawBlock(const std::string& name, const Affine& xf, const Style& style, const Context& ctx) {
    if (name.empty() || !walk_.Enter(name)) return;
    Context inner;
    inner.xf = xf;
    inner.layer = style.layer;
    inner.color = style.color;
    inner.lineWeight = style.lineWeight;
    inner.depth = ctx.depth + 1;
    for (ObjectId child : db_.BlockEntities(name)) {
      if (db_.EntityType(child) == "ATTDEF") continue;
      Draw(child, inner);
    }
    walk_.Leave();
  }

  Primitive NewPrimitive(PrimitiveKind kind, const Style& style) {
    Primitive p;
    p.kind = kind;
    p.color = style.color;
    p.lineWeight = style.lineWeight;
    p.entity = entity_;
    p.path = static_cast<uint32_t>(out_.pathIds_.size());
    p.pathLength = static_cast<uint32_t>(path_.size());
    out_.pathIds_.insert(out_.pathIds_.end(), path_.begin(), path_.end());
    return p;
  }

  void AddPolyline(const std::vector<Vec2>& local, bool closed, const Style& style, const Affine& xf) {
    if (local.size() < 2) return;
    Primitive p = NewPrimitive(PrimitiveKind::kPolyline, style);
    p.closed = closed;
    p.first = static_cast<uint32_t>(out_.points_.size());
    p.count = static_cast<uint32_t>(local.size());
    for (Vec2 v : local) {
      Vec2 w = xf.Apply(v);
      out_.points_.push_back(w);
      p.box.Add(w);
    }
    out_.primitives_.push_back(p);
  }

  void AddPoint(Vec2 world, const Style& style) {
    Primitive p = NewPrimitive(PrimitiveKind::kPoint, style);
    p.first = static_cast<uint32_t>(out_.points_.size());
    p.count = 1;
    out_.points_.push_back(world);
    p.box.Add(world);
    out_.primitives_.push_back(p);
  }

  void AddText(std::string text, Vec2 base, double h, double rot, double wf, double advance,
               const Style& style, const Affine& xf) {
    Affine r = Affine::Rotation(rot);
    Vec2 xAxis = xf.ApplyVector(r.ApplyVector({1, 0}));
    Vec2 yAxis = xf.ApplyVector(r.ApplyVector({0, 1}));
    double xs = Length(xAxis), ys = Length(yAxis);
    if (xs <= 0 || ys <= 0 || h <= 0) return;
    TextRun run;
    run.utf8 = std::move(text);
    run.base = xf.Apply(base);
    run.height = h * ys;
    run.rotation = std::atan2(xAxis.y, xAxis.x);
    run.widthFactor = wf * xs / ys;
    run.width = advance * run.height * run.widthFactor;
    Primitive p = NewPrimitive(PrimitiveKind::kText, style);
    p.first = static_cast<uint32_t>(out_.texts_.size());
    Affine world = Affine::Translation(run.base) * Affine::Rotation(run.rotation);
    for (Vec2 corner : {Vec2{0, -0.3 * run.height}, Vec2{run.width, -0.3 * run.height},
                        Vec2{run.width, run.height}, Vec2{0, run.height}})
      p.box.Add(world.Apply(corner));
    out_.texts_.push_back(std::move(run));
    out_.primitives_.push_back(p);
  }

  const db::Database& db_;
  const TextMeasurer& measurer_;
  DisplayList& out_;
  uint32_t entity_ = 0;
  std::vector<ObjectId> path_;
  db::BlockWalk walk_;  // one per model-space entity
  std::vector<Vec2> scratch_;
  std::unordered_map<std::string, LayerInfo> layers_;
};

DisplayList::DisplayList() = default;
DisplayList::~DisplayList() = default;
DisplayList::DisplayList(DisplayList&&) noexcept = default;
DisplayList& DisplayList::operator=(DisplayList&&) noexcept = default;

void DisplayList::Clear() { *this = DisplayList(); }

void DisplayList::Build(const db::Database& database, const TextMeasurer* measurer) {
  Clear();
  TextMeasurer estimate;
  DisplayListBuilder(database, measurer ? *measurer : estimate, *this).Run();
  BuildIndex();
}

int DisplayList::EntityIndex(db::ObjectId id) const {
  auto it = entityIndex_.find(id.handle);
  return it == entityIndex_.end() ? -1 : static_cast<int>(it->second);
}

void DisplayList::BuildIndex() {
  const size_t n = primitives_.size();
  stamp_.assign(n, 0);
  stampValue_ = 0;
  if (n == 0 || extents_.empty()) {
    cellsX_ = cellsY_ = 0;
    return;
  }
  double w = std::max(extents_.width(), 1e-9), h = std::max(extents_.height(), 1e-9);
  double side = std::max(w, h);
  w = std::max(w, side * 1e-3);
  h = std::max(h, side * 1e-3);
  double cells = std::clamp(static_cast<double>(n), 1.0, double(1 << 20));
  cellsX_ = std::clamp(static_cast<int>(std::sqrt(cells * w / h)), 1, 1024);
  cellsY_ = std::clamp(static_cast<int>(cells / cellsX_), 1, 1024);
  cellW_ = w / cellsX_;
  cellH_ = h / cellsY_;
  auto range = [&](const Box& b, int* i0, int* j0, int* i1, int* j1) {
    *i0 = std::clamp(static_cast<int>((b.minX - extents_.minX) / cellW_), 0, cellsX_ - 1);
    *i1 = std::clamp(static_cast<int>((b.maxX - extents_.minX) / cellW_), 0, cellsX_ - 1);
    *j0 = std::clamp(static_cast<int>((b.minY - extents_.minY) / cellH_), 0, cellsY_ - 1);
    *j1 = std::clamp(static_cast<int>((b.maxY - extents_.minY) / cellH_), 0, cellsY_ - 1);
  };
  cellStart_.assign(static_cast<size_t>(cellsX_) * cellsY_ + 1, 0);
  large_.clear();
  constexpr int kLargeCells = 64;
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<uint32_t> fill;
    if (pass == 1) {
      for (size_t k = 1; k < cellStart_.size(); ++k) cellStart_[k] += cellStart_[k - 1];
      cellItems_.assign(cellStart_.back(), 0);
      fill.assign(cellStart_.begin(), cellStart_.end() - 1);
    }
    for (uint32_t p = 0; p < n; ++p) {
      int i0, j0, i1, j1;
      range(primitives_[p].box, &i0, &j0, &i1, &j1);
      if ((i1 - i0 + 1) * (j1 - j0 + 1) > kLargeCells) {
        if (pass == 0) large_.push_back(p);
        continue;
      }
      for (int j = j0; j <= j1; ++j)
        for (int i = i0; i <= i1; ++i) {
          size_t k = static_cast<size_t>(j) * cellsX_ + i;
          if (pass == 0) ++cellStart_[k + 1];
          else cellItems_[fill[k]++] = p;
        }
    }
  }
}

void DisplayList::Query(const Box& box, std::vector<uint32_t>* out) const {
  out->clear();
  if (primitives_.empty() || !box.Intersects(extents_)) return;
  if (box.Contains(extents_)) {
    out->resize(primitives_.size());
    for (uint32_t p = 0; p < primitives_.size(); ++p) (*out)[p] = p;
    return;
  }
  int i0 = std::clamp(static_cast<int>((box.minX - extents_.minX) / cellW_), 0, cellsX_ - 1);
  int i1 = std::clamp(static_cast<int>((box.maxX - extents_.minX) / cellW_), 0, cellsX_ - 1);
  int j0 = std::clamp(static_cast<int>((box.minY - extents_.minY) / cellH_), 0, cellsY_ - 1);
  int j1 = std::clamp(static_cast<int>((box.maxY - extents_.minY) / cellH_), 0, cellsY_ - 1);
  // A box over much of the drawing: one pass in drawing order costs less
  // than collecting from the cells and sorting.
  if (static_cast<size_t>(i1 - i0 + 1) * (j1 - j0 + 1) * 4 >= static_cast<size_t>(cellsX_) * cellsY_) {
    for (uint32_t p = 0; p < primitives_.size(); ++p)
      if (primitives_[p].box.Intersects(box)) out->push_back(p);
    return;
  }
  if (++stampValue_ == 0) {
    std::fill(stamp_.begin(), stamp_.end(), 0);
    stampValue_ = 1;
  }
  auto consider = [&](uint32_t p) {
    if (stamp_[p] == stampValue_) return;
    stamp_[p] = stampValue_;
    if (primitives_[p].box.Intersects(box)) out->push_back(p);
  };
  for (int j = j0; j <= j1; ++j)
    for (int i = i0; i <= i1; ++i) {
      size_t k = static_cast<size_t>(j) * cellsX_ + i;
      for (uint32_t s = cellStart_[k]; s < cellStart_[k + 1]; ++s) consider(cellItems_[s]);
    }
  for (uint32_t p : large_) consider(p);
  // Many hits: reading them off in order beats sorting them.
  if (out->size() * 8 > primitives_.size()) {
    const size_t hits = out->size();
    out->clear();
    for (uint32_t p = 0; p < primitives_.size() && out->size() < hits; ++p)
      if (stamp_[p] == stampValue_ && primitives_[p].box.Intersects(box)) out->push_back(p);
    return;
  }
  std::sort(out->begin(), out->end());
}

double DistanceToSegment(Vec2 p, Vec2 a, Vec2 b) {
  Vec2 d = b - a;
  double len2 = d.x * d.x + d.y * d.y;
  double t = len2 > 0 ? std::clamp(((p.x - a.x) * d.x + (p.y - a.y) * d.y) / len2, 0.0, 1.0) : 0;
  return Length(p - (a + d * t));
}

bool SegmentIntersectsBox(Vec2 a, Vec2 b, const Box& box) {
  // Liang-Barsky clipping of the segment against the box.
  double t0 = 0, t1 = 1;
  Vec2 d = b - a;
  const double p[4] = {-d.x, d.x, -d.y, d.y};
  const double q[4] = {a.x - box.minX, box.maxX - a.x, a.y - box.minY, box.maxY - a.y};
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0) {
      if (q[k] < 0) return false;
      continue;
    }
    double t = q[k] / p[k];
    if (p[k] < 0) t0 = std::max(t0, t);
    else t1 = std::min(t1, t);
    if (t0 > t1) return false;
  }
  return true;
}

}  // namespace wb::render
