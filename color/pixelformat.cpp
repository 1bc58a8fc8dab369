#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>
#include <type_traits>

#include "pixel_runs.h"
#include "tolmak_pixelformat.h"

// Every fact about a format, one row each, in EFormat order: name, short
// name, order, bits (red, green, blue, alpha, total), masks (red, green,
// blue, alpha, total). The public tables and the conversions are all built
// from these rows.
#define TOLMAK_PIXEL_FORMATS(X)                                                                    \
  X(Indexed, "Indexed (8-bit)", "Indexed", Unordered, 8, 8, 8, 0, 8, 0, 0, 0, 0, 0)                \
  X(Alpha, "Alpha (8-bit)", "Alpha", Unordered, 0, 0, 0, 8, 8, 0, 0, 0, 0xFF, 0xFF)                \
  X(IndexAlpha, "IndexAlpha (16-bit)", "IndexAlpha", Unordered, 8, 8, 8, 8, 16, 0, 0, 0, 0, 0)     \
  X(ARGB8888, "ARGB 8888 (32-bit)", "ARGB 8888", ARGB, 8, 8, 8, 8, 32, 0x00FF0000, 0x0000FF00,     \
    0x000000FF, 0xFF000000, 0xFFFFFFFF)                                                            \
  X(ABGR8888, "ABGR 8888 (32-bit)", "ABGR 8888", ABGR, 8, 8, 8, 8, 32, 0x000000FF, 0x0000FF00,     \
    0x00FF0000, 0xFF000000, 0xFFFFFFFF)                                                            \
  X(ARGB5551, "ARGB 5551 (16-bit)", "ARGB 5551", ARGB, 5, 5, 5, 1, 16, 0x7C00, 0x03E0, 0x001F,     \
    0x8000, 0xFFFF)                                                                                \
  X(ABGR5551, "ABGR 5551 (16-bit)", "ABGR 5551", ABGR, 5, 5, 5, 1, 16, 0x001F, 0x03E0, 0x7C00,     \
    0x8000, 0xFFFF)                                                                                \
  X(ARGB4444, "ARGB 4444 (16-bit)", "ARGB 4444", ARGB, 4, 4, 4, 4, 16, 0x0F00, 0x00F0, 0x000F,     \
    0xF000, 0xFFFF)                                                                                \
  X(ABGR4444, "ABGR 4444 (16-bit)", "ABGR 4444", ABGR, 4, 4, 4, 4, 16, 0x000F, 0x00F0, 0x0F00,     \
    0xF000, 0xFFFF)                                                                                \
  X(RGB888X, "RGB 888 (32-bit)", "RGB 888X", RGB, 8, 8, 8, 0, 32, 0x00FF0000, 0x0000FF00,          \
    0x000000FF, 0, 0xFFFFFFFF)                                                                     \
  X(BGR888X, "BGR 888 (32-bit)", "BGR 888X", BGR, 8, 8, 8, 0, 32, 0x000000FF, 0x0000FF00,          \
    0x00FF0000, 0, 0xFFFFFFFF)                                                                     \
  X(RGB888, "RGB 888 (24-bit)", "RGB 888", RGB, 8, 8, 8, 0, 24, 0x00FF0000, 0x0000FF00,            \
    0x000000FF, 0, 0x00FFFFFF)                                                                     \
  X(BGR888, "BGR 888 (24-bit)", "BGR 888", BGR, 8, 8, 8, 0, 24, 0x000000FF, 0x0000FF00,            \
    0x00FF0000, 0, 0x00FFFFFF)                                                                     \
  X(RGB565, "RGB 565 (16-bit)", "RGB 565", RGB, 5, 6, 5, 0, 16, 0xF800, 0x07E0, 0x001F, 0, 0xFFFF) \
  X(BGR565, "BGR 565 (16-bit)", "BGR 565", BGR, 5, 6, 5, 0, 16, 0x001F, 0x07E0, 0xF800, 0, 0xFFFF) \
  X(RGB555, "RGB 555 (16-bit)", "RGB 555", RGB, 5, 5, 5, 0, 16, 0x7C00, 0x03E0, 0x001F, 0, 0xFFFF) \
  X(BGR555, "BGR 555 (16-bit)", "BGR 555", BGR, 5, 5, 5, 0, 16, 0x001F, 0x03E0, 0x7C00, 0, 0xFFFF) \
  X(Invalid, "Invalid", "Invalid", Unordered, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)

