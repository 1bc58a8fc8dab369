// The 3D device's frame, display, viewport, matrices and render targets.
#include <algorithm>
#include <cmath>
#include <ctime>
#include <thread>

#include "display_mode.h"
#include "software_video3d.h"

namespace zunfert {

namespace {

int Slot(cVideo3D::EMatrix which) {
  return std::clamp(static_cast<int>(which), 0, 2);
}

}  // namespace

void cSoftwareVideo3D::SetRasterThreads(int threads) {
  FinishRun();
  m_Crew.SetThreads(threads);
  m_Bands.SetBands(m_Crew.GetThreads());
  m_Vertices.resize(static_cast<size_t>(m_Crew.GetThreads()));
}

cSoftwareVideo3D::cSoftwareVideo3D() {
  SetGamma(1, 1, 1);
  FillCaps();
  SetRasterThreads(static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u)));
}

cSoftwareVideo3D::~cSoftwareVideo3D() {
  ShutdownDevice();
}

bool cSoftwareVideo3D::InitDevice(cInitInfo* info) {
  if (!info || !IsModeSupported(info->m_Width, info->m_Height, info->m_Depth)) return false;
  ShutdownDevice();
  m_Windowed = info->m_Windowed;
  m_VSync = info->m_VSync;
  m_Display.Open({info->m_Width, info->m_Height}, info->m_Depth);
  m_Display.Back()->SetPendingWork(&m_RunFinisher);
  m_Display.Front()->SetPendingWork(&m_RunFinisher);
  AllocateDepthStencil(info->m_Width, info->m_Height);
  SetViewport(0, 0, info->m_Width, info->m_Height);
  FillCaps();
  return true;
}

void cSoftwareVideo3D::ShutdownDevice() {
  FinishRun();
  m_VertexBuffers.clear();
  m_IndexBuffers.clear();
  for (auto& stage : m_State.stages) stage.texture = nullptr;
  m_Target = nullptr;
  m_Textures.clear();
  m_Display.Close();
  m_Depth.clear();
  m_Stencil.clear();
  m_InScene = false;
}

bool cSoftwareVideo3D::ResizeDevice(int width, int height) {
  FinishRun();
  if (!m_Display.Resize(width, height)) return false;
  if (!m_Target) AllocateDepthStencil(width, height);
  SetViewport(0, 0, width, height);
  return true;
}

int cSoftwareVideo3D::GetWidth() const {
  return m_Display.Size().width;
}
int cSoftwareVideo3D::GetHeight() const {
  return m_Display.Size().height;
}

bool cSoftwareVideo3D::BeginScene() {
  if (!IsInitialized() || m_InScene) return false;
  m_InScene = true;
  m_ToldOutsideScene = false;
  m_Primitives = 0;
  m_Runs = 0;
  return true;
}

void cSoftwareVideo3D::EndScene() {
  FinishRun();
  m_InScene = false;
}

bool cSoftwareVideo3D::Flip() {
  if (!IsInitialized()) return false;
  FinishRun();
  cSoftwareSurface &back = *m_Display.Back(), &front = *m_Display.Front();
  cLapClock laps(m_KeepTimes);
  const uint8_t(*gamma)[256] = GetGammaRamp();
  const int width = back.GetWidth(), height = back.GetHeight();
  const auto rowBytes = static_cast<size_t>(back.GetPitch());
  auto present = [&](int, uint32_t block) {
    const int from = static_cast<int>(block) * kBlockRows;
    for (int y = from; y < std::min(from + kBlockRows, height); ++y) {
      if (!gamma) {
        std::copy_n(back.GetRow(y), rowBytes, front.GetRow(y));
        continue;
      }
      // The gamma ramp acts on what is shown, never on what is drawn into.
      const auto* in = reinterpret_cast<const uint32_t*>(back.GetRow(y));
      auto* out = reinterpret_cast<uint32_t*>(front.GetRow(y));
      for (int x = 0; x < width; ++x) {
        const uint32_t p = in[x];
        out[x] = (p & 0xFF000000u) | uint32_t{gamma[0][(p >> 16) & 0xFF]} << 16 |
                 uint32_t{gamma[1][(p >> 8) & 0xFF]} << 8 | gamma[2][p & 0xFF];
      }
    }
  };
  m_Crew.Run({detail::cWorkCrew::Phase(Blocks(height), present)});
  const bool written = Output().Present(front);
  if (!written)
    trace("Flip: could not write the frame to \"%s\" (can that folder be created and written?)",
          Output().FileName(Output().GetFrameCount()).c_str());
  laps.Lap(m_Times.present);
  return written;
}

