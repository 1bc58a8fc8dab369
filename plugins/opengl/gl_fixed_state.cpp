#include "gl_fixed_state.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace zunfert::gl {

namespace {

GLenum CompareFunction(cVideo3D::ECompareFunction function) {
  static const GLenum functions[] = {GL_ALWAYS,  GL_NEVER,    GL_LESS,   GL_EQUAL, GL_LEQUAL,
                                     GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
  const auto at = static_cast<size_t>(function);
  return at < std::size(functions) ? functions[at] : GL_ALWAYS;
}

GLenum BlendFactor(cVideo3D::EBlendFunction function) {
  static const GLenum factors[] = {GL_ONE,
                                   GL_ZERO,
                                   GL_ONE,
                                   GL_SRC_COLOR,
                                   GL_ONE_MINUS_SRC_COLOR,
                                   GL_SRC_ALPHA,
                                   GL_ONE_MINUS_SRC_ALPHA,
                                   GL_DST_ALPHA,
                                   GL_ONE_MINUS_DST_ALPHA,
                                   GL_DST_COLOR,
                                   GL_ONE_MINUS_DST_COLOR,
                                   GL_SRC_ALPHA_SATURATE};
  const auto at = static_cast<size_t>(function);
  return at < std::size(factors) ? factors[at] : GL_ONE;
}

GLenum StencilOperation(cVideo3D::EStencil operation) {
  // Increase and Decrease wrap around; the Clamp ones saturate.
  static const GLenum operations[] = {GL_KEEP,      GL_ZERO,   GL_REPLACE, GL_INCR_WRAP,
                                      GL_DECR_WRAP, GL_INVERT, GL_INCR,    GL_DECR};
  const auto at = static_cast<size_t>(operation);
  return at < std::size(operations) ? operations[at] : GL_KEEP;
}

void Enable(GLenum capability, bool on) {
  on ? glEnable(capability) : glDisable(capability);
}

}  // namespace

cGlFixedState::cValues cGlFixedState::From(const detail::cRenderState& state,
                                           const int viewport[4]) {
  cValues v;
  std::copy_n(viewport, 4, v.viewport);
  v.depthTest = state.depthTest;
  // Without the depth test nothing is written to the depth buffer either.
  v.depthWrite = state.depthTest && state.depthWrite;
  v.depthFunction = CompareFunction(state.depthFunction);
  v.depthRange[0] = state.depthMin, v.depthRange[1] = state.depthMax;
  v.blend = state.blending;
  v.blendSource = BlendFactor(state.sourceBlend);
  v.blendDestination = BlendFactor(state.destinationBlend);
  std::copy_n(state.writeMask, 4, v.colorMask);
  // The picture is drawn upside down, which turns every winding round:
  // what the screen shows clockwise is counter-clockwise to GL here.
  switch (state.culling) {
    case cVideo3D::ECulling::Clockwise:
      v.cullFace = GL_FRONT;
      break;
    case cVideo3D::ECulling::CounterClockwise:
      v.cullFace = GL_BACK;
      break;
    default:
      v.cullFace = 0;
  }
  v.polygonMode = state.style == cVideo3D::EPrimitiveStyle::WireFramed ? GL_LINE
                  : state.style == cVideo3D::EPrimitiveStyle::Vertexed ? GL_POINT
                                                                       : GL_FILL;
  v.pointSize = std::max(state.pointSize, 1.0f);
  v.stencil = state.stencil;
  v.stencilFunction = CompareFunction(state.stencilFunction);
  v.stencilReference = static_cast<GLint>(state.stencilReference & 0xFF);
  v.stencilMask = state.stencilMask & 0xFF;
  v.stencilWriteMask = state.stencilWriteMask & 0xFF;
  v.stencilOperations[0] = StencilOperation(state.stencilFail);
  v.stencilOperations[1] = StencilOperation(state.stencilDepthFail);
  v.stencilOperations[2] = StencilOperation(state.stencilPass);
  for (int i = 0; i < detail::kClipPlanes; ++i)
    v.clipPlanes |= state.clipPlaneEnabled[i] ? 1u << i : 0u;
  return v;
}

void cGlFixedState::Apply(const detail::cRenderState& state, const int viewport[4],
                          cGlCounts& counts) {
  const cValues values = From(state, viewport);
  if (m_Valid && values == m_Sent) return;
  Send(values, counts);
}

void cGlFixedState::ApplyPlain(const int viewport[4], cGlCounts& counts) {
  cValues values = m_Valid ? m_Sent : From(detail::cRenderState(), viewport);
  std::copy_n(viewport, 4, values.viewport);
  values.depthTest = values.blend = values.stencil = false;
  std::fill_n(values.colorMask, 4, true);
  values.cullFace = 0;
  values.polygonMode = GL_FILL;
  values.clipPlanes = 0;
  if (!m_Valid || !(values == m_Sent)) Send(values, counts);
}

void cGlFixedState::Send(const cValues& v, cGlCounts& counts) {
  const cValues& old = m_Sent;
  const bool all = !m_Valid;
  const auto changed = [&](bool differs) {
    counts.stateChanges += all || differs;
    return all || differs;
  };
  if (changed(std::memcmp(v.viewport, old.viewport, sizeof v.viewport) != 0)) {
    glViewport(v.viewport[0], v.viewport[1], v.viewport[2], v.viewport[3]);
    // Wide points and lines must not spill past the viewport either.
    glScissor(v.viewport[0], v.viewport[1], v.viewport[2], v.viewport[3]);
  }
  if (changed(v.depthTest != old.depthTest)) Enable(GL_DEPTH_TEST, v.depthTest);
  if (changed(v.depthWrite != old.depthWrite)) glDepthMask(v.depthWrite);
  if (changed(v.depthFunction != old.depthFunction)) glDepthFunc(v.depthFunction);
  if (changed(v.depthRange[0] != old.depthRange[0] || v.depthRange[1] != old.depthRange[1]))
    glDepthRange(v.depthRange[0], v.depthRange[1]);
  if (changed(v.blend != old.blend)) Enable(GL_BLEND, v.blend);
  if (changed(v.blendSource != old.blendSource || v.blendDestination != old.blendDestination))
    glBlendFunc(v.blendSource, v.blendDestination);
  if (changed(std::memcmp(v.colorMask, old.colorMask, sizeof v.colorMask) != 0))
    glColorMask(v.colorMask[0], v.colorMask[1], v.colorMask[2], v.colorMask[3]);
  if (changed(v.cullFace != old.cullFace)) {
    Enable(GL_CULL_FACE, v.cullFace != 0);
    if (v.cullFace) glCullFace(v.cullFace);
  }
  if (changed(v.polygonMode != old.polygonMode)) glPolygonMode(GL_FRONT_AND_BACK, v.polygonMode);
  if (changed(v.pointSize != old.pointSize)) glPointSize(v.pointSize);
  if (changed(v.stencil != old.stencil)) Enable(GL_STENCIL_TEST, v.stencil);
  if (changed(v.stencilFunction != old.stencilFunction ||
              v.stencilReference != old.stencilReference || v.stencilMask != old.stencilMask))
    glStencilFunc(v.stencilFunction, v.stencilReference, v.stencilMask);
  if (changed(v.stencilWriteMask != old.stencilWriteMask)) glStencilMask(v.stencilWriteMask);
  if (changed(std::memcmp(v.stencilOperations, old.stencilOperations, sizeof v.stencilOperations) !=
              0))
    glStencilOp(v.stencilOperations[0], v.stencilOperations[1], v.stencilOperations[2]);
  if (changed(v.clipPlanes != old.clipPlanes))
    for (int i = 0; i < detail::kClipPlanes; ++i)
      Enable(GL_CLIP_DISTANCE0 + i, v.clipPlanes & (1u << i));
  m_Sent = v;
  m_Valid = true;
}

void cGlFixedState::Clear(const detail::cRenderState& state, const int viewport[4], bool color,
                          bool depth, bool stencil, cGlCounts& counts) {
  cValues values = From(state, viewport);
  // Clearing ignores the write masks, as the software device's does.
  std::fill_n(values.colorMask, 4, true);
  values.depthWrite = true;
  values.stencilWriteMask = 0xFF;
  if (!m_Valid || !(values == m_Sent)) Send(values, counts);
  const detail::cRgba& c = state.clearColor;
  glClearColor(c.r, c.g, c.b, c.a);
  glClearDepth(state.clearDepth);
  glClearStencil(static_cast<GLint>(state.clearStencil & 0xFF));
  glClear((color ? GL_COLOR_BUFFER_BIT : 0) | (depth ? GL_DEPTH_BUFFER_BIT : 0) |
          (stencil ? GL_STENCIL_BUFFER_BIT : 0));
}

}  // namespace zunfert::gl
