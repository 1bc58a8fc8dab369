#pragma once

#include <cstdint>

#include <varnlib.h>

#include "tolmak_export.h"
#include "tolmak_palette.h"
#include "tolmak_pixelformat.h"

class cSprite;

/// The description of a picture: size, row pitch, pixel format, colour key
/// and palette. The pixels themselves belong to the classes built on it.
///
/// Primary virtual slots: destructor, GetDescriptor, AddProperties, then the
/// seven setters in the order declared. Stream (Save, Load), little-endian:
/// width and height (4 bytes each), the pixel format (2 bytes), the colour
/// key (4 bytes), then the 256 palette entries (1024 bytes) only when the
/// format has 8 bits per pixel. The pitch, the colour key's enabled flag and
/// the pixels are not stored; Load leaves them as they were.
///
/// Load throws cException on a stream that ends early, a negative size or a
/// pixel format the engine does not know; the bitmap is then unchanged.
class TOLMAK_API cBitmap : public cObject, public iSerializable {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  /// Size 0 by 0, pitch 0, Invalid format, colour key 0 and disabled,
  /// palette all zero.
  cBitmap() = default;
  cBitmap(const cBitmap&) = default;
  cBitmap& operator=(const cBitmap&) = default;
  ~cBitmap() override;

  int GetWidth() const { return m_Size.width; }
  int GetHeight() const { return m_Size.height; }
  const tSize<int>& GetSize() const { return m_Size; }
  /// Bytes from one row to the next, as the class that holds the pixels set it.
  int GetPitch() const { return m_Pitch; }
  const cPixelFormat& GetPixelFormat() const { return m_PixelFormat; }
  /// Bits per pixel of the format.
  int GetBPP() const { return static_cast<int>(m_PixelFormat.GetTotalBits()); }
  /// Whether the format has 8 bits per pixel (Indexed and Alpha), the
  /// formats whose palette the stream stores.
  bool IsPalettized() const { return GetBPP() == 8; }
  /// The key, in the bitmap's pixel format, also while it is disabled.
  uint32_t GetColorKey() const { return m_ColorKey; }
  bool IsColorKeyEnabled() const { return m_ColorKeyEnabled; }
  const cPalette& GetPalette() const { return m_Palette; }

  /// The setters store what they are given; the pitch is not recomputed.
  virtual void SetSize(const tSize<int>& size);
  virtual void SetWidth(int width);
  virtual void SetHeight(int height);
  virtual void SetPixelFormat(const cPixelFormat& format);
  virtual void EnableColorKey(uint32_t key);
  /// The key value stays.
  virtual void DisableColorKey();
  virtual void SetPalette(const cPalette& palette);

  void Save(iIOStream& stream) override;
  void Load(iIOStream& stream) override;

 protected:
  /// Applies a record read by the stream reader of this family.
  void SetStreamFields(const tSize<int>& size, const cPixelFormat& format, uint32_t key,
                       const cPalette* palette);

  tSize<int> m_Size{0, 0};
  int32_t m_Pitch = 0;
  cPixelFormat m_PixelFormat;
  uint32_t m_ColorKey = 0;
  bool m_ColorKeyEnabled = false;
  cPalette m_Palette;
};

/// A picture held by a video device: it can be locked for direct access to
/// its pixels and can have a second surface attached (a flip chain's back
/// buffer, a texture's mipmap).
///
/// Twelve pure device operations follow the bitmap's slots. Lock and Unlock
/// wrap the device's LockSurface and UnlockSurface, which set m_Data; they
/// do not test the flag first, so locking twice calls the device twice.
/// Copying shares the attached surface and the pixel pointer.
class TOLMAK_API cSurface : public cBitmap {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  cSurface() = default;
  cSurface(const cSurface&) = default;
  cSurface& operator=(const cSurface&) = default;
  ~cSurface() override;

  /// LockSurface, then the pixel pointer (whatever the device answered).
  void* Lock();
  void Unlock();
  bool IsLocked() const { return m_Locked; }
  /// The pixel pointer, locked or not.
  void* GetPtr() const { return m_Data; }
  /// Whether both surfaces come from the same kind of device (their type
  /// names have the same bytes); false for null.
  bool IsSameTypeAs(const cSurface* other) const;
  void SetAttachedSurface(cSurface* surface) { m_Attached = surface; }
  cSurface* GetAttachedSurface() const { return m_Attached; }

