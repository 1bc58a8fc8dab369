#include "pixel_output.h"

#include <algorithm>
#include <cstring>

#include "pixel_codec.h"

namespace zunfert::detail {

namespace {

constexpr float kByte = 1.0f / 255.0f;

/// The target's pixels of a batch as colours, one array per channel.
struct cColors {
  float c[4][kBatch];  // red, green, blue, alpha
};

// Through int: SSE2 converts floats to signed integers only, and the value
// is at most 255.5.
inline uint32_t ToByte(float value) {
  return static_cast<uint32_t>(static_cast<int32_t>(value * 255.0f + 0.5f));
}

/// Where the run's first pixel is in the target.
uint8_t* RunRow(const cRasterTarget& target, const cRun& run) {
  return target.color + static_cast<size_t>(run.y) * target.pitch +
         static_cast<size_t>(run.x) * target.format.GetTotalBytes();
}

void LoadTarget(const cRasterTarget& target, const cBatch& batch, cColors& out) {
  const cPixelFormat::EFormat format = target.format.GetFormat();
  const uint32_t bytes = target.format.GetTotalBytes();
  for (int k = 0; k < batch.runs; ++k) {
    const cRun& run = batch.run[k];
    const uint8_t* row = RunRow(target, run);
    for (int j = 0; j < run.count; ++j) {
      uint32_t argb;
      if (format == cPixelFormat::ARGB8888)
        std::memcpy(&argb, row + 4 * j, 4);
      else
        argb = target.format.ConvertToARGB(LoadPixel(row + bytes * j, bytes));
      const int i = run.start + j;
      out.c[0][i] = static_cast<float>((argb >> 16) & 0xFF) * kByte;
      out.c[1][i] = static_cast<float>((argb >> 8) & 0xFF) * kByte;
      out.c[2][i] = static_cast<float>(argb & 0xFF) * kByte;
      out.c[3][i] = static_cast<float>(argb >> 24) * kByte;
    }
  }
}

/// Fills factor with a blend function's weights for each channel.
void BlendFactor(EBlend function, const cColors& source, const cColors& target, int n,
                 cColors& factor) {
  for (int c = 0; c < 4; ++c) {
    const float* s = source.c[c];
    const float* d = target.c[c];
    const float* sa = source.c[3];
    const float* da = target.c[3];
    float* f = factor.c[c];
    for (int i = 0; i < n; ++i) {
      switch (function) {
        case EBlend::Zero:
          f[i] = 0;
          break;
        case EBlend::SrcColor:
          f[i] = s[i];
          break;
        case EBlend::InvSrcColor:
          f[i] = 1 - s[i];
          break;
        case EBlend::SrcAlpha:
          f[i] = sa[i];
          break;
        case EBlend::InvSrcAlpha:
          f[i] = 1 - sa[i];
          break;
        case EBlend::DestAlpha:
          f[i] = da[i];
          break;
        case EBlend::InvDestAlpha:
          f[i] = 1 - da[i];
          break;
        case EBlend::DestColor:
          f[i] = d[i];
          break;
        case EBlend::InvDestColor:
          f[i] = 1 - d[i];
          break;
        case EBlend::SrcAlphaSat:
          f[i] = c == 3 ? 1 : std::min(sa[i], 1 - da[i]);
          break;
        default:
          f[i] = 1;
      }
    }
  }
}

void Blend(const cRenderState& state, const cColors& target, int n, cColors& source) {
  cColors sourceFactor, targetFactor;
  BlendFactor(state.sourceBlend, source, target, n, sourceFactor);
  BlendFactor(state.destinationBlend, source, target, n, targetFactor);
  for (int c = 0; c < 4; ++c)
    for (int i = 0; i < n; ++i)
      source.c[c][i] = std::min(
          source.c[c][i] * sourceFactor.c[c][i] + target.c[c][i] * targetFactor.c[c][i], 1.0f);
}

/// Stores red, green, blue and alpha (color[0] to [3]) where the batch's pixels passed.
void Store(const cRasterTarget& target, const cBatch& batch, const float* const color[4]) {
  uint32_t argb[kBatch];
  for (int i = 0; i < batch.count; ++i)
    argb[i] = ToByte(color[3][i]) << 24 | ToByte(color[0][i]) << 16 | ToByte(color[1][i]) << 8 |
              ToByte(color[2][i]);
  const auto written = [&batch](int i) { return batch.outcome[i] == kPassed && !batch.killed[i]; };
  switch (target.format.GetFormat()) {
    case cPixelFormat::ARGB8888: {
      auto* pixels = reinterpret_cast<uint32_t*>(target.color);
      for (int i = 0; i < batch.count; ++i) {
        uint32_t& pixel = pixels[batch.pixel[i]];
        pixel = written(i) ? argb[i] : pixel;
      }
      return;
    }
    case cPixelFormat::RGB565: {
      auto* pixels = reinterpret_cast<uint16_t*>(target.color);
      for (int i = 0; i < batch.count; ++i) {
        const uint32_t p = argb[i];
        const auto packed =
            static_cast<uint16_t>((p >> 8 & 0xF800) | (p >> 5 & 0x07E0) | (p >> 3 & 0x1F));
        uint16_t& pixel = pixels[batch.pixel[i]];
        pixel = written(i) ? packed : pixel;
      }
      return;
    }
    default:
      break;
  }
  const uint32_t bytes = target.format.GetTotalBytes();
  for (int k = 0; k < batch.runs; ++k) {
    const cRun& run = batch.run[k];
    uint8_t* row = RunRow(target, run);
    for (int i = 0; i < run.count; ++i)
      if (written(run.start + i))
        StorePixel(row + bytes * i, bytes, target.format.ConvertFromARGB(argb[run.start + i]));
  }
}

}  // namespace

void WriteColors(const cRenderState& state, const cRasterTarget& target, cBatch& batch) {
  const int n = batch.count;
  const bool masked =
      !(state.writeMask[0] && state.writeMask[1] && state.writeMask[2] && state.writeMask[3]);
  if (!state.blending && !masked) {
    const float* const color[4] = {batch.r, batch.g, batch.b, batch.a};
    return Store(target, batch, color);
  }
  cColors colors;
  std::memcpy(colors.c[0], batch.r, sizeof(float) * n);
  std::memcpy(colors.c[1], batch.g, sizeof(float) * n);
  std::memcpy(colors.c[2], batch.b, sizeof(float) * n);
  std::memcpy(colors.c[3], batch.a, sizeof(float) * n);
  cColors current{};  // only the first n are read; the zeroes calm the compiler
  LoadTarget(target, batch, current);
  if (state.blending) Blend(state, current, n, colors);
  for (int c = 0; c < 4; ++c)
    if (!state.writeMask[c]) std::memcpy(colors.c[c], current.c[c], sizeof(float) * n);
  const float* const color[4] = {colors.c[0], colors.c[1], colors.c[2], colors.c[3]};
  Store(target, batch, color);
}

void PixelFunctionBlend(cVideo3D::EPixelFunction function, EBlend& source, EBlend& destination) {
  using F = cVideo3D::EPixelFunction;
  switch (function) {
    case F::Mul:
      source = EBlend::DestColor, destination = EBlend::Zero;
      break;
    case F::Mul2X:
      source = EBlend::DestColor, destination = EBlend::SrcColor;
      break;
    case F::Add:
      source = EBlend::One, destination = EBlend::One;
      break;
    case F::AlphaBlend:
      source = EBlend::SrcAlpha, destination = EBlend::InvSrcAlpha;
      break;
    case F::AddAlphaBlend:
      source = EBlend::SrcAlpha, destination = EBlend::One;
      break;
    // Darkens the target by the inverse of the drawn colour.
    case F::Darken:
      source = EBlend::Zero, destination = EBlend::InvSrcColor;
      break;
    default:
      source = EBlend::One, destination = EBlend::Zero;
  }
}

}  // namespace zunfert::detail
