#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "vertex_processor.h"

namespace zunfert::detail {

/// One thread's vertices of a draw: all placed at once, each shaded the
/// first time a primitive that is drawn needs it. The storage grows and
/// never shrinks: no allocation per draw.
class cDrawVertices {
 public:
  /// Before a draw of count vertices: none shaded.
  void Reset(uint32_t count) {
    if (m_Vertices.size() < count) m_Vertices.resize(count), m_Shaded.resize(count);
    std::fill_n(m_Shaded.begin(), count, uint8_t{0});
    m_Count = count;
  }
  uint32_t GetCount() const { return m_Count; }
  /// Where the vertices are placed.
  cClipVertex* Get() { return m_Vertices.data(); }
  /// Vertex i, placed.
  const cClipVertex& operator[](uint32_t i) const { return m_Vertices[i]; }
  /// Vertex i, shaded by shade(vertex) unless it was before.
  template <class Shade>
  const cClipVertex& Shaded(uint32_t i, Shade&& shade) {
    if (!m_Shaded[i]) shade(m_Vertices[i]), m_Shaded[i] = 1;
    return m_Vertices[i];
  }

 private:
  std::vector<cClipVertex> m_Vertices;
  std::vector<uint8_t> m_Shaded;  // by vertex
  uint32_t m_Count = 0;
};

}  // namespace zunfert::detail
