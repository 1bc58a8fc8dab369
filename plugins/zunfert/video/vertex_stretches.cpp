#include "vertex_stretches.h"

#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace zunfert::detail {

void cVertexStretches::Reset(uint32_t count) {
  const uint32_t stretches = (count + kVertices - 1) / kVertices;
  if (stretches > m_Capacity) {
    m_States = std::make_unique<std::atomic<uint8_t>[]>(stretches);
    m_Capacity = stretches;
  }
  for (uint32_t s = 0; s < stretches; ++s) m_States[s].store(kIdle, std::memory_order_relaxed);
  m_Count = count;
}

void cVertexStretches::AwaitDone(const std::atomic<uint8_t>& state) {
  // A stretch takes microseconds: spin, but let a thread queued behind
  // this one on the same core finish it.
  for (unsigned i = 1; state.load(std::memory_order_acquire) != kDone; ++i) {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#endif
    if (i % 64 == 0) std::this_thread::yield();
  }
}

}  // namespace zunfert::detail
