#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>

namespace zunfert::detail {

/// Which stretches of a draw's vertices are transformed, so that threads
/// setting up triangles transform a stretch when a triangle first needs it
/// rather than all waiting for every vertex of the draw. Each stretch is
/// transformed once, by the first thread to need it; another that needs it
/// meanwhile waits for that stretch alone.
class cVertexStretches {
 public:
  /// Vertices a stretch: few, so that a thread waits little for another's.
  static constexpr uint32_t kVertices = 64;

  /// Before a draw of count vertices: none transformed. Allocates only for
  /// a draw with more vertices than any before.
  void Reset(uint32_t count);
  /// Returns once vertex i's stretch is transformed: by transform(from,
  /// count) on this thread when no thread had begun it.
  template <class Transform>
  void Ensure(uint32_t i, Transform& transform) {
    std::atomic<uint8_t>& state = m_States[i / kVertices];
    uint8_t seen = state.load(std::memory_order_acquire);
    if (seen == kDone) return;
    if (seen == kIdle && state.compare_exchange_strong(seen, kBusy, std::memory_order_acquire)) {
      const uint32_t from = i / kVertices * kVertices;
      transform(from, std::min(kVertices, m_Count - from));
      state.store(kDone, std::memory_order_release);
      return;
    }
    AwaitDone(state);
  }

 private:
  enum : uint8_t { kIdle, kBusy, kDone };
  static void AwaitDone(const std::atomic<uint8_t>& state);

  std::unique_ptr<std::atomic<uint8_t>[]> m_States;
  uint32_t m_Capacity = 0;  // stretches
  uint32_t m_Count = 0;     // vertices of the draw
};

}  // namespace zunfert::detail
