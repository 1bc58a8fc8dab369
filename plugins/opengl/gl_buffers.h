#pragma once

#include <epoxy/gl.h>

#include <memory>
#include <vector>

#include <tolmak.h>

#include "gl_counts.h"
#include "gl_name.h"
#include "render_state.h"

namespace zunfert::gl {

/// Where the components of a vertex lie, by the vertex buffers' layout
/// rule, once its colours are ARGB8888.
struct cVertexLayout {
  uint32_t vertexFormat = 0, stride = 0, length = 0;
  uint32_t normal = 0, diffuse = 0, specular = 0, texture = 0, sets = 0;
};

/// A vertex buffer in a GL buffer object.
class cGlVertexBuffer : public hVertexBuffer {
 public:
  cGlVertexBuffer() { m_Id.Make(); }

  /// Sends the vertices (colours converted to ARGB8888 when they are not).
  void Upload(const cVertexBuffer& source, GLenum usage, cGlCounts& counts);
  GLuint GetId() const { return m_Id.Get(); }
  const cVertexLayout& GetLayout() const { return m_Layout; }
  /// Changes at every upload, so that a vertex layout made for older
  /// contents is made again.
  uint32_t GetVersion() const { return m_Version; }

 private:
  cGlBufferName m_Id;
  cVertexLayout m_Layout;
  uint32_t m_Version = 0;
};

/// An index buffer in a GL buffer object, with what a draw needs to know
/// without reading it back.
class cGlIndexBuffer : public hIndexBuffer {
 public:
  cGlIndexBuffer() { m_Id.Make(); }

  void Upload(const cIndexBuffer& source, GLenum usage, cGlCounts& counts);
  GLuint GetId() const { return m_Id.Get(); }
  uint32_t GetLength() const { return m_Length; }
  uint16_t GetMinIndex() const { return m_MinIndex; }
  /// The entries as sent.
  const uint16_t* GetEntries() const { return m_Entries.data(); }

 private:
  cGlBufferName m_Id;
  uint32_t m_Length = 0;
  uint16_t m_MinIndex = 0;
  std::vector<uint16_t> m_Entries;  // kept to check draws against the vertex count
};

/// The buffers of one kind that a device made, owned until the program
/// destroys them or the device shuts down (the context must be current).
template <class Buffer, class Handle, class Source>
class tGlBufferStore {
 public:
  Buffer* Create(const Source& source, GLenum usage, cGlCounts& counts) {
    m_Buffers.push_back(std::make_unique<Buffer>());
    m_Buffers.back()->Upload(source, usage, counts);
    return m_Buffers.back().get();
  }
  /// False when the handle is none of this kind's.
  bool Update(Handle* handle, const Source& source, cGlCounts& counts) {
    auto* buffer = dynamic_cast<Buffer*>(handle);
    if (buffer == nullptr) return false;
    buffer->Upload(source, GL_DYNAMIC_DRAW, counts);
    return true;
  }
  void Destroy(Handle* handle) {
    std::erase_if(m_Buffers, [handle](const auto& owned) { return owned.get() == handle; });
  }
  void Clear() { m_Buffers.clear(); }

 private:
  std::vector<std::unique_ptr<Buffer>> m_Buffers;
};

using cGlVertexBuffers = tGlBufferStore<cGlVertexBuffer, hVertexBuffer, cVertexBuffer>;
using cGlIndexBuffers = tGlBufferStore<cGlIndexBuffer, hIndexBuffer, cIndexBuffer>;

/// The vertex array object and the attributes it points at.
class cGlVertexArray {
 public:
  cGlVertexArray() { m_Id.Make(); }

  /// Points the attributes at the buffer, each stage at its coordinate
  /// set; components the buffer lacks read the software device's defaults
  /// (normal 0, diffuse white, specular and coordinates 0).
  void Bind(const cGlVertexBuffer& vertices, const detail::cRenderState& state, cGlCounts& counts);
  /// Forgets the attributes set (the buffer may be reused under another id).
  void Forget() { m_Buffer = 0; }

 private:
  cGlVertexArrayName m_Id;
  GLuint m_Buffer = 0;
  uint32_t m_Version = 0;
  int m_Sets[detail::kStages] = {};
};

}  // namespace zunfert::gl
