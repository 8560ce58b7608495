// Plants for the route search, as the table the search reads: drawn by hand
// element by element, or synthetic: tray networks (grid-like, or a tree
// with a few loops) of wires between tees and risers, equipment at wire ends
// and in the middle of runs, elements of other kinds that break runs, joints
// just inside and just outside the tolerance, and equal-length alternatives.
// Synthetic plants are deterministic for a seed on every platform.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "route/search/element_source.h"

namespace synth {

struct PlantOptions {
  uint32_t seed = 1;
  int elements = 300;       // roughly
  int cables = 50;
  bool treeLike = false;    // spanning tree plus a few loops instead of a grid
  bool equalLengths = false;  // every run the same length: many ties
  bool negativeLength = false;  // one wire with a negative S304
  bool oddTexts = false;    // S304/S225/S401 texts with units, blanks, letters
};

inline std::u16string Text(const std::string& s) { return std::u16string(s.begin(), s.end()); }

struct Plant {
  TableElementSource source;
  AcDbObjectIdArray tagged;  // scan order
  std::vector<AcDbObjectId> equipment;
  std::vector<std::pair<AcDbObjectId, AcDbObjectId>> cables;
  uint64_t lastHandle = 0x0F;

  AcDbObjectId Put(AcDbObjectId id, TableElementSource::Element e) {
    source.Set(id, std::move(e));
    tagged.push_back(id);
    return id;
  }
  AcDbObjectId Add(AcGePoint3dArray points, int rootKind, int blockClass) {
    return Put(AcDbObjectId{++lastHandle}, {std::move(points), rootKind, blockClass, {}});
  }
  AcDbObjectId Equipment(AcGePoint3dArray points, const std::string& s225, const std::string& s401) {
    const AcDbObjectId id = Add(std::move(points), 0, 0);
    source.SetAttribute(id, u"S225", Text(s225));
    source.SetAttribute(id, u"S401", Text(s401));
    return id;
  }
  // A straight wire from a to b.
  AcDbObjectId Wire(AcGePoint3d a, AcGePoint3d b, const std::string& s304,
                    const std::string& s401 = "0", int rootKind = 3) {
    const AcDbObjectId id = Add({a, b}, rootKind, 1);
    source.SetAttribute(id, u"S304", Text(s304));
    source.SetAttribute(id, u"S401", Text(s401));
    return id;
  }
};

class Random {
 public:
  explicit Random(uint32_t seed) : engine_(seed) {}
  uint32_t Next() { return static_cast<uint32_t>(engine_()); }
  int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint32_t>(n)); }
  int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
  bool Chance(double p) { return Next() < p * 4294967296.0; }

 private:
  std::mt19937 engine_;
};

class PlantBuilder {
 public:
  explicit PlantBuilder(const PlantOptions& options) : options_(options), random_(options.seed) {}

  Plant Build() {
    // Elements per junction: itself, about two wires per run and a little
    // equipment.
    const double linkP = options_.treeLike ? 0.0 : 0.8;
    const double perJunction = 1.0 + 4.0 * (options_.treeLike ? 0.55 : linkP) + 0.15;
    const int side = std::max(2, static_cast<int>(std::ceil(std::sqrt(options_.elements / perJunction))));
    width_ = side;
    height_ = std::max(2, options_.elements / static_cast<int>(perJunction) / side + 1);
    spacing_ = 3000.0 + random_.Below(7) * 125.0;

    made_.assign(width_ * height_, false);
    // Grid edges: horizontal (i,j)-(i+1,j), vertical (i,j)-(i,j+1).
    std::vector<std::pair<int, int>> edges;
    if (options_.treeLike) {
      edges = TreeEdges();
    } else {
      for (int j = 0; j < height_; ++j)
        for (int i = 0; i < width_; ++i) {
          if (i + 1 < width_ && random_.Chance(linkP)) edges.push_back({At(i, j), At(i + 1, j)});
          if (j + 1 < height_ && random_.Chance(linkP)) edges.push_back({At(i, j), At(i, j + 1)});
        }
    }
    for (auto [a, b] : edges) {
      MakeJunction(a);
      MakeJunction(b);
      MakeRun(a, b);
    }
    PlaceEquipment();
    if (options_.negativeLength && !wires_.empty()) {
      const AcDbObjectId w = wires_[random_.Below(static_cast<int>(wires_.size()))];
      plant_.source.SetAttribute(w, u"S304", u"-" + Text(std::to_string(random_.Between(1, 500))));
    }
    // Scan order is whatever the drawing gives: shuffle.
    for (size_t k = plant_.tagged.size(); k > 1; --k)
      std::swap(plant_.tagged[k - 1], plant_.tagged[random_.Below(static_cast<int>(k))]);
    MakeCables();
    return std::move(plant_);
  }

