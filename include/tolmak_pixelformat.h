#pragma once

#include <cstddef>
#include <cstdint>

#include <varnlib.h>

#include "tolmak_export.h"

/// One of seventeen fixed memory layouts of a pixel, or Invalid.
///
/// Layout: a single 32-bit integer, the EFormat value; copying copies it.
/// Every question about the layout is answered from the static tables below,
/// which have one row per EFormat value, Invalid included.
class TOLMAK_API cPixelFormat {
 public:
  /// The numbers are fixed: they index the tables and are written to streams.
  enum EFormat : int32_t {
    Indexed = 0,
    Alpha = 1,
    IndexAlpha = 2,
    ARGB8888 = 3,
    ABGR8888 = 4,
    ARGB5551 = 5,
    ABGR5551 = 6,
    ARGB4444 = 7,
    ABGR4444 = 8,
    RGB888X = 9,
    BGR888X = 10,
    RGB888 = 11,
    BGR888 = 12,
    RGB565 = 13,
    BGR565 = 14,
    RGB555 = 15,
    BGR555 = 16,
    Invalid = 17
  };
  /// Channel order from the most significant bits down; Unordered for the
  /// formats without colour channels (Indexed, Alpha, IndexAlpha, Invalid).
  enum EOrder : int32_t { Unordered = 0, RGB = 1, BGR = 2, ARGB = 3, ABGR = 4 };

  /// "ARGB 8888 (32-bit)", ...
  static const char* const m_Names[Invalid + 1];
  /// "ARGB 8888", ...
  static const char* const m_ShortNames[Invalid + 1];
  static const EOrder m_Orders[Invalid + 1];
  /// Per row: red, green, blue, alpha and total bits, then red, green, blue,
  /// alpha and total masks. Indexed and IndexAlpha declare 8 bits per colour
  /// channel but have zero masks: their pixels are palette indices.
  static const uint32_t m_BitsnMasks[Invalid + 1][10];
  /// Entry [b][a] is -1, 0 or 1 as a ranks below, level with or above b.
  /// Ranking from the top: the six formats with alpha, then RGB888X,
  /// BGR888X, RGB888, BGR888, then RGB565, BGR565, RGB555, BGR555,
  /// IndexAlpha, Alpha, Indexed, Invalid. Indexed ranks below Alpha. Each
  /// 24-bit format is level with each 32-bit one, so "level" is not
  /// transitive within that group.
  static const int32_t m_CmpTable[Invalid + 1][Invalid + 1];

  /// Invalid.
  cPixelFormat() : m_Format(Invalid) {}
  cPixelFormat(const cPixelFormat&) = default;
  /// A number outside Indexed..Invalid cast to EFormat gives Invalid, here
  /// and wherever a format is taken as EFormat.
  cPixelFormat(const EFormat& format)
      : m_Format(Checked(format)) {}  // NOLINT: formats convert freely
  /// 8 gives Indexed, 16 RGB565, 24 RGB888, 32 RGB888X, anything else Invalid.
  explicit cPixelFormat(uint32_t bitDepth);
  /// The lowest row whose four masks all equal these, or Invalid: all zero
  /// gives Indexed, the 24-bit masks give the 32-bit format of that order.
  cPixelFormat(uint32_t redMask, uint32_t greenMask, uint32_t blueMask, uint32_t alphaMask);

  cPixelFormat& operator=(const cPixelFormat&) = default;
  cPixelFormat& operator=(const EFormat& format) {
    m_Format = Checked(format);
    return *this;
  }

  EFormat GetFormat() const { return m_Format; }
  EOrder GetOrder() const { return m_Orders[m_Format]; }
  cString GetName() const { return cString(m_Names[m_Format]); }
  cString GetShortName() const { return cString(m_ShortNames[m_Format]); }

  uint32_t GetRedBits() const { return m_BitsnMasks[m_Format][0]; }
  uint32_t GetGreenBits() const { return m_BitsnMasks[m_Format][1]; }
  uint32_t GetBlueBits() const { return m_BitsnMasks[m_Format][2]; }
  uint32_t GetAlphaBits() const { return m_BitsnMasks[m_Format][3]; }
  uint32_t GetTotalBits() const { return m_BitsnMasks[m_Format][4]; }
  uint32_t GetRedMask() const { return m_BitsnMasks[m_Format][5]; }
  uint32_t GetGreenMask() const { return m_BitsnMasks[m_Format][6]; }
  uint32_t GetBlueMask() const { return m_BitsnMasks[m_Format][7]; }
  uint32_t GetAlphaMask() const { return m_BitsnMasks[m_Format][8]; }
  uint32_t GetTotalMask() const { return m_BitsnMasks[m_Format][9]; }
  /// 1 to 4; 0 for Invalid.
  uint32_t GetTotalBytes() const { return (GetTotalBits() + 7) / 8; }

