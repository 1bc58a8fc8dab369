#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

/// Image codecs of the plug-in library: BMP, PCX and TGA written here, JPEG
/// and PNG through the system libraries. The layer knows nothing of the
/// engine; the sprite loaders feed it from an iIOStream.
namespace zunfert {

/// A malformed, truncated or oversized image, or a failed write. The message
/// names the format and the fault ("TGA: file is truncated").
class cImageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// What a decoder accepts before it allocates anything for the pixels.
struct cImageLimits {
  uint32_t maxDimension = 16384;           ///< on each side
  uint64_t maxPixels = uint64_t{1} << 26;  ///< width x height (256 MiB of ARGB)
  uint64_t maxInputBytes = uint64_t{1} << 29;
};

/// A decoded picture, rows top first, either true colour (one 0xAARRGGBB
/// word per pixel) or indexed (one byte per pixel into a 256-entry ARGB
/// palette). A default-constructed image is empty (0 x 0, true colour).
class cImage {
 public:
  cImage() = default;
  /// A true-colour image, every pixel 0.
  static cImage MakeArgb(uint32_t width, uint32_t height);
  /// An indexed image, every index 0 and every palette entry opaque black, so
  /// that an index past a file's palette shows as black.
  static cImage MakeIndexed(uint32_t width, uint32_t height);

  uint32_t GetWidth() const { return m_Width; }
  uint32_t GetHeight() const { return m_Height; }
  bool IsIndexed() const { return m_Indexed; }

  /// Row y of a true-colour image (width words).
  uint32_t* ArgbRow(uint32_t y) { return m_Argb.data() + size_t{y} * m_Width; }
  const uint32_t* ArgbRow(uint32_t y) const { return m_Argb.data() + size_t{y} * m_Width; }
  /// Row y of an indexed image (width bytes).
  uint8_t* IndexRow(uint32_t y) { return m_Indices.data() + size_t{y} * m_Width; }
  const uint8_t* IndexRow(uint32_t y) const { return m_Indices.data() + size_t{y} * m_Width; }
  /// All pixels of a true-colour image; empty for an indexed one.
  const std::vector<uint32_t>& GetArgb() const { return m_Argb; }
  /// All indices of an indexed image; empty for a true-colour one.
  const std::vector<uint8_t>& GetIndices() const { return m_Indices; }
  std::array<uint32_t, 256>& GetPalette() { return m_Palette; }
  const std::array<uint32_t, 256>& GetPalette() const { return m_Palette; }

  /// The ARGB colour of a pixel, looked up in the palette when indexed.
  uint32_t GetPixel(uint32_t x, uint32_t y) const;
  /// The same picture in true colour.
  cImage ToArgb() const;

 private:
  uint32_t m_Width = 0;
  uint32_t m_Height = 0;
  bool m_Indexed = false;
  std::vector<uint32_t> m_Argb;
  std::vector<uint8_t> m_Indices;
  std::array<uint32_t, 256> m_Palette{};
};

/// Where a decoder takes its bytes from, in order.
class iByteSource {
 public:
  virtual ~iByteSource() = default;
  /// Reads up to size bytes; returns how many were read (fewer only at the end).
  virtual uint32_t Read(void* buffer, uint32_t size) = 0;
  /// Bytes left, or -1 when the source cannot tell.
  virtual int64_t GetRemaining() const = 0;
};

/// Where an encoder puts its bytes.
class iByteSink {
 public:
  virtual ~iByteSink() = default;
  /// Writes size bytes; returns how many were written (fewer only on a failure).
  virtual uint32_t Write(const void* buffer, uint32_t size) = 0;
};

/// Reads bytes that the caller keeps alive.
class cMemorySource : public iByteSource {
 public:
  cMemorySource(const void* data, size_t size)
      : m_Data(static_cast<const uint8_t*>(data)), m_Size(size) {}
  explicit cMemorySource(const std::vector<uint8_t>& bytes)
      : cMemorySource(bytes.data(), bytes.size()) {}
  uint32_t Read(void* buffer, uint32_t size) override;
  int64_t GetRemaining() const override { return static_cast<int64_t>(m_Size - m_Position); }

 private:
  const uint8_t* m_Data;
  size_t m_Size;
  size_t m_Position = 0;
};

/// Collects the written bytes.
class cMemorySink : public iByteSink {
 public:
  uint32_t Write(const void* buffer, uint32_t size) override;
  const std::vector<uint8_t>& GetBytes() const { return m_Bytes; }

 private:
  std::vector<uint8_t> m_Bytes;
};

/// Decoders read the whole source and throw cImageError on any fault; they
/// allocate nothing beyond what the limits allow and leave nothing behind.
/// BMP: 1, 2, 4 and 8 bits give an indexed image, 16, 24 and 32 bits true
/// colour; OS/2 and Windows headers.
cImage DecodeBmp(iByteSource& source, const cImageLimits& limits = {});
/// PCX: 8 bits in one plane, 1 bit in one to four planes and 2 or 4 bits in
/// one plane give an indexed image, 8 bits in three or four planes true colour.
cImage DecodePcx(iByteSource& source, const cImageLimits& limits = {});
/// TGA: colour-mapped and 8-bit grey give an indexed image (grey with a grey
/// ramp palette), true colour and 16-bit grey with alpha true colour. Alpha
/// counts where the header declares it, the extension area does not deny it
/// and some pixel uses it; the picture is opaque otherwise.
cImage DecodeTga(iByteSource& source, const cImageLimits& limits = {});
/// JPEG: always true colour, opaque; CMYK and YCCK converted to RGB.
cImage DecodeJpeg(iByteSource& source, const cImageLimits& limits = {});
/// PNG: always true colour, the stored values rounded to 8 bits per channel,
/// with no gamma or colour-profile conversion.
cImage DecodePng(iByteSource& source, const cImageLimits& limits = {});

enum class EBmpEncoding { Rgb24, Indexed8, Rle8 };
enum class EPcxEncoding { Indexed8, Rgb24 };
enum class ETgaEncoding { Indexed8, Rgb24, Argb32 };

/// Encoders write a complete file in one go and throw cImageError when the
/// image is empty, when an indexed encoding gets a true-colour image, or when
/// the sink takes fewer bytes than given. Encodings without alpha drop it;
/// true-colour encodings take indexed images through their palette.
void EncodeBmp(const cImage& image, iByteSink& sink, EBmpEncoding encoding);
void EncodePcx(const cImage& image, iByteSink& sink, EPcxEncoding encoding);
/// Indexed TGA files carry a 256-entry colour map of 32-bit entries.
void EncodeTga(const cImage& image, iByteSink& sink, ETgaEncoding encoding, bool rle);
/// quality runs from 1 to 100 (clamped).
void EncodeJpeg(const cImage& image, iByteSink& sink, int quality = 90);
/// Writes 8-bit RGBA.
void EncodePng(const cImage& image, iByteSink& sink);

}  // namespace zunfert
