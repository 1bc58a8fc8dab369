#include <algorithm>
#include <array>
#include <bit>
#include <string>

#include "codec_io.h"

namespace zunfert {
namespace {

using detail::cByteReader;
using detail::cByteWriter;

constexpr char kFormat[] = "BMP";
constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kLongestHeader = 124;
// Compressions as the Windows headers number them; the OS/2 2.x header
// gives 3 and 4 other meanings, kept apart by the last two.
enum : uint32_t {
  kRgb = 0,
  kRle8 = 1,
  kRle4 = 2,
  kBitFields = 3,
  kJpeg = 4,
  kPng = 5,
  kAlphaBitFields = 6,
  kHuffman1D = 0x100,
  kRle24
};

struct cBmpHeader {
  uint32_t width = 0;
  uint32_t height = 0;
  bool topDown = false;
  uint32_t bits = 0;
  uint32_t compression = kRgb;
  uint32_t colours = 0;           // palette entries the file declares, 0 for the default
  uint32_t paletteEntrySize = 4;  // 3 in the oldest header
  uint32_t masks[4] = {};         // red, green, blue, alpha
  uint32_t pixelOffset = 0;
};

std::string CompressionName(uint32_t compression) {
  switch (compression) {
    case kRgb:
      return "none";
    case kRle8:
      return "RLE8";
    case kRle4:
      return "RLE4";
    case kBitFields:
      return "bit fields";
    case kJpeg:
      return "embedded JPEG";
    case kPng:
      return "embedded PNG";
    case kAlphaBitFields:
      return "alpha bit fields";
    case kHuffman1D:
      return "Huffman 1D";
    case kRle24:
      return "RLE24";
    default:
      return std::to_string(compression);
  }
}

enum class EInfoHeader { Core, Os2, Windows };

// 12 bytes is the oldest header; 40, 52, 56, 108 and 124 the Windows ones;
// any other size from 16 to 64 an OS/2 2.x header, whole or shortened.
EInfoHeader Classify(cByteReader& in, uint32_t size) {
  if (size == kCoreHeaderSize) return EInfoHeader::Core;
  if (size == 40 || size == 52 || size == 56 || size == 108 || size == 124)
    return EInfoHeader::Windows;
  if (size >= 16 && size <= 64) return EInfoHeader::Os2;
  in.Fail("unsupported header size " + std::to_string(size));
}

// Width and height stay signed until checked: a negative height means
// top-down rows. Fields that a shortened header leaves out read as 0.
void ReadInfoHeader(cByteReader& in, uint32_t size, EInfoHeader kind, cBmpHeader& header,
                    int64_t& width, int64_t& height) {
  uint8_t block[kLongestHeader - 4] = {};
  const uint8_t* fields = in.Take(size - 4);
  std::copy(fields, fields + size - 4, block);
  cByteReader info(block, sizeof block, kFormat);
  width = info.I32();
  height = info.I32();
  if (info.U16() != 1) in.Fail("plane count is not 1");
  header.bits = info.U16();
  header.compression = info.U32();
  info.Skip(12);  // image size and resolution
  header.colours = info.U32();
  info.Skip(4);
  if (kind == EInfoHeader::Os2) {
    if (header.compression == kBitFields) header.compression = kHuffman1D;
    if (header.compression == kJpeg) header.compression = kRle24;
  } else if (size >= 52) {
    for (int i = 0; i < (size >= 56 ? 4 : 3); ++i) header.masks[i] = info.U32();
  } else if (header.compression == kBitFields || header.compression == kAlphaBitFields) {
    for (int i = 0; i < (header.compression == kAlphaBitFields ? 4 : 3); ++i)
      header.masks[i] = in.U32();
  }
  header.topDown = height < 0;
  if (header.topDown) height = -height;
}

cBmpHeader ReadHeader(cByteReader& in, const cImageLimits& limits) {
  cBmpHeader header;
  if (in.U8() != 'B' || in.U8() != 'M') in.Fail("not a BMP file");
  in.Skip(8);
  header.pixelOffset = in.U32();
  const uint32_t size = in.U32();
  const EInfoHeader kind = Classify(in, size);
  int64_t width = 0;
  int64_t height = 0;
  if (kind == EInfoHeader::Core) {
    width = in.U16();
    height = in.U16();
    if (in.U16() != 1) in.Fail("plane count is not 1");
    header.bits = in.U16();
    header.paletteEntrySize = 3;
  } else {
    ReadInfoHeader(in, size, kind, header, width, height);
  }
  if (header.pixelOffset < in.GetPosition())
    in.Fail("pixel data offset " + std::to_string(header.pixelOffset) +
            " points inside the headers");
  detail::CheckSize(kFormat, width, height, limits);
  header.width = static_cast<uint32_t>(width);
  header.height = static_cast<uint32_t>(height);
  return header;
}

void CheckSupported(cByteReader& in, const cBmpHeader& header) {
  const uint32_t bits = header.bits;
  switch (header.compression) {
    case kRgb:
      if (bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 ||
          bits == 32)
        return;
      break;
    case kRle8:
    case kRle4:
      if (bits == (header.compression == kRle8 ? 8u : 4u) && !header.topDown) return;
      break;
    case kBitFields:
    case kAlphaBitFields:
      if (bits == 16 || bits == 32) return;
      break;
    default:
      in.Fail("unsupported compression " + CompressionName(header.compression));
  }
  in.Fail("unsupported combination of " + std::to_string(bits) + "-bit pixels and compression " +
          CompressionName(header.compression) + (header.topDown ? " in top-down rows" : ""));
}

// The palette's entries, 3 or 4 bytes each, blue first.
struct cPaletteEntries {
  const uint8_t* bytes = nullptr;
  uint32_t count = 0;
  uint32_t size = 4;
};

// The palette sits between the headers and the pixels. Entries that the
// pixels cannot index are skipped; a palette of the default size is cut to
// the room before the pixels, as some older writers shorten it.
cPaletteEntries ReadPalette(cByteReader& in, const cBmpHeader& header) {
  const uint32_t maximum = 1u << header.bits;
  const size_t room = (header.pixelOffset - in.GetPosition()) / header.paletteEntrySize;
  uint32_t count = header.colours == 0 ? maximum : std::min(header.colours, maximum);
  if (header.colours == 0 && room > 0) count = static_cast<uint32_t>(std::min<size_t>(count, room));
  if (count > room)
    in.Fail("pixel data offset " + std::to_string(header.pixelOffset) +
            " points inside the palette");
  return {in.Take(size_t{count} * header.paletteEntrySize), count, header.paletteEntrySize};
}

void StorePalette(const cPaletteEntries& entries, std::array<uint32_t, 256>& palette) {
  for (uint32_t i = 0; i < entries.count; ++i) {
    const uint8_t* e = entries.bytes + i * entries.size;
    palette[i] = detail::PackArgb(255, e[2], e[1], e[0]);
  }
}

void DecodeRle(cByteReader& in, const cBmpHeader& header, cImage& image) {
  const uint32_t width = header.width;
  const uint32_t height = header.height;
  uint32_t x = 0;
  uint32_t y = 0;  // counted from the bottom row
  const auto put = [&](uint32_t index) {
    if (y >= height) in.Fail("RLE data past the last row");
    if (x >= width) in.Fail("RLE run past the end of a row");
    image.IndexRow(height - 1 - y)[x++] = static_cast<uint8_t>(index);
  };
  // Data that ends between codes ends the picture as an end-of-bitmap would.
  while (in.GetRemaining() > 0) {
    const uint32_t count = in.U8();
    const uint32_t value = in.U8();
    if (count > 0) {
      for (uint32_t i = 0; i < count; ++i)
        put(header.bits == 8 ? value : (i % 2 == 0 ? value >> 4 : value & 15));
    } else if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap; what was skipped stays index 0
      return;
    } else if (value == 2) {  // delta
      x += in.U8();
      y += in.U8();
      if (x > width || y > height) in.Fail("RLE delta moves past the image");
    } else {  // absolute run of value pixels, padded to 16 bits
      const size_t bytes = header.bits == 8 ? value : (value + 1) / 2;
      const uint8_t* data = in.Take(bytes);
      in.Skip(bytes % 2);
      for (uint32_t i = 0; i < value; ++i) put(detail::UnpackBits(data, i, header.bits));
    }
  }
}

struct cChannel {
  uint32_t mask, shift, bits;
};

cChannel MakeChannel(cByteReader& in, uint32_t mask, uint32_t pixelBits) {
  const uint32_t shift = mask == 0 ? 0 : std::countr_zero(mask);
  const uint32_t field = mask >> shift;
  if ((field & (field + 1)) != 0 || (pixelBits < 32 && (mask >> pixelBits) != 0))
    in.Fail("bad colour mask");
  return {mask, shift, static_cast<uint32_t>(std::popcount(mask))};
}

uint32_t Extract(const cChannel& channel, uint32_t pixel, uint32_t missing) {
  if (channel.bits == 0) return missing;
  const uint32_t value = (pixel & channel.mask) >> channel.shift;
  return channel.bits == 8 ? value : detail::ScaleTo8(value, channel.bits);  // spares a division
}

// 16, 24 and 32-bit pixels are read as little-endian words split by masks.
void DecodeMasked(cByteReader& in, const cBmpHeader& header, const uint8_t* rows, size_t stride,
                  cImage& image) {
  uint32_t masks[4] = {0xFF0000, 0xFF00, 0xFF, 0};
  if (header.bits == 16) masks[0] = 0x7C00, masks[1] = 0x3E0, masks[2] = 0x1F;
  if (header.compression != kRgb) std::copy(header.masks, header.masks + 4, masks);
  cChannel channels[4];
  for (int i = 0; i < 4; ++i) channels[i] = MakeChannel(in, masks[i], header.bits);
  const uint32_t bytes = header.bits / 8;
  for (uint32_t row = 0; row < header.height; ++row) {
    const uint8_t* p = rows + row * stride;
    uint32_t* out = image.ArgbRow(header.topDown ? row : header.height - 1 - row);
    for (uint32_t x = 0; x < header.width; ++x, p += bytes) {
      uint32_t pixel = 0;
      for (uint32_t b = 0; b < bytes; ++b) pixel |= uint32_t{p[b]} << (8 * b);
      out[x] = detail::PackArgb(Extract(channels[3], pixel, 255), Extract(channels[0], pixel, 0),
                                Extract(channels[1], pixel, 0), Extract(channels[2], pixel, 0));
    }
  }
}

void DecodeIndexed(const cBmpHeader& header, const uint8_t* rows, size_t stride, cImage& image) {
  for (uint32_t row = 0; row < header.height; ++row) {
    uint8_t* out = image.IndexRow(header.topDown ? row : header.height - 1 - row);
    for (uint32_t x = 0; x < header.width; ++x)
      out[x] = detail::UnpackBits(rows + row * stride, x, header.bits);
  }
}

void WriteRle8Row(cByteWriter& out, const uint8_t* row, size_t width) {
  for (size_t x = 0; x < width;) {
    const size_t run = detail::CountRun(row + x, width - x, 1, 255);
    const size_t literal = run > 1 ? 0 : detail::CountLiteral(row + x, width - x, 1, 255);
    if (literal < 3) {  // absolute mode starts at three pixels
      out.U8(static_cast<uint32_t>(run));
      out.U8(row[x]);
      x += run;
      continue;
    }
    out.U8(0);
    out.U8(static_cast<uint32_t>(literal));
    out.Bytes(row + x, literal);
    if (literal % 2 != 0) out.U8(0);
    x += literal;
  }
  out.U8(0);
  out.U8(0);
}

}  // namespace