  /// Equality compares the formats themselves: RGB888X != RGB888 although
  /// the two rank level, so both <= and >= hold between them.
  bool operator==(const cPixelFormat& f) const { return m_Format == f.m_Format; }
  bool operator!=(const cPixelFormat& f) const { return m_Format != f.m_Format; }
  /// The ordering operators rank by m_CmpTable.
  bool operator<(const cPixelFormat& f) const { return Rank(f.m_Format) < 0; }
  bool operator>(const cPixelFormat& f) const { return Rank(f.m_Format) > 0; }
  bool operator<=(const cPixelFormat& f) const { return Rank(f.m_Format) <= 0; }
  bool operator>=(const cPixelFormat& f) const { return Rank(f.m_Format) >= 0; }
  bool operator==(const EFormat& f) const { return m_Format == f; }
  bool operator!=(const EFormat& f) const { return m_Format != f; }
  bool operator<(const EFormat& f) const { return Rank(f) < 0; }
  bool operator>(const EFormat& f) const { return Rank(f) > 0; }
  bool operator<=(const EFormat& f) const { return Rank(f) <= 0; }
  bool operator>=(const EFormat& f) const { return Rank(f) >= 0; }

  /// A pixel of this format, in the low bits, from packed ARGB. Each channel
  /// keeps the top bits of its byte (truncation, no rounding); a 1-bit alpha
  /// is set from 128 up. RGB888X fills its unused top byte with FF, BGR888X
  /// with 0. Indexed, IndexAlpha and Invalid give 0.
  ///
  /// Both conversions move each channel by the shifts and mask of a table
  /// row, without a branch, so that a loop over pixels of one format inlines
  /// them into straight code the compiler can turn into vector instructions.
  /// For runs of pixels, ConvertPixels is faster still; the tests hold the
  /// two together.
  uint32_t ConvertFromARGB(uint32_t argb) const { return Move(m_FromARGB[m_Format], argb); }
  /// Packed ARGB from a pixel of this format. Each field moves to the top of
  /// its byte with zero low bits (31 of 5 bits gives F8, a set 1-bit alpha
  /// 80); formats without alpha give alpha FF; unused bits are ignored.
  /// Indexed, IndexAlpha and Invalid give 0.
  uint32_t ConvertToARGB(uint32_t pixel) const { return Move(m_ToARGB[m_Format], pixel); }

  /// Converts a run of count pixels from one format to another, each pixel
  /// exactly as to.ConvertFromARGB(from.ConvertToARGB(p)) would. A pixel
  /// takes GetTotalBytes() bytes, in little-endian order (a format of 0
  /// bytes reads as 0 and writes nothing). Pixels lie sourceStride and
  /// targetStride bytes apart: their width for packed images, the vertex
  /// size for the colours of a vertex buffer. The runs must not overlap,
  /// unless a run is converted in place (same address, stride and width).
  ///
  /// The conversion is chosen once for the whole run. Every pair with
  /// ARGB8888 on one side has a loop of its own, which converts several
  /// pixels per vector instruction; other pairs go through ARGB in blocks.
  static void ConvertPixels(const cPixelFormat& from, const void* source, size_t sourceStride,
                            const cPixelFormat& to, void* target, size_t targetStride,
                            size_t count);
  /// The same for packed runs, each pixel its format's width from the next.
  static void ConvertPixels(const cPixelFormat& from, const void* source, const cPixelFormat& to,
                            void* target, size_t count) {
    ConvertPixels(from, source, from.GetTotalBytes(), to, target, to.GetTotalBytes(), count);
  }

  /// How close the offered format other comes to this one; higher is closer.
  /// Same depth and same order score best; missing alpha costs four per bit,
  /// and a depth ratio of 2 or more divides the score by (ratio - 1).
  float Score(const cPixelFormat& other) const;

 private:
  /// Channel c of a conversion is ((x >> m_Right[c]) << m_Left[c]) &
  /// m_Mask[c]; the bits of m_Set are set in every result.
  struct tChannelMoves {
    uint8_t m_Right[4], m_Left[4];
    uint32_t m_Mask[4], m_Set;
  };
  static const tChannelMoves m_FromARGB[Invalid + 1];
  static const tChannelMoves m_ToARGB[Invalid + 1];
  static uint32_t Move(const tChannelMoves& m, uint32_t x) {
    return ((x >> m.m_Right[0]) << m.m_Left[0] & m.m_Mask[0]) |
           ((x >> m.m_Right[1]) << m.m_Left[1] & m.m_Mask[1]) |
           ((x >> m.m_Right[2]) << m.m_Left[2] & m.m_Mask[2]) |
           ((x >> m.m_Right[3]) << m.m_Left[3] & m.m_Mask[3]) | m.m_Set;
  }

  static EFormat Checked(EFormat format) {
    return static_cast<uint32_t>(format) <= static_cast<uint32_t>(Invalid) ? format : Invalid;
  }
  int32_t Rank(EFormat right) const { return m_CmpTable[Checked(right)][m_Format]; }

  EFormat m_Format;
};

static_assert(sizeof(cPixelFormat) == 4);