 private:
  int At(int i, int j) const { return j * width_ + i; }
  AcGePoint3d Centre(int junction) const {
    return AcGePoint3d{(junction % width_) * spacing_, (junction / width_) * spacing_, 0};
  }

  // Handles as a drawing hands them out: increasing, with gaps.
  AcDbObjectId NewId() { return AcDbObjectId{nextHandle_ += 1 + random_.Below(3)}; }

  std::u16string Level() {
    const int mm = random_.Between(0, 40) * 100;
    if (options_.oddTexts && random_.Chance(0.1)) return Text(" " + std::to_string(mm) + ".5");
    return Text(std::to_string(mm));
  }

  std::vector<std::pair<int, int>> TreeEdges() {
    // Random spanning tree by a randomised depth-first walk, then loops.
    std::vector<std::pair<int, int>> edges;
    std::vector<uint8_t> seen(width_ * height_, 0);
    std::vector<int> stack{At(random_.Below(width_), random_.Below(height_))};
    seen[stack[0]] = 1;
    while (!stack.empty()) {
      const int c = stack.back();
      const int i = c % width_, j = c / width_;
      std::vector<int> next;
      if (i > 0 && !seen[At(i - 1, j)]) next.push_back(At(i - 1, j));
      if (i + 1 < width_ && !seen[At(i + 1, j)]) next.push_back(At(i + 1, j));
      if (j > 0 && !seen[At(i, j - 1)]) next.push_back(At(i, j - 1));
      if (j + 1 < height_ && !seen[At(i, j + 1)]) next.push_back(At(i, j + 1));
      if (next.empty() || random_.Chance(0.3)) {
        stack.pop_back();
        if (!next.empty()) stack.insert(stack.begin(), c);  // come back later: branchier tree
        continue;
      }
      const int n = next[random_.Below(static_cast<int>(next.size()))];
      seen[n] = 1;
      edges.push_back({c, n});
      stack.push_back(n);
    }
    // A few loops.
    for (int j = 0; j < height_; ++j)
      for (int i = 0; i + 1 < width_; ++i)
        if (random_.Chance(0.06)) edges.push_back({At(i, j), At(i + 1, j)});
    for (int j = 0; j + 1 < height_; ++j)
      for (int i = 0; i < width_; ++i)
        if (random_.Chance(0.06)) edges.push_back({At(i, j), At(i, j + 1)});
    std::sort(edges.begin(), edges.end(), [](auto a, auto b) {
      return std::minmax(a.first, a.second) < std::minmax(b.first, b.second);
    });
    edges.erase(std::unique(edges.begin(), edges.end(),
                            [](auto a, auto b) {
                              return std::minmax(a.first, a.second) == std::minmax(b.first, b.second);
                            }),
                edges.end());
    return edges;
  }

  // A tee (or now and then a riser) with four arms 50 units out.
  void MakeJunction(int junction) {
    if (made_[junction]) return;
    const AcDbObjectId id = NewId();
    made_[junction] = true;
    TableElementSource::Element e;
    e.rootKind = 3;
    e.blockClass = random_.Chance(0.2) ? 7 : 3;
    const AcGePoint3d c = Centre(junction);
    e.points = {Arm(c, 1, 0), Arm(c, -1, 0), Arm(c, 0, 1), Arm(c, 0, -1)};
    if (random_.Chance(0.5)) std::swap(e.points[0], e.points[random_.Below(4)]);
    e.attributes[u"S401"] = Level();
    plant_.Put(id, std::move(e));
  }
  static AcGePoint3d Arm(const AcGePoint3d& c, int dx, int dy) {
    return AcGePoint3d{c.x + 50.0 * dx, c.y + 50.0 * dy, c.z};
  }

