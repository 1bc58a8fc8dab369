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
  m_RowWork.resize(static_cast<size_t>(threads));
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
  for (std::vector<int64_t>& rows : m_RowWork) std::fill(rows.begin(), rows.end(), 0);
}

void cRasterBands::AddTriangle(int k, const cTriangleSetup& setup,
                               const cTriangleCoverage& coverage) {
  m_Lists[k].push_back({setup, coverage});
  // Work in 1/16 pixel: the pixels spread evenly over the rows, and a row's
  // and a triangle's own cost in pixels' worth.
  constexpr int64_t kRowCost = 4 * 16, kTriangleCost = 24 * 16;
  const cEdge &e0 = coverage.edges[0], &e1 = coverage.edges[1];
  const int64_t area = e0.a * e1.dx - e0.dx * e1.a;  // twice the area, in sub-pixels squared
  const int64_t rows = coverage.last - coverage.first;
  const int64_t perRow = (area < 0 ? -area : area) / (2 * kSubPixels * kSubPixels / 16) / rows;
  std::vector<int64_t>& work = m_RowWork[k];
  if (work.size() < static_cast<size_t>(coverage.last) + 1)
    work.resize(static_cast<size_t>(coverage.last) + 1);
  work[coverage.first] += perRow + kRowCost + kTriangleCost;
  work[coverage.first + 1] -= kTriangleCost;
  work[coverage.last] -= perRow + kRowCost;
}

int cRasterBands::Cut(int k) const {
  if (k == 0) return 0;
  size_t rows = 0;
  for (const std::vector<int64_t>& work : m_RowWork) rows = std::max(rows, work.size());
  if (k == m_Threads) return static_cast<int>(rows);
  int64_t total = 0, perRow = 0;
  for (size_t y = 0; y < rows; ++y) {
    for (const std::vector<int64_t>& work : m_RowWork)
      if (y < work.size()) perRow += work[y];
    total += perRow;
  }
  const int64_t share = total * k / m_Threads;
  int64_t sum = 0;
  perRow = 0;
  for (size_t y = 0; y < rows; ++y) {
    if (sum >= share) return static_cast<int>(y);
    for (const std::vector<int64_t>& work : m_RowWork)
      if (y < work.size()) perRow += work[y];
    sum += perRow;
  }
  return static_cast<int>(rows);
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
  const int from = Cut(k), to = Cut(k + 1);
  for (const std::vector<tTriangle>& list : m_Lists)
    for (const tTriangle& triangle : list) {
      const cTriangleCoverage& coverage = triangle.coverage;
      if (coverage.last <= from || coverage.first >= to) continue;
      cSpanBatcher batcher(pipeline, triangle.setup);
      coverage.EachSpan(from, to, [&](int y, int x0, int x1) { batcher.Add(y, x0, x1); });
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
