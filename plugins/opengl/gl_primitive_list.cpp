#include "gl_primitive_list.h"

#include <initializer_list>

namespace zunfert::gl {

void cGlPrimitiveList::Assemble(cVideo3D::EPrimitive type, const uint16_t* entries, uint32_t offset,
                                uint32_t count, uint32_t limit) {
  using EPrimitive = cVideo3D::EPrimitive;
  m_Indices.clear();
  const auto vertex = [&](uint32_t i) { return offset + (entries ? uint32_t{entries[i]} : i); };
  const auto add = [&](std::initializer_list<uint32_t> corners) {
    for (uint32_t i : corners)
      if (vertex(i) >= limit) return;
    for (uint32_t i : corners) m_Indices.push_back(vertex(i));
  };
  m_Mode = type == EPrimitive::Points                                   ? GL_POINTS
           : type == EPrimitive::Lines || type == EPrimitive::LineStrip ? GL_LINES
                                                                        : GL_TRIANGLES;
  switch (type) {
    case EPrimitive::Points:
      for (uint32_t i = 0; i < count; ++i) add({i});
      break;
    case EPrimitive::Lines:
      for (uint32_t i = 0; i + 1 < count; i += 2) add({i, i + 1});
      break;
    case EPrimitive::LineStrip:
      for (uint32_t i = 0; i + 1 < count; ++i) add({i, i + 1});
      break;
    case EPrimitive::Triangles:
      for (uint32_t i = 0; i + 2 < count; i += 3) add({i, i + 1, i + 2});
      break;
    case EPrimitive::TriangleStrip:
      // Every other triangle swaps two corners to keep the winding.
      for (uint32_t i = 0; i + 2 < count; ++i)
        i % 2 ? add({i + 1, i, i + 2}) : add({i, i + 1, i + 2});
      break;
    case EPrimitive::TriangleFan:
      for (uint32_t i = 1; i + 1 < count; ++i) add({0, i, i + 1});
      break;
  }
}

void cGlPrimitiveList::Draw(cGlCounts& counts) {
  if (m_Indices.empty()) return;
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_Id.Get());
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(m_Indices.size() * 4),
               m_Indices.data(), GL_STREAM_DRAW);
  ++counts.uploads;
  glDrawElements(m_Mode, static_cast<GLsizei>(m_Indices.size()), GL_UNSIGNED_INT, nullptr);
}

}  // namespace zunfert::gl
