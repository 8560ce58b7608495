// Picking on the display list, in world coordinates: the entity under the
// cursor within an aperture, the chain of block references that placed the
// picked geometry, and window / crossing selection. Qt-free so that every
// rule can be tested without a screen.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "render/display_list.h"

namespace wb::desktop {

// The view is built on the drawing as the renderer flattens it.
using namespace render;

struct PickHit {
  db::ObjectId entity;                   // the model-space entity
  std::vector<db::ObjectId> containers;  // block references, innermost first
  db::ObjectId nested;                   // the drawn entity itself
  Vec2 point;                            // the pick point
  double distance = 0;                   // from the pick point to the geometry
};

// The entity nearest to `point` whose geometry passes within `aperture`
// (world units); on equal distance the one drawn last (on top) wins.
std::optional<PickHit> PickEntity(const DisplayList& list, Vec2 point, double aperture);

enum class SelectMode { kWindow, kCrossing };

// Dragging to the right selects by window, to the left by crossing.
inline SelectMode ModeForDrag(Vec2 screenFrom, Vec2 screenTo) {
  return screenTo.x >= screenFrom.x ? SelectMode::kWindow : SelectMode::kCrossing;
}

using EntityFilter = std::function<bool(db::ObjectId)>;

// Window: entities lying wholly inside `box`. Crossing: entities inside or
// touching it. In drawing order; entities drawing nothing never qualify.
std::vector<db::ObjectId> SelectInBox(const DisplayList& list, const Box& box, SelectMode mode,
                                      const EntityFilter& filter = {});

// Keeps entities carrying xdata of any of the applications; none: all.
EntityFilter XDataFilter(const db::Database& database, std::vector<std::string> applications);

// Distance from a world point to one primitive (0 inside a text's box).
double DistanceTo(const DisplayList& list, const Primitive& p, Vec2 point);
// Whether any part of a primitive lies in the box.
bool Touches(const DisplayList& list, const Primitive& p, const Box& box);

}  // namespace wb::desktop
