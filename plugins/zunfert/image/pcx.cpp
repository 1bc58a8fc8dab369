#include "codec_io.h"

namespace zunfert {
namespace {

using detail::cByteReader;
using detail::cByteWriter;

constexpr char kFormat[] = "PCX";
constexpr size_t kHeaderSize = 128;
constexpr size_t kPaletteSize = 1 + 768;  // marker byte, then 256 RGB triples
constexpr uint8_t kPaletteMarker = 0x0C;
constexpr uint32_t kMaxRun = 63;

struct cPcxHeader {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t bits = 0;
  uint32_t planes = 0;
  size_t bytesPerLine = 0;
  const uint8_t* egaPalette = nullptr;  // 16 RGB triples
};

cPcxHeader ReadHeader(cByteReader& in, const cImageLimits& limits) {
  cPcxHeader header;
  if (in.U8() != 0x0A) in.Fail("not a PCX file");
  in.Skip(1);  // version
  if (in.U8() != 1) in.Fail("unsupported encoding");
  header.bits = in.U8();
  const int64_t xMin = in.U16();
  const int64_t yMin = in.U16();
  const int64_t xMax = in.U16();
  const int64_t yMax = in.U16();
  in.Skip(4);  // resolution
  header.egaPalette = in.Take(48);
  in.Skip(1);
  header.planes = in.U8();
  header.bytesPerLine = in.U16();
  in.Seek(kHeaderSize);
  detail::CheckSize(kFormat, xMax - xMin + 1, yMax - yMin + 1, limits);
  header.width = static_cast<uint32_t>(xMax - xMin + 1);
  header.height = static_cast<uint32_t>(yMax - yMin + 1);

  const bool paletted = header.bits == 8 && header.planes == 1;
  const bool rgb = header.bits == 8 && (header.planes == 3 || header.planes == 4);
  // One to four planes of 1 bit, or one plane of 2 or 4 bits.
  const bool bitPlanes = (header.bits == 1 && header.planes >= 1 && header.planes <= 4) ||
                         ((header.bits == 2 || header.bits == 4) && header.planes == 1);
  if (!paletted && !rgb && !bitPlanes)
    in.Fail("unsupported layout of " + std::to_string(header.planes) + " planes of " +
            std::to_string(header.bits) + " bits");
  if (header.bytesPerLine * 8 < size_t{header.width} * header.bits)
    in.Fail("line length is too short for the width");
  return header;
}

// Runs may cross line ends (older writers do that), never the image's end.
class cRleReader {
 public:
  explicit cRleReader(cByteReader& in) : m_In(in) {}

  void Fill(uint8_t* line, size_t count) {
    for (size_t i = 0; i < count; ++i) line[i] = Next();
  }
  void CheckFinished() const {
    if (m_Pending != 0) m_In.Fail("RLE run past the end of the image");
  }

 private:
  uint8_t Next() {
    while (m_Pending == 0) {
      const uint8_t code = m_In.U8();
      if ((code & 0xC0) != 0xC0) return code;
      m_Pending = code & 0x3F;
      m_Value = m_In.U8();
    }
    --m_Pending;
    return m_Value;
  }

