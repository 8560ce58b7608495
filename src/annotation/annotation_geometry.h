// Geometry of a cable annotation: the anchor on the picked element with its
// half ellipse and cross line, the leader and its angle correction, and the
// framed rows of text at the leader's end. Entities are built outside the
// drawing; the drag shows them and the commit turns them into a block.
#pragma once

#include <memory>
#include <vector>

#include "platform/editor/drag_entity.h"
#include "settings/cable_setting.h"

// Shift tags of the frame entities: the factor, in frame widths, by which an
// entity moves when the frame changes side.
inline constexpr char16_t kTagShiftOnce[] = u"1";
inline constexpr char16_t kTagShiftTwice[] = u"2";
inline constexpr char16_t kTagStay[] = u"0";

struct AnchorGeometry {
  AcGePoint3d anchor;
  bool originMode = false;
  // Wire mode: half ellipse, cross line, leader. Origin mode: the leader.
  std::vector<std::unique_ptr<AcDbEntity>> entities;
};

struct TaggedEntity {
  std::unique_ptr<AcDbEntity> entity;
  CString tag;
};

struct TextFrame {
  double width = 0;
  // Bottom line, top line (with rows only), rows, right line, left line.
  std::vector<TaggedEntity> entities;
};

// Also creates the two annotation layers. False when the element has no
// anchor: not exactly two connection points, or the pick's perpendicular
// misses the wire, or an arc axis setting is not positive.
bool BuildAnchorGeometry(AcDbObjectId wire, const AcGePoint3d& pickPoint, double h,
                         AnchorGeometry& geometry, const CableSetting& setting = g_cableSetting);

// 0 and the foot of the perpendicular from `pick` when it falls on the
// segment p0-p1; otherwise 1 and `foot` = `pick`.
int GetPerpendicularFoot(const AcGePoint3d& p0, const AcGePoint3d& p1, const AcGePoint3d& pick,
                         AcGePoint3d& foot);

// Rounds an angle in degrees to the nearest multiple of `step`; an exact
// half step rounds down, 0 and a non-positive step leave it.
double SnapAngle(double degrees, double step);
// The point at the start-target distance (in the XY plane) from `start`
// whose direction is rounded with SnapAngle; z of the target.
AcGePoint3d SnapLeaderPoint(const AcGePoint3d& start, const AcGePoint3d& target, double step);

// Frame and rows with their leader end at `leaderEnd`, frame on the right.
TextFrame BuildTextFrame(const AcGePoint3d& leaderEnd, const CStringArray& lines, double h,
                         const CableSetting& setting = g_cableSetting);
