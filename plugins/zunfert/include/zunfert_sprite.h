#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <tolmak.h>

#include "zunfert_export.h"

/// A sprite whose frames live in main memory ("cMemorySprite"): the frames
/// one after the other, each height rows of GetPitch() = width x bytes per
/// pixel bytes, a pixel being the low GetTotalBytes() bytes of its value in
/// the sprite's format, least significant first. Indexed sprites hold
/// palette indices; their palette entries are ARGB 8888 colours.
///
/// Stream: the engine's sprite record (cSprite::Save) followed by the
/// pixels of every frame. Load reads what Save writes; a truncated or
/// malformed stream, or a sprite beyond the size limits, throws cException
/// and leaves the sprite as it was.
///
/// Frames are at most kMaxDimension pixels on a side and kMaxBytes bytes
/// in all. A failed allocation throws cException("Out of memory") from
/// Load and makes Create and CreateFrom return false; either way the
/// sprite is unchanged.
class ZUNFERT_API cMemorySprite : public cSprite {
  ZUNFERT_CLASS()

 public:
  static constexpr int kMaxDimension = 16384;
  static constexpr size_t kMaxBytes = size_t{1} << 28;
  /// The image files the loaders read.
  enum class EImageFile { Bmp, Pcx, Tga, Jpeg, Png };

  /// No frames, size 0 by 0, the Invalid format until one is set.
  cMemorySprite() = default;
  cMemorySprite(const cMemorySprite&) = default;
  cMemorySprite& operator=(const cMemorySprite&) = default;
  ~cMemorySprite() override;

  /// frames zeroed frames of the size in the current format. False, and
  /// nothing changes, for a format without pixels (Invalid), a size below
  /// 1 or beyond the limits, or no frame.
  bool Create(const tSize<int>& frameSize, int frames) override;
  /// The source's frames converted to this sprite's format (the source's
  /// own when this one is Invalid), cut row by row into frames of
  /// frameWidth by frameHeight (0: the source's width or height; what is
  /// left over at the right and bottom edges is dropped). True colour goes
  /// through ARGB; indexed sources through their palette. A true-colour
  /// source cannot become Indexed, Alpha or IndexAlpha: false. The colour
  /// key comes along, converted; indexed sprites take the palette.
  bool CreateFrom(cSprite* source, int frameWidth, int frameHeight) override;
  void* GetFramePtr(int frame) override;
  const void* GetFramePtr(int frame) const;
  /// Frees the pixels; no frames, size 0 by 0, pitch 0, the format stays.
  void ReleaseFrames() override;

  /// The ARGB colour of a pixel, through the palette for Indexed; 0 for a
  /// pixel outside the frames or a format without colours.
  uint32_t GetPixel(int frame, int x, int y) const;
  /// Bytes of one frame.
  size_t GetFrameBytes() const { return static_cast<size_t>(m_Pitch) * m_Size.height; }

  void Save(iIOStream& stream) override;
  void Load(iIOStream& stream) override;

 protected:
  /// Takes over pixels of frames frames of the size in the format; the
  /// caller has checked that the sizes agree.
  void Adopt(const tSize<int>& size, const cPixelFormat& format, int frames,
             std::vector<uint8_t>&& pixels);
  /// Back to the state of a new sprite.
  void Reset();

  /// The loaders' Load: decodes an image file into one frame.
  void LoadImageFile(iIOStream& stream, EImageFile type);

 private:
  std::vector<uint8_t> m_Pixels;
};

/// The sprite loaders: Load(iIOStream&) decodes an image file of their type
/// (not the sprite stream of the memory sprite, whose Save they inherit)
/// into one frame: indexed images (BMP of 1 to 8 bits, 8-bit PCX,
/// colour-mapped or grey TGA) give an Indexed sprite with their palette,
/// the others ARGB 8888. A malformed, truncated or oversized file throws
/// cException with the decoder's message and leaves the sprite valid and
/// empty (ReleaseFrames).
class ZUNFERT_API cBmpSprite : public cMemorySprite {
  ZUNFERT_CLASS()

 public:
  void Load(iIOStream& stream) override;
};

/// See cBmpSprite.
class ZUNFERT_API cPcxSprite : public cMemorySprite {
  ZUNFERT_CLASS()

 public:
  void Load(iIOStream& stream) override;
};

/// See cBmpSprite.
class ZUNFERT_API cTgaSprite : public cMemorySprite {
  ZUNFERT_CLASS()

 public:
  void Load(iIOStream& stream) override;
};

/// See cBmpSprite; JPEG images are always opaque true colour.
class ZUNFERT_API cJpegSprite : public cMemorySprite {
  ZUNFERT_CLASS()

 public:
  void Load(iIOStream& stream) override;
};

/// See cBmpSprite; PNG images are always true colour.
class ZUNFERT_API cPngSprite : public cMemorySprite {
  ZUNFERT_CLASS()

 public:
  void Load(iIOStream& stream) override;
};
