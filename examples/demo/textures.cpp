#include "textures.h"

#include <cmath>
#include <fstream>
#include <stdexcept>

#include "zunfert_image.h"

namespace demo {
namespace {

constexpr uint32_t kSize = 128;

uint32_t Argb(uint32_t a, double r, double g, double b) {
  const auto byte = [](double v) {
    return static_cast<uint32_t>(std::lround(std::fmin(std::fmax(v, 0.0), 255.0)));
  };
  return a << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}

/// Bricks in mortar, as palette indices: 64 shades of brick red and one
/// of mortar grey.
zunfert::cImage Bricks() {
  zunfert::cImage image = zunfert::cImage::MakeIndexed(kSize, kSize);
  for (uint32_t i = 0; i < 64; ++i)
    image.GetPalette()[i] = Argb(255, 120 + i * 1.8, 40 + i * 0.6, 30 + i * 0.4);
  image.GetPalette()[64] = Argb(255, 200, 196, 186);
  for (uint32_t y = 0; y < kSize; ++y)
    for (uint32_t x = 0; x < kSize; ++x) {
      const uint32_t row = y / 16, shifted = x + (row % 2) * 16;
      const bool mortar = y % 16 < 2 || shifted % 32 < 2;
      const uint32_t shade = (row * 7 + shifted / 32 * 13) % 48 + (x * 3 + y * 5) % 16;
      image.IndexRow(y)[x] = static_cast<uint8_t>(mortar ? 64 : shade);
    }
  return image;
}

/// Concentric rings in warm colours.
zunfert::cImage Rings() {
  zunfert::cImage image = zunfert::cImage::MakeArgb(kSize, kSize);
  for (uint32_t y = 0; y < kSize; ++y)
    for (uint32_t x = 0; x < kSize; ++x) {
      const double d = std::hypot(x - 63.5, y - 63.5) / 8.0;
      const double wave = 0.5 + 0.5 * std::cos(d * 3.14159265);
      image.ArgbRow(y)[x] = Argb(255, 90 + 160 * wave, 60 + 120 * wave * wave, 160 - 100 * wave);
    }
  return image;
}

/// Blue-white marble veins from a few summed waves.
zunfert::cImage Marble() {
  zunfert::cImage image = zunfert::cImage::MakeArgb(kSize, kSize);
  for (uint32_t y = 0; y < kSize; ++y)
    for (uint32_t x = 0; x < kSize; ++x) {
      const double t = x * 0.09 + 2.5 * std::sin(y * 0.07) + 1.2 * std::sin((x + y) * 0.19) +
                       0.6 * std::sin(x * 0.43 - y * 0.31);
      const double vein = std::pow(0.5 + 0.5 * std::sin(t * 2.0), 6.0);
      image.ArgbRow(y)[x] = Argb(255, 70 + 170 * vein, 110 + 140 * vein, 190 + 60 * vein);
    }
  return image;
}

/// Green and gold diagonal stripes, every other one half transparent.
zunfert::cImage Stripes() {
  zunfert::cImage image = zunfert::cImage::MakeArgb(kSize, kSize);
  for (uint32_t y = 0; y < kSize; ++y)
    for (uint32_t x = 0; x < kSize; ++x) {
      const bool gold = (x + y) / 16 % 2 == 0;
      image.ArgbRow(y)[x] = gold ? Argb(255, 235, 190, 60) : Argb(128, 40, 170, 90);
    }
  return image;
}

class cFileSink : public zunfert::iByteSink {
 public:
  explicit cFileSink(const std::string& path) : m_File(path, std::ios::binary), m_Path(path) {
    if (!m_File) throw std::runtime_error("cannot write " + path);
  }
  uint32_t Write(const void* buffer, uint32_t size) override {
    m_File.write(static_cast<const char*>(buffer), size);
    return m_File ? size : 0;
  }

 private:
  std::ofstream m_File;
  std::string m_Path;
};

}  // namespace

std::vector<cTextureFile> WriteTextures(const std::string& folder) {
  using namespace zunfert;
  std::vector<cTextureFile> files = {
      {cApplicationEx::Bmp, folder + "/bricks.bmp", "bricks, 8-bit RLE BMP"},
      {cApplicationEx::Pcx, folder + "/rings.pcx", "rings, 24-bit PCX"},
      {cApplicationEx::Jpeg, folder + "/marble.jpg", "marble, JPEG"},
      {cApplicationEx::Tga, folder + "/stripes.tga", "stripes, 32-bit RLE TGA"},
  };
  {
    cFileSink sink(files[0].path);
    EncodeBmp(Bricks(), sink, EBmpEncoding::Rle8);
  }
  {
    cFileSink sink(files[1].path);
    EncodePcx(Rings(), sink, EPcxEncoding::Rgb24);
  }
  {
    cFileSink sink(files[2].path);
    EncodeJpeg(Marble(), sink, 90);
  }
  {
    cFileSink sink(files[3].path);
    EncodeTga(Stripes(), sink, ETgaEncoding::Argb32, true);
  }
  return files;
}

}  // namespace demo