void cSoftwareVideo3D::SetClearColor(const cColor& color) {
  m_State.clearColor = detail::ToRgba(color);
}
void cSoftwareVideo3D::SetClearDepth(float depth) {
  m_State.clearDepth = std::clamp(depth, 0.0f, 1.0f);
}
void cSoftwareVideo3D::SetClearStencil(uint32_t value) {
  m_State.clearStencil = value;
}

void cSoftwareVideo3D::Clear(bool color, bool depth, bool stencil) {
  cSoftwareSurface* surface = DrawSurface();
  if (!surface) return;
  FinishRun();
  const int x = m_Viewport[0], y = m_Viewport[1], width = m_Viewport[2], height = m_Viewport[3];
  const detail::cRgba& c = m_State.clearColor;
  const uint32_t clearColor = cColor(c.a, c.r, c.g, c.b).GetColor(surface->GetPixelFormat());
  const int left = std::max(x, 0), right = std::min(x + width, m_DepthWidth);
  const auto clearDepthStencil = [&](int row) {
    const size_t at = static_cast<size_t>(row) * m_DepthWidth;
    if (depth)
      std::fill(m_Depth.begin() + at + left, m_Depth.begin() + at + right, m_State.clearDepth);
    if (stencil)
      std::fill(m_Stencil.begin() + at + left, m_Stencil.begin() + at + right,
                static_cast<uint8_t>(m_State.clearStencil));
  };
  // Each block's colour, depth and stencil together, on one thread.
  auto clear = [&](int, uint32_t block) {
    const int from = std::max(y, static_cast<int>(block) * kBlockRows);
    const int to = std::min(y + height, static_cast<int>(block + 1) * kBlockRows);
    if (color) surface->FillRows(x, from, width, to - from, clearColor);
    if (!depth && !stencil) return;
    for (int row = std::max(from, 0); row < std::min(to, m_DepthHeight) && left < right; ++row)
      clearDepthStencil(row);
  };
  if (color) surface->MarkChanged();
  m_Crew.Run(
      {detail::cWorkCrew::Phase(Blocks(std::max(surface->GetHeight(), m_DepthHeight)), clear)});
}

bool cSoftwareVideo3D::SetWindowed(bool windowed) {
  m_Windowed = windowed;
  return true;
}

void cSoftwareVideo3D::SetGamma(float red, float green, float blue) {
  const float gamma[3] = {red, green, blue};
  m_GammaIdentity = red == 1 && green == 1 && blue == 1;
  for (int c = 0; c < 3; ++c) {
    const float exponent = gamma[c] > 0 ? 1.0f / gamma[c] : 1.0f;
    for (int i = 0; i < 256; ++i)
      m_Gamma[c][i] = static_cast<uint8_t>(std::lround(255.0 * std::pow(i / 255.0, exponent)));
  }
}

const uint8_t (*cSoftwareVideo3D::GetGammaRamp() const)[256] {
  return m_GammaIdentity || m_Display.Format() != cPixelFormat::ARGB8888 ? nullptr : m_Gamma;
}

void cSoftwareVideo3D::ResetRenderStates() {
  m_State = detail::cRenderState();
}

void cSoftwareVideo3D::SetViewport(int x, int y, int width, int height) {
  m_Viewport[0] = x, m_Viewport[1] = y;
  m_Viewport[2] = std::max(width, 0), m_Viewport[3] = std::max(height, 0);
}