  /// Names the device family the surface belongs to.
  virtual const cString& GetTypeName() const = 0;
  /// Whether the device lost the pixels (a mode switch); Restore gets them back.
  virtual bool IsLost() const = 0;
  virtual bool Restore() = 0;
  /// Pixels are in the surface's pixel format.
  virtual bool Clear(uint32_t pixel) = 0;
  virtual bool FillRect(int x, int y, int width, int height, uint32_t pixel) = 0;
  /// Copies the whole source to (x, y), clipped to this surface, converting
  /// its format; source pixels equal to an enabled colour key are skipped.
  virtual bool Blit(int x, int y, cSurface* source) = 0;
  /// Blit of the source's rectangle from (sourceX, sourceY).
  virtual bool BlitRect(int x, int y, cSurface* source, int sourceX, int sourceY, int width,
                        int height) = 0;
  /// Blit scaled to width by height.
  virtual bool StretchBlit(int x, int y, int width, int height, cSurface* source) = 0;
  /// Loads the pixels of a sprite frame, converted to the surface's format.
  virtual bool CopyFromSprite(cSprite* sprite, int frame) = 0;
  /// Exchanges the pixels with the attached surface (shows the back buffer).
  virtual bool Flip() = 0;
  /// Device side of Lock: sets m_Data to the first pixel.
  virtual bool LockSurface() = 0;
  /// Device side of Unlock.
  virtual bool UnlockSurface() = 0;

 protected:
  void* m_Data = nullptr;
  bool m_Locked = false;
  cSurface* m_Attached = nullptr;
};

/// A surface fed by a media stream (a video file), frame by frame.
///
/// Six pure operations follow those of cSurface. The device sets m_Finished
/// when the stream ends in PlayOnce mode.
class TOLMAK_API cMediaStreamSurface : public cSurface {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  enum class EMode : int32_t {
    /// Stops at the end and reports IsFinished.
    PlayOnce = 0,
    /// Starts again at the end.
    Loop = 1,
  };

  /// Not finished, PlayOnce.
  cMediaStreamSurface() = default;
  cMediaStreamSurface(const cMediaStreamSurface&) = default;
  cMediaStreamSurface& operator=(const cMediaStreamSurface&) = default;
  ~cMediaStreamSurface() override;

  bool IsFinished() const { return m_Finished; }
  void SetMode(EMode mode) { m_Mode = mode; }
  EMode GetMode() const { return m_Mode; }

  /// Opens the media through the stream manager and sizes the surface to
  /// it; false when it cannot be decoded.
  virtual bool Open(const cUrl& url) = 0;
  virtual void Close() = 0;
  virtual bool Play() = 0;
  virtual void Stop() = 0;
  /// Decodes the frame due now into the surface; false when none was due.
  virtual bool Update() = 0;
  /// Back to the first frame, not finished.
  virtual bool Rewind() = 0;

 protected:
  bool m_Finished = false;
  EMode m_Mode = EMode::PlayOnce;
};

/// A picture of one or more animation frames of the bitmap's size, each
/// GetPitch() bytes per row in the bitmap's pixel format. The image loaders
/// of a plug-in library are sprites whose Load reads an image file.
///
/// Four pure operations follow the bitmap's slots, CreateFrom second. The
/// stream is the bitmap's followed by the frame count (4 bytes); Load
/// throws as the bitmap's does, and on a negative count.
class TOLMAK_API cSprite : public cBitmap {
  VARN_CLASS_DESCRIPTOR(TOLMAK_API)

 public:
  cSprite() = default;
  cSprite(const cSprite&) = default;
  cSprite& operator=(const cSprite&) = default;
  ~cSprite() override;

  int GetFrames() const { return m_Frames; }

  /// frames blank frames of that size in the current pixel format,
  /// replacing the pixels held.
  virtual bool Create(const tSize<int>& frameSize, int frames) = 0;
  /// Copies the source's pixels, converted to this sprite's pixel format,
  /// as frames of frameWidth by frameHeight cut row by row from each source
  /// frame (0 takes the source frame's width or height). The colour key
  /// and palette come with them.
  virtual bool CreateFrom(cSprite* source, int frameWidth, int frameHeight) = 0;
  /// First pixel of the frame; null for a frame the sprite does not have.
  virtual void* GetFramePtr(int frame) = 0;
  /// Frees the pixels; the frame count becomes 0.
  virtual void ReleaseFrames() = 0;

  void Save(iIOStream& stream) override;
  void Load(iIOStream& stream) override;

 protected:
  int32_t m_Frames = 0;
};
