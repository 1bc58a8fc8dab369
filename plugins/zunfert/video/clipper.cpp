#include "clipper.h"

namespace zunfert::detail {

namespace {

/// Signed distance of a vertex to clip plane number plane (bit index).
float Distance(const cClipVertex& v, int plane) {
  const float guard = kGuardBand * v.w;
  switch (plane) {
    case 0:
      return v.z + v.w;
    case 1:
      return v.w - v.z;
    case 2:
      return guard + v.x;
    case 3:
      return guard - v.x;
    case 4:
      return guard + v.y;
    case 5:
      return guard - v.y;
    default:
      return v.a[kRasterAttributes + plane - 6];
  }
}

cClipVertex Lerp(const cClipVertex& a, const cClipVertex& b, float t) {
  cClipVertex v;
  v.x = a.x + (b.x - a.x) * t;
  v.y = a.y + (b.y - a.y) * t;
  v.z = a.z + (b.z - a.z) * t;
  v.w = a.w + (b.w - a.w) * t;
  for (int i = 0; i < kAttributes; ++i) v.a[i] = a.a[i] + (b.a[i] - a.a[i]) * t;
  v.code = ~0u;  // marks a vertex made by clipping: never drawn as a point
  return v;
}

/// Puts a vertex made by cutting exactly on the plane: far-flung corners
/// leave too little precision for the interpolation to land there.
void SnapToPlane(cClipVertex& v, int plane) {
  const float guard = kGuardBand * v.w;
  switch (plane) {
    case 0:
      v.z = -v.w;
      break;
    case 1:
      v.z = v.w;
      break;
    case 2:
      v.x = -guard;
      break;
    case 3:
      v.x = guard;
      break;
    case 4:
      v.y = -guard;
      break;
    case 5:
      v.y = guard;
      break;
    default:
      break;
  }
}

/// Cuts along one plane into out; edge flags follow the surviving edges.
void ClipAgainst(const cClipPolygon& in, cClipPolygon& out, int plane) {
  out.count = 0;
  for (int i = 0; i < in.count; ++i) {
    const int j = i + 1 == in.count ? 0 : i + 1;
    const cClipVertex& a = in.vertex[i];
    const cClipVertex& b = in.vertex[j];
    const float da = Distance(a, plane), db = Distance(b, plane);
    if (da >= 0) {
      out.vertex[out.count] = a;
      out.edge[out.count++] = in.edge[i];
    }
    if ((da >= 0) != (db >= 0)) {
      // Always interpolate from the inside vertex, so a shared edge is cut
      // at the same point whichever polygon it belongs to.
      const bool fromA = da >= 0;
      const float t = fromA ? da / (da - db) : db / (db - da);
      out.vertex[out.count] = fromA ? Lerp(a, b, t) : Lerp(b, a, t);
      SnapToPlane(out.vertex[out.count], plane);
      out.edge[out.count++] = fromA ? false : in.edge[i];
    }
  }
}

}  // namespace

void ClipPolygon(cClipPolygon& polygon, uint32_t planes) {
  cClipPolygon scratch;
  cClipPolygon* in = &polygon;
  cClipPolygon* out = &scratch;
  for (int plane = 0; plane < kClipPlaneCount && in->count > 0; ++plane) {
    if (!(planes & (1u << plane))) continue;
    ClipAgainst(*in, *out, plane);
    cClipPolygon* t = in;
    in = out;
    out = t;
  }
  if (in != &polygon) {
    polygon.count = in->count;
    for (int i = 0; i < in->count; ++i) {
      polygon.vertex[i] = in->vertex[i];
      polygon.edge[i] = in->edge[i];
    }
  }
}

bool ClipSegment(cClipVertex& a, cClipVertex& b, uint32_t planes) {
  for (int plane = 0; plane < kClipPlaneCount; ++plane) {
    if (!(planes & (1u << plane))) continue;
    const float da = Distance(a, plane), db = Distance(b, plane);
    if (da < 0 && db < 0) return false;
    if (da < 0)
      a = Lerp(b, a, db / (db - da));
    else if (db < 0)
      b = Lerp(a, b, da / (da - db));
  }
  return true;
}

}  // namespace zunfert::detail
