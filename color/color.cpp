#include <algorithm>
#include <bit>
#include <cmath>

#include "tolmak_color.h"

namespace tolmak::detail {
namespace {

// 1/255 and 1/60 as single-precision constants: byte 255 scales to exactly 1.
constexpr double kInv255 = std::bit_cast<float>(0x3B808081u);
constexpr double kInv60 = 0.016666668f;

float Clamp(double x) {
  if (x > 1.0) return 1.0f;
  return x >= 0.0 ? static_cast<float>(x) : 0.0f;  // NaN fails the test too
}

uint32_t ToByte(float channel) {
  return static_cast<uint32_t>(channel * 255.0 + 0.5);
}

float FromByte(uint32_t argb, int shift) {
  return Clamp(((argb >> shift) & 0xFF) * kInv255);
}

// Hue in degrees of a colour that is not grey; red wins ties at the maximum.
double Hue(double red, double green, double blue, double max, double min) {
  const double d = max - min;
  double hue;
  if (red == max) {
    hue = (green - blue) / d;
  } else if (green == max) {
    hue = 2.0 + (blue - red) / d;
  } else {
    hue = 4.0 + (red - green) / d;
  }
  hue *= 60.0;
  return hue < 0.0 ? hue + 360.0 : hue;
}

}  // namespace
}  // namespace tolmak::detail

using tolmak::detail::Clamp;

cColor::cColor() : m_Channels{0.0f, 0.0f, 0.0f, 1.0f} {}

cColor::cColor(const cColor& other)
    : cUnknown(),
      m_Channels{other.m_Channels[0], other.m_Channels[1], other.m_Channels[2],
                 other.m_Channels[3]} {}

cColor::cColor(float alpha, float red, float green, float blue)
    : m_Channels{Clamp(red), Clamp(green), Clamp(blue), Clamp(alpha)} {}

cColor::cColor(const cPixelFormat& format, uint32_t pixel) : cColor() {
  SetColor(format, pixel);
}

cColor::~cColor() = default;

cColor& cColor::operator=(const cColor& other) {
  SetARGB(other.m_Channels[kAlpha], other.m_Channels[kRed], other.m_Channels[kGreen],
          other.m_Channels[kBlue]);
  return *this;
}

bool cColor::operator==(const cColor& other) const {
  return m_Channels[kAlpha] == other.m_Channels[kAlpha] &&
         m_Channels[kRed] == other.m_Channels[kRed] &&
         m_Channels[kGreen] == other.m_Channels[kGreen] &&
         m_Channels[kBlue] == other.m_Channels[kBlue];
}

void cColor::SetRed(float red) {
  m_Channels[kRed] = Clamp(red);
}
void cColor::SetGreen(float green) {
  m_Channels[kGreen] = Clamp(green);
}
void cColor::SetBlue(float blue) {
  m_Channels[kBlue] = Clamp(blue);
}
void cColor::SetAlpha(float alpha) {
  m_Channels[kAlpha] = Clamp(alpha);
}

void cColor::GetARGB(float& alpha, float& red, float& green, float& blue) const {
  alpha = m_Channels[kAlpha];
  red = m_Channels[kRed];
  green = m_Channels[kGreen];
  blue = m_Channels[kBlue];
}

void cColor::SetARGB(float alpha, float red, float green, float blue) {
  m_Channels[kAlpha] = Clamp(alpha);
  SetRGB(red, green, blue);
}

void cColor::SetRGB(double red, double green, double blue) {
  m_Channels[kRed] = Clamp(red);
  m_Channels[kGreen] = Clamp(green);
  m_Channels[kBlue] = Clamp(blue);
}

uint32_t cColor::GetColor(const cPixelFormat& format) const {
  using tolmak::detail::ToByte;
  const uint32_t argb = ToByte(m_Channels[kAlpha]) << 24 | ToByte(m_Channels[kRed]) << 16 |
                        ToByte(m_Channels[kGreen]) << 8 | ToByte(m_Channels[kBlue]);
  const uint32_t pixel = format.ConvertFromARGB(argb);
  // Unlike ConvertFromARGB, a colour leaves the unused byte of RGB888X clear.
  return format == cPixelFormat::RGB888X ? pixel & 0x00FFFFFFu : pixel;
}

void cColor::SetColor(const cPixelFormat& format, uint32_t pixel) {
  using tolmak::detail::FromByte;
  const cPixelFormat::EFormat f = format.GetFormat();
  if (f == cPixelFormat::Indexed || f == cPixelFormat::IndexAlpha || f == cPixelFormat::Invalid)
    return;  // a palette index is no colour
  const uint32_t argb = format.ConvertToARGB(pixel);
  m_Channels[kAlpha] = FromByte(argb, 24);
  if (f == cPixelFormat::Alpha) return;
  m_Channels[kRed] = FromByte(argb, 16);
  m_Channels[kGreen] = FromByte(argb, 8);
  m_Channels[kBlue] = FromByte(argb, 0);
}

void cColor::GetHSV(float& hue, float& saturation, float& value) const {
  const double red = m_Channels[kRed], green = m_Channels[kGreen], blue = m_Channels[kBlue];
  const double max = std::max({red, green, blue});
  const double min = std::min({red, green, blue});
  value = static_cast<float>(max);
  saturation = max != 0.0 ? static_cast<float>((max - min) / max) : 0.0f;
  hue = saturation != 0.0f ? static_cast<float>(tolmak::detail::Hue(red, green, blue, max, min))
                           : 0.0f;
}

