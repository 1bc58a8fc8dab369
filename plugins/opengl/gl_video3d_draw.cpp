// The OpenGL device's geometry: buffer objects, draws and the uniforms of
// the generated programs.
#include <algorithm>
#include <cmath>

#include "opengl_video3d.h"
#include "vertex_processor.h"

namespace zunfert {

namespace {

using detail::cMatrix4;

GLenum Mode(cVideo3D::EPrimitive type) {
  switch (type) {
    case cVideo3D::EPrimitive::Points:
      return GL_POINTS;
    case cVideo3D::EPrimitive::Lines:
      return GL_LINES;
    case cVideo3D::EPrimitive::LineStrip:
      return GL_LINE_STRIP;
    case cVideo3D::EPrimitive::TriangleStrip:
      return GL_TRIANGLE_STRIP;
    case cVideo3D::EPrimitive::TriangleFan:
      return GL_TRIANGLE_FAN;
    default:
      return GL_TRIANGLES;
  }
}

GLenum Usage(cVideo3D::ETextureUsage usage) {
  return usage == cVideo3D::ETextureUsage::Dynamic ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW;
}

void Uniform3(GLint location, const detail::cRgba& color) {
  glUniform3f(location, color.r, color.g, color.b);
}

void Uniform(GLint location, const cVector3& v) {
  glUniform3f(location, v.x, v.y, v.z);
}

void Uniform(GLint location, const cMatrix4& matrix) {
  // Row vectors times a matrix read row by row are GLSL's matrix times column vectors.
  glUniformMatrix4fv(location, 1, GL_FALSE, &matrix.m[0][0]);
}

cVector3 Unit(const cVector3& v) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return length > 0 ? cVector3(v.x / length, v.y / length, v.z / length) : v;
}

void SendLight(const GLint (&at)[11], const detail::cLightSlot& light) {
  constexpr float kHalfDegree = 0.5f * 0.017453292f;
  glUniform1i(at[0], static_cast<GLint>(light.type));
  Uniform3(at[1], light.ambient);
  Uniform3(at[2], light.diffuse);
  Uniform3(at[3], light.specular);
  Uniform(at[4], light.position);
  Uniform(at[5], Unit(light.direction));
  glUniform3f(at[6], light.attenuation[0], light.attenuation[1], light.attenuation[2]);
  glUniform1f(at[7], light.range);
  glUniform1f(at[8], light.falloff);
  glUniform1f(at[9], std::cos(light.theta * kHalfDegree));
  glUniform1f(at[10], std::cos(light.phi * kHalfDegree));
}

}  // namespace

hVertexBuffer* cOpenGLVideo3D::CreateVertexBuffer(const cVertexBuffer& source, ETextureUsage usage,
                                                  EMemoryType) {
  return Ready() ? m_VertexBuffers.Create(source, Usage(usage), m_Counts) : nullptr;
}

bool cOpenGLVideo3D::UpdateVertexBuffer(hVertexBuffer* buffer, const cVertexBuffer& source) {
  return Ready() && m_VertexBuffers.Update(buffer, source, m_Counts);
}

void cOpenGLVideo3D::DestroyVertexBuffer(hVertexBuffer* buffer) {
  if (!Ready()) return;
  m_VertexBuffers.Destroy(buffer);
  m_VertexArray->Forget();
}

hIndexBuffer* cOpenGLVideo3D::CreateIndexBuffer(const cIndexBuffer& source, ETextureUsage usage,
                                                EMemoryType) {
  return Ready() ? m_IndexBuffers.Create(source, Usage(usage), m_Counts) : nullptr;
}

bool cOpenGLVideo3D::UpdateIndexBuffer(hIndexBuffer* buffer, const cIndexBuffer& source) {
  return Ready() && m_IndexBuffers.Update(buffer, source, m_Counts);
}

void cOpenGLVideo3D::DestroyIndexBuffer(hIndexBuffer* buffer) {
  if (Ready()) m_IndexBuffers.Destroy(buffer);
}

