#include "raster_bands.h"

#include <algorithm>

namespace zunfert::detail {

void cRasterBands::SetBands(int bands) {
  m_Bands = std::max(bands, 1);
  const auto perRun = kRuns * static_cast<size_t>(m_Bands);
  m_Shares.assign(perRun, kWhole / m_Bands);
  for (uint32_t run = 0; run < kRuns; ++run)
    m_Shares[run * m_Bands] += kWhole - kWhole / m_Bands * m_Bands;
  m_Cuts.assign(perRun, 0);
  m_Seen.assign(kRuns, false);
  m_Seconds.assign(static_cast<size_t>(m_Bands), 0.0);
  m_Tallies.resize(static_cast<size_t>(m_Bands));
}

void cRasterBands::Begin(uint32_t run, int top, int bottom) {
  m_Run = std::min(run, kRuns - 1);
  std::fill(m_Seconds.begin(), m_Seconds.end(), 0.0);
  m_Top = top, m_Bottom = bottom;
  const auto rows = static_cast<size_t>(bottom) + 1;
  for (tTally& tally : m_Tallies)
    if (tally.change.size() < rows) tally.change.resize(rows);
  if (m_Work.size() < rows) m_Work.resize(rows);
}

std::pair<int, int> cRasterBands::Rows(int k) const {
  const auto cut = [this](int i) {
    if (i == 0) return m_Top;
    if (i == m_Bands) return m_Bottom;
    if (!m_Seen[m_Run]) return m_Top + static_cast<int>(int64_t{m_Bottom - m_Top} * i / m_Bands);
    // The run may have moved to other rows since its cuts were found.
    return std::clamp(Cuts()[i], m_Top, m_Bottom);
  };
  return {cut(k), cut(k + 1)};
}

void cRasterBands::Tally(int k, int from, int to, int rows, float area) {
  // Work in 1/16 pixel: the pixels spread evenly over the rows, and a row's
  // and a triangle's own cost in pixels' worth.
  constexpr int64_t kRowCost = 4 * 16, kTriangleCost = 24 * 16;
  const auto perRow = static_cast<int64_t>(16 * area / static_cast<float>(rows)) + kRowCost;
  std::vector<int64_t>& change = m_Tallies[k].change;
  change[from] += perRow + kTriangleCost;
  change[from + 1] -= kTriangleCost;
  change[to] -= perRow;
}

void cRasterBands::Sum(int k, int from, int to) {
  std::vector<int64_t>& change = m_Tallies[k].change;
  int64_t perRow = 0;
  for (int y = from; y < to; ++y) {
    m_Work[y] = perRow += change[y];
    change[y] = 0;
  }
  change[to] = 0;
}

void cRasterBands::End() {
  Rebalance();
  Cut();
}

void cRasterBands::Rebalance() {
  // A band's time per share is its cost; equal times want shares in
  // inverse proportion to it. Half the way there each run, so that one
  // odd run (or a thread the machine held up once) moves the cuts little;
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

void cRasterBands::Cut() {
  int64_t total = 0;
  for (int y = m_Top; y < m_Bottom; ++y) total += m_Work[y];
  if (total == 0) return;  // nothing drawn: nothing learnt
  // Cut k falls on the first row with the shares of bands 0 to k - 1 above it.
  const int64_t* shares = Shares();
  const auto portion = [total](int64_t upTo) {
    // In double: the total times a share could leave 64 bits.
    return static_cast<int64_t>(static_cast<double>(total) * static_cast<double>(upTo) / kWhole);
  };
  int* cuts = Cuts();
  int k = 1;
  int64_t before = shares[0], above = 0;
  for (int y = m_Top; y <= m_Bottom && k < m_Bands; ++y) {
    while (k < m_Bands && (y == m_Bottom || above >= portion(before))) {
      cuts[k] = y;
      before += shares[k++];
    }
    if (y < m_Bottom) above += m_Work[y];
  }
  m_Seen[m_Run] = true;
}

}  // namespace zunfert::detail
