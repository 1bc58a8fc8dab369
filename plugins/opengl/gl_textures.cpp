#include "gl_textures.h"

namespace zunfert::gl {

namespace {

GLint Wrap(cVideo3D::EAddressMode mode) {
  switch (mode) {
    case cVideo3D::EAddressMode::Mirror:
      return GL_MIRRORED_REPEAT;
    case cVideo3D::EAddressMode::Clamp:
      return GL_CLAMP_TO_EDGE;
    default:
      return GL_REPEAT;
  }
}

}  // namespace

void cGlTextures::Open() {
  for (cSampler& sampler : m_Samplers) {
    sampler.id.Make();
    sampler.valid = false;
  }
}

GLuint cGlTextures::Prepare(const cSoftwareSurface& surface, cGlCounts& counts) {
  cTexture& texture = m_Textures[&surface];
  const bool made = texture.id.Get() != 0;
  if (!made) texture.id.Make();
  if (!made || texture.version != surface.GetVersion()) Upload(surface, texture, counts);
  return texture.id.Get();
}

void cGlTextures::Upload(const cSoftwareSurface& surface, cTexture& texture, cGlCounts& counts) {
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture.id.Get());
  m_Bound[0] = texture.id.Get();
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, surface.GetPitch() / 4);
  // ARGB8888 lies in memory as blue, green, red, alpha.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, surface.GetWidth(), surface.GetHeight(), 0, GL_BGRA,
               GL_UNSIGNED_BYTE, surface.GetRow(0));
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glGenerateMipmap(GL_TEXTURE_2D);
  texture.version = surface.GetVersion();
  ++counts.uploads;
}

void cGlTextures::UpdateMipmaps(const cSoftwareSurface& surface) {
  const auto it = m_Textures.find(&surface);
  if (it == m_Textures.end()) return;
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, it->second.id.Get());
  glGenerateMipmap(GL_TEXTURE_2D);
  m_Bound[0] = it->second.id.Get();
  it->second.version = surface.GetVersion();
}

void cGlTextures::Destroy(const cSurface* surface) {
  const auto it = m_Textures.find(surface);
  if (it == m_Textures.end()) return;
  m_Textures.erase(it);
  Forget();
}

void cGlTextures::Bind(const detail::cRenderState& state, cGlCounts& counts) {
  // Sending a texture goes through unit 0, so every stage's texture is sent
  // before any stage's is bound.
  GLuint ids[detail::kStages] = {};
  for (int s = 0; s < detail::kStages; ++s)
    if (state.stages[s].texture) ids[s] = Prepare(*state.stages[s].texture, counts);
  for (int s = 0; s < detail::kStages; ++s) {
    const detail::cStageState& stage = state.stages[s];
    if (!stage.texture) continue;  // the shader does not read a stage without a texture
    const GLuint id = ids[s];
    if (m_Bound[s] != id) {
      glActiveTexture(GL_TEXTURE0 + s);
      glBindTexture(GL_TEXTURE_2D, id);
      m_Bound[s] = id;
      ++counts.stateChanges;
    }
    cSampler& sampler = m_Samplers[s];
    if (sampler.valid && sampler.filter == stage.filter && sampler.u == stage.addressU &&
        sampler.v == stage.addressV && sampler.bias == stage.mipmapBias)
      continue;
    const bool point = stage.filter == cVideo3D::EFilter::Point;
    const GLint minify = point                                          ? GL_NEAREST
                         : stage.filter == cVideo3D::EFilter::Trilinear ? GL_LINEAR_MIPMAP_LINEAR
                                                                        : GL_LINEAR;
    glSamplerParameteri(sampler.id.Get(), GL_TEXTURE_MIN_FILTER, minify);
    glSamplerParameteri(sampler.id.Get(), GL_TEXTURE_MAG_FILTER, point ? GL_NEAREST : GL_LINEAR);
    glSamplerParameteri(sampler.id.Get(), GL_TEXTURE_WRAP_S, Wrap(stage.addressU));
    glSamplerParameteri(sampler.id.Get(), GL_TEXTURE_WRAP_T, Wrap(stage.addressV));
    glSamplerParameterf(sampler.id.Get(), GL_TEXTURE_LOD_BIAS, stage.mipmapBias);
    glBindSampler(s, sampler.id.Get());
    sampler.filter = stage.filter, sampler.u = stage.addressU, sampler.v = stage.addressV;
    sampler.bias = stage.mipmapBias, sampler.valid = true;
    ++counts.stateChanges;
  }
}

void cGlTextures::Forget() {
  for (GLuint& bound : m_Bound) bound = 0;
}

void cGlTextures::Clear() {
  m_Textures.clear();
  for (cSampler& sampler : m_Samplers) {
    sampler.id.Free();
    sampler.valid = false;
  }
  Forget();
}

}  // namespace zunfert::gl
