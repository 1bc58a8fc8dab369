#pragma once

#include <cstdint>

#include "vertex_processor.h"

namespace zunfert::detail {

/// A convex polygon in clip space. edge[i] tells whether the edge from
/// vertex i to the next one belongs to the original primitive (wireframes
/// do not draw the edges that clipping adds).
struct cClipPolygon {
  static constexpr int kMaxVertices = 3 + kClipPlaneCount + 1;
  cClipVertex vertex[kMaxVertices];
  bool edge[kMaxVertices];
  int count = 0;
};

/// Cuts the polygon along every plane whose bit is in planes (clip bits), keeping the side where
/// the plane's distance is not negative; attributes are interpolated linearly in clip space. An
/// empty result has count 0.
void ClipPolygon(cClipPolygon& polygon, uint32_t planes);

/// Cuts a line segment the same way; false when nothing remains.
bool ClipSegment(cClipVertex& a, cClipVertex& b, uint32_t planes);

}  // namespace zunfert::detail
