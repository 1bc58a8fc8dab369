#include "gl_buffers.h"

#include <algorithm>

#include "shader_key.h"

namespace zunfert::gl {

namespace {

cVertexLayout LayoutOf(const cVertexBuffer& vertices) {
  const uint32_t format = vertices.GetVertexFormat();
  const uint32_t colorBytes = vertices.GetPixelFormat().GetTotalBytes();
  cVertexLayout layout;
  layout.vertexFormat = format;
  layout.length = vertices.GetLength();
  layout.sets = (format >> 4) & 15;
  uint32_t at = format & 1 ? 12 : 0;
  layout.normal = at, at += format & 2 ? 12 : 0;
  layout.diffuse = at, at += format & 4 ? colorBytes : 0;
  layout.specular = at, at += format & 8 ? colorBytes : 0;
  layout.texture = at;
  layout.stride = vertices.GetStride();
  return layout;
}

const void* Offset(uint32_t bytes) {
  return reinterpret_cast<const void*>(static_cast<uintptr_t>(bytes));
}

}  // namespace

void cGlVertexBuffer::Upload(const cVertexBuffer& source, GLenum usage, cGlCounts& counts) {
  const bool convert =
      (source.GetVertexFormat() & 12) && source.GetPixelFormat() != cPixelFormat::ARGB8888;
  cVertexBuffer converted;
  if (convert) {
    converted = source;
    converted.Convert(cPixelFormat::ARGB8888);
  }
  const cVertexBuffer& vertices = convert ? converted : source;
  m_Layout = LayoutOf(vertices);
  glBindBuffer(GL_ARRAY_BUFFER, m_Id.Get());
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.GetLength()) * m_Layout.stride,
               vertices.GetReadPtr(), usage);
  ++m_Version;
  ++counts.uploads;
}

void cGlIndexBuffer::Upload(const cIndexBuffer& source, GLenum usage, cGlCounts& counts) {
  m_Length = source.GetLength();
  m_MinIndex = source.GetMinIndex();
  m_Entries.assign(source.GetReadPtr(), source.GetReadPtr() + m_Length);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_Id.Get());
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(m_Length) * 2, m_Entries.data(),
               usage);
  ++counts.uploads;
}

void cGlVertexArray::Bind(const cGlVertexBuffer& vertices, const detail::cRenderState& state,
                          cGlCounts& counts) {
  int sets[detail::kStages];
  for (int s = 0; s < detail::kStages; ++s) sets[s] = state.stages[s].coordinateSet;
  glBindVertexArray(m_Id.Get());
  if (m_Buffer == vertices.GetId() && m_Version == vertices.GetVersion() &&
      std::equal(sets, sets + detail::kStages, m_Sets))
    return;
  ++counts.stateChanges;
  m_Buffer = vertices.GetId(), m_Version = vertices.GetVersion();
  std::copy_n(sets, detail::kStages, m_Sets);
  const cVertexLayout& layout = vertices.GetLayout();
  const auto stride = static_cast<GLsizei>(layout.stride);
  glBindBuffer(GL_ARRAY_BUFFER, vertices.GetId());
  const auto attribute = [stride](GLuint location, bool present, GLint size, GLenum type,
                                  bool normalized, uint32_t offset, const float* fallback) {
    if (present) {
      glVertexAttribPointer(location, size, type, normalized, stride, Offset(offset));
      glEnableVertexAttribArray(location);
    } else {
      glDisableVertexAttribArray(location);
      glVertexAttrib4fv(location, fallback);
    }
  };
  static const float zero[4] = {0, 0, 0, 0}, white[4] = {1, 1, 1, 1};
  const uint32_t format = layout.vertexFormat;
  attribute(kPosition, true, 3, GL_FLOAT, false, 0, zero);
  attribute(kNormal, format & 2, 3, GL_FLOAT, false, layout.normal, zero);
  // ARGB8888 lies in memory as blue, green, red, alpha.
  attribute(kDiffuse, format & 4, GL_BGRA, GL_UNSIGNED_BYTE, true, layout.diffuse, white);
  attribute(kSpecular, format & 8, GL_BGRA, GL_UNSIGNED_BYTE, true, layout.specular, zero);
  for (int s = 0; s < detail::kStages; ++s) {
    const auto set = static_cast<uint32_t>(sets[s]);
    attribute(kTexture0 + s, set < layout.sets, 2, GL_FLOAT, false, layout.texture + 8 * set, zero);
  }
}

}  // namespace zunfert::gl
