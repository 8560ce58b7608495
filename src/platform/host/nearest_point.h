// The nearness rule of the common drawing library, in one place so that the
// library and the route search compute the very same double.
#pragma once

#include "platform/host/host_types.h"

// The connection point nearest to `point` (Euclidean, in 3D; the first of
// equally near ones) and its distance. -1 when there are no points.
int NearestConnectPoint(const AcGePoint3dArray& points, const AcGePoint3d& point,
                        AcGePoint3d& nearest, double& distance);
