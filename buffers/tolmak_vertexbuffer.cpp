#include "tolmak_vertexbuffer.h"

#include <algorithm>
#include <type_traits>
#include <utility>

#include "buffer_block.h"

namespace tolmak::detail {
namespace {

constexpr char kSource[] = "tolmak_vertexbuffer.cpp";
constexpr int kFirstAllocationLine = 194;
constexpr int kResizeLine = 201;

constexpr uint32_t kPosition = 1, kNormal = 2, kDiffuse = 4, kSpecular = 8;
constexpr uint32_t kColors = kDiffuse | kSpecular;
constexpr uint32_t kLayoutBits = 0xFF;
constexpr uint32_t kVectorBytes = 12, kTexCoordBytes = 8;

uint32_t TextureSets(uint32_t vertexFormat) {
  return (vertexFormat >> 4) & 15;
}

[[noreturn]] void ThrowOutOfMemory(bool resizing) {
  throw cException(kSource, resizing ? kResizeLine : kFirstAllocationLine, "Out of memory");
}

// Decoding a pixel to a colour and encoding it again in the same format keeps
// every channel and clears the bits that no channel owns: bit 15 of the 555
// formats, the fourth byte of the 888X ones, all of a palette index.
void ClearUnownedBits(uint8_t* slot, size_t stride, uint32_t count, const cPixelFormat& format) {
  const uint32_t owned =
      format.GetRedMask() | format.GetGreenMask() | format.GetBlueMask() | format.GetAlphaMask();
  const uint32_t bytes = format.GetTotalBytes();
  if (bytes == 0 || owned == 0xFFFFFFFFu >> (32 - 8 * bytes)) return;
  for (uint32_t k = 0; k < count; ++k, slot += stride) {
    uint32_t pixel = 0;
    std::memcpy(&pixel, slot, bytes);
    pixel &= owned;
    std::memcpy(slot, &pixel, bytes);
  }
}

}  // namespace
}  // namespace tolmak::detail

using namespace tolmak::detail;

cVertexBuffer::cVertexBuffer() : cVertexBuffer(0) {}

cVertexBuffer::cVertexBuffer(uint32_t count, uint32_t vertexFormat,
                             const cPixelFormat& colorFormat) {
  SetLayout(vertexFormat, colorFormat);
  SetLength(count);
}

cVertexBuffer::cVertexBuffer(const cVertexBuffer& other) : cVertexBuffer() {
  Copy(other);
}

cVertexBuffer::~cVertexBuffer() {
  FreeBlock(m_Data);
}

cVertexBuffer& cVertexBuffer::operator=(const cVertexBuffer& other) {
  Copy(other);
  return *this;
}

void cVertexBuffer::SetLayout(uint32_t vertexFormat, const cPixelFormat& colorFormat) {
  m_VertexFormat = vertexFormat;
  m_PixelFormat = colorFormat;
  uint32_t stride = 0;
  auto place = [&](uint32_t bit, uint32_t bytes, uint32_t& offset) {
    offset = 0;
    if (vertexFormat & bit) offset = std::exchange(stride, stride + bytes);
  };
  place(kPosition, kVectorBytes, m_PosOffset);
  place(kNormal, kVectorBytes, m_NormalOffset);
  place(kDiffuse, colorFormat.GetTotalBytes(), m_DiffuseOffset);
  place(kSpecular, colorFormat.GetTotalBytes(), m_SpecularOffset);
  m_TextureOffset = stride;
  m_Stride = stride + kTexCoordBytes * TextureSets(vertexFormat);
}

bool cVertexBuffer::HasLayoutOf(const cVertexBuffer& other) const {
  return (m_VertexFormat & kLayoutBits) == (other.m_VertexFormat & kLayoutBits) &&
         (m_PixelFormat == other.m_PixelFormat || (m_VertexFormat & kColors) == 0);
}

uint32_t cVertexBuffer::ReadSlot(uint32_t i, uint32_t offset) const {
  uint32_t pixel = 0;
  std::memcpy(&pixel, At(i, offset), m_PixelFormat.GetTotalBytes());
  return pixel;
}

void cVertexBuffer::WriteSlot(uint32_t i, uint32_t offset, uint32_t pixel) {
  std::memcpy(At(i, offset), &pixel, m_PixelFormat.GetTotalBytes());
}

cColor cVertexBuffer::GetDiffuse(uint32_t i) const {
  return cColor(m_PixelFormat, ReadSlot(i, m_DiffuseOffset));
}

