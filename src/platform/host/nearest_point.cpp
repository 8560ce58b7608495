#include "platform/host/nearest_point.h"

#include <cmath>

int NearestConnectPoint(const AcGePoint3dArray& points, const AcGePoint3d& point,
                        AcGePoint3d& nearest, double& distance) {
  if (points.empty()) return -1;
  double best = -1;
  for (const auto& p : points) {
    const double dx = p.x - point.x, dy = p.y - point.y, dz = p.z - point.z;
    const double d = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (best < 0 || d < best) {
      best = d;
      nearest = p;
    }
  }
  distance = best;
  return 0;
}
