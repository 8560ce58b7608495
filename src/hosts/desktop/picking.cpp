#include "hosts/desktop/picking.h"

#include <algorithm>
#include <array>

namespace wb::desktop {
namespace {

// Corners of a text run's box, counter-clockwise from the lower left.
std::array<Vec2, 4> TextCorners(const TextRun& t) {
  Affine xf = Affine::Translation(t.base) * Affine::Rotation(t.rotation);
  return {xf.Apply({0, -0.3 * t.height}), xf.Apply({t.width, -0.3 * t.height}),
          xf.Apply({t.width, t.height}), xf.Apply({0, t.height})};
}

bool InsideConvex(const std::array<Vec2, 4>& q, Vec2 p) {
  for (int i = 0; i < 4; ++i) {
    Vec2 a = q[i], b = q[(i + 1) % 4];
    if ((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x) < 0) return false;
  }
  return true;
}

}  // namespace

double DistanceTo(const DisplayList& list, const Primitive& p, Vec2 point) {
  switch (p.kind) {
    case PrimitiveKind::kPoint:
      return Length(point - list.points()[p.first]);
    case PrimitiveKind::kText: {
      auto q = TextCorners(list.texts()[p.first]);
      if (InsideConvex(q, point)) return 0;
      double best = DistanceToSegment(point, q[3], q[0]);
      for (int i = 0; i < 3; ++i) best = std::min(best, DistanceToSegment(point, q[i], q[i + 1]));
      return best;
    }
    case PrimitiveKind::kPolyline: {
      auto pts = list.Points(p);
      double best = Length(point - pts[0]);
      for (size_t i = 0; i + 1 < pts.size(); ++i) best = std::min(best, DistanceToSegment(point, pts[i], pts[i + 1]));
      if (p.closed && pts.size() > 2) best = std::min(best, DistanceToSegment(point, pts.back(), pts[0]));
      return best;
    }
  }
  return 1e300;
}

bool Touches(const DisplayList& list, const Primitive& p, const Box& box) {
  if (!p.box.Intersects(box)) return false;
  if (box.Contains(p.box)) return true;
  switch (p.kind) {
    case PrimitiveKind::kPoint:
      return box.Contains(list.points()[p.first]);
    case PrimitiveKind::kText: {
      auto q = TextCorners(list.texts()[p.first]);
      for (int i = 0; i < 4; ++i)
        if (SegmentIntersectsBox(q[i], q[(i + 1) % 4], box)) return true;
      return InsideConvex(q, box.center());  // the box lies inside the text
    }
    case PrimitiveKind::kPolyline: {
      auto pts = list.Points(p);
      for (size_t i = 0; i + 1 < pts.size(); ++i)
        if (SegmentIntersectsBox(pts[i], pts[i + 1], box)) return true;
      return p.closed && pts.size() > 2 && SegmentIntersectsBox(pts.back(), pts[0], box);
    }
  }
  return false;
}

std::optional<PickHit> PickEntity(const DisplayList& list, Vec2 point, double aperture) {
  std::vector<uint32_t> candidates;
  list.Query(Box::Around(point, aperture), &candidates);
  std::optional<uint32_t> best;
  double bestDistance = 0;
  for (uint32_t index : candidates) {
    double d = DistanceTo(list, list.primitives()[index], point);
    if (d > aperture) continue;
    if (!best || d <= bestDistance) {  // later primitives are drawn on top
      best = index;
      bestDistance = d;
    }
  }
  if (!best) return std::nullopt;
  const Primitive& p = list.primitives()[*best];
  auto path = list.Path(p);
  PickHit hit;
  hit.entity = list.entities()[p.entity].id;
  hit.nested = path.empty() ? hit.entity : path.back();
  for (size_t i = path.size() > 0 ? path.size() - 1 : 0; i-- > 0;) hit.containers.push_back(path[i]);
  hit.point = point;
  hit.distance = bestDistance;
  return hit;
}

std::vector<db::ObjectId> SelectInBox(const DisplayList& list, const Box& box, SelectMode mode,
                                      const EntityFilter& filter) {
  std::vector<db::ObjectId> out;
  if (box.empty()) return out;
  std::vector<uint32_t> candidates;
  list.Query(box, &candidates);
  std::vector<uint32_t> entities;
  for (uint32_t index : candidates) {
    uint32_t e = list.primitives()[index].entity;
    if (!entities.empty() && entities.back() == e) continue;
    entities.push_back(e);
  }
  std::sort(entities.begin(), entities.end());
  entities.erase(std::unique(entities.begin(), entities.end()), entities.end());
  for (uint32_t e : entities) {
    const EntityEntry& entry = list.entities()[e];
    bool take = false;
    if (box.Contains(entry.box)) {
      take = true;
    } else if (mode == SelectMode::kCrossing) {
      for (uint32_t p = entry.firstPrimitive; p < entry.endPrimitive && !take; ++p)
        take = Touches(list, list.primitives()[p], box);
    }
    if (take && (!filter || filter(entry.id))) out.push_back(entry.id);
  }
  return out;
}

EntityFilter XDataFilter(const db::Database& database, std::vector<std::string> applications) {
  if (applications.empty()) return {};
  return [&database, apps = std::move(applications)](db::ObjectId id) {
    for (const std::string& app : apps)
      if (database.HasXData(id, app)) return true;
    return false;
  };
}

}  // namespace wb::desktop
