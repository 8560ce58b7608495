// Constants and the call counter shared by the route search and its callers.
#pragma once

#include <cstdint>

// Two elements touch when a connection point of one lies within this distance
// (inclusive, drawing units) of a connection point of the other.
inline constexpr double CONNECT_TOLERANCE = 0.2;
// Initial best length of every node and of the best route.
inline constexpr double ROUTE_NO_BEST = 9999999.9;

// Searches made since the caller last reset it; reported in the route log.
// RouteFinder::Find adds the searches it actually made.
extern int32_t RouteSearchCallCount;
