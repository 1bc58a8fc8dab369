#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "pixel_pipeline.h"

namespace zunfert::detail {

/// Draws the spans of a draw call on several threads, each thread the rows
/// of its own bands: rows of 8 pixels dealt out in turn. A pixel lies on
/// one row, so one thread draws everything that touches it, in the order the
/// rasteriser produced it: the picture is the one a single thread draws.
///
/// The spans of a draw are recorded, then drawn by Flush. The helper threads
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
  /// Whether spans are to be recorded rather than drawn at once.
  bool IsRecording() const { return m_Threads > 1; }

  /// Keeps a triangle's setup for the spans that follow.
  void AddTriangle(const cTriangleSetup& setup) { m_Setups.push_back(setup); }
  /// A span of the last triangle added.
  void AddSpan(int y, int x0, int x1) {
    m_Spans.push_back({static_cast<uint32_t>(m_Setups.size() - 1), y, x0, x1});
  }
  /// Draws everything recorded through the pipeline and forgets it.
  void Flush(cPixelPipeline& pipeline);

 private:
  struct tSpan {
    uint32_t setup;
    int y, x0, x1;
  };

  /// Draws the spans of the bands of thread k.
  void DrawBands(int k) const;
  /// A helper's loop: thread k, called first to the round after done.
  void Help(int k, uint64_t done);
  void StopHelpers();

  int m_Threads = 1;
  std::vector<cTriangleSetup> m_Setups;
  std::vector<tSpan> m_Spans;
  cPixelPipeline* m_Pipeline = nullptr;

  std::vector<std::thread> m_Helpers;
  std::mutex m_Mutex;
  std::condition_variable m_Changed;
  uint64_t m_Round = 0;  // counts the Flushes the helpers are called to
  int m_Pending = 0;     // helpers still drawing the current round
  bool m_Stop = false;
};

}  // namespace zunfert::detail
