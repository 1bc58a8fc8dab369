#pragma once

#include <chrono>
#include <cstdint>
#include <utility>
#include <vector>

namespace zunfert::detail {

/// The target's rows cut into bands, one a thread, for draws that several
/// threads draw at once: each thread sets up every primitive and draws the
/// parts of the triangles that fall on its own rows. A pixel lies on one
/// row, so one band draws everything that touches it, in the order of the
/// primitives and the draws: the picture is the one a single thread draws,
/// wherever the cuts fall. Nothing passes between the threads: each
/// transforms the vertices it needs itself.
///
/// The cuts hold for a run of draws, the draws between two moments when
/// the device waits for its threads (usually a frame's), so that a thread
/// goes on to the next draw without waiting for the others to finish this
/// one. They are needed before the triangles are known, so they come from
/// the same run of the frame before: a game draws its scene in much the
/// same order each frame. Each band tallies the estimated work of the rows
/// it drew, by the triangles' areas, and the cuts give each band its share
/// of that. The estimate misjudges some work the same way frame after frame
/// (small triangles far away, a thread the machine runs slower), so the
/// shares follow the time the bands took: a band that took longer than the
/// others gets less of the work next time.
class cRasterBands {
 public:
  /// Bands, one a thread; at least 1.
  void SetBands(int bands);
  int GetBands() const { return m_Bands; }

  /// Before a run: its number in the frame, and the rows it may touch,
  /// top to bottom (exclusive).
  void Begin(uint32_t run, int top, int bottom);
  /// The rows band k draws, from and to (exclusive).
  std::pair<int, int> Rows(int k) const;
  /// Band k drew rows from to to (exclusive) of a triangle that spans rows
  /// rows and covers area pixels.
  void Tally(int k, int from, int to, int rows, float area);
  /// Draws band k of a draw of the run by draw(), and times it. Bands may
  /// be drawn at once.
  template <class Draw>
  void DrawBand(int k, Draw&& draw) {
    const auto start = std::chrono::steady_clock::now();
    draw();
    m_Seconds[k] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  /// Band k has drawn its last draw of the run.
  void EndBand(int k) {
    const auto [from, to] = Rows(k);
    Sum(k, from, to);
  }
  /// After every band's EndBand: this run's cuts for next time, from the
  /// work tallied and the time each band took.
  void End();

 private:
  /// Shares in 1/kWhole of the estimated work; they add up to kWhole.
  static constexpr int64_t kWhole = 1 << 16;
  /// Runs of a frame with cuts of their own; later ones share the last.
  static constexpr uint32_t kRuns = 64;
  /// The current run's shares by band, and its cuts: cut k is the row
  /// where band k begins, for k from 1, once the run has been seen.
  int64_t* Shares() { return m_Shares.data() + m_Run * m_Bands; }
  int* Cuts() { return m_Cuts.data() + m_Run * m_Bands; }
  const int* Cuts() const { return m_Cuts.data() + m_Run * m_Bands; }
  /// Band k's tally becomes the work of its rows, and is cleared.
  void Sum(int k, int from, int to);
  void Rebalance();
  /// The cuts that give each band its share of the work tallied.
  void Cut();

  int m_Bands = 1;
  uint32_t m_Run = 0;  // of kRuns
  int m_Top = 0, m_Bottom = 0;
  std::vector<int64_t> m_Shares = std::vector<int64_t>(kRuns, kWhole);
  std::vector<int> m_Cuts = std::vector<int>(kRuns, 0);
  std::vector<bool> m_Seen = std::vector<bool>(kRuns, false);  // by run
  /// Seconds band k took to draw, in the run so far.
  std::vector<double> m_Seconds = std::vector<double>(1);
  /// A band's tally: the change of the estimated work per row from row
  /// y - 1 to row y, of the rows it drew; zero once summed. A line of its
  /// own, as the bands tally at once.
  struct alignas(64) tTally {
    std::vector<int64_t> change;
  };
  std::vector<tTally> m_Tallies = std::vector<tTally>(1);
  /// The estimated work of each row, as the bands summed it.
  std::vector<int64_t> m_Work;
};

}  // namespace zunfert::detail
