#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "pixel_pipeline.h"
#include "triangle_coverage.h"

namespace zunfert::detail {

/// Draws the triangles of a draw call on several threads, each thread the
/// rows of its own bands: rows of 8 pixels dealt out in turn. A pixel lies
/// on one row, so one thread draws everything that touches it, in the order
/// the rasteriser produced it: the picture is the one a single thread draws.
///
/// The triangles of a draw are recorded, set up, then Flush has each thread
/// find the spans of its own rows: the walk along the edges is shared out
/// with the pixels, and no thread looks at another's spans. The helper threads
/// start at the first Flush that wants them and live as long as the object;
/// with one thread everything is drawn on the caller's, nothing recorded.
/// The records keep their storage from draw to draw.
class cRasterBands {
 public:
  static constexpr int kBandRows = 8;

  cRasterBands() = default;
  cRasterBands(const cRasterBands&) = delete;
  cRasterBands& operator=(const cRasterBands&) = delete;
  ~cRasterBands();

  /// Threads that draw, the caller's included; at least 1.
  void SetThreads(int threads);
  int GetThreads() const { return m_Threads; }
  /// Whether triangles are to be recorded rather than drawn at once.
  bool IsRecording() const { return m_Threads > 1; }

  /// Keeps a triangle to draw at the next Flush.
  void AddTriangle(const cTriangleSetup& setup, const cTriangleCoverage& coverage) {
    m_Triangles.push_back({setup, coverage});
  }
  /// Draws everything recorded through the pipeline and forgets it.
  void Flush(cPixelPipeline& pipeline);

 private:
  struct tTriangle {
    cTriangleSetup setup;
    cTriangleCoverage coverage;
  };

  /// Draws the rows of the bands of thread k.
  void DrawBands(int k) const;
  /// A helper's loop: thread k, called first to the round after done.
  void Help(int k, uint64_t done);
  void StopHelpers();

  int m_Threads = 1;
  std::vector<tTriangle> m_Triangles;
  cPixelPipeline* m_Pipeline = nullptr;

  std::vector<std::thread> m_Helpers;
  std::mutex m_Mutex;
  std::condition_variable m_Changed;
  uint64_t m_Round = 0;  // counts the Flushes the helpers are called to
  int m_Pending = 0;     // helpers still drawing the current round
  bool m_Stop = false;
};

}  // namespace zunfert::detail
