#include "gl_presenter.h"

#include "shader_cache.h"

namespace zunfert::gl {

namespace {

constexpr const char* kVertex = R"(#version 330 core
out vec2 vAt;
void main() {
  // One triangle over the window; the picture's row 0 is its top.
  vec2 p = vec2(float((gl_VertexID & 1) * 4 - 1), float((gl_VertexID & 2) * 2 - 1));
  vAt = vec2(p.x + 1.0, 1.0 - p.y) * 0.5;
  gl_Position = vec4(p, 0.0, 1.0);
}
)";

constexpr const char* kFragment = R"(#version 330 core
in vec2 vAt;
uniform sampler2D uPicture, uRamp;
out vec4 fragColor;
int Level(float channel) { return int(channel * 255.0 + 0.5); }
void main() {
  vec4 c = texture(uPicture, vAt);
  fragColor = vec4(texelFetch(uRamp, ivec2(Level(c.r), 0), 0).r,
                   texelFetch(uRamp, ivec2(Level(c.g), 0), 0).g,
                   texelFetch(uRamp, ivec2(Level(c.b), 0), 0).b, c.a);
}
)";

}  // namespace

bool cGlPresenter::Open(std::string& error) {
  Close();
  m_Program = cShaderCache::Build(kVertex, kFragment, error);
  if (!m_Program) return false;
  glUseProgram(m_Program);
  glUniform1i(glGetUniformLocation(m_Program, "uPicture"), kPictureUnit);
  glUniform1i(glGetUniformLocation(m_Program, "uRamp"), kRampUnit);
  glUseProgram(0);
  m_VertexArray.Make();
  const GLuint sampler = m_Sampler.Make();
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  m_Filter = 0;
  glActiveTexture(GL_TEXTURE0 + kRampUnit);
  glBindTexture(GL_TEXTURE_2D, m_Ramp.Make());
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 256, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  return true;
}

void cGlPresenter::Close() {
  if (m_Program) glDeleteProgram(m_Program);
  m_Program = 0;
  m_VertexArray.Free();
  m_Sampler.Free();
  m_Ramp.Free();
  m_HasRamp = false;
}

void cGlPresenter::SetRamp(const uint8_t (*ramp)[256]) {
  m_HasRamp = ramp != nullptr && m_Ramp.Get() != 0;
  if (!m_HasRamp) return;
  uint8_t texels[256][4];
  for (int i = 0; i < 256; ++i)
    texels[i][0] = ramp[0][i], texels[i][1] = ramp[1][i], texels[i][2] = ramp[2][i],
    texels[i][3] = 255;
  glActiveTexture(GL_TEXTURE0 + kRampUnit);
  glBindTexture(GL_TEXTURE_2D, m_Ramp.Get());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 256, 1, GL_RGBA, GL_UNSIGNED_BYTE, texels);
}

bool cGlPresenter::Show(const cGlFramebuffer& picture, int windowWidth, int windowHeight,
                        cGlFixedState& fixed, cGlCounts& counts) {
  const int width = picture.GetWidth(), height = picture.GetHeight();
  if (!m_HasRamp) {
    picture.Show(windowWidth, windowHeight);
    return false;
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  const int viewport[4] = {0, 0, windowWidth, windowHeight};
  fixed.ApplyPlain(viewport, counts);
  // Texel for pixel where the sizes agree, so that the ramp sees the levels drawn.
  const GLint filter = width == windowWidth && height == windowHeight ? GL_NEAREST : GL_LINEAR;
  if (filter != m_Filter) {
    glSamplerParameteri(m_Sampler.Get(), GL_TEXTURE_MIN_FILTER, filter);
    glSamplerParameteri(m_Sampler.Get(), GL_TEXTURE_MAG_FILTER, filter);
    m_Filter = filter;
  }
  glActiveTexture(GL_TEXTURE0 + kPictureUnit);
  glBindTexture(GL_TEXTURE_2D, picture.GetColor());
  glBindSampler(kPictureUnit, m_Sampler.Get());
  glActiveTexture(GL_TEXTURE0 + kRampUnit);
  glBindTexture(GL_TEXTURE_2D, m_Ramp.Get());
  glUseProgram(m_Program);
  glBindVertexArray(m_VertexArray.Get());
  glDrawArrays(GL_TRIANGLES, 0, 3);
  return true;
}

}  // namespace zunfert::gl
