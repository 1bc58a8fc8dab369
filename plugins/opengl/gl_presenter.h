#pragma once

#include <epoxy/gl.h>

#include <string>

#include "gl_counts.h"
#include "gl_fixed_state.h"
#include "gl_framebuffer.h"

namespace zunfert::gl {

/// Shows the device's picture in the window, upright and stretched over
/// it: a plain copy while the gamma ramp changes nothing, else a pass that
/// looks every channel up in the ramp, as the software device's Flip does
/// for the front surface, so that the window and the frames read back agree.
class cGlPresenter {
 public:
  cGlPresenter() = default;
  cGlPresenter(const cGlPresenter&) = delete;
  cGlPresenter& operator=(const cGlPresenter&) = delete;
  ~cGlPresenter() { Close(); }

  /// Makes the ramp's pass (the context must be current); false with
  /// error set when the driver refuses it.
  bool Open(std::string& error);
  void Close();
  /// The ramp by channel (red, green, blue) and level; null for none.
  void SetRamp(const uint8_t (*ramp)[256]);
  /// Draws the picture into the window's framebuffer, which stays bound.
  /// True when the ramp's pass ran: it leaves its own program, vertex
  /// array and a plain fixed state (through fixed) behind.
  bool Show(const cGlFramebuffer& picture, int windowWidth, int windowHeight, cGlFixedState& fixed,
            cGlCounts& counts);

 private:
  // Units past the texture stages', so that their bindings stay as they are.
  static constexpr GLuint kPictureUnit = detail::kStages, kRampUnit = detail::kStages + 1;

  GLuint m_Program = 0;
  cGlVertexArrayName m_VertexArray;
  cGlSamplerName m_Sampler;
  cGlTextureName m_Ramp;
  GLint m_Filter = 0;
  bool m_HasRamp = false;
};

}  // namespace zunfert::gl