void cColor::SetHSV(float hue, float saturation, float value) {
  if (saturation == 0.0f) {
    const double grey = hue == 0.0f ? value : 0.0;
    SetRGB(grey, grey, grey);
    return;
  }
  if (hue == 360.0f) hue = 0.0f;
  const float x = static_cast<float>(static_cast<double>(hue) / 60.0);
  if (!(x >= 0.0f && x < 6.0f)) return;  // hue outside [0, 360]: left as it was
  const int i = static_cast<int>(std::floor(x));
  const double f = static_cast<double>(x) - i, v = value, s = saturation;
  const double p = v * (1.0 - s);
  const double q = v * (1.0 - s * f);
  const double t = v * (1.0 - s * (1.0 - f));
  switch (i) {
    case 0:
      SetRGB(v, t, p);
      break;
    case 1:
      SetRGB(q, v, p);
      break;
    case 2:
      SetRGB(p, v, t);
      break;
    case 3:
      SetRGB(p, q, v);
      break;
    case 4:
      SetRGB(t, p, v);
      break;
    default:
      SetRGB(v, p, q);
      break;
  }
}

void cColor::GetHLS(float& hue, float& lightness, float& saturation) const {
  const double red = m_Channels[kRed], green = m_Channels[kGreen], blue = m_Channels[kBlue];
  const double max = std::max({red, green, blue});
  const double min = std::min({red, green, blue});
  lightness = static_cast<float>((max + min) / 2.0);
  if (max == min) {
    saturation = 0.0f;
    hue = -1.0f;
    return;
  }
  const double d = max - min;
  saturation = static_cast<float>(lightness <= 0.5f ? d / (max + min) : d / (2.0 - max - min));
  hue = static_cast<float>(tolmak::detail::Hue(red, green, blue, max, min));
}

void cColor::SetHLS(float hue, float lightness, float saturation) {
  const double l = lightness, s = saturation;
  const float m2 = static_cast<float>(l <= 0.5 ? l * (1.0 + s) : l + s - l * s);
  const float m1 = static_cast<float>(2.0 * l - m2);
  if (saturation == 0.0f) {
    const double grey = hue == 0.0f ? l : 0.0;
    SetRGB(grey, grey, grey);
    return;
  }
  SetRGB(ValueHLS(m1, m2, hue + 120.0f), ValueHLS(m1, m2, hue), ValueHLS(m1, m2, hue - 120.0f));
}

float cColor::ValueHLS(float m1, float m2, float hue) {
  using tolmak::detail::kInv60;
  if (hue > 360.0f) {
    hue -= 360.0f;
  } else if (hue < 0.0f) {
    hue += 360.0f;
  }
  const double span = static_cast<double>(m2) - m1;
  if (hue < 60.0f) return static_cast<float>(m1 + span * hue * kInv60);
  if (hue < 180.0f) return m2;
  if (hue < 240.0f) return static_cast<float>(m1 + span * (240.0 - hue) * kInv60);
  return m1;
}

void cColor::GetCMY(float& cyan, float& magenta, float& yellow) const {
  cyan = static_cast<float>(1.0 - m_Channels[kRed]);
  magenta = static_cast<float>(1.0 - m_Channels[kGreen]);
  yellow = static_cast<float>(1.0 - m_Channels[kBlue]);
}

void cColor::SetCMY(float cyan, float magenta, float yellow) {
  SetRGB(1.0 - cyan, 1.0 - magenta, 1.0 - yellow);
}

void cColor::GetCMYK(float& cyan, float& magenta, float& yellow, float& black) const {
  GetCMY(cyan, magenta, yellow);
  black = std::min({cyan, magenta, yellow});
  cyan = static_cast<float>(static_cast<double>(cyan) - black);
  magenta = static_cast<float>(static_cast<double>(magenta) - black);
  yellow = static_cast<float>(static_cast<double>(yellow) - black);
}

void cColor::SetCMYK(float cyan, float magenta, float yellow, float black) {
  const double k = black;
  SetRGB(1.0 - (cyan + k), 1.0 - (magenta + k), 1.0 - (yellow + k));
}

void cColor::GetYIQ(float& y, float& i, float& q) const {
  const double red = m_Channels[kRed], green = m_Channels[kGreen], blue = m_Channels[kBlue];
  y = static_cast<float>(0.299f * red + 0.587f * green + 0.114f * blue);
  i = static_cast<float>(0.596f * red - 0.275f * green - 0.321f * blue);
  q = static_cast<float>(0.212f * red - 0.528f * green + 0.311f * blue);
}

void cColor::SetYIQ(float y, float i, float q) {
  // 200000 times the adjugate of the GetYIQ matrix, and 1/(200000 |det|).
  constexpr double k = 1.9667415e-5f;
  const double Y = y, I = i, Q = q;
  SetRGB(k * (51002.6f * Y + 48549.8f * I + 31415.4f * Q),
         k * (50681.6f * Y - 13764.2f * I - 32784.6f * Q),
         k * (51277.6f * Y - 56463.2f * I + 86415.4f * Q));
}
