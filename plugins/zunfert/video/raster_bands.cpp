#include "raster_bands.h"

#include <algorithm>

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
  {
    std::lock_guard lock(m_Mutex);
    m_Stop = true;
  }
  m_Changed.notify_all();
  for (std::thread& helper : m_Helpers) helper.join();
  m_Helpers.clear();
  m_Stop = false;
}

void cRasterBands::Flush(cPixelPipeline& pipeline) {
  if (std::all_of(m_Lists.begin(), m_Lists.end(), [](const auto& list) { return list.empty(); }))
    return;
  m_Pipeline = &pipeline;
  Run([](void* bands, int k) { static_cast<const cRasterBands*>(bands)->DrawBands(k); }, this);
  for (std::vector<tTriangle>& list : m_Lists) list.clear();
}

void cRasterBands::Run(tWork work, void* context) {
  if (m_Helpers.empty())
    for (int k = 1; k < m_Threads; ++k)
      m_Helpers.emplace_back(&cRasterBands::Help, this, k, m_Round);
  {
    std::lock_guard lock(m_Mutex);
    m_Work = work, m_Context = context;
    ++m_Round;
    m_Pending = m_Threads - 1;
  }
  m_Changed.notify_all();
  work(context, 0);
  std::unique_lock lock(m_Mutex);
  m_Changed.wait(lock, [this] { return m_Pending == 0; });
}

void cRasterBands::DrawBands(int k) const {
  for (const std::vector<tTriangle>& list : m_Lists)
    for (const tTriangle& triangle : list) {
      const cTriangleCoverage& coverage = triangle.coverage;
      cSpanBatcher batcher(*m_Pipeline, triangle.setup);
      // The first band of thread k at or after the triangle's first row.
      const int top = coverage.first / kBandRows;
      int band = top + ((k - top % m_Threads) + m_Threads) % m_Threads;
      for (; band * kBandRows < coverage.last; band += m_Threads)
        coverage.EachSpan(band * kBandRows, (band + 1) * kBandRows,
                          [&](int y, int x0, int x1) { batcher.Add(y, x0, x1); });
      batcher.Finish();
    }
}

void cRasterBands::Help(int k, uint64_t done) {
  std::unique_lock lock(m_Mutex);
  for (;;) {
    m_Changed.wait(lock, [&] { return m_Stop || m_Round != done; });
    if (m_Stop) return;
    done = m_Round;
    const tWork work = m_Work;
    void* const context = m_Context;
    lock.unlock();
    work(context, k);
    lock.lock();
    if (--m_Pending == 0) m_Changed.notify_all();
  }
}

}  // namespace zunfert::detail