cColor cVertexBuffer::GetSpecular(uint32_t i) const {
  return cColor(m_PixelFormat, ReadSlot(i, m_SpecularOffset));
}

void cVertexBuffer::SetDiffuse(uint32_t i, const cColor& color) {
  WriteSlot(i, m_DiffuseOffset, color.GetColor(m_PixelFormat));
}

void cVertexBuffer::SetSpecular(uint32_t i, const cColor& color) {
  WriteSlot(i, m_SpecularOffset, color.GetColor(m_PixelFormat));
}

void cVertexBuffer::SetLength(uint32_t count) {
  if (count == m_Length) return;
  if (count == 0) {
    FreeBlock(std::exchange(m_Data, nullptr));
    m_Length = 0;
    return;
  }
  void* block = ResizeBlock(m_Data, static_cast<uint64_t>(count) * m_Stride);
  if (block == nullptr) ThrowOutOfMemory(m_Data != nullptr);
  m_Data = static_cast<uint8_t*>(block);
  m_Length = count;
}

void cVertexBuffer::Copy(const cVertexBuffer& source) {
  if (&source == this) return;
  if (source.IsEmpty()) {
    SetLength(0);
    SetLayout(source.m_VertexFormat, source.m_PixelFormat);
    return;
  }
  // Reallocate before taking the layout over, so that a failure changes nothing.
  if (m_Stride != source.m_Stride || m_Length != source.m_Length) {
    void* block = ResizeBlock(m_Data, static_cast<uint64_t>(source.m_Length) * source.m_Stride);
    if (block == nullptr) ThrowOutOfMemory(m_Data != nullptr);
    m_Data = static_cast<uint8_t*>(block);
    m_Length = source.m_Length;
  }
  SetLayout(source.m_VertexFormat, source.m_PixelFormat);
  std::memcpy(m_Data, source.m_Data, static_cast<size_t>(m_Length) * m_Stride);
}

void cVertexBuffer::Grow(uint32_t more) {
  if (more > UINT32_MAX - m_Length) ThrowOutOfMemory(m_Data != nullptr);
  SetLength(m_Length + more);
}

void cVertexBuffer::Add(const cVertexBuffer& source) {
  if (source.IsEmpty()) return;
  const uint32_t first = m_Length, count = source.m_Length;
  Grow(count);
  // Read the source only now: if it is this buffer, its block has just moved.
  const size_t bytes = static_cast<size_t>(count) * m_Stride;
  if (HasLayoutOf(source)) {
    std::memcpy(At(first, 0), source.m_Data, bytes);
    ReencodeColors(first);
  } else {
    std::memset(At(first, 0), 0, bytes);
    AddComponents(source, first);
  }
}

// A block copy in the same format keeps what the component-wise Add would
// clear by decoding and encoding each colour.
void cVertexBuffer::ReencodeColors(uint32_t first) {
  if (m_Length == first) return;
  if (m_VertexFormat & kDiffuse)
    ClearUnownedBits(At(first, m_DiffuseOffset), m_Stride, m_Length - first, m_PixelFormat);
  if (m_VertexFormat & kSpecular)
    ClearUnownedBits(At(first, m_SpecularOffset), m_Stride, m_Length - first, m_PixelFormat);
}

void cVertexBuffer::AddComponents(const cVertexBuffer& source, uint32_t first) {
  const uint32_t common = m_VertexFormat & source.m_VertexFormat;
  const uint32_t setBytes =
      kTexCoordBytes * std::min(TextureSets(m_VertexFormat), TextureSets(source.m_VertexFormat));
  for (uint32_t k = 0; k < source.m_Length; ++k) {
    const uint32_t i = first + k;
    if (common & kPosition)
      std::memcpy(At(i, m_PosOffset), source.At(k, source.m_PosOffset), kVectorBytes);
    if (common & kNormal)
      std::memcpy(At(i, m_NormalOffset), source.At(k, source.m_NormalOffset), kVectorBytes);
    if (common & kDiffuse) SetDiffuse(i, source.GetDiffuse(k));
    if (common & kSpecular) SetSpecular(i, source.GetSpecular(k));
    std::memcpy(At(i, m_TextureOffset), source.At(k, source.m_TextureOffset), setBytes);
  }
}

void cVertexBuffer::Convert(const cPixelFormat& format) {
  if (format == m_PixelFormat || (m_VertexFormat & kColors) == 0) return;
  if (format.GetTotalBytes() != m_PixelFormat.GetTotalBytes()) {
    Relayout(format);
    return;
  }
  ConvertColorsInto(*this, format);
  m_PixelFormat = format;
}

