#pragma once

#include <epoxy/gl.h>

namespace zunfert::gl {

/// Owns one GL object name of a kind (tKind says how names of that kind
/// are made and freed), so that no class pairs the calls by hand. The
/// context must be current whenever a name is made or freed.
template <class tKind>
class tGlName {
 public:
  tGlName() = default;
  tGlName(const tGlName&) = delete;
  tGlName& operator=(const tGlName&) = delete;
  ~tGlName() { Free(); }

  /// Frees the name held, if any, and makes a new one.
  GLuint Make() {
    Free();
    tKind::Make(1, &m_Id);
    return m_Id;
  }
  void Free() {
    if (m_Id != 0) tKind::Free(1, &m_Id);
    m_Id = 0;
  }
  GLuint Get() const { return m_Id; }

 private:
  GLuint m_Id = 0;
};

struct cGlBufferKind {
  static void Make(GLsizei n, GLuint* ids) { glGenBuffers(n, ids); }
  static void Free(GLsizei n, const GLuint* ids) { glDeleteBuffers(n, ids); }
};
struct cGlVertexArrayKind {
  static void Make(GLsizei n, GLuint* ids) { glGenVertexArrays(n, ids); }
  static void Free(GLsizei n, const GLuint* ids) { glDeleteVertexArrays(n, ids); }
};
struct cGlTextureKind {
  static void Make(GLsizei n, GLuint* ids) { glGenTextures(n, ids); }
  static void Free(GLsizei n, const GLuint* ids) { glDeleteTextures(n, ids); }
};
struct cGlSamplerKind {
  static void Make(GLsizei n, GLuint* ids) { glGenSamplers(n, ids); }
  static void Free(GLsizei n, const GLuint* ids) { glDeleteSamplers(n, ids); }
};
struct cGlRenderbufferKind {
  static void Make(GLsizei n, GLuint* ids) { glGenRenderbuffers(n, ids); }
  static void Free(GLsizei n, const GLuint* ids) { glDeleteRenderbuffers(n, ids); }
};
struct cGlFramebufferKind {
  static void Make(GLsizei n, GLuint* ids) { glGenFramebuffers(n, ids); }
  static void Free(GLsizei n, const GLuint* ids) { glDeleteFramebuffers(n, ids); }
};

using cGlBufferName = tGlName<cGlBufferKind>;
using cGlVertexArrayName = tGlName<cGlVertexArrayKind>;
using cGlTextureName = tGlName<cGlTextureKind>;
using cGlSamplerName = tGlName<cGlSamplerKind>;
using cGlRenderbufferName = tGlName<cGlRenderbufferKind>;
using cGlFramebufferName = tGlName<cGlFramebufferKind>;

}  // namespace zunfert::gl
