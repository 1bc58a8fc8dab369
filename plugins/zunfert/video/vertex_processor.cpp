#include "vertex_processor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "pixel_codec.h"

namespace zunfert::detail {

namespace {

cRgba Unpack(uint32_t argb) {
  constexpr float k = 1.0f / 255.0f;
  return {((argb >> 16) & 0xFF) * k, ((argb >> 8) & 0xFF) * k, (argb & 0xFF) * k, (argb >> 24) * k};
}

cVector3 ReadVector(const uint8_t* p) {
  float v[3];
  std::memcpy(v, p, sizeof v);
  return {v[0], v[1], v[2]};
}

cRgba Select(cVideo3D::ESource source, const cRgba& material, const cRgba& diffuse,
             const cRgba& specular) {
  switch (source) {
    case cVideo3D::ESource::Diffuse:
      return diffuse;
    case cVideo3D::ESource::Specular:
      return specular;
    default:
      return material;
  }
}

/// x held to [0, 1], and NaN to 0: a compare each way, where fmin and
/// fmax are calls into the maths library.
float Saturate(float x) {
  return std::min(std::max(0.0f, x), 1.0f);
}

}  // namespace

void cVertexProcessor::cLayout::Read(const cVertexBuffer& vertices) {
  colorFormat = vertices.GetPixelFormat();
  colorBytes = colorFormat.GetTotalBytes();
  const uint32_t format = vertices.GetVertexFormat();
  hasPosition = format & 1;
  hasNormal = format & 2;
  hasDiffuse = format & 4;
  hasSpecular = format & 8;
  sets = (format >> 4) & 15;
  stride = hasPosition ? 12 : 0;
  normal = stride, stride += hasNormal ? 12 : 0;
  diffuse = stride, stride += hasDiffuse ? colorBytes : 0;
  specular = stride, stride += hasSpecular ? colorBytes : 0;
  texture = stride, stride += 8 * sets;
}

cMatrix4 cMatrix4::From(const cMatrix4x3& matrix, bool projection) {
  cMatrix4 result{};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) result.m[r][c] = matrix(r, c);
  result.m[2][3] = projection ? -1.0f : 0.0f;
  result.m[3][3] = projection ? 0.0f : 1.0f;
  return result;
}

cMatrix4 cMatrix4::operator*(const cMatrix4& other) const {
  cMatrix4 result{};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      result.m[r][c] = m[r][0] * other.m[0][c] + m[r][1] * other.m[1][c] + m[r][2] * other.m[2][c] +
                       m[r][3] * other.m[3][c];
  return result;
}

// The inverse of the view matrix's linear part, applied to -translation and to -Z.
void CameraFromView(const cMatrix4x3& view, cVector3& eye, cVector3& forward) {
  const float a = view(0, 0), b = view(0, 1), c = view(0, 2);
  const float d = view(1, 0), e = view(1, 1), f = view(1, 2);
  const float g = view(2, 0), h = view(2, 1), i = view(2, 2);
  const float det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
  const float s = det != 0 ? 1.0f / det : 0.0f;
  // Rows of the inverse.
  const float inv[3][3] = {{(e * i - f * h) * s, (c * h - b * i) * s, (b * f - c * e) * s},
                           {(f * g - d * i) * s, (a * i - c * g) * s, (c * d - a * f) * s},
                           {(d * h - e * g) * s, (b * g - a * h) * s, (a * e - b * d) * s}};
  const cVector3& t = view[3];
  float p[3];
  for (int k = 0; k < 3; ++k) p[k] = -(t.x * inv[0][k] + t.y * inv[1][k] + t.z * inv[2][k]);
  eye = {p[0], p[1], p[2]};
  forward = {-inv[2][0], -inv[2][1], -inv[2][2]};
}

uint32_t ClipCode(float x, float y, float z, float w) {
  const float guard = kGuardBand * w;
  uint32_t code = (z < -w ? kClipNear : 0) | (z > w ? kClipFar : 0);
  code |= (x < -guard ? kClipGuardLeft : 0) | (x > guard ? kClipGuardRight : 0);
  code |= (y < -guard ? kClipGuardBottom : 0) | (y > guard ? kClipGuardTop : 0);
  code |= ((x < -w ? 1u : 0) | (x > w ? 2u : 0) | (y < -w ? 4u : 0) | (y > w ? 8u : 0))
          << kRejectShift;
  // Near and far also reject: no side of the volume may be crossed entirely.
  return code | (code & (kClipNear | kClipFar)) << (kRejectShift + 4);
}

void cVertexProcessor::Prepare(const cRenderState& state, const cMatrix4x3& world,
                               const cMatrix4x3& view, const cMatrix4x3& projection,
                               const cVertexBuffer& vertices, uint32_t first) {
  m_State = &state;
  m_World = world;
  m_Clip =
      cMatrix4::From(world, false) * cMatrix4::From(view, false) * cMatrix4::From(projection, true);
  cVector3 eye, forward;
  CameraFromView(view, eye, forward);
  if (state.lighting) m_Lighting.Prepare(state, eye, forward);
  m_UserPlaneBits = 0;
  for (int i = 0; i < kClipPlanes; ++i) {
    m_Planes[i] = state.clipPlanes[i];
    if (state.clipPlaneEnabled[i]) m_UserPlaneBits |= kClipUser << i;
  }
  m_Layout.Read(vertices);
  m_Data = static_cast<const uint8_t*>(vertices.GetReadPtr()) + size_t{m_Layout.stride} * first;
}