void cVertexBuffer::ConvertColorsInto(cVertexBuffer& target, const cPixelFormat& format) const {
  if (m_Length == 0) return;
  if (m_VertexFormat & kDiffuse)
    cPixelFormat::ConvertPixels(m_PixelFormat, At(0, m_DiffuseOffset), m_Stride, format,
                                target.At(0, target.m_DiffuseOffset), target.m_Stride, m_Length);
  if (m_VertexFormat & kSpecular)
    cPixelFormat::ConvertPixels(m_PixelFormat, At(0, m_SpecularOffset), m_Stride, format,
                                target.At(0, target.m_SpecularOffset), target.m_Stride, m_Length);
}

void cVertexBuffer::Relayout(const cPixelFormat& format) {
  cVertexBuffer target(m_Length, m_VertexFormat, format);
  // Positions and normals lead, texture sets trail; only the colours between
  // them change width.
  const uint32_t leading = (m_VertexFormat & kDiffuse) ? m_DiffuseOffset : m_SpecularOffset;
  const uint32_t trailing = m_Stride - m_TextureOffset;
  if (leading + trailing > 0) {
    for (uint32_t i = 0; i < m_Length; ++i) {
      std::memcpy(target.At(i, 0), At(i, 0), leading);
      std::memcpy(target.At(i, target.m_TextureOffset), At(i, m_TextureOffset), trailing);
    }
  }
  ConvertColorsInto(target, format);
  Swap(target);
}

void cVertexBuffer::Swap(cVertexBuffer& other) noexcept {
  std::swap(m_Data, other.m_Data);
  std::swap(m_Length, other.m_Length);
  std::swap(m_VertexFormat, other.m_VertexFormat);
  std::swap(m_PixelFormat, other.m_PixelFormat);
  std::swap(m_Stride, other.m_Stride);
  std::swap(m_PosOffset, other.m_PosOffset);
  std::swap(m_NormalOffset, other.m_NormalOffset);
  std::swap(m_DiffuseOffset, other.m_DiffuseOffset);
  std::swap(m_SpecularOffset, other.m_SpecularOffset);
  std::swap(m_TextureOffset, other.m_TextureOffset);
}

void cVertexBuffer::Save(iOutStream& out) const {
  out.WriteUInt32(m_Length);
  out.WriteUInt16(static_cast<uint16_t>(m_PixelFormat.GetFormat()));
  out.WriteUInt32(m_VertexFormat);
  if (m_Data != nullptr) WriteBlock(out, m_Data, static_cast<size_t>(m_Length) * m_Stride);
}

void cVertexBuffer::Load(iInStream& in) {
  // Emptied at once, but the block is kept aside for a load of the same size.
  cSpareBlock spare(std::exchange(m_Data, nullptr), uint64_t{m_Length} * m_Stride);
  m_Length = 0;
  uint32_t count = 0, vertexFormat = 0;
  uint16_t format = 0;
  if (!in.ReadUInt32(count) || !in.ReadUInt16(format) || !in.ReadUInt32(vertexFormat))
    throw cException(kSource, __LINE__, "Vertex buffer stream ends inside its header");
  if (format > cPixelFormat::Invalid)
    throw cException(kSource, __LINE__,
                     cString::StringF("Vertex buffer stream names pixel format %u; the last is %d",
                                      unsigned{format}, int{cPixelFormat::Invalid}));
  // Build the loaded buffer aside: a failure leaves this one empty.
  cVertexBuffer loaded(0, vertexFormat, static_cast<cPixelFormat::EFormat>(format));
  const uint64_t bytes = static_cast<uint64_t>(count) * loaded.m_Stride;
  if (bytes > UINT32_MAX)
    throw cException(kSource, __LINE__,
                     cString::StringF("Vertex buffer stream claims %u vertices of %u bytes, "
                                      "more than 4 GiB",
                                      count, loaded.m_Stride));
  if (count > 0) {
    void* block = spare.Take(bytes);
    switch (ReadBlock(in, static_cast<uint32_t>(bytes), block)) {
      case EReadResult::kDone:
        break;
      case EReadResult::kShortStream:
        throw cException(kSource, __LINE__, "Vertex buffer stream ends before its last vertex");
      case EReadResult::kFirstAllocationFailed:
        ThrowOutOfMemory(false);
      case EReadResult::kResizeFailed:
        ThrowOutOfMemory(true);
    }
    loaded.m_Data = static_cast<uint8_t*>(block);
    loaded.m_Length = count;
  }
  Swap(loaded);
}

hVertexBuffer::~hVertexBuffer() = default;
