#include "vertex_stretches.h"

#include "work_crew.h"

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
  // A stretch takes microseconds: spin rather than sleep.
  for (unsigned turn = 1; state.load(std::memory_order_acquire) != kDone; ++turn)
    cWorkCrew::Spin(turn);
}

}  // namespace zunfert::detail