#define TOLMAK_FORMAT_ID(format, name, shortName, order, ...) cPixelFormat::format,
#define TOLMAK_FORMAT_NAME(format, name, shortName, order, ...) name,
#define TOLMAK_FORMAT_SHORT_NAME(format, name, shortName, order, ...) shortName,
#define TOLMAK_FORMAT_ORDER(format, name, shortName, order, ...) cPixelFormat::order,
#define TOLMAK_FORMAT_BITS_N_MASKS(format, name, shortName, order, ...) {__VA_ARGS__},

const char* const cPixelFormat::m_Names[Invalid + 1] = {TOLMAK_PIXEL_FORMATS(TOLMAK_FORMAT_NAME)};
const char* const cPixelFormat::m_ShortNames[Invalid + 1] = {
    TOLMAK_PIXEL_FORMATS(TOLMAK_FORMAT_SHORT_NAME)};
const cPixelFormat::EOrder cPixelFormat::m_Orders[Invalid + 1] = {
    TOLMAK_PIXEL_FORMATS(TOLMAK_FORMAT_ORDER)};
const uint32_t cPixelFormat::m_BitsnMasks[Invalid + 1][10] = {
    TOLMAK_PIXEL_FORMATS(TOLMAK_FORMAT_BITS_N_MASKS)};

// Row: right operand, column: left operand.
const int32_t cPixelFormat::m_CmpTable[Invalid + 1][Invalid + 1] = {
    {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, -1},
    {-1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, -1},
    {-1, -1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, -1},
    {-1, -1, -1, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1},
    {-1, -1, -1, 1, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1},
    {-1, -1, -1, 1, 1, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1},
    {-1, -1, -1, 1, 1, 1, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1},
    {-1, -1, -1, 1, 1, 1, 1, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1},
    {-1, -1, -1, 1, 1, 1, 1, 1, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1},
    {-1, -1, -1, 1, 1, 1, 1, 1, 1, 0, -1, 0, 0, -1, -1, -1, -1, -1},
    {-1, -1, -1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, -1, -1, -1, -1, -1},
    {-1, -1, -1, 1, 1, 1, 1, 1, 1, 0, 0, 0, -1, -1, -1, -1, -1, -1},
    {-1, -1, -1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 0, -1, -1, -1, -1, -1},
    {-1, -1, -1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, -1, -1, -1, -1},
    {-1, -1, -1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, -1, -1, -1},
    {-1, -1, -1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, -1, -1},
    {-1, -1, -1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, -1},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0}};