  cByteReader& m_In;
  uint32_t m_Pending = 0;
  uint8_t m_Value = 0;
};

void SetPalette(const cPcxHeader& header, const uint8_t* file, size_t fileSize, cImage& image) {
  auto& palette = image.GetPalette();
  if (header.bits == 8) {
    const uint8_t* rgb = file + fileSize - 768;
    for (size_t i = 0; i < 256; ++i)
      palette[i] = detail::PackArgb(255, rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
  } else if (header.bits == 1 && header.planes == 1) {  // the header palette is often left blank
    palette[0] = 0xFF000000;
    palette[1] = 0xFFFFFFFF;
  } else {
    const uint8_t* rgb = header.egaPalette;
    for (size_t i = 0; i < 16; ++i)
      palette[i] = detail::PackArgb(255, rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
  }
}

// One decoded line holds each plane's bytesPerLine bytes in turn.
void StoreLine(const cPcxHeader& header, const uint8_t* line, uint32_t y, cImage& image) {
  const size_t stride = header.bytesPerLine;
  for (uint32_t x = 0; x < header.width; ++x) {
    if (header.bits == 8 && header.planes == 1) {
      image.IndexRow(y)[x] = line[x];
    } else if (header.bits == 8) {
      const uint32_t alpha = header.planes == 4 ? line[3 * stride + x] : 255;
      image.ArgbRow(y)[x] =
          detail::PackArgb(alpha, line[x], line[stride + x], line[2 * stride + x]);
    } else {
      uint32_t index = 0;
      for (uint32_t p = 0; p < header.planes; ++p)
        index |= uint32_t{detail::UnpackBits(line + p * stride, x, header.bits)} << p;
      image.IndexRow(y)[x] = static_cast<uint8_t>(index);
    }
  }
}

void WriteRle(cByteWriter& out, const uint8_t* data, size_t count) {
  for (size_t i = 0; i < count;) {
    const size_t run = detail::CountRun(data + i, count - i, 1, kMaxRun);
    // A single byte with both top bits set would read as a run code.
    if (run > 1 || (data[i] & 0xC0) == 0xC0) out.U8(0xC0 | static_cast<uint32_t>(run));
    out.U8(data[i]);
    i += run;
  }
}

}  // namespace

cImage DecodePcx(iByteSource& source, const cImageLimits& limits) {
  const std::vector<uint8_t> bytes = detail::ReadAll(source, kFormat, limits);
  cByteReader headerIn(bytes.data(), bytes.size(), kFormat);
  const cPcxHeader header = ReadHeader(headerIn, limits);

  size_t dataEnd = bytes.size();
  if (header.bits == 8 && header.planes == 1) {
    if (bytes.size() < kHeaderSize + kPaletteSize ||
        bytes[bytes.size() - kPaletteSize] != kPaletteMarker)
      detail::Fail(kFormat, "256-colour palette is missing");
    dataEnd -= kPaletteSize;
  }
  cByteReader in(bytes.data(), dataEnd, kFormat);
  in.Seek(kHeaderSize);
  const size_t lineSize = header.planes * header.bytesPerLine;
  // Two bytes expand to at most 63: refuse before allocating for a file too short.
  if (detail::Multiply(kFormat, lineSize, header.height) / kMaxRun * 2 > in.GetRemaining())
    in.Fail("file is truncated");

  const bool indexed = header.bits < 8 || header.planes == 1;
  cImage image = indexed ? cImage::MakeIndexed(header.width, header.height)
                         : cImage::MakeArgb(header.width, header.height);
  if (indexed) SetPalette(header, bytes.data(), bytes.size(), image);
  std::vector<uint8_t> line(lineSize);
  cRleReader rle(in);
  for (uint32_t y = 0; y < header.height; ++y) {
    rle.Fill(line.data(), line.size());
    StoreLine(header, line.data(), y, image);
  }
  rle.CheckFinished();
  return image;
}

void EncodePcx(const cImage& image, iByteSink& sink, EPcxEncoding encoding) {
  const bool indexed = encoding == EPcxEncoding::Indexed8;
  detail::CheckEncodable(image, kFormat, indexed);
  const uint32_t width = image.GetWidth();
  const uint32_t height = image.GetHeight();
  const uint32_t planes = indexed ? 1 : 3;
  const size_t stride = (size_t{width} + 1) & ~size_t{1};  // lines have an even length

  cByteWriter out;
  out.U8(0x0A);
  out.U8(5);  // version with a 256-colour palette
  out.U8(1);  // RLE
  out.U8(8);
  out.U16(0);
  out.U16(0);
  out.U16(width - 1);
  out.U16(height - 1);
  out.U16(72);
  out.U16(72);
  out.Zeros(49);  // EGA palette and a reserved byte
  out.U8(planes);
  out.U16(static_cast<uint32_t>(stride));
  out.U16(1);  // colour palette
  out.Zeros(kHeaderSize - out.GetSize());

  std::vector<uint8_t> line(planes * stride);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      if (indexed) {
        line[x] = image.IndexRow(y)[x];
        continue;
      }
      const uint32_t colour = image.GetPixel(x, y);
      line[x] = static_cast<uint8_t>(colour >> 16);
      line[stride + x] = static_cast<uint8_t>(colour >> 8);
      line[2 * stride + x] = static_cast<uint8_t>(colour);
    }
    for (uint32_t p = 0; p < planes; ++p) WriteRle(out, line.data() + p * stride, stride);
  }
  if (indexed) {
    out.U8(kPaletteMarker);
    for (uint32_t colour : image.GetPalette()) {
      out.U8(colour >> 16);
      out.U8(colour >> 8);
      out.U8(colour);
    }
  }
  out.Flush(sink, kFormat);
}

}  // namespace zunfert
