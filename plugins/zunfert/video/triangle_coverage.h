#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace zunfert::detail {

/// Sub-pixel steps per pixel of the fixed-point triangle corners.
constexpr int kSubPixels = 256;

/// One edge of a triangle in fixed point, inside where E >= 0 at a pixel
/// centre: E = 256 a x + k(y) for pixel column x.
struct cEdge {
  int64_t a = 0;         // -dy: change of E per sub-pixel step in x
  int64_t dx = 0;        // change of k per sub-pixel step in y
  int64_t k0 = 0;        // k at the pixel centre of column 0 on row 0
  double inverse = 0.0;  // 1 / (256 a), for a first guess of the crossing

  void Set(int64_t px, int64_t py, int64_t qx, int64_t qy) {
    const int64_t ex = qx - px, ey = qy - py;
    // Top-left rule: pixels exactly on a left or top edge belong inside.
    const bool topLeft = ey < 0 || (ey == 0 && ex > 0);
    a = -ey;
    dx = ex;
    k0 = a * (kSubPixels / 2 - px) + ex * (kSubPixels / 2 - py) - (topLeft ? 0 : 1);
    inverse = a != 0 ? 1.0 / (static_cast<double>(a) * kSubPixels) : 0.0;
  }

  /// Narrows [left, right) to the columns inside on row y.
  void Limit(int y, int& left, int& right) const {
    const int64_t k = k0 + dx * kSubPixels * y;
    const int64_t step = a * kSubPixels;
    if (a == 0) {
      if (k < 0) right = left;
      return;
    }
    auto x = static_cast<int64_t>(std::floor(-static_cast<double>(k) * inverse));
    // The guess can be off by a step either way; settle it exactly.
    if (a > 0) {
      while (step * x + k < 0) ++x;
      while (step * (x - 1) + k >= 0) --x;
      left = static_cast<int>(std::max<int64_t>(left, x));
    } else {
      while (step * x + k < 0) --x;
      while (step * (x + 1) + k >= 0) ++x;
      right = static_cast<int>(std::min<int64_t>(right, x + 1));
    }
  }
};

/// The pixels a triangle covers, row by row: its three edges and the rows
/// and columns it may touch. Any range of rows can be walked on its own, so
/// that each drawing thread finds the spans of its own rows.
struct cTriangleCoverage {
  cEdge edges[3];
  int first = 0, last = 0;   // rows, last exclusive
  int left = 0, right = 0;   // columns of the target, right exclusive

  /// Calls span(y, x0, x1) for every non-empty span on rows [from, to).
  template <class F>
  void EachSpan(int from, int to, F&& span) const {
    for (int row = std::max(from, first), end = std::min(to, last); row < end; ++row) {
      int x0 = left, x1 = right;
      for (const cEdge& edge : edges) edge.Limit(row, x0, x1);
      if (x0 < x1) span(row, x0, x1);
    }
  }
};

}  // namespace zunfert::detail
