#include "raster_bands.h"

#include <algorithm>
#include <chrono>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace zunfert::detail {

cRasterBands::~cRasterBands() {
  StopHelpers();
}

void cRasterBands::SetThreads(int threads) {
  threads = std::max(threads, 1);
  if (threads == m_Threads) return;
  StopHelpers();
  m_Threads = threads;
  m_Lists.resize(static_cast<size_t>(threads));
}

void cRasterBands::StopHelpers() {
  if (m_Helpers.empty()) return;
  m_Stop = true;
  m_Round.fetch_add(1, std::memory_order_release);
  Wake();
  for (std::thread& helper : m_Helpers) helper.join();
  m_Helpers.clear();
  m_Stop = false;
}

template <class T, class Done>
void cRasterBands::Await(const std::atomic<T>& value, Done done) {
  using tClock = std::chrono::steady_clock;
  constexpr auto kSpin = std::chrono::microseconds(5);
  const tClock::time_point until = tClock::now() + kSpin;
  for (unsigned i = 1; !done(value.load(std::memory_order_acquire)); ++i) {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#endif
    if (i % 64 == 0 && tClock::now() >= until) {
      std::unique_lock lock(m_Mutex);
      m_Changed.wait(lock, [&] { return done(value.load(std::memory_order_acquire)); });
      return;
    }
  }
}

void cRasterBands::Wake() {
  // Taking the mutex orders this after a sleeper's last look at the value.
  { std::lock_guard lock(m_Mutex); }
  m_Changed.notify_all();
}

void cRasterBands::Meet() {
  const uint32_t meeting = m_Meetings.load(std::memory_order_acquire);
  if (m_Arrived.fetch_add(1, std::memory_order_acq_rel) + 1 < m_Threads) {
    Await(m_Meetings, [meeting](uint32_t meetings) { return meetings != meeting; });
    return;
  }
  m_Arrived.store(0, std::memory_order_relaxed);
  m_Meetings.fetch_add(1, std::memory_order_release);
  Wake();
}

void cRasterBands::Forget() {
  for (std::vector<tTriangle>& list : m_Lists) list.clear();
}

void cRasterBands::Run(tWork work, void* context) {
  if (m_Helpers.empty())
    for (int k = 1; k < m_Threads; ++k)
      m_Helpers.emplace_back(&cRasterBands::Help, this, k, m_Round.load());
  m_Work = work, m_Context = context;
  m_Pending.store(m_Threads - 1, std::memory_order_relaxed);
  m_Round.fetch_add(1, std::memory_order_release);
  Wake();
  work(context, 0);
  Await(m_Pending, [](int pending) { return pending == 0; });
}

void cRasterBands::DrawRecorded(int k, const cPixelPipeline& pipeline) const {
  for (const std::vector<tTriangle>& list : m_Lists)
    for (const tTriangle& triangle : list) {
      const cTriangleCoverage& coverage = triangle.coverage;
      cSpanBatcher batcher(pipeline, triangle.setup);
      // The first band of thread k at or after the triangle's first row.
      const int top = coverage.first / kBandRows;
      int band = top + ((k - top % m_Threads) + m_Threads) % m_Threads;
      for (; band * kBandRows < coverage.last; band += m_Threads)
        coverage.EachSpan(band * kBandRows, (band + 1) * kBandRows,
                          [&](int y, int x0, int x1) { batcher.Add(y, x0, x1); });
      batcher.Finish();
    }
}

void cRasterBands::Help(int k, uint32_t done) {
  for (;;) {
    Await(m_Round, [done](uint32_t round) { return round != done; });
    if (m_Stop) return;
    done = m_Round.load(std::memory_order_relaxed);
    m_Work(m_Context, k);
    if (m_Pending.fetch_sub(1, std::memory_order_acq_rel) == 1) Wake();
  }
}

}  // namespace zunfert::detail