void cOpenGLVideo3D::DrawPrimitive(EPrimitive type, const cVertexBuffer& vertices, uint32_t first,
                                   uint32_t count) {
  if (!m_InScene || first >= vertices.GetLength() || !Ready()) return;
  m_StreamVertices->Upload(vertices, GL_STREAM_DRAW, m_Counts);
  DrawBuffer(type, m_StreamVertices.get(), first, count);
}

void cOpenGLVideo3D::DrawIndexedPrimitive(EPrimitive type, const cVertexBuffer& vertices,
                                          const cIndexBuffer& indices, uint32_t first,
                                          uint32_t count) {
  if (!m_InScene || first >= indices.GetLength() || count == 0 || !Ready()) return;
  m_StreamVertices->Upload(vertices, GL_STREAM_DRAW, m_Counts);
  m_StreamIndices->Upload(indices, GL_STREAM_DRAW, m_Counts);
  DrawIndexedBuffer(type, m_StreamVertices.get(), m_StreamIndices.get(), first, count);
}

void cOpenGLVideo3D::DrawBuffer(EPrimitive type, hVertexBuffer* vertices, uint32_t first,
                                uint32_t count) {
  const auto* owned = dynamic_cast<const gl::cGlVertexBuffer*>(vertices);
  if (!owned || first >= owned->GetLayout().length) return;
  const uint32_t length = owned->GetLayout().length;
  count = std::min(count, length - first);
  if (count == 0 || !PrepareDraw(*owned)) return;
  if (NeedsFlatOrder(type)) {
    m_List->Assemble(type, nullptr, first, count, length);
    m_List->Draw(m_Counts);
  } else {
    glDrawArrays(Mode(type), static_cast<GLint>(first), static_cast<GLsizei>(count));
  }
  Submit(type, count);
}

void cOpenGLVideo3D::DrawIndexedBuffer(EPrimitive type, hVertexBuffer* vertices,
                                       hIndexBuffer* indices, uint32_t first, uint32_t count) {
  const auto* ownedVertices = dynamic_cast<const gl::cGlVertexBuffer*>(vertices);
  const auto* ownedIndices = dynamic_cast<const gl::cGlIndexBuffer*>(indices);
  if (!ownedVertices || !ownedIndices || first >= ownedIndices->GetLength() || count == 0) return;
  count = std::min(count, ownedIndices->GetLength() - first);
  const uint32_t base = ownedIndices->GetMinIndex(), length = ownedVertices->GetLayout().length;
  const uint16_t* entries = ownedIndices->GetEntries() + first;
  const auto [low, high] = std::minmax_element(entries, entries + count);
  // As the software device: nothing when every corner lies past the
  // vertices, only the primitives that reach past them left out otherwise.
  if (base + *low >= length || !PrepareDraw(*ownedVertices)) return;
  if (base + *high >= length || NeedsFlatOrder(type)) {
    m_List->Assemble(type, entries, base, count, length);
    m_List->Draw(m_Counts);
  } else {
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ownedIndices->GetId());
    glDrawElementsBaseVertex(Mode(type), static_cast<GLsizei>(count), GL_UNSIGNED_SHORT,
                             reinterpret_cast<const void*>(uintptr_t{first} * 2),
                             static_cast<GLint>(base));
  }
  Submit(type, count);
}

bool cOpenGLVideo3D::NeedsFlatOrder(EPrimitive type) const {
  return GetRenderState().shading == EShading::Flat &&
         (type == EPrimitive::TriangleStrip || type == EPrimitive::TriangleFan);
}

void cOpenGLVideo3D::Submit(EPrimitive type, uint32_t count) {
  ++m_Counts.draws;
  m_Primitives += PrimitiveCount(type, count);
  m_Drawn |= !m_TargetBuffer.IsCreated();
  m_DrawnSinceFlip |= !m_TargetBuffer.IsCreated();
}

