#pragma once

#include <epoxy/gl.h>

#include <vector>

#include <tolmak.h>

#include "gl_counts.h"
#include "gl_name.h"

namespace zunfert::gl {

/// A draw rewritten as separate primitives, for the draws GL cannot take
/// as they are: flat strips and fans, where GL gives a triangle the colours
/// of another corner than the software device does, and indexed draws that
/// reach past the vertices, of which the software device leaves out only
/// the primitives that do. The corners keep the software device's order,
/// so the first gives a flat primitive its colours.
class cGlPrimitiveList {
 public:
  cGlPrimitiveList() { m_Id.Make(); }

  /// Assembles count corners, corner i being vertex offset + entries[i]
  /// (offset + i without entries); primitives with a corner at or past
  /// limit are left out.
  void Assemble(cVideo3D::EPrimitive type, const uint16_t* entries, uint32_t offset, uint32_t count,
                uint32_t limit);
  /// Draws what was assembled, sent as the bound vertex array's indices.
  void Draw(cGlCounts& counts);

 private:
  cGlBufferName m_Id;
  GLenum m_Mode = GL_TRIANGLES;
  std::vector<uint32_t> m_Indices;  // grows, never shrinks: no allocation per draw
};

}  // namespace zunfert::gl
