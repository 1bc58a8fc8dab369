#pragma once

#include <memory>
#include <vector>

#include <tolmak.h>

#include "display_surfaces.h"
#include "frame_output_device.h"
#include "software_surface.h"

namespace zunfert {

/// "cSoftwareVideo2D": a 2D display held in memory. The front surface has
/// the back surface attached; Flip exchanges their pixels and writes the new
/// front surface as a PNG file when an output pattern is set (SetOutput, or
/// the "Output" string property).
///
/// Depths 8 (Indexed, with the device palette), 16 (RGB565), 24 (RGB888)
/// and 32 (ARGB8888), sides 1 to 8192. Surfaces it makes are
/// cSoftwareSurface objects in the display format, owned by the device
/// until DestroySurface or ShutdownDevice.
class cSoftwareVideo2D : public tFrameOutputDevice<cVideo2D> {
 public:
  static iClassDesc* Descriptor();
  iClassDesc* GetDescriptor() const override;

  cSoftwareVideo2D();
  ~cSoftwareVideo2D() override;

  bool InitDevice(cInitInfo* info) override;
  void ShutdownDevice() override;
  bool IsInitialized() const override { return m_Display.IsOpen(); }
  bool ResizeDevice(int width, int height) override;
  int GetWidth() const override { return m_Display.Size().width; }
  int GetHeight() const override { return m_Display.Size().height; }
  bool SetWindowed(bool windowed) override;
  bool IsWindowed() const override { return m_Windowed; }
  cSurface* GetFrontSurface() override { return m_Display.Front(); }
  cSurface* GetBackSurface() override { return m_Display.Back(); }
  cSurface* CreateSurface(const tSize<int>& size, EMemoryType memory) override;
  cSurface* CreateSurfaceFrom(cSprite* sprite, int frame, EMemoryType memory) override;
  void DestroySurface(cSurface* surface) override;
  const cPixelFormat& GetPixelFormat() const override { return m_Display.Format(); }
  /// False before InitDevice or when the PNG file cannot be written.
  bool Flip() override;
  void EnableVSync(bool enable) override { m_VSync = enable; }
  bool IsVSyncEnabled() const { return m_VSync; }
  /// Also the palette of the display surfaces.
  bool SetPalette(const cPalette& palette) override;
  const cPalette& GetPalette() const override { return m_Palette; }
  bool IsModeSupported(int width, int height, int depth) const override;
  uint32_t GetAvailableMemory() const override;

  /// Display memory the device pretends to have, in bytes.
  static constexpr uint32_t kMemory = 256u << 20;

 private:
  detail::cDisplaySurfaces m_Display;
  std::vector<std::unique_ptr<cSoftwareSurface>> m_Surfaces;
  cPalette m_Palette;
  bool m_Windowed = true;
  bool m_VSync = false;
};

}  // namespace zunfert
