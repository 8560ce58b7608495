// Plane geometry of the drawing view, in world (drawing) units. Only the XY
// plane is drawn: the plant drawings are plans, elevations live in Z.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

namespace wb::render {

struct Vec2 {
  double x = 0, y = 0;
  friend Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
  friend Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
  friend Vec2 operator*(Vec2 a, double s) { return {a.x * s, a.y * s}; }
  friend bool operator==(Vec2, Vec2) = default;
};

inline double Length(Vec2 v) { return std::hypot(v.x, v.y); }

struct Box {
  double minX = std::numeric_limits<double>::infinity();
  double minY = std::numeric_limits<double>::infinity();
  double maxX = -std::numeric_limits<double>::infinity();
  double maxY = -std::numeric_limits<double>::infinity();

  static Box Around(Vec2 p, double r) { return {p.x - r, p.y - r, p.x + r, p.y + r}; }
  static Box Of(Vec2 a, Vec2 b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
  }
  bool empty() const { return !(minX <= maxX && minY <= maxY); }
  double width() const { return empty() ? 0 : maxX - minX; }
  double height() const { return empty() ? 0 : maxY - minY; }
  Vec2 center() const { return {(minX + maxX) / 2, (minY + maxY) / 2}; }
  void Add(Vec2 p) {
    minX = std::min(minX, p.x);
    minY = std::min(minY, p.y);
    maxX = std::max(maxX, p.x);
    maxY = std::max(maxY, p.y);
  }
  void Add(const Box& b) {
    if (b.empty()) return;
    Add(Vec2{b.minX, b.minY});
    Add(Vec2{b.maxX, b.maxY});
  }
  bool Intersects(const Box& b) const {
    return !empty() && !b.empty() && minX <= b.maxX && b.minX <= maxX && minY <= b.maxY &&
           b.minY <= maxY;
  }
  bool Contains(const Box& b) const {
    return !empty() && !b.empty() && minX <= b.minX && b.maxX <= maxX && minY <= b.minY &&
           b.maxY <= maxY;
  }
  bool Contains(Vec2 p) const { return minX <= p.x && p.x <= maxX && minY <= p.y && p.y <= maxY; }
};

// x' = a x + c y + e, y' = b x + d y + f.
struct Affine {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

  static Affine Translation(Vec2 t) { return {1, 0, 0, 1, t.x, t.y}; }
  static Affine Rotation(double radians) {
    double s = std::sin(radians), k = std::cos(radians);
    return {k, s, -s, k, 0, 0};
  }
  static Affine Scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }

  Vec2 Apply(Vec2 p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
  Vec2 ApplyVector(Vec2 v) const { return {a * v.x + c * v.y, b * v.x + d * v.y}; }
  // (this * o)(p) == this(o(p)).
  Affine operator*(const Affine& o) const {
    return {a * o.a + c * o.b, b * o.a + d * o.b, a * o.c + c * o.d,
            b * o.c + d * o.d, a * o.e + c * o.f + e, b * o.e + d * o.f + f};
  }
  double Determinant() const { return a * d - b * c; }
};

double DistanceToSegment(Vec2 p, Vec2 a, Vec2 b);
bool SegmentIntersectsBox(Vec2 a, Vec2 b, const Box& box);

}  // namespace wb::render