namespace tolmak::detail {
namespace {

using F = cPixelFormat;

// The same rows again, readable at compile time, so that each conversion is
// generated from them as constant shifts and masks.
constexpr F::EFormat kRowFormat[] = {TOLMAK_PIXEL_FORMATS(TOLMAK_FORMAT_ID)};
constexpr uint32_t kBitsnMasks[][10] = {TOLMAK_PIXEL_FORMATS(TOLMAK_FORMAT_BITS_N_MASKS)};

constexpr bool RowsFollowTheEnumeration() {
  for (int i = 0; i <= F::Invalid; ++i)
    if (kRowFormat[i] != i) return false;
  return std::size(kRowFormat) == F::Invalid + 1;
}
static_assert(RowsFollowTheEnumeration());

// Channels in row order, and where each sits in packed ARGB.
enum EChannel { kRed, kGreen, kBlue, kAlpha };
constexpr int kMaskColumn = 5;
constexpr int kTotalMaskColumn = 9;
constexpr int kARGBShift[4] = {16, 8, 0, 24};

// A channel's field: one run of set bits, as wide as its bit count.
template <F::EFormat format, EChannel channel>
struct Field {
  static constexpr uint32_t mask = kBitsnMasks[format][kMaskColumn + channel];
  static constexpr int bits = static_cast<int>(kBitsnMasks[format][channel]);
  static constexpr int shift = std::countr_zero(mask);
  // Distance between the top of the ARGB byte and the top of the field's bits.
  static constexpr int byteShift = kARGBShift[channel] + 8 - bits;
  static_assert(mask == 0 ||
                (std::popcount(mask) == bits && bits <= 8 && (mask >> shift) == (1u << bits) - 1));
};

template <F::EFormat format, EChannel channel>
constexpr uint32_t Pack(uint32_t argb) {
  using f = Field<format, channel>;
  if constexpr (f::mask == 0) {
    return 0;
  } else {
    return ((argb >> f::byteShift) << f::shift) & f::mask;
  }
}

template <F::EFormat format, EChannel channel>
constexpr uint32_t Expand(uint32_t pixel) {
  using f = Field<format, channel>;
  if constexpr (f::mask == 0) {
    return channel == kAlpha ? 0xFF000000u : 0u;  // no alpha means opaque
  } else {
    return ((pixel & f::mask) >> f::shift) << f::byteShift;
  }
}

template <F::EFormat format>
constexpr uint32_t FromARGB(uint32_t argb) {
  if constexpr (kBitsnMasks[format][kTotalMaskColumn] == 0) {
    return 0;  // palette indices and Invalid carry no colour
  } else {
    const uint32_t pixel = Pack<format, kAlpha>(argb) | Pack<format, kRed>(argb) |
                           Pack<format, kGreen>(argb) | Pack<format, kBlue>(argb);
    // The unused byte: FF for RGB888X, but 0 for BGR888X.
    return format == F::RGB888X ? pixel | 0xFF000000u : pixel;
  }
}

template <F::EFormat format>
constexpr uint32_t ToARGB(uint32_t pixel) {
  if constexpr (kBitsnMasks[format][kTotalMaskColumn] == 0) {
    return 0;
  } else {
    return Expand<format, kAlpha>(pixel) | Expand<format, kRed>(pixel) |
           Expand<format, kGreen>(pixel) | Expand<format, kBlue>(pixel);
  }
}

template <F::EFormat format>
using tFormat = std::integral_constant<F::EFormat, format>;

// Calls fn with the format as a compile-time constant, so that each
// conversion is selected once and inlined as straight-line code.
template <class Fn>
auto WithFormat(F::EFormat format, Fn fn) {
  switch (format) {
    case F::Indexed:
      return fn(tFormat<F::Indexed>());
    case F::Alpha:
      return fn(tFormat<F::Alpha>());
    case F::IndexAlpha:
      return fn(tFormat<F::IndexAlpha>());
    case F::ARGB8888:
      return fn(tFormat<F::ARGB8888>());
    case F::ABGR8888:
      return fn(tFormat<F::ABGR8888>());
    case F::ARGB5551:
      return fn(tFormat<F::ARGB5551>());
    case F::ABGR5551:
      return fn(tFormat<F::ABGR5551>());
    case F::ARGB4444:
      return fn(tFormat<F::ARGB4444>());
    case F::ABGR4444:
      return fn(tFormat<F::ABGR4444>());
    case F::RGB888X:
      return fn(tFormat<F::RGB888X>());
    case F::BGR888X:
      return fn(tFormat<F::BGR888X>());
    case F::RGB888:
      return fn(tFormat<F::RGB888>());
    case F::BGR888:
      return fn(tFormat<F::BGR888>());
    case F::RGB565:
      return fn(tFormat<F::RGB565>());
    case F::BGR565:
      return fn(tFormat<F::BGR565>());
    case F::RGB555:
      return fn(tFormat<F::RGB555>());
    case F::BGR555:
      return fn(tFormat<F::BGR555>());
    default:
      return fn(tFormat<F::Invalid>());
  }
}

// The shifts and masks of the per-pixel conversions, from the same rows.
// They move each field exactly as Pack and Expand do.
template <class tMoves>
constexpr tMoves ChannelMoves(int format, bool fromARGB) {
  tMoves moves{};
  if (kBitsnMasks[format][kTotalMaskColumn] == 0) return moves;  // no colour: all zero
  for (int c = kRed; c <= kAlpha; ++c) {
    const uint32_t mask = kBitsnMasks[format][kMaskColumn + c];
    if (mask == 0) continue;
    const int shift = std::countr_zero(mask);
    const int byteShift = kARGBShift[c] + 8 - static_cast<int>(kBitsnMasks[format][c]);
    const int from = fromARGB ? byteShift : shift, to = fromARGB ? shift : byteShift;
    moves.m_Right[c] = static_cast<uint8_t>(from > to ? from - to : 0);
    moves.m_Left[c] = static_cast<uint8_t>(to > from ? to - from : 0);
    moves.m_Mask[c] = fromARGB ? mask : (mask >> shift) << byteShift;
  }
  if (fromARGB ? format == F::RGB888X : kBitsnMasks[format][kMaskColumn + kAlpha] == 0)
    moves.m_Set = 0xFF000000u;
  return moves;
}

}  // namespace
}  // namespace tolmak::detail

#define TOLMAK_FORMAT_FROM_ARGB(format, ...) \
  tolmak::detail::ChannelMoves<tChannelMoves>(format, true),
#define TOLMAK_FORMAT_TO_ARGB(format, ...) \
  tolmak::detail::ChannelMoves<tChannelMoves>(format, false),

constinit const cPixelFormat::tChannelMoves cPixelFormat::m_FromARGB[Invalid + 1] = {
    TOLMAK_PIXEL_FORMATS(TOLMAK_FORMAT_FROM_ARGB)};
