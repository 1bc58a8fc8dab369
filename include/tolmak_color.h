#pragma once

#include <cstdint>

#include <varnlib.h>

#include "tolmak_export.h"
#include "tolmak_pixelformat.h"

/// A colour of four single-precision channels, each kept in [0, 1].
///
/// Layout: the cUnknown base (its virtual table pointer), then four floats
/// red, green, blue, alpha, readable as an array through operator const float*.
/// Constructors and SetARGB take the channels as alpha, red, green, blue.
/// Every store clamps: below 0 or NaN gives 0, above 1 gives 1.
class TOLMAK_API cColor : public cUnknown {
 public:
  /// Opaque black.
  cColor();
  cColor(const cColor& other);
  cColor(float alpha, float red, float green, float blue);
  /// Starts from opaque black, then SetColor(format, pixel).
  cColor(const cPixelFormat& format, uint32_t pixel);
  ~cColor() override;

  /// Copies alpha, red, green, blue, clamping each.
  cColor& operator=(const cColor& other);
  /// Exact comparison of all four channels, no tolerance.
  bool operator==(const cColor& other) const;
  bool operator!=(const cColor& other) const { return !(*this == other); }

  float GetRed() const { return m_Channels[kRed]; }
  float GetGreen() const { return m_Channels[kGreen]; }
  float GetBlue() const { return m_Channels[kBlue]; }
  float GetAlpha() const { return m_Channels[kAlpha]; }
  void SetRed(float red);
  void SetGreen(float green);
  void SetBlue(float blue);
  void SetAlpha(float alpha);
  void GetARGB(float& alpha, float& red, float& green, float& blue) const;
  void SetARGB(float alpha, float red, float green, float blue);
  /// Red, green, blue, alpha.
  operator const float*() const { return m_Channels; }  // NOLINT: read as an array

  /// The colour as a pixel of format: each channel becomes the byte
  /// trunc(c * 255 + 0.5), packed as ConvertFromARGB packs it, except that
  /// RGB888X keeps its top byte 0. Indexed, IndexAlpha and Invalid give 0.
  uint32_t GetColor(const cPixelFormat& format) const;
  /// Sets the channels from a pixel of format, expanded as ConvertToARGB does
  /// and scaled by the single-precision 1/255, so 255 gives exactly 1. Alpha
  /// sets the alpha channel alone; Indexed, IndexAlpha and Invalid leave the
  /// colour unchanged.
  void SetColor(const cPixelFormat& format, uint32_t pixel);

  /// The colour-model setters change red, green and blue, never alpha.
  /// Hue in degrees [0, 360], saturation and value in [0, 1]; a grey has hue 0.
  void GetHSV(float& hue, float& saturation, float& value) const;
  /// A zero saturation gives the grey of the value only with hue 0, black with
  /// any other hue; a hue outside [0, 360] leaves the colour unchanged.
  void SetHSV(float hue, float saturation, float value);
  /// As GetHSV, except that a grey has hue -1.
  void GetHLS(float& hue, float& lightness, float& saturation) const;
  /// A zero saturation gives the grey of the lightness only with hue 0, black
  /// with any other hue (-1 included); hues are folded back by one turn.
  void SetHLS(float hue, float lightness, float saturation);
  void GetCMY(float& cyan, float& magenta, float& yellow) const;
  void SetCMY(float cyan, float magenta, float yellow);
  /// Black is the smallest of cyan, magenta and yellow, which it is then
  /// subtracted from.
  void GetCMYK(float& cyan, float& magenta, float& yellow, float& black) const;
  void SetCMYK(float cyan, float magenta, float yellow, float black);
  void GetYIQ(float& y, float& i, float& q) const;
  /// Inverts GetYIQ to single precision; any input is accepted and the
  /// channels are clamped.
  void SetYIQ(float y, float i, float q);

  static const cColor clBlack;
  static const cColor clNavy;
  static const cColor clBlue;
  static const cColor clGreen;
  static const cColor clLime;
  static const cColor clTeal;
  static const cColor clAqua;
  static const cColor clMaroon;
  static const cColor clRed;
  static const cColor clPurple;
  static const cColor clFuchsia;
  static const cColor clOlive;
  static const cColor clYellow;
  static const cColor clGray;
  static const cColor clSilver;
  static const cColor clWhite;

 private:
  enum { kRed, kGreen, kBlue, kAlpha };

  /// One channel of SetHLS for the hue of that channel.
  static float ValueHLS(float m1, float m2, float hue);
  void SetRGB(double red, double green, double blue);

  float m_Channels[4];
};

static_assert(sizeof(cColor) == sizeof(void*) + 4 * sizeof(float));

/// Colour properties go through the typed property path.
template <>
struct tPropertyType<cColor> : std::integral_constant<int32_t, cProperty::Color> {};