void cVertexProcessor::CopyVertices(uint32_t count, uint8_t* copy) {
  std::copy_n(m_Data, size_t{m_Layout.stride} * count, copy);
  m_Data = copy;
}

void cVertexProcessor::Place(uint32_t count, cClipVertex* out) const {
  const float(*m)[4] = m_Clip.m;
  for (uint32_t i = 0; i < count; ++i) {
    cClipVertex& v = out[i];
    const cVector3 p = m_Layout.hasPosition ? ReadVector(At(i)) : cVector3();
    v.x = p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0];
    v.y = p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1];
    v.z = p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2];
    v.w = p.x * m[0][3] + p.y * m[1][3] + p.z * m[2][3] + m[3][3];
    v.code = ClipCode(v.x, v.y, v.z, v.w);
    if (!m_UserPlaneBits) continue;
    const cVector3 world = m_World.TransformPoint(p);
    for (int k = 0; k < kClipPlanes; ++k) {
      const cPlane& plane = m_Planes[k];
      const float distance = plane.a * world.x + plane.b * world.y + plane.c * world.z + plane.d;
      v.a[kRasterAttributes + k] = distance;
      // What lies behind a plane is clipped.
      if ((m_UserPlaneBits & (kClipUser << k)) && distance < 0) v.code |= kClipUser << k;
    }
  }
}

void cVertexProcessor::Shade(uint32_t index, cClipVertex& out) const {
  const cLayout& layout = m_Layout;
  const uint8_t* base = At(index);
  const cRenderState& state = *m_State;
  cVector3 world, normal;
  if (state.lighting) {
    world = m_World.TransformPoint(layout.hasPosition ? ReadVector(base) : cVector3());
    if (layout.hasNormal) {
      normal = m_World.TransformDirection(ReadVector(base + layout.normal));
      if (state.normalize) normal.Normalize();
    }
  }
  const cRgba diffuse = layout.hasDiffuse ? Unpack(layout.colorFormat.ConvertToARGB(LoadPixel(
                                                base + layout.diffuse, layout.colorBytes)))
                                          : cRgba{1, 1, 1, 1};
  const cRgba specular = layout.hasSpecular ? Unpack(layout.colorFormat.ConvertToARGB(LoadPixel(
                                                  base + layout.specular, layout.colorBytes)))
                                            : cRgba{0, 0, 0, 0};
  Colors(diffuse, specular, world, normal, out);
  out.a[kFog] = FogFactor(out.w);

  for (int s = 0; s < kStages; ++s) {
    const cStageState& stage = state.stages[s];
    float uv[2] = {0, 0};
    if (static_cast<uint32_t>(stage.coordinateSet) < layout.sets)
      std::memcpy(uv, base + layout.texture + 8 * stage.coordinateSet, sizeof uv);
    if (stage.hasMatrix) {
      const cMatrix4x3& t = stage.matrix;
      const float u = uv[0], v = uv[1];
      uv[0] = u * t(0, 0) + v * t(1, 0) + t(3, 0);
      uv[1] = u * t(0, 1) + v * t(1, 1) + t(3, 1);
    }
    out.a[kTexture + 2 * s] = uv[0];
    out.a[kTexture + 2 * s + 1] = uv[1];
  }
}

void cVertexProcessor::Colors(const cRgba& vertexDiffuse, const cRgba& vertexSpecular,
                              const cVector3& position, const cVector3& normal,
                              cClipVertex& out) const {
  const cRenderState& state = *m_State;
  cRgba color = Select(state.diffuseSource, state.materialDiffuse, vertexDiffuse, vertexSpecular);
  cRgba specular = vertexSpecular;
  if (state.lighting) {
    const cMaterialColors material{
        color, Select(state.ambientSource, state.materialAmbient, vertexDiffuse, vertexSpecular),
        Select(state.specularSource, state.materialSpecular, vertexDiffuse, vertexSpecular),
        Select(state.emissiveSource, state.materialEmissive, vertexDiffuse, vertexSpecular)};
    m_Lighting.Light(position, normal, material, color, specular);
  }
  const float clamped[7] = {color.r, color.g, color.b, color.a, specular.r, specular.g, specular.b};
  for (int i = 0; i < 7; ++i) out.a[kDiffuse + i] = Saturate(clamped[i]);
}

float cVertexProcessor::FogFactor(float distance) const {
  const cRenderState& state = *m_State;
  if (!state.fog) return 1.0f;
  float f;
  switch (state.fogMode) {
    case cVideo3D::EFog::Exponential:
      f = std::exp(-state.fogDensity * distance);
      break;
    case cVideo3D::EFog::Exponential2: {
      const float d = state.fogDensity * distance;
      f = std::exp(-d * d);
      break;
    }
    default: {
      const float span = state.fogEnd - state.fogStart;
      f = span != 0 ? (state.fogEnd - distance) / span : (distance < state.fogEnd ? 1.0f : 0.0f);
    }
  }
  return Saturate(f);
}

}  // namespace zunfert::detail