constinit const cPixelFormat::tChannelMoves cPixelFormat::m_ToARGB[Invalid + 1] = {
    TOLMAK_PIXEL_FORMATS(TOLMAK_FORMAT_TO_ARGB)};

cPixelFormat::cPixelFormat(uint32_t bitDepth)
    : m_Format(bitDepth == 8    ? Indexed
               : bitDepth == 16 ? RGB565
               : bitDepth == 24 ? RGB888
               : bitDepth == 32 ? RGB888X
                                : Invalid) {}

cPixelFormat::cPixelFormat(uint32_t redMask, uint32_t greenMask, uint32_t blueMask,
                           uint32_t alphaMask)
    : m_Format(Invalid) {
  for (int i = 0; i <= Invalid; ++i) {
    const uint32_t* masks = m_BitsnMasks[i] + tolmak::detail::kMaskColumn;
    if (masks[0] == redMask && masks[1] == greenMask && masks[2] == blueMask &&
        masks[3] == alphaMask) {
      m_Format = static_cast<EFormat>(i);
      return;
    }
  }
}

namespace tolmak::detail {
namespace {

// A pixel of kBytes bytes, little-endian, as the tables lay it out. Whole
// words where the width has one, which the vectoriser follows.
template <size_t kBytes>
uint32_t LoadPixel(const uint8_t* at) {
  if constexpr (kBytes == 1 || kBytes == 2 || kBytes == 4) {
    std::conditional_t<kBytes == 1, uint8_t, std::conditional_t<kBytes == 2, uint16_t, uint32_t>>
        word;
    std::memcpy(&word, at, kBytes);
    return word;
  } else {
    uint32_t pixel = 0;
    std::memcpy(&pixel, at, kBytes);
    return pixel;
  }
}

template <size_t kBytes>
void StorePixel(uint8_t* at, uint32_t pixel) {
  if constexpr (kBytes == 1 || kBytes == 2) {
    const std::conditional_t<kBytes == 1, uint8_t, uint16_t> word = pixel;
    std::memcpy(at, &word, kBytes);
  } else {
    std::memcpy(at, &pixel, kBytes);
  }
}

// A packed 24-bit pixel followed by another is read and written as four
// bytes: the fourth is the next pixel's, read before it is written and
// written again with it.
template <size_t kBytes, bool kNextFollows>
uint32_t LoadPacked(const uint8_t* at) {
  if constexpr (kBytes == 3 && kNextFollows) return LoadPixel<4>(at) & 0x00FFFFFFu;
  return LoadPixel<kBytes>(at);
}

template <size_t kBytes, bool kNextFollows>
void StorePacked(uint8_t* at, uint32_t pixel) {
  if constexpr (kBytes == 3 && kNextFollows) return StorePixel<4>(at, pixel);
  StorePixel<kBytes>(at, pixel);
}

// Blocks of a length the compiler knows let it convert several pixels per
// instruction: gathered into a block, converted, scattered.
constexpr size_t kBlock = 16;

// Packed pixels, one run after another.
template <size_t kIn, size_t kOut, class Convert>
void ConvertPacked(const uint8_t* source, uint8_t* target, size_t count, Convert convert) {
  uint32_t block[kBlock];
  size_t done = 0;
  for (; count - done > kBlock; done += kBlock) {  // a pixel follows every block
    const uint8_t* from = source + kIn * done;
    uint8_t* to = target + kOut * done;
    for (size_t k = 0; k < kBlock; ++k) block[k] = convert(LoadPacked<kIn, true>(from + kIn * k));
    for (size_t k = 0; k < kBlock; ++k) StorePacked<kOut, true>(to + kOut * k, block[k]);
  }
  const size_t n = count - done;
  for (size_t k = 0; k < n; ++k) block[k] = convert(LoadPixel<kIn>(source + kIn * (done + k)));
  for (size_t k = 0; k < n; ++k) StorePixel<kOut>(target + kOut * (done + k), block[k]);
}

// Pixels spaced by strides, such as the colours of vertices.
template <size_t kIn, size_t kOut, class Convert>
void ConvertSpaced(const uint8_t* source, size_t sourceStride, uint8_t* target, size_t targetStride,
                   size_t count, Convert convert) {
  uint32_t block[kBlock];
  for (size_t done = 0; done < count; done += kBlock) {
    const size_t n = std::min(kBlock, count - done);
    const uint8_t* from = source + sourceStride * done;
    uint8_t* to = target + targetStride * done;
    for (size_t k = 0; k < n; ++k) block[k] = convert(LoadPixel<kIn>(from + sourceStride * k));
    for (size_t k = 0; k < n; ++k) StorePixel<kOut>(to + targetStride * k, block[k]);
  }
}

template <size_t kIn, size_t kOut, class Convert>
void ConvertBlocks(const uint8_t* source, size_t sourceStride, uint8_t* target, size_t targetStride,
                   size_t count, Convert convert) {
  if (sourceStride == kIn && targetStride == kOut)
    ConvertPacked<kIn, kOut>(source, target, count, convert);
  else
    ConvertSpaced<kIn, kOut>(source, sourceStride, target, targetStride, count, convert);
}

// One loop per pair, both conversions inlined into it, after the pair's
// vector loop where it has one.
template <F::EFormat kFrom, F::EFormat kTo>
void ConvertPair(const uint8_t* source, size_t sourceStride, uint8_t* target, size_t targetStride,
                 size_t count) {
  constexpr size_t in = kBitsnMasks[kFrom][4] / 8, out = kBitsnMasks[kTo][4] / 8;
  constexpr auto convert = [](uint32_t pixel) { return FromARGB<kTo>(ToARGB<kFrom>(pixel)); };
  if (sourceStride == in && targetStride == out) {
    const size_t done = ConvertVectorRun<kFrom, kTo>(source, target, count);
    source += in * done;
    target += out * done;
    count -= done;
  }
  ConvertBlocks<in, out>(source, sourceStride, target, targetStride, count, convert);
}

// Any other pair goes through ARGB a block at a time, each half chosen once.
void ConvertThroughARGB(F::EFormat from, const uint8_t* source, size_t sourceStride, F::EFormat to,
                        uint8_t* target, size_t targetStride, size_t count) {
  uint32_t argb[kBlock * 16];
  constexpr size_t kRun = std::size(argb);
  for (size_t done = 0; done < count; done += kRun) {
    const size_t n = std::min(kRun, count - done);
    auto* run = reinterpret_cast<uint8_t*>(argb);
    WithFormat(from, [&](auto f) {
      ConvertPair<f.value, F::ARGB8888>(source + sourceStride * done, sourceStride, run, 4, n);
    });
    WithFormat(to, [&](auto t) {
      ConvertPair<F::ARGB8888, t.value>(run, 4, target + targetStride * done, targetStride, n);
    });
  }
}

}  // namespace
}  // namespace tolmak::detail

