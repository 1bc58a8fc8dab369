#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "prepared_draw.h"

namespace zunfert::detail {

/// The draws of a run that the device's threads draw after the caller has
/// gone on: each prepared in a record of its own, with copies of the
/// vertices and index entries it reads, since the caller may change its
/// buffers as soon as the draw returns. The records and copies are written
/// by the caller and read by the other threads, so the storage changes
/// only while no thread reads it, and grows and never shrinks: a game that
/// draws the same each frame allocates nothing once it has drawn a few.
class cDrawQueue {
 public:
  /// Whether one more draw with that many bytes of vertices and entries
  /// fits as the queue is.
  bool Fits(size_t vertexBytes, uint32_t entries) const;
  /// Makes room for the draws queued and one more such draw, once no
  /// thread reads the queue.
  void Grow(size_t vertexBytes, uint32_t entries);
  /// The record the next draw is prepared in.
  cPreparedDraw& Next() { return *m_Draws[m_Count]; }
  /// Copies the next draw's vertices and entries into the queue, and makes
  /// it read them from there.
  void Copy(uint32_t entries);
  /// The next draw is complete: it becomes draw GetCount() - 1.
  void Push() { ++m_Count; }
  uint32_t GetCount() const { return m_Count; }
  const cPreparedDraw& operator[](uint32_t i) const { return *m_Draws[i]; }
  void Clear() { m_Count = 0, m_VertexBytes = 0, m_Entries = 0; }

 private:
  /// Vertex copies start on multiples of this many bytes.
  static constexpr size_t kAlign = 16;

  std::vector<std::unique_ptr<cPreparedDraw>> m_Draws;
  uint32_t m_Count = 0;
  std::vector<uint8_t> m_Vertices;
  size_t m_VertexBytes = 0;  // in use
  std::vector<uint16_t> m_EntryCopies;
  uint32_t m_Entries = 0;  // in use
};

}  // namespace zunfert::detail
