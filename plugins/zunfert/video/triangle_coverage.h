#pragma once

#include <algorithm>
#include <cstdint>

namespace zunfert::detail {

/// Sub-pixel steps per pixel of the fixed-point triangle corners.
constexpr int kSubPixels = 256;

/// One edge of a triangle in fixed point, inside where E >= 0 at a pixel
/// centre: E = 256 a x + k(y) for pixel column x.
struct cEdge {
  int64_t a = 0;   // -dy: change of E per sub-pixel step in x
  int64_t dx = 0;  // change of k per sub-pixel step in y
  int64_t k0 = 0;  // k at the pixel centre of column 0 on row 0

  void Set(int64_t px, int64_t py, int64_t qx, int64_t qy) {
    const int64_t ex = qx - px, ey = qy - py;
    // Top-left rule: pixels exactly on a left or top edge belong inside.
    const bool topLeft = ey < 0 || (ey == 0 && ex > 0);
    a = -ey;
    dx = ex;
    k0 = a * (kSubPixels / 2 - px) + ex * (kSubPixels / 2 - py) - (topLeft ? 0 : 1);
  }
};

/// An edge followed down the rows. Its crossing is m = floor(k / |256 a|):
/// the first column inside is -m on a left edge (a > 0), the last m on a
/// right one. m and the remainder step exactly in integers from row to row,
/// with one division where the walk starts.
class cEdgeWalk {
 public:
  void Start(const cEdge& edge, int y) {
    m_A = edge.a;
    m_K = edge.k0 + edge.dx * kSubPixels * y;
    m_RowStep = edge.dx * kSubPixels;
    if (m_A == 0) return;
    m_Scale = (m_A > 0 ? m_A : -m_A) * kSubPixels;
    m_Crossing = FloorDivide(m_K, m_Scale);
    m_Remainder = m_K - m_Scale * m_Crossing;
    m_CrossingStep = FloorDivide(m_RowStep, m_Scale);
    m_RemainderStep = m_RowStep - m_Scale * m_CrossingStep;
  }

  /// Narrows [left, right) to the columns inside on the current row.
  void Limit(int& left, int& right) const {
    if (m_A > 0)
      left = static_cast<int>(std::max<int64_t>(left, -m_Crossing));
    else if (m_A < 0)
      right = static_cast<int>(std::min<int64_t>(right, m_Crossing + 1));
    else if (m_K < 0)
      right = left;
  }

  void NextRow() {
    m_K += m_RowStep;
    m_Remainder += m_RemainderStep;
    const int64_t carry = m_Remainder >= m_Scale;
    m_Crossing += m_CrossingStep + carry;
    m_Remainder -= carry * m_Scale;
  }

 private:
  static int64_t FloorDivide(int64_t n, int64_t d) {  // d > 0
    const int64_t q = n / d;
    return q - (n % d < 0);
  }

  int64_t m_A = 0, m_K = 0, m_RowStep = 0;
  int64_t m_Scale = 1, m_Crossing = 0, m_Remainder = 0, m_CrossingStep = 0, m_RemainderStep = 0;
};

/// The pixels a triangle covers, row by row: its three edges and the rows
/// and columns it may touch. Any range of rows can be walked on its own, so
/// that each drawing thread finds the spans of its own rows.
struct cTriangleCoverage {
  cEdge edges[3];
  int first = 0, last = 0;  // rows, last exclusive
  int left = 0, right = 0;  // columns of the target, right exclusive

  /// Calls span(y, x0, x1) for every non-empty span on rows [from, to).
  template <class F>
  void EachSpan(int from, int to, F&& span) const {
    const int begin = std::max(from, first), end = std::min(to, last);
    if (begin >= end) return;
    cEdgeWalk walks[3];
    for (int i = 0; i < 3; ++i) walks[i].Start(edges[i], begin);
    for (int row = begin; row < end; ++row) {
      int x0 = left, x1 = right;
      for (cEdgeWalk& walk : walks) {
        walk.Limit(x0, x1);
        walk.NextRow();
      }
      if (x0 < x1) span(row, x0, x1);
    }
  }
};

}  // namespace zunfert::detail