void cPixelFormat::ConvertPixels(const cPixelFormat& from, const void* source, size_t sourceStride,
                                 const cPixelFormat& to, void* target, size_t targetStride,
                                 size_t count) {
  using namespace tolmak::detail;
  const auto* in = static_cast<const uint8_t*>(source);
  auto* out = static_cast<uint8_t*>(target);
  if (from == ARGB8888) {
    WithFormat(to.GetFormat(), [&](auto t) {
      ConvertPair<ARGB8888, t.value>(in, sourceStride, out, targetStride, count);
    });
  } else if (to == ARGB8888) {
    WithFormat(from.GetFormat(), [&](auto f) {
      ConvertPair<f.value, ARGB8888>(in, sourceStride, out, targetStride, count);
    });
  } else {
    ConvertThroughARGB(from.GetFormat(), in, sourceStride, to.GetFormat(), out, targetStride,
                       count);
  }
}

float cPixelFormat::Score(const cPixelFormat& other) const {
  const uint32_t total = GetTotalBits(), otherTotal = other.GetTotalBits();
  double score = total == otherTotal ? 99.0 : 96.0;
  if (GetOrder() == other.GetOrder()) score += 1.0;
  if (other.GetRedBits() == other.GetGreenBits() && other.GetGreenBits() == other.GetBlueBits())
    score += 2.0;
  auto distance = [](uint32_t a, uint32_t b) { return a > b ? a - b : b - a; };
  score -= distance(other.GetRedBits(), GetRedBits());
  score -= distance(other.GetGreenBits(), GetGreenBits());
  score -= distance(other.GetBlueBits(), GetBlueBits());
  // Missing alpha costs dearly; surplus alpha costs nothing.
  if (other.GetAlphaBits() < GetAlphaBits()) score -= 4.0 * (GetAlphaBits() - other.GetAlphaBits());

  const double hi = std::max(total, otherTotal), lo = std::min(total, otherTotal);
  // Against Invalid (0 bits) the ratio is infinite and the score vanishes;
  // Invalid against itself is 0/0, which is not a ratio of 2 or more.
  if (lo == 0.0) return hi == 0.0 ? static_cast<float>(score) : 0.0f;
  const double ratio = hi / lo;
  if (ratio >= 2.0) score /= ratio - 1.0;
  return static_cast<float>(score);
}
