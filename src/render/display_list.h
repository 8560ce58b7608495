// What the drawing view draws: model space flattened once per drawing change
// into polylines, texts and points in world coordinates, each knowing the
// model-space entity it belongs to and the chain of block references that
// placed it. A uniform grid over the primitives' boxes answers "what lies
// here" for redraws and picks without walking the whole drawing.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "render/geometry.h"
#include "platform/db/database.h"

namespace wb::render {

struct Rgb {
  uint8_t r = 255, g = 255, b = 255;
  friend bool operator==(Rgb, Rgb) = default;
};

// The CAD colour index (1..255) as RGB; 7 is the foreground colour.
Rgb AciToRgb(int aci);

// Text widths: how wide a string is for a cap height of 1 and width factor
// 1. The Qt view measures with its real font; the default estimates, so the
// display list stays usable without a GUI.
class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  virtual double Advance(std::string_view utf8) const;
};

enum class PrimitiveKind : uint8_t { kPolyline, kText, kPoint };

struct TextRun {
  std::string utf8;
  Vec2 base;           // left end of the baseline
  double height = 1;   // cap height, world units
  double rotation = 0; // radians, counter-clockwise
  double widthFactor = 1;
  double width = 0;    // world units along the baseline
};

struct Primitive {
  PrimitiveKind kind = PrimitiveKind::kPolyline;
  bool closed = false;
  Rgb color;
  int16_t lineWeight = 25;  // 1/100 mm, resolved
  uint32_t first = 0;       // polyline/point: first point; text: text index
  uint32_t count = 0;       // points
  uint32_t entity = 0;      // index into entities()
  uint32_t path = 0;        // first id of the container chain in pathIds
  uint32_t pathLength = 0;  // model-space entity first, the drawn entity last
  Box box;
};

struct EntityEntry {
  db::ObjectId id;
  uint32_t firstPrimitive = 0, endPrimitive = 0;
  Box box;
};

class DisplayList {
 public:
  DisplayList();
  ~DisplayList();
  DisplayList(DisplayList&&) noexcept;
  DisplayList& operator=(DisplayList&&) noexcept;

  // Rebuilds everything from the drawing's model space.
  void Build(const db::Database& database, const TextMeasurer* measurer = nullptr);
  void Clear();

  const std::vector<Primitive>& primitives() const { return primitives_; }
  const std::vector<Vec2>& points() const { return points_; }
  const std::vector<TextRun>& texts() const { return texts_; }
  const std::vector<EntityEntry>& entities() const { return entities_; }
  std::span<const db::ObjectId> Path(const Primitive& p) const {
    return {pathIds_.data() + p.path, p.pathLength};
  }
  std::span<const Vec2> Points(const Primitive& p) const { return {points_.data() + p.first, p.count}; }
  const Box& extents() const { return extents_; }
  // Index into entities(), or -1.
  int EntityIndex(db::ObjectId id) const;

  // Primitives whose boxes meet `box`, in drawing order.
  void Query(const Box& box, std::vector<uint32_t>* out) const;

 private:
  friend class DisplayListBuilder;
  void BuildIndex();

  std::vector<Primitive> primitives_;
  std::vector<Vec2> points_;
  std::vector<TextRun> texts_;
  std::vector<EntityEntry> entities_;
  std::vector<db::ObjectId> pathIds_;
  std::unordered_map<uint64_t, uint32_t> entityIndex_;
  Box extents_;

  // Grid: cell (i, j) lists the primitives of cellItems_[cellStart_[k] ..
  // cellStart_[k + 1]) with k = j * cellsX_ + i; primitives spanning many
  // cells are kept in large_ and always tested.
  int cellsX_ = 0, cellsY_ = 0;
  double cellW_ = 1, cellH_ = 1;
  std::vector<uint32_t> cellStart_, cellItems_, large_;
  mutable std::vector<uint32_t> stamp_;
  mutable uint32_t stampValue_ = 0;
};

// Strips MTEXT formatting to plain lines ("\P" breaks lines; fonts, heights,
// colours and the like are dropped; stacked fractions become "a/b").
std::vector<std::string> PlainMTextLines(std::string_view text);
// TEXT control codes: %%d degree, %%p plus-minus, %%c diameter, %%% percent;
// over/underline toggles are dropped.
std::string PlainText(std::string_view text);

}  // namespace wb::render
