#pragma once

#include <cstdint>

#include <varnlib.h>

#include "tolmak_bitmap.h"
#include "tolmak_export.h"
#include "tolmak_video3d.h"

class cInitInfo;

/// The abstract 2D video device, implemented by the video drivers of a
/// plug-in library: a display mode with a front and a back surface, and
/// surfaces made for it.
///
/// Virtual slots: destructor, GetDescriptor, AddProperties, then exactly 20
/// pure device operations in the order declared; the engine calls InitDevice
/// (first) and GetPixelFormat (fourteenth), as on cVideo3D. Surfaces it
/// makes are in the device's pixel format and belong to it until
/// DestroySurface.
class TOLMAK_API cVideo2D : public cObject {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  using EMemoryType = cVideo3D::EMemoryType;

  cVideo2D() = default;
  cVideo2D(const cVideo2D&) = default;
  cVideo2D& operator=(const cVideo2D&) = default;
  ~cVideo2D() override;

  /// Opens the display at the record's size, depth and mode; false when the
  /// device cannot run that way.
  virtual bool InitDevice(cInitInfo* info) = 0;
  /// Releases the display and every surface the device made.
  virtual void ShutdownDevice() = 0;
  virtual bool IsInitialized() const = 0;
  /// Resizes the front and back surfaces (a window was resized).
  virtual bool ResizeDevice(int width, int height) = 0;
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  /// Switches between a window and the full screen; false when refused.
  virtual bool SetWindowed(bool windowed) = 0;
  virtual bool IsWindowed() const = 0;
  /// The surface shown; its attached surface is the back surface.
  virtual cSurface* GetFrontSurface() = 0;
  /// The surface drawn into.
  virtual cSurface* GetBackSurface() = 0;
  /// A blank surface; null when there is no room.
  virtual cSurface* CreateSurface(const tSize<int>& size, EMemoryType memory) = 0;
  /// A surface holding one frame of the sprite, with its colour key.
  virtual cSurface* CreateSurfaceFrom(cSprite* sprite, int frame, EMemoryType memory) = 0;
  virtual void DestroySurface(cSurface* surface) = 0;
  /// The display's pixel format, which the application adopts.
  virtual const cPixelFormat& GetPixelFormat() const = 0;
  /// Shows the back surface; false when the surfaces were lost.
  virtual bool Flip() = 0;
  /// Makes Flip wait for the vertical retrace.
  virtual void EnableVSync(bool enable) = 0;
  /// Colours of an 8-bit display mode, packed ARGB.
  virtual bool SetPalette(const cPalette& palette) = 0;
  virtual const cPalette& GetPalette() const = 0;
  virtual bool IsModeSupported(int width, int height, int depth) const = 0;
  /// Bytes of display memory still free for surfaces.
  virtual uint32_t GetAvailableMemory() const = 0;
};

/// The abstract provider of a pixel effect (a fade, a blur, a colour
/// shift) computed on the CPU over locked surfaces.
///
/// Virtual slots: destructor, GetDescriptor, AddProperties, then two pure
/// operations.
class TOLMAK_API cPixelEffects : public cObject {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  cPixelEffects() = default;
  cPixelEffects(const cPixelEffects&) = default;
  cPixelEffects& operator=(const cPixelEffects&) = default;
  ~cPixelEffects() override;

  virtual bool IsFormatSupported(const cPixelFormat& format) const = 0;
  /// Writes source with the effect applied into target (the same size and
  /// format; it may be source itself). amount 0 leaves the pixels as they
  /// are, 1 applies the effect fully. False for an unsupported format.
  virtual bool Apply(cSurface* target, cSurface* source, float amount) = 0;
};
