#include <algorithm>
#include <cstring>

#include "codec_io.h"

namespace zunfert {
namespace {

using detail::cByteReader;
using detail::cByteWriter;

constexpr char kFormat[] = "TGA";
constexpr size_t kMaxPacket = 128;
constexpr uint32_t kMapped = 1;  // image types
constexpr uint32_t kTrueColour = 2;
constexpr uint32_t kGrey = 3;
constexpr uint32_t kRleFlag = 8;
constexpr uint32_t kAlphaBits = 0x0F;  // descriptor fields
constexpr uint32_t kRightToLeft = 0x10;
constexpr uint32_t kTopDown = 0x20;

struct cTgaHeader {
  uint32_t idLength = 0;
  uint32_t mapType = 0;
  uint32_t kind = 0;  // image type without the RLE flag
  bool rle = false;
  uint32_t mapFirst = 0;
  uint32_t mapLength = 0;
  uint32_t mapBits = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t bits = 0;
  uint32_t descriptor = 0;
};

bool IsColourSize(uint32_t bits) {
  return bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

void Validate(cByteReader& in, const cTgaHeader& header) {
  if (header.kind < kMapped || header.kind > kGrey) in.Fail("unsupported image type");
  if (header.mapType > 1) in.Fail("unsupported colour map type");
  if (header.mapType == 1 && !IsColourSize(header.mapBits))
    in.Fail("unsupported colour map entry size " + std::to_string(header.mapBits));
  const bool pixelsOk = header.kind == kTrueColour ? IsColourSize(header.bits)
                        : header.kind == kGrey     ? header.bits == 8 || header.bits == 16
                                                   : header.bits == 8;
  if (!pixelsOk)
    in.Fail("unsupported pixel size " + std::to_string(header.bits) + " for image type " +
            std::to_string(header.kind));
  if (header.kind != kMapped) return;
  if (header.mapType != 1) in.Fail("colour-mapped image without a colour map");
  if (header.mapLength == 0 || header.mapFirst + header.mapLength > 256)
    in.Fail("colour map of " + std::to_string(header.mapLength) + " entries from " +
            std::to_string(header.mapFirst) + " does not fit 8-bit indices");
}

cTgaHeader ReadHeader(cByteReader& in, const cImageLimits& limits) {
  cTgaHeader header;
  header.idLength = in.U8();
  header.mapType = in.U8();
  const uint32_t type = in.U8();
  header.kind = type & ~kRleFlag;
  header.rle = (type & kRleFlag) != 0;
  header.mapFirst = in.U16();
  header.mapLength = in.U16();
  header.mapBits = in.U8();
  in.Skip(4);  // origin on the screen
  header.width = in.U16();
  header.height = in.U16();
  header.bits = in.U8();
  header.descriptor = in.U8();
  Validate(in, header);
  detail::CheckSize(kFormat, header.width, header.height, limits);
  return header;
}

// Alpha counts only when the descriptor declares alpha bits and the
// extension area does not deny it. Grey pixels of two bytes carry alpha second.
uint32_t ToArgb(const uint8_t* p, size_t size, bool grey, bool alpha) {
  if (grey) return detail::PackArgb(size == 2 && alpha ? p[1] : 255, p[0], p[0], p[0]);
  if (size == 2) {
    const uint32_t v = p[0] | p[1] << 8;
    const uint32_t a = !alpha || (v & 0x8000) != 0 ? 255 : 0;
    return detail::PackArgb(a, detail::ScaleTo8((v >> 10) & 31, 5),
                            detail::ScaleTo8((v >> 5) & 31, 5), detail::ScaleTo8(v & 31, 5));
  }
  return detail::PackArgb(size == 4 && alpha ? p[3] : 255, p[2], p[1], p[0]);
}

// A file may end in a footer that points to an extension area whose
// attributes type says what the alpha bits hold: 0 nothing, 1 and 2
// undefined data, 3 alpha, 4 premultiplied alpha.
bool ExtensionDeniesAlpha(const std::vector<uint8_t>& bytes) {
  constexpr char kSignature[] = "TRUEVISION-XFILE.";  // with its terminating zero
  constexpr size_t kFooterSize = 8 + sizeof kSignature;
  constexpr size_t kExtensionSize = 495;
  constexpr size_t kAttributesType = 494;
  if (bytes.size() < kFooterSize) return false;
  const size_t footer = bytes.size() - kFooterSize;
  if (std::memcmp(&bytes[footer + 8], kSignature, sizeof kSignature) != 0) return false;
  const size_t offset = cByteReader(&bytes[footer], 4, kFormat).U32();
  if (offset == 0 || offset > footer || footer - offset < kExtensionSize) return false;
  return bytes[offset + kAttributesType] < 3;
}

// Writers that declare alpha bits and leave them all 0 mean an opaque picture.
void OpaqueWhenAllClear(uint32_t* colours, size_t count) {
  if (std::all_of(colours, colours + count, [](uint32_t c) { return c >> 24 == 0; }))
    std::for_each(colours, colours + count, [](uint32_t& c) { c |= 0xFF000000; });
}

// Packets may cross line ends, never the image's end.
std::vector<uint8_t> ExpandRle(cByteReader& in, size_t pixels, size_t size) {
  if (pixels / kMaxPacket > in.GetRemaining()) in.Fail("file is truncated");
  std::vector<uint8_t> out(detail::Multiply(kFormat, pixels, size));
  for (size_t done = 0; done < pixels;) {
    const uint32_t code = in.U8();
    const size_t count = (code & 0x7F) + 1;
    if (count > pixels - done) in.Fail("RLE packet runs past the end of the image");
    if ((code & 0x80) != 0) {
      const uint8_t* pixel = in.Take(size);
      for (size_t i = 0; i < count; ++i) std::memcpy(&out[(done + i) * size], pixel, size);
    } else {
      std::memcpy(&out[done * size], in.Take(count * size), count * size);
    }
    done += count;
  }
  return out;
}

void WriteRleRow(cByteWriter& out, const uint8_t* row, size_t width, size_t size) {
  for (size_t x = 0; x < width;) {
    const size_t run = detail::CountRun(row + x * size, width - x, size, kMaxPacket);
    if (run > 1) {
      out.U8(0x80 | static_cast<uint32_t>(run - 1));
      out.Bytes(row + x * size, size);
      x += run;
    } else {
      const size_t literal = detail::CountLiteral(row + x * size, width - x, size, kMaxPacket);
      out.U8(static_cast<uint32_t>(literal - 1));
      out.Bytes(row + x * size, literal * size);
      x += literal;
    }
  }
}

void PutBgra(uint8_t* p, uint32_t colour, size_t size) {
  for (size_t i = 0; i < size; ++i) p[i] = static_cast<uint8_t>(colour >> (8 * i));
}

}  // namespace

cImage DecodeTga(iByteSource& source, const cImageLimits& limits) {
  const std::vector<uint8_t> bytes = detail::ReadAll(source, kFormat, limits);
  cByteReader in(bytes.data(), bytes.size(), kFormat);
  const cTgaHeader header = ReadHeader(in, limits);
  const bool alpha = (header.descriptor & kAlphaBits) != 0 && !ExtensionDeniesAlpha(bytes);
  in.Skip(header.idLength);
  const size_t mapEntrySize = (header.mapBits + 7) / 8;
  const uint8_t* map = in.Take(header.mapType == 1 ? header.mapLength * mapEntrySize : 0);

  const size_t pixels = size_t{header.width} * header.height;
  const size_t size = (header.bits + 7) / 8;
  std::vector<uint8_t> expanded;
  const uint8_t* data = nullptr;
  if (header.rle) {
    expanded = ExpandRle(in, pixels, size);
    data = expanded.data();
  } else {
    data = in.Take(detail::Multiply(kFormat, pixels, size));
  }

  const bool indexed = size == 1;
  const bool grey = header.kind == kGrey;
  cImage image = indexed ? cImage::MakeIndexed(header.width, header.height)
                         : cImage::MakeArgb(header.width, header.height);
  auto& palette = image.GetPalette();
  if (header.kind == kMapped) {
    for (uint32_t i = 0; i < header.mapLength; ++i)
      palette[header.mapFirst + i] = ToArgb(map + i * mapEntrySize, mapEntrySize, false, alpha);
    OpaqueWhenAllClear(&palette[header.mapFirst], header.mapLength);
  }
  for (uint32_t i = 0; grey && indexed && i < 256; ++i) palette[i] = detail::PackArgb(255, i, i, i);

  const bool rightToLeft = (header.descriptor & kRightToLeft) != 0;
  for (uint32_t row = 0; row < header.height; ++row) {
    const uint32_t y = (header.descriptor & kTopDown) != 0 ? row : header.height - 1 - row;
    uint8_t* indices = indexed ? image.IndexRow(y) : nullptr;
    uint32_t* colours = indexed ? nullptr : image.ArgbRow(y);
    const uint8_t* p = data + size_t{row} * header.width * size;
    for (uint32_t column = 0; column < header.width; ++column, p += size) {
      const uint32_t x = rightToLeft ? header.width - 1 - column : column;
      if (indexed)
        indices[x] = *p;
      else
        colours[x] = ToArgb(p, size, grey, alpha);
    }
  }
  if (!indexed) OpaqueWhenAllClear(image.ArgbRow(0), pixels);
  return image;
}

void EncodeTga(const cImage& image, iByteSink& sink, ETgaEncoding encoding, bool rle) {
  const bool indexed = encoding == ETgaEncoding::Indexed8;
  detail::CheckEncodable(image, kFormat, indexed);
  const uint32_t width = image.GetWidth();
  const uint32_t height = image.GetHeight();
  const size_t size = indexed ? 1 : encoding == ETgaEncoding::Rgb24 ? 3 : 4;
  const bool alpha = encoding != ETgaEncoding::Rgb24;  // the colour map keeps alpha too

  cByteWriter out;
  out.U8(0);
  out.U8(indexed ? 1 : 0);
  out.U8((indexed ? kMapped : kTrueColour) | (rle ? kRleFlag : 0));
  out.U16(0);
  out.U16(indexed ? 256 : 0);
  out.U8(indexed ? 32 : 0);
  out.U32(0);
  out.U16(width);
  out.U16(height);
  out.U8(static_cast<uint32_t>(size * 8));
  out.U8(kTopDown | (alpha ? 8 : 0));
  if (indexed)
    for (uint32_t colour : image.GetPalette()) out.U32(colour);

  std::vector<uint8_t> row(width * size);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      if (indexed)
        row[x] = image.IndexRow(y)[x];
      else
        PutBgra(&row[x * size], image.GetPixel(x, y), size);
    }
    if (rle)
      WriteRleRow(out, row.data(), width, size);
    else
      out.Bytes(row.data(), row.size());
  }
  out.Flush(sink, kFormat);
}

}  // namespace zunfert
