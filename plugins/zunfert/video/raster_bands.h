#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "pixel_pipeline.h"
#include "triangle_coverage.h"

namespace zunfert::detail {

/// The triangles of a draw call recorded to be drawn in bands of rows, one
/// band a thread: a block of rows cut so that the bands hold about the same
/// work, by the triangles' areas. A pixel lies on one row, so one band
/// draws everything that touches it, in the order the rasteriser produced
/// it: the picture is the one a single thread draws.
///
/// Threads set up stretches of the primitives into lists of their own,
/// numbered in the order of the primitives; each band then draws the lists
/// in that order, finding the spans of its own rows: a block rather than
/// rows dealt out in turn, so that most triangles are walked by one band.
/// The lists keep their storage from draw to draw.
///
/// The estimate misjudges some work the same way frame after frame (small
/// triangles far away, a thread the machine runs slower), so each band's
/// share of the estimated work follows the time the bands took: a band
/// that took longer than the others gets less of the work next time. Next
/// time is the same draw of the next frame, as a game draws its scene in
/// much the same order each frame and each draw misjudges in its own way.
class cRasterBands {
 public:
  /// Bands, and threads that record; at least 1.
  void SetBands(int bands);
  int GetBands() const { return m_Bands; }
  /// Whether triangles are to be recorded rather than drawn at once.
  bool IsRecording() const { return m_Bands > 1; }

  /// Before a draw's recording: lists 0 to lists - 1 are empty; draw is
  /// the draw's number in its frame.
  void Prepare(uint32_t lists, uint32_t draw);
  /// Keeps a triangle in a list, set up on thread thread (one list is
  /// filled by one thread at a time), and tallies its estimated work by
  /// row, which places the bands' cuts.
  void AddTriangle(uint32_t list, int thread, const cTriangleSetup& setup,
                   const cTriangleCoverage& coverage);
  /// Once every list is recorded: draws the rows of band k of every
  /// triangle recorded, and times them. Bands may be drawn at once.
  void DrawBand(int k, const cPixelPipeline& pipeline);
  /// After the bands are drawn: forgets the triangles and their work, and
  /// moves the bands' shares toward equal times.
  void Forget();

 private:
  struct tTriangle {
    cTriangleSetup setup;
    cTriangleCoverage coverage;
  };
  /// A line of its own, since neighbouring lists grow on different threads
  /// at once.
  struct alignas(64) tList {
    std::vector<tTriangle> triangles;
  };

  /// The rows band k draws, from and to (exclusive), of the rows the
  /// recorded triangles may touch; every band finds the same cuts.
  std::pair<int, int> Rows(int k) const;

  /// Shares in 1/kWhole of the estimated work; they add up to kWhole.
  static constexpr int64_t kWhole = 1 << 16;
  /// Draws of a frame with shares of their own; later ones share the last.
  static constexpr uint32_t kDraws = 64;
  /// The current draw's shares, by band.
  int64_t* Shares() { return m_Shares.data() + m_Draw * m_Bands; }
  const int64_t* Shares() const { return m_Shares.data() + m_Draw * m_Bands; }
  void Rebalance();

  int m_Bands = 1;
  uint32_t m_Draw = 0;  // of kDraws
  std::vector<int64_t> m_Shares = std::vector<int64_t>(kDraws, kWhole);
  /// Seconds band k took to draw, in the draw just done.
  std::vector<double> m_Seconds = std::vector<double>(1);
  uint32_t m_Used = 0;  // lists in use since Prepare
  std::vector<tList> m_Lists;
  /// By thread, the change of the estimated work per row from row y - 1
  /// to row y, of the triangles it recorded; zero after Forget.
  std::vector<std::vector<int64_t>> m_RowWork = std::vector<std::vector<int64_t>>(1);
};

}  // namespace zunfert::detail
