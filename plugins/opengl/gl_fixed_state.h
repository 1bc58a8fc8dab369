#pragma once

#include <epoxy/gl.h>

#include "gl_counts.h"
#include "render_state.h"

namespace zunfert::gl {

/// The render states that are GL state rather than shader code, in GL's
/// terms, with the last values sent so that only changes reach the driver.
class cGlFixedState {
 public:
  /// Sends what differs from the last Apply. The viewport is in pixels from
  /// the top left: the device draws upside down so that row 0 is the top.
  void Apply(const detail::cRenderState& state, const int viewport[4], cGlCounts& counts);
  /// Clears the viewport's buffers with the clear values, all channels and bits.
  void Clear(const detail::cRenderState& state, const int viewport[4], bool color, bool depth,
             bool stencil, cGlCounts& counts);
  /// Sends the state of a plain copy: no tests, no blending, no culling,
  /// every channel written, filled.
  void ApplyPlain(const int viewport[4], cGlCounts& counts);
  /// Forgets what was sent (a new context, or state changed behind it).
  void Forget() { m_Valid = false; }

 private:
  struct cValues {
    int viewport[4] = {};
    bool depthTest = false, depthWrite = false;
    GLenum depthFunction = 0;
    float depthRange[2] = {};
    bool blend = false;
    GLenum blendSource = 0, blendDestination = 0;
    bool colorMask[4] = {};
    GLenum cullFace = 0;  // 0 without culling
    GLenum polygonMode = 0;
    float pointSize = 0;
    bool stencil = false;
    GLenum stencilFunction = 0;
    GLint stencilReference = 0;
    GLuint stencilMask = 0, stencilWriteMask = 0;
    GLenum stencilOperations[3] = {};
    unsigned clipPlanes = 0;
    bool operator==(const cValues&) const = default;
  };
  static cValues From(const detail::cRenderState& state, const int viewport[4]);
  void Send(const cValues& values, cGlCounts& counts);

  cValues m_Sent;
  bool m_Valid = false;
};

}  // namespace zunfert::gl