cImage DecodeBmp(iByteSource& source, const cImageLimits& limits) {
  const std::vector<uint8_t> bytes = detail::ReadAll(source, kFormat, limits);
  cByteReader in(bytes.data(), bytes.size(), kFormat);
  const cBmpHeader header = ReadHeader(in, limits);
  CheckSupported(in, header);

  const bool indexed = header.bits <= 8;
  const bool rle = header.compression == kRle8 || header.compression == kRle4;
  const cPaletteEntries palette = indexed ? ReadPalette(in, header) : cPaletteEntries{};
  in.Seek(header.pixelOffset);
  // Raw rows must all be there before anything is allocated for them.
  const size_t stride = (size_t{header.width} * header.bits + 31) / 32 * 4;
  const uint8_t* rows = rle ? nullptr : in.Take(detail::Multiply(kFormat, stride, header.height));

  cImage image = indexed ? cImage::MakeIndexed(header.width, header.height)
                         : cImage::MakeArgb(header.width, header.height);
  StorePalette(palette, image.GetPalette());
  if (rle)
    DecodeRle(in, header, image);
  else if (indexed)
    DecodeIndexed(header, rows, stride, image);
  else
    DecodeMasked(in, header, rows, stride, image);
  return image;
}

void EncodeBmp(const cImage& image, iByteSink& sink, EBmpEncoding encoding) {
  const bool indexed = encoding != EBmpEncoding::Rgb24;
  detail::CheckEncodable(image, kFormat, indexed);
  const uint32_t width = image.GetWidth();
  const uint32_t height = image.GetHeight();
  const uint32_t bits = indexed ? 8 : 24;
  const uint32_t compression = encoding == EBmpEncoding::Rle8 ? kRle8 : kRgb;
  const uint32_t dataOffset = kFileHeaderSize + kInfoHeaderSize + (indexed ? 1024 : 0);

  cByteWriter out;
  out.U8('B');
  out.U8('M');
  out.U32(0);  // file size, patched below
  out.U32(0);
  out.U32(dataOffset);
  out.U32(kInfoHeaderSize);
  out.U32(width);
  out.U32(height);  // positive: bottom row first
  out.U16(1);
  out.U16(bits);
  out.U32(compression);
  out.U32(0);     // image size, patched below
  out.U32(2835);  // 72 dpi
  out.U32(2835);
  out.U32(indexed ? 256 : 0);
  out.U32(0);
  if (indexed)
    for (uint32_t colour : image.GetPalette()) out.U32(colour & 0xFFFFFF);

  const size_t stride = (size_t{width} * bits + 31) / 32 * 4;
  for (uint32_t y = height; y-- > 0;) {
    if (compression == kRle8) {
      WriteRle8Row(out, image.IndexRow(y), width);
    } else if (indexed) {
      out.Bytes(image.IndexRow(y), width);
      out.Zeros(stride - width);
    } else {
      for (uint32_t x = 0; x < width; ++x) {
        const uint32_t colour = image.GetPixel(x, y);
        out.U8(colour);
        out.U8(colour >> 8);
        out.U8(colour >> 16);
      }
      out.Zeros(stride - size_t{width} * 3);
    }
  }
  if (compression == kRle8) {
    out.U8(0);
    out.U8(1);
  }
  if (out.GetSize() > UINT32_MAX) detail::Fail(kFormat, "image is too large for the format");
  out.Patch32(2, static_cast<uint32_t>(out.GetSize()));
  out.Patch32(34, static_cast<uint32_t>(out.GetSize() - dataOffset));
  out.Flush(sink, kFormat);
}

}  // namespace zunfert
