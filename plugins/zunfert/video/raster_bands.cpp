#include "raster_bands.h"

#include <algorithm>
#include <chrono>
#include <numeric>

namespace zunfert::detail {

void cRasterBands::SetBands(int bands) {
  m_Bands = std::max(bands, 1);
  m_RowWork.resize(static_cast<size_t>(m_Bands));
  m_Shares.assign(kDraws * static_cast<size_t>(m_Bands), kWhole / m_Bands);
  for (uint32_t draw = 0; draw < kDraws; ++draw)
    m_Shares[draw * m_Bands] += kWhole - kWhole / m_Bands * m_Bands;
  m_Seconds.assign(static_cast<size_t>(m_Bands), 0.0);
}

void cRasterBands::Prepare(uint32_t lists, uint32_t draw) {
  if (m_Lists.size() < lists) m_Lists.resize(lists);
  m_Used = lists;
  m_Draw = std::min(draw, kDraws - 1);
}

void cRasterBands::Forget() {
  for (uint32_t list = 0; list < m_Used; ++list) m_Lists[list].triangles.clear();
  for (std::vector<int64_t>& rows : m_RowWork) std::fill(rows.begin(), rows.end(), 0);
  Rebalance();
}

void cRasterBands::Rebalance() {
  // A band's time per share is its cost; equal times want shares in
  // inverse proportion to it. Half the way there each draw, so that one
  // odd draw (or a thread the machine held up once) moves the cuts little;
  // no band goes below a quarter of an equal share.
  int64_t* shares = Shares();
  const auto wanted = [&](int k) {
    return static_cast<double>(shares[k]) / std::max(m_Seconds[k], 1e-7);
  };
  double sum = 0;
  for (int k = 0; k < m_Bands; ++k) sum += wanted(k);
  const int64_t least = kWhole / (4 * m_Bands);
  int64_t given = 0;
  for (int k = 0; k < m_Bands; ++k) {
    const auto toward = static_cast<int64_t>(static_cast<double>(kWhole) * wanted(k) / sum);
    shares[k] = std::max((shares[k] + toward) / 2, least);
    given += shares[k];
  }
  // Whatever rounding and the floor left over goes to or comes from the
  // largest share.
  *std::max_element(shares, shares + m_Bands) += kWhole - given;
}

void cRasterBands::AddTriangle(uint32_t list, int thread, const cTriangleSetup& setup,
                               const cTriangleCoverage& coverage) {
  m_Lists[list].triangles.push_back({setup, coverage});
  // Work in 1/16 pixel: the pixels spread evenly over the rows, and a row's
  // and a triangle's own cost in pixels' worth.
  constexpr int64_t kRowCost = 4 * 16, kTriangleCost = 24 * 16;
  const cEdge &e0 = coverage.edges[0], &e1 = coverage.edges[1];
  const int64_t area = e0.a * e1.dx - e0.dx * e1.a;  // twice the area, in sub-pixels squared
  const int64_t rows = coverage.last - coverage.first;
  const int64_t perRow = (area < 0 ? -area : area) / (2 * kSubPixels * kSubPixels / 16) / rows;
  std::vector<int64_t>& work = m_RowWork[thread];
  if (work.size() < static_cast<size_t>(coverage.last) + 1)
    work.resize(static_cast<size_t>(coverage.last) + 1);
  work[coverage.first] += perRow + kRowCost + kTriangleCost;
  work[coverage.first + 1] -= kTriangleCost;
  work[coverage.last] -= perRow + kRowCost;
}

std::pair<int, int> cRasterBands::Rows(int k) const {
  size_t rows = 0;
  for (const std::vector<int64_t>& work : m_RowWork) rows = std::max(rows, work.size());
  const auto change = [&](size_t y) {
    int64_t sum = 0;
    for (const std::vector<int64_t>& work : m_RowWork)
      if (y < work.size()) sum += work[y];
    return sum;
  };
  int64_t total = 0, perRow = 0;
  for (size_t y = 0; y < rows; ++y) total += perRow += change(y);
  // A cut falls on the first row with its share of the work above it; the
  // last band ends at the last row.
  // In double: the total times a share could leave 64 bits. Every band
  // rounds the same sums the same way, so neighbours agree on their cut.
  const int64_t* shares = Shares();
  const int64_t before = std::accumulate(shares, shares + k, int64_t{0});
  const auto share = [total](int64_t upTo) {
    return static_cast<int64_t>(static_cast<double>(total) * static_cast<double>(upTo) / kWhole);
  };
  const int64_t ends[2] = {share(before), share(before + shares[k])};
  const int cuts = k + 1 == m_Bands ? 1 : 2;
  int found[2] = {static_cast<int>(rows), static_cast<int>(rows)}, c = 0;
  int64_t above = 0;
  perRow = 0;
  for (size_t y = 0; y < rows && c < cuts; ++y) {
    while (c < cuts && above >= ends[c]) found[c++] = static_cast<int>(y);
    above += perRow += change(y);
  }
  return {found[0], found[1]};
}

void cRasterBands::DrawBand(int k, const cPixelPipeline& pipeline) {
  const auto start = std::chrono::steady_clock::now();
  const auto [from, to] = Rows(k);
  for (uint32_t list = 0; list < m_Used; ++list)
    for (const tTriangle& triangle : m_Lists[list].triangles) {
      const cTriangleCoverage& coverage = triangle.coverage;
      if (coverage.last <= from || coverage.first >= to) continue;
      cSpanBatcher batcher(pipeline, triangle.setup);
      coverage.EachSpan(from, to, [&](int y, int x0, int x1) { batcher.Add(y, x0, x1); });
      batcher.Finish();
    }
  m_Seconds[k] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace zunfert::detail
