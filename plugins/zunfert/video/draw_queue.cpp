#include "draw_queue.h"

#include <algorithm>

namespace zunfert::detail {

namespace {

size_t Aligned(size_t bytes, size_t align) {
  return (bytes + align - 1) / align * align;
}

}  // namespace

bool cDrawQueue::Fits(size_t vertexBytes, uint32_t entries) const {
  return m_Count < m_Draws.size() &&
         m_VertexBytes + Aligned(vertexBytes, kAlign) <= m_Vertices.size() &&
         size_t{m_Entries} + entries <= m_EntryCopies.size();
}

void cDrawQueue::Grow(size_t vertexBytes, uint32_t entries) {
  // Doubling, as a vector grows: a run too big for the queue waits for the
  // threads once more each time, a few frames at most.
  if (m_Draws.empty()) m_Draws.resize(16);
  if (m_Count == m_Draws.size()) m_Draws.resize(2 * m_Draws.size());
  for (auto& draw : m_Draws)
    if (!draw) draw = std::make_unique<cPreparedDraw>();
  const size_t bytes = m_VertexBytes + Aligned(vertexBytes, kAlign);
  if (bytes > m_Vertices.size()) m_Vertices.resize(std::max(bytes, 2 * m_Vertices.size()));
  const size_t total = size_t{m_Entries} + entries;
  if (total > m_EntryCopies.size()) m_EntryCopies.resize(std::max(total, 2 * m_EntryCopies.size()));
}

void cDrawQueue::Copy(uint32_t entries) {
  cPreparedDraw& draw = Next();
  uint8_t* vertices = m_Vertices.data() + m_VertexBytes;
  draw.processor.CopyVertices(draw.span, vertices);
  m_VertexBytes += Aligned(size_t{draw.processor.GetStride()} * draw.span, kAlign);
  if (!draw.entries) return;
  uint16_t* copy = m_EntryCopies.data() + m_Entries;
  std::copy_n(draw.entries, entries, copy);
  draw.entries = copy;
  m_Entries += entries;
}

}  // namespace zunfert::detail