  // Wires from the arm of one junction to the facing arm of the other.
  void MakeRun(int a, int b) {
    if (a > b) std::swap(a, b);
    const bool horizontal = b - a == 1;
    const AcGePoint3d start = horizontal ? Arm(Centre(a), 1, 0) : Arm(Centre(a), 0, 1);
    const AcGePoint3d end = horizontal ? Arm(Centre(b), -1, 0) : Arm(Centre(b), 0, -1);
    const int count = options_.equalLengths ? 2 : random_.Between(1, 3);
    const int s304 = options_.equalLengths ? 1450 : random_.Between(2, 40) * 50;
    AcGePoint3d from = start;
    for (int k = 0; k < count; ++k) {
      const double t = static_cast<double>(k + 1) / count;
      AcGePoint3d to{start.x + (end.x - start.x) * t, start.y + (end.y - start.y) * t, 0};
      AcGePoint3d begin = from;
      // Joints just inside or just outside the tolerance.
      if (k > 0) {
        const int kind = random_.Below(40);
        const double gap = kind == 0 ? 0.2 : kind == 1 ? 0.2000001 : kind == 2 ? 0.1999999 : 0.0;
        if (horizontal) begin.x += gap; else begin.y += gap;
      }
      const AcDbObjectId id = NewId();
      TableElementSource::Element e;
      const int odd = random_.Below(60);
      e.rootKind = odd == 0 ? 1 : odd == 1 ? 2 : odd == 2 ? -1 : 3;  // now and then a break
      e.blockClass = 1;
      e.points = {begin, to};
      if (random_.Chance(0.3)) std::swap(e.points[0], e.points[1]);
      int length = options_.equalLengths ? s304 : random_.Between(2, 40) * 50;
      std::u16string text = Text(std::to_string(length));
      if (options_.oddTexts && random_.Chance(0.1)) {
        const int pick = random_.Below(4);
        text = pick == 0 ? text + u"mm" : pick == 1 ? u" " + text : pick == 2 ? u"L=" + text : text + u".9";
      }
      e.attributes[u"S304"] = text;
      e.attributes[u"S401"] = Level();
      if (e.rootKind == 3) wires_.push_back(id);
      plant_.Put(id, std::move(e));
      runPoints_.push_back(to);
      from = to;
    }
  }

  void PlaceEquipment() {
    const int count = std::max(2, options_.elements / 12);
    for (int k = 0; k < count; ++k) {
      const AcDbObjectId id = NewId();
      TableElementSource::Element e;
      e.rootKind = 0;
      e.blockClass = 0;
      const int where = random_.Below(20);
      if (where == 0 || runPoints_.empty()) {
        // Standing alone: no route.
        e.points = {AcGePoint3d{-10000.0 - k * 100, -10000.0, 0}};
      } else {
        // At a wire joint: touches the runs on both sides (a dead end for
        // routes through it); now and then slightly off, or with a second
        // terminal.
        AcGePoint3d p = runPoints_[random_.Below(static_cast<int>(runPoints_.size()))];
        if (random_.Chance(0.2)) p.y += random_.Chance(0.5) ? 0.15 : 0.2000001;
        e.points = {p};
        if (random_.Chance(0.1))
          e.points.push_back(runPoints_[random_.Below(static_cast<int>(runPoints_.size()))]);
      }
      std::u16string s225 = Text(std::to_string(random_.Between(0, 30) / 10.0).substr(0, 3));
      if (options_.oddTexts && random_.Chance(0.1)) s225 = u"x";
      e.attributes[u"S225"] = s225;
      e.attributes[u"S401"] = Level();
      plant_.equipment.push_back(plant_.Put(id, std::move(e)));
    }
  }

  void MakeCables() {
    const int n = static_cast<int>(plant_.equipment.size());
    for (int k = 0; k < options_.cables; ++k) {
      const AcDbObjectId a = plant_.equipment[random_.Below(n)];
      AcDbObjectId b = plant_.equipment[random_.Below(n)];
      if (random_.Chance(0.02)) b = a;
      plant_.cables.push_back({a, b});
    }
  }

  PlantOptions options_;
  Random random_;
  Plant plant_;
  int width_ = 0, height_ = 0;
  double spacing_ = 3000;
  uint64_t nextHandle_ = 0x200;
  std::vector<bool> made_;  // junctions drawn so far
  std::vector<AcDbObjectId> wires_;
  std::vector<AcGePoint3d> runPoints_;
};

inline Plant MakePlant(const PlantOptions& options) { return PlantBuilder(options).Build(); }

}  // namespace synth
