#pragma once

#include <cstdint>

#include <varnlib.h>

#include "tolmak_export.h"
#include "tolmak_video3d.h"

/// What a video device is to be initialised with; the application fills one
/// and hands it to InitDevice.
///
/// The fields are open to the device, in this order. The engine sets the
/// size, depth, m_Windowed, m_Title and m_Window; the meaning of the others
/// is the device's, and the names say how the engine's own devices read them.
class TOLMAK_API cInitInfo {
 public:
  int32_t m_Width = 640;
  int32_t m_Height = 480;
  /// Bits per pixel.
  int32_t m_Depth = 16;
  int32_t m_BackBuffers = 1;
  /// The application's flag argument.
  bool m_Windowed = true;
  bool m_DepthBuffer = true;
  bool m_VSync = true;
  bool m_HardwareAcceleration = true;
  /// Which display adapter, 0 the primary.
  int32_t m_Adapter = 0;
  /// Device or mode name the driver may prefer; empty for its own choice.
  cString m_DeviceName;
  /// Refresh rate in hertz, 0 for the display's default.
  int32_t m_RefreshRate = 0;
  /// Caption of the window; the application's name when it passes none.
  cString m_Title;
  /// A window to draw into, from the application's integer argument; 0 for
  /// a window of the device's own.
  int32_t m_Window = 0;

  /// 640 by 480 at 16 bits, every flag set, both texts empty.
  cInitInfo() = default;
  /// The other fields as in the default constructor.
  cInitInfo(int width, int height, int depth, bool windowed, bool depthBuffer);
  cInitInfo(const cInitInfo&) = default;
  cInitInfo& operator=(const cInitInfo&) = default;
  ~cInitInfo() = default;
};

/// What a video device can do; the device fills it, the engine answers
/// questions from it, dumps it to the trace output and fits texture sizes
/// to it.
///
/// The fields are open to the device, in this order. The four texture size
/// limits start at 0: a device sets them before ValidateTextureSize or Dump
/// is used. The tables are indexed by the value of the cVideo3D
/// enumeration named; their entry 0 stands for no member where the
/// enumeration starts at 1. Fields without a predicate or a Dump line are
/// the device's own; the engine only defaults and copies them.
class TOLMAK_API cVideoCaps {
 public:
  using ECompareFunction = cVideo3D::ECompareFunction;
  using EBlendFunction = cVideo3D::EBlendFunction;
  using ETexelFunction = cVideo3D::ETexelFunction;

  static constexpr int kCompareFunctions = 9;
  static constexpr int kBlendFunctions = 12;
  static constexpr int kTexelFunctions = 18;

  bool m_Windowed = false;
  bool m_RenderDepth16 = false;
  bool m_RenderDepth24 = false;
  bool m_RenderDepth32 = false;
  int32_t m_MaxBackBuffers = 0;
  bool m_WBuffer = false;
  bool m_StencilBuffer = false;
  bool m_DepthBits16 = false;
  bool m_DepthBits24 = false;
  bool m_DepthBits32 = false;
  int32_t m_TextureStages = 0;
  int32_t m_MinTextureWidth = 0;
  int32_t m_MinTextureHeight = 0;
  int32_t m_MaxTextureWidth = 0;
  int32_t m_MaxTextureHeight = 0;
  /// Largest width-to-height (or height-to-width) ratio; 0 or less for none.
  int32_t m_MaxTextureRatio = 0;
  int32_t m_MaxAnisotropy = 0;
  bool m_NonPow2Textures = false;
  bool m_NonSquareTextures = false;
  bool m_MipMapping = false;
  /// Bytes.
  uint32_t m_TextureMemory = 0;
  bool m_TextureColorKey = false;
  bool m_MustSortTranslucent = true;
  int32_t m_ClipPlanes = 0;
  int32_t m_Lights = 0;
  bool m_DepthFunctions[kCompareFunctions] = {};
  bool m_TexelFunctions[kTexelFunctions] = {};
  bool m_SourceBlends[kBlendFunctions] = {};
  bool m_DestinationBlends[kBlendFunctions] = {};
  bool m_AlphaFunctions[kCompareFunctions] = {};
  bool m_HardwareRasterizer = false;
  bool m_HardwareClipping = false;
  bool m_HardwareTnL = false;

  cVideoCaps() = default;
  cVideoCaps(const cVideoCaps&) = default;
  cVideoCaps& operator=(const cVideoCaps&) = default;
  virtual ~cVideoCaps();

  /// The predicates read their table at the member's value; a number that
  /// names no member gives false.
  bool Depth(ECompareFunction function) const { return Lookup(m_DepthFunctions, function); }
  bool Alpha(ECompareFunction function) const { return Lookup(m_AlphaFunctions, function); }
  bool BlendSource(EBlendFunction function) const { return Lookup(m_SourceBlends, function); }
  bool BlendDestination(EBlendFunction function) const {
    return Lookup(m_DestinationBlends, function);
  }
  bool TexelBlend(ETexelFunction function) const { return Lookup(m_TexelFunctions, function); }
  int Lights() const { return m_Lights; }
  int ClippingPlanes() const { return m_ClipPlanes; }
  int TextureStages() const { return m_TextureStages; }
  bool MustSortTranslucent() const { return m_MustSortTranslucent; }
  bool HardwareRasterizer() const { return m_HardwareRasterizer; }
  bool HardwareClipping() const { return m_HardwareClipping; }
  bool HardwareTnL() const { return m_HardwareTnL; }

  /// Writes the capabilities to the trace output, fifteen lines.
  void Dump() const;

  /// The acceptable texture size nearest to size, fitted in this order:
  /// made square (the mean of the two) unless non-square textures are
  /// allowed; rounded down to powers of two unless others are allowed;
  /// clamped to the limits, width first, the maximum winning over the
  /// minimum; and, when m_MaxTextureRatio is positive, the ratio brought
  /// within it by raising the shorter side. A side of zero after clamping
  /// leaves the ratio step that would divide by it undone.
  tSize<int> ValidateTextureSize(const tSize<int>& size) const;

 private:
  template <class E, int N>
  static bool Lookup(const bool (&table)[N], E value) {
    const auto index = static_cast<uint32_t>(value);
    return index < static_cast<uint32_t>(N) && table[index];
  }
};
