#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "pixel_pipeline.h"
#include "triangle_coverage.h"

namespace zunfert::detail {

/// Draws the triangles of a draw call on several threads, each thread the
/// rows of its own band: a block of rows cut so that the bands hold about
/// the same work, by the triangles' areas. A pixel lies
/// on one row, so one thread draws everything that touches it, in the order
/// the rasteriser produced it: the picture is the one a single thread draws.
///
/// A draw is one round of all the threads (Together): each sets up a
/// stretch of the primitives into a list of its own, they Meet, and each
/// draws the lists in the order of the threads, so in the order of the
/// primitives, finding the spans of its own rows: a block rather than rows
/// dealt out in turn, so that most triangles are walked by one thread.
/// The helper threads start at the first round that wants them and live as
/// long as the object; with one thread everything is drawn on the
/// caller's, nothing recorded. The lists keep their storage from draw to
/// draw.
class cRasterBands {
 public:
  cRasterBands() = default;
  cRasterBands(const cRasterBands&) = delete;
  cRasterBands& operator=(const cRasterBands&) = delete;
  ~cRasterBands();

  /// Threads that draw, the caller's included; at least 1.
  void SetThreads(int threads);
  int GetThreads() const { return m_Threads; }
  /// Whether triangles are to be recorded rather than drawn at once.
  bool IsRecording() const { return m_Threads > 1; }

  /// Has each thread k, 0 to GetThreads() - 1, run work(k), all at once, the
  /// caller's as thread 0; returns when all have.
  template <class F>
  void Together(F& work) {
    Run([](void* context, int k) { (*static_cast<F*>(context))(k); }, &work);
  }
  /// Cuts 0 to count - 1 into a stretch a thread and runs f(k, from, to)
  /// for each at once; all on the caller's (k = 0) when that gives a thread
  /// fewer than least items, which would not pay for the round trip.
  template <class F>
  void Share(uint32_t count, uint32_t least, F f) {
    const auto threads = static_cast<uint32_t>(m_Threads);
    if (threads == 1 || count < least * threads) return f(0, uint32_t{0}, count);
    const auto end = [&](int k) {
      return static_cast<uint32_t>(uint64_t{count} * static_cast<uint32_t>(k) / threads);
    };
    auto work = [&](int k) { f(k, end(k), end(k + 1)); };
    Together(work);
  }
  /// Keeps a triangle that thread k set up, to draw in this round, and
  /// tallies its estimated work by row, which places the bands' cuts.
  void AddTriangle(int k, const cTriangleSetup& setup, const cTriangleCoverage& coverage);
  /// Within a round: returns once every thread of the round has called it.
  void Meet();
  /// Within a round, after a Meet that follows the recording: draws the rows
  /// of thread k's band of every triangle recorded.
  void DrawRecorded(int k, const cPixelPipeline& pipeline) const;
  /// After the round: forgets the triangles recorded.
  void Forget();

 private:
  struct tTriangle {
    cTriangleSetup setup;
    cTriangleCoverage coverage;
  };
  using tWork = void (*)(void* context, int k);

  void Run(tWork work, void* context);
  /// Waits until done(value) holds: spinning for a while, the next round
  /// usually being microseconds away, then asleep, so that an idle device
  /// costs no processor. It does not yield: on a busy machine a thread
  /// woken from sleep gets a processor sooner than one that gave it away.
  template <class T, class Done>
  void Await(const std::atomic<T>& value, Done done);
  /// Row from which thread k draws, of the rows the recorded triangles may
  /// touch; every thread finds the same cuts.
  int Cut(int k) const;
  /// Wakes the threads asleep in Await after a change of what they wait for.
  void Wake();
  /// A helper's loop: thread k, called first to the round after done.
  void Help(int k, uint32_t done);
  void StopHelpers();

  int m_Threads = 1;
  std::vector<std::vector<tTriangle>> m_Lists = std::vector<std::vector<tTriangle>>(1);
  /// By thread, the change of the estimated work per row from row y - 1
  /// to row y, of the triangles it recorded; zero after Forget.
  std::vector<std::vector<int64_t>> m_RowWork = std::vector<std::vector<int64_t>>(1);

  // A round publishes m_Work and m_Context by its store to m_Round.
  std::vector<std::thread> m_Helpers;
  std::mutex m_Mutex;  // for the sleepers of Await
  std::condition_variable m_Changed;
  tWork m_Work = nullptr;  // what the current round runs
  void* m_Context = nullptr;
  std::atomic<uint32_t> m_Round = 0;     // counts the rounds the helpers are called to
  std::atomic<int> m_Pending = 0;        // helpers still at work on the current round
  std::atomic<uint32_t> m_Meetings = 0;  // counts the Meets completed
  std::atomic<int> m_Arrived = 0;        // threads at the current Meet
  bool m_Stop = false;                   // read by the helpers after a round's store
};

}  // namespace zunfert::detail