void cSoftwareVideo3D::GetViewport(int& x, int& y, int& width, int& height) const {
  x = m_Viewport[0], y = m_Viewport[1], width = m_Viewport[2], height = m_Viewport[3];
}

void cSoftwareVideo3D::SetDepthRange(float minimum, float maximum) {
  m_State.depthMin = std::clamp(minimum, 0.0f, 1.0f);
  m_State.depthMax = std::clamp(maximum, 0.0f, 1.0f);
}

void cSoftwareVideo3D::SetMatrix(EMatrix which, const cMatrix4x3& matrix) {
  m_Matrices[Slot(which)] = matrix;
}

const cMatrix4x3& cSoftwareVideo3D::GetMatrix(EMatrix which) const {
  return m_Matrices[Slot(which)];
}

void cSoftwareVideo3D::MultiplyMatrix(EMatrix which, const cMatrix4x3& matrix) {
  m_Matrices[Slot(which)] = matrix * m_Matrices[Slot(which)];
}

void cSoftwareVideo3D::PushMatrix(EMatrix which) {
  m_Stacks[Slot(which)].push_back(m_Matrices[Slot(which)]);
}

void cSoftwareVideo3D::PopMatrix(EMatrix which) {
  auto& stack = m_Stacks[Slot(which)];
  if (stack.empty()) return;
  m_Matrices[Slot(which)] = stack.back();
  stack.pop_back();
}

cSurface* cSoftwareVideo3D::GetSurface(ESurface which) {
  FinishRun();
  return which == ESurface::Front  ? m_Display.Front()
         : which == ESurface::Back ? m_Display.Back()
                                   : nullptr;
}

bool cSoftwareVideo3D::SetRenderTarget(cSurface* target) {
  if (!IsInitialized()) return false;
  FinishRun();
  const cTexture* texture = target ? FindTexture(target) : nullptr;
  if (target && (!texture || texture->usage != ETextureUsage::Dynamic)) return false;
  m_Target = texture ? texture->surface.get() : nullptr;
  const cSoftwareSurface* surface = DrawSurface();
  AllocateDepthStencil(surface->GetWidth(), surface->GetHeight());
  SetViewport(0, 0, surface->GetWidth(), surface->GetHeight());
  return true;
}

bool cSoftwareVideo3D::CopySurface(ESurface source, cSurface* target) {
  cSurface* surface = GetSurface(source);
  return surface && target && target->Blit(0, 0, surface);
}

bool cSoftwareVideo3D::IsModeSupported(int width, int height, int depth) const {
  return detail::IsDisplaySize(width, height) && (depth == 16 || depth == 32);
}

void cSoftwareVideo3D::AllocateDepthStencil(int width, int height) {
  m_DepthWidth = width, m_DepthHeight = height;
  const size_t size = static_cast<size_t>(width) * height;
  m_Depth.assign(size, 1.0f);
  m_Stencil.assign(size, 0);
}

cSoftwareSurface* cSoftwareVideo3D::DrawSurface() const {
  return m_Target ? m_Target : m_Display.Back();
}

detail::cRasterTarget cSoftwareVideo3D::MakeTarget() {
  cSoftwareSurface* surface = DrawSurface();
  surface->MarkChanged();  // a texture drawn into needs new mipmaps
  detail::cRasterTarget target;
  target.color = surface->GetRow(0);
  target.pitch = surface->GetPitch();
  target.format = surface->GetPixelFormat();
  target.depth = m_Depth.data();
  target.stencil = m_Stencil.data();
  target.depthPitch = m_DepthWidth;
  target.left = std::max(m_Viewport[0], 0);
  target.top = std::max(m_Viewport[1], 0);
  target.right = std::min(m_Viewport[0] + m_Viewport[2], surface->GetWidth());
  target.bottom = std::min(m_Viewport[1] + m_Viewport[3], surface->GetHeight());
  return target;
}

void cSoftwareVideo3D::SetLightValues(int index, const detail::cLightSlot& light) {
  if (index >= 0 && index < detail::kLights) m_State.lights[index] = light;
}

}  // namespace zunfert