bool cOpenGLVideo3D::PrepareDraw(const gl::cGlVertexBuffer& vertices) {
  if (!m_InScene || !(vertices.GetLayout().vertexFormat & 1) || !Ready()) return false;
  int viewport[4];
  GetViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
  const gl::cGlFramebuffer& target = DrawTarget();
  if (viewport[2] <= 0 || viewport[3] <= 0 || viewport[0] >= target.GetWidth() ||
      viewport[1] >= target.GetHeight() || viewport[0] + viewport[2] <= 0 ||
      viewport[1] + viewport[3] <= 0)
    return false;
  const detail::cRenderState& state = GetRenderState();
  const int compiled = m_Shaders.GetCompiled();
  const gl::cProgram* program = m_Shaders.Get(gl::cShaderKey::From(state));
  if (m_Shaders.GetCompiled() != compiled) {
    ++m_Counts.compiles;
    m_Program = 0;  // compiling bound the new program behind our back
    if (!program) Fail(m_Shaders.GetError());
  }
  if (!program) return false;
  m_Fixed.Apply(state, viewport, m_Counts);
  if (m_Program != program->id) {
    glUseProgram(program->id);
    m_Program = program->id;
    ++m_Counts.stateChanges;
  }
  SetUniforms(*program);
  m_Textures.Bind(state, m_Counts);
  m_VertexArray->Bind(vertices, state, m_Counts);
  return true;
}

void cOpenGLVideo3D::SetUniforms(const gl::cProgram& program) {
  const detail::cRenderState& state = GetRenderState();
  const cMatrix4x3& world = GetMatrix(EMatrix::World);
  const cMatrix4x3& view = GetMatrix(EMatrix::View);
  const cMatrix4 world4 = cMatrix4::From(world, false);
  Uniform(program.clip, world4 * cMatrix4::From(view, false) *
                            cMatrix4::From(GetMatrix(EMatrix::Projection), true));
  Uniform(program.world, world4);
  cMatrix4 textures[detail::kStages];
  for (int s = 0; s < detail::kStages; ++s)
    textures[s] = cMatrix4::From(state.stages[s].matrix, false);
  glUniformMatrix4fv(program.textureMatrix, detail::kStages, GL_FALSE, &textures[0].m[0][0]);
  // The software device moves window depth by 1/65536 a step; here in clip space.
  const float range = state.depthMax - state.depthMin;
  glUniform1f(program.depthBias,
              range > 0 ? 2.0f * static_cast<float>(state.depthBias) / 65536.0f / range : 0.0f);
  const detail::cRgba material[4] = {state.materialDiffuse, state.materialAmbient,
                                     state.materialSpecular, state.materialEmissive};
  glUniform4fv(program.material, 4, &material[0].r);
  float planes[detail::kClipPlanes][4];
  for (int i = 0; i < detail::kClipPlanes; ++i) {
    const cPlane& plane = state.clipPlanes[i];
    planes[i][0] = plane.a, planes[i][1] = plane.b, planes[i][2] = plane.c, planes[i][3] = plane.d;
  }
  glUniform4fv(program.clipPlanes, detail::kClipPlanes, planes[0]);
  glUniform3f(program.fog, state.fogStart, state.fogEnd, state.fogDensity);
  Uniform3(program.fogColor, state.fogColor);
  glUniform1f(program.alphaReference, static_cast<float>(state.alphaReference));
  Uniform3(program.ambient, state.ambient);
  if (!state.lighting) return;
  cVector3 eye, forward;
  detail::CameraFromView(view, eye, forward);
  Uniform(program.eye, eye);
  Uniform(program.toViewer, -Unit(forward));
  glUniform1f(program.power, state.materialPower);
  int slot = 0;
  for (int i = 0; i < detail::kLights; ++i)
    if (state.lightEnabled[i]) SendLight(program.lights[slot++], state.lights[i]);
}

}  // namespace zunfert
