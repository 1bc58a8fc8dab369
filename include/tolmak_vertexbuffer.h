#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include <varnlib.h>

#include "tolmak_color.h"
#include "tolmak_export.h"
#include "tolmak_pixelformat.h"
#include "tolmak_vector.h"

/// Vertices in one contiguous, interleaved block that a video driver reads as
/// it is.
///
/// The vertex format chooses the components: bit 0 a position (cVector3),
/// bit 1 a normal (cVector3), bit 2 a diffuse and bit 3 a specular colour,
/// bits 4-7 the number of texture sets (cVector2 each); higher bits are kept
/// but ignored. Each present component starts where the previous one ends, in
/// that order, and the stride is their total. A colour slot is exactly
/// GetTotalBytes of the pixel format wide and holds the low bytes of the
/// pixel, least significant first. The block is exactly length x stride
/// bytes from malloc/realloc, or null when empty.
///
/// Accessors are plain address computations: neither the index nor the
/// presence of the component is checked. A 16- or 24-bit colour can leave the
/// floats after it off 4-byte boundaries; the setters copy bytes, while the
/// references that GetPos, GetNormal and GetTexture return then rely on the
/// processor reading unaligned floats.
///
/// Every allocation that fails throws cException("tolmak_vertexbuffer.cpp",
/// 194 for a first block or 201 for a resize, "Out of memory") and leaves the
/// buffer as it was (Load has emptied it first).
class TOLMAK_API cVertexBuffer : public cUnknown {
 public:
  /// The bits of the vertex format, to be or-ed together:
  /// Position | Normal | TextureSetBits(1) is a lit, textured vertex.
  enum EVertexFormat : uint32_t {
    Position = 1u << 0,
    Normal = 1u << 1,
    Diffuse = 1u << 2,
    Specular = 1u << 3,
  };
  /// The format bits for n texture sets (0 to 15).
  static constexpr uint32_t TextureSetBits(uint32_t n) { return (n & 0xFu) << 4; }

  /// Empty, positions only, ARGB8888.
  cVertexBuffer();
  /// count vertices whose bytes are not initialised.
  explicit cVertexBuffer(uint32_t count, uint32_t vertexFormat = 1,
                         const cPixelFormat& colorFormat = cPixelFormat::ARGB8888);
  cVertexBuffer(const cVertexBuffer& other);
  ~cVertexBuffer() override;
  /// Copy.
  cVertexBuffer& operator=(const cVertexBuffer& other);

  uint32_t GetLength() const { return m_Length; }
  /// True when the buffer holds no block.
  bool IsEmpty() const { return m_Data == nullptr; }
  void Clear() { SetLength(0); }
  /// Format of the diffuse and specular colours.
  const cPixelFormat& GetPixelFormat() const { return m_PixelFormat; }
  /// Bytes per vertex.
  uint32_t GetStride() const { return m_Stride; }
  /// The word given at construction or read by Load, all bits.
  uint32_t GetVertexFormat() const { return m_VertexFormat; }
  /// The block, null when empty.
  void* GetPtr() const { return m_Data; }
  const void* GetReadPtr() const { return m_Data; }

  const cVector3& GetPos(uint32_t i) const {
    return *reinterpret_cast<const cVector3*>(At(i, m_PosOffset));
  }
  const cVector3& GetNormal(uint32_t i) const {
    return *reinterpret_cast<const cVector3*>(At(i, m_NormalOffset));
  }
  const cVector2& GetTexture(uint32_t i, int set) const {
    return *reinterpret_cast<const cVector2*>(At(i, m_TextureOffset + 8 * set));
  }
  /// The slot's pixel decoded in the buffer's pixel format.
  cColor GetDiffuse(uint32_t i) const;
  cColor GetSpecular(uint32_t i) const;

  void SetPos(uint32_t i, const cVector3& v) { std::memcpy(At(i, m_PosOffset), &v, sizeof v); }
  void SetNormal(uint32_t i, const cVector3& v) {
    std::memcpy(At(i, m_NormalOffset), &v, sizeof v);
  }
  void SetTexture(uint32_t i, int set, const cVector2& v) {
    std::memcpy(At(i, m_TextureOffset + 8 * set), &v, sizeof v);
  }
  /// Stores the colour's GetColor for the buffer's pixel format; the bytes
  /// beside the slot are untouched.
  void SetDiffuse(uint32_t i, const cColor& color);
  void SetSpecular(uint32_t i, const cColor& color);

  /// Resizes the block to exactly count x stride bytes, keeping the vertices
  /// up to the smaller length; new bytes are not initialised. 0 frees the
  /// block. The current length does nothing, even after a layout change.
  void SetLength(uint32_t count);
  /// Takes over the source's layout, pixel format and vertices.
  void Copy(const cVertexBuffer& source);
  /// Appends the source's vertices, zeroed first, then filled with the
  /// components both buffers have: positions, normals, colours re-encoded
  /// from the source's pixel format, texture sets up to the smaller count.
  /// The buffer itself as source appends a copy of its own vertices.
  void Add(const cVertexBuffer& source);
  /// Converts every colour to the format; nothing happens without colours.
  /// A format of another byte width re-lays the buffer: new stride and
  /// offsets, every vertex moved.
  void Convert(const cPixelFormat& format);
  /// Vertex count (4 bytes), pixel format (2), vertex format (4), then the
  /// block as it is in memory; all little-endian.
  void Save(iOutStream& out) const;
  /// Reads what Save writes. A truncated stream, a pixel format of 18 or
  /// more, or a vertex count whose block would pass 4 GiB or the end of the
  /// stream throws cException and leaves the buffer empty.
  void Load(iInStream& in);

 private:
  uint8_t* At(uint32_t i, size_t offset) const {
    return m_Data + static_cast<size_t>(m_Stride) * i + offset;
  }
  /// Takes the formats and places the components by the layout rule.
  void SetLayout(uint32_t vertexFormat, const cPixelFormat& colorFormat);
  /// Same components at the same offsets, colours in the same format.
  bool HasLayoutOf(const cVertexBuffer& other) const;
  /// A colour slot's pixel value, and back.
  uint32_t ReadSlot(uint32_t i, uint32_t offset) const;
  void WriteSlot(uint32_t i, uint32_t offset, uint32_t pixel);
  /// Lengthens by more vertices; a total beyond 32 bits is out of memory.
  void Grow(uint32_t more);
  void AddComponents(const cVertexBuffer& source, uint32_t first);
  void ReencodeColors(uint32_t first);
  /// Writes every colour, converted to format, into the slots of target.
  void ConvertColorsInto(cVertexBuffer& target, const cPixelFormat& format) const;
  /// Convert to a format of another width: a new block in the new layout.
  void Relayout(const cPixelFormat& format);
  void Swap(cVertexBuffer& other) noexcept;

  uint8_t* m_Data = nullptr;
  uint32_t m_Length = 0;
  uint32_t m_VertexFormat = 0;
  cPixelFormat m_PixelFormat;
  uint32_t m_Stride = 0;
  uint32_t m_PosOffset = 0;
  uint32_t m_NormalOffset = 0;
  uint32_t m_DiffuseOffset = 0;
  uint32_t m_SpecularOffset = 0;
  uint32_t m_TextureOffset = 0;
};

/// The handle from which video drivers derive their hardware vertex buffers;
/// it holds nothing.
class TOLMAK_API hVertexBuffer {
 public:
  hVertexBuffer() = default;
  hVertexBuffer(const hVertexBuffer&) = default;
  hVertexBuffer& operator=(const hVertexBuffer&) = default;
  virtual ~hVertexBuffer();
};
