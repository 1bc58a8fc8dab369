#include <bit>
#include <cstdint>

#include "tolmak_videocaps.h"

cInitInfo::cInitInfo(int width, int height, int depth, bool windowed, bool depthBuffer)
    : m_Width(width),
      m_Height(height),
      m_Depth(depth),
      m_Windowed(windowed),
      m_DepthBuffer(depthBuffer) {}

cVideoCaps::~cVideoCaps() = default;

namespace tolmak::detail {
namespace {

const char* Supported(bool flag) {
  return flag ? "Supported" : "Unsupported";
}

void TraceJoined(const char* label, const cString& value) {
  trace(cString(label) + value);
}

}  // namespace
}  // namespace tolmak::detail

void cVideoCaps::Dump() const {
  using tolmak::detail::Supported;
  using tolmak::detail::TraceJoined;
  TraceJoined("\t- Windowed rendering           : ", Supported(m_Windowed));
  trace("\t- Render depths                : %s%s%s.", m_RenderDepth16 ? "(16)" : "",
        m_RenderDepth24 ? "(24)" : "", m_RenderDepth32 ? "(32)" : "");
  trace("\t- Depth bits                   : %s%s%s.", m_DepthBits16 ? "(16)" : "",
        m_DepthBits24 ? "(24)" : "", m_DepthBits32 ? "(32)" : "");
  TraceJoined("\t- W-Buffering                  : ", Supported(m_WBuffer));
  trace("\t- Maximum active lights        : %u", static_cast<unsigned>(m_Lights));
  trace("\t- Maximum user clipplanes      : %d", m_ClipPlanes);
  TraceJoined("\t- Minimum texture size         : ",
              cString::StringF("%dx%d", m_MinTextureWidth, m_MinTextureHeight));
  TraceJoined("\t- Maximum texture size         : ",
              cString::StringF("%dx%d", m_MaxTextureWidth, m_MaxTextureHeight));
  trace("\t- Maximum texture ratio        : %d", m_MaxTextureRatio);
  trace("\t- Texture must be square       : %s", m_NonSquareTextures ? "no" : "yes");
  trace("\t- Texture must be of power2    : %s", m_NonPow2Textures ? "no" : "yes");
  trace("\t- Texture memory               : %uKB", m_TextureMemory >> 10);
  TraceJoined("\t- Hardware rasterizer          : ", Supported(m_HardwareRasterizer));
  TraceJoined("\t- Hardware clipping            : ", Supported(m_HardwareClipping));
  TraceJoined("\t- Hardware transform&lighting  : ", Supported(m_HardwareTnL));
}

namespace tolmak::detail {
namespace {

// The bit test of a 32-bit word, so 0 (and the sign bit alone) pass.
bool IsPowerOfTwo(int v) {
  const auto u = static_cast<uint32_t>(v);
  return (u & (u - 1)) == 0;
}

int FloorPowerOfTwo(int v) {
  return v < 1 ? 0 : static_cast<int>(std::bit_floor(unsigned(v)));
}

int Clamp(int v, int minimum, int maximum) {
  if (v < minimum) v = minimum;
  if (v > maximum) v = maximum;  // after the minimum, so the maximum wins
  return v;
}

// In 64 bits: neither the sum nor a quotient may overflow whatever the limits.
void ApplyRatio(int64_t& w, int64_t& h, int64_t ratio) {
  if (h != 0 && w / h > ratio) h = w / ratio;
  if (w != 0 && h / w > ratio) w = h / ratio;
}

}  // namespace
}  // namespace tolmak::detail

tSize<int> cVideoCaps::ValidateTextureSize(const tSize<int>& size) const {
  using namespace tolmak::detail;
  int w = size.width, h = size.height;
  if (!m_NonSquareTextures && w != h) w = h = static_cast<int>((int64_t{w} + h) / 2);
  if (!m_NonPow2Textures && (!IsPowerOfTwo(w) || !IsPowerOfTwo(h))) {
    w = FloorPowerOfTwo(w);
    h = FloorPowerOfTwo(h);
  }
  w = Clamp(w, m_MinTextureWidth, m_MaxTextureWidth);
  h = Clamp(h, m_MinTextureHeight, m_MaxTextureHeight);
  if (m_MaxTextureRatio > 0) {
    int64_t w64 = w, h64 = h;
    ApplyRatio(w64, h64, m_MaxTextureRatio);
    w = static_cast<int>(w64);
    h = static_cast<int>(h64);
  }
  return {w, h};
}
