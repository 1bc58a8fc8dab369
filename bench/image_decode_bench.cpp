// Decoding a 1920 x 1080 picture from memory into 32-bit ARGB with each of
// the sample plug-in's decoders, beside the library a game would otherwise
// call for the same file: libjpeg-turbo and libpng directly for our JPEG and
// PNG wrappers (their overhead), SDL2_image for BMP, PCX and TGA, its
// surface converted to ARGB 8888 as ours is. Every baseline must give the
// same pixels as ours, or the program stops before measuring.
//
// Names: decode/<format>/<ours|libjpeg|libpng|sdl_image>.

#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <SDL_image.h>
#include <benchmark/benchmark.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "bench_main.h"
#include "zunfert_image.h"

namespace {

using namespace zunfert;
using tBytes = std::vector<uint8_t>;
using tPixels = std::vector<uint32_t>;
using tDecode = tPixels (*)(const tBytes&);

constexpr uint32_t kWidth = 1920;
constexpr uint32_t kHeight = 1080;

/// Smooth shading with fine detail and a little noise, as a photo or a
/// painted texture has: neither trivial nor incompressible.
cImage MakePicture() {
  cImage image = cImage::MakeArgb(kWidth, kHeight);
  uint32_t noise = 1;
  for (uint32_t y = 0; y < kHeight; ++y)
    for (uint32_t x = 0; x < kWidth; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const double wave = std::sin(x * 0.05) * std::cos(y * 0.03);
      const auto channel = [&](double base) {
        return static_cast<uint32_t>(std::clamp(base + 40 * wave + (noise >> 29), 0.0, 255.0));
      };
      image.ArgbRow(y)[x] = 0xFF000000u | channel(x * 200.0 / kWidth) << 16 |
                            channel(y * 200.0 / kHeight) << 8 | channel(120);
    }
  return image;
}

template <auto kEncode, auto... kArguments>
tBytes Encoded(const cImage& image) {
  cMemorySink sink;
  kEncode(image, sink, kArguments...);
  return sink.GetBytes();
}

template <cImage (*kDecode)(iByteSource&, const cImageLimits&)>
tPixels Ours(const tBytes& file) {
  cMemorySource source(file);
  return kDecode(source, {}).GetArgb();
}

tPixels Libjpeg(const tBytes& file) {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, file.data(), file.size());
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_EXT_BGRA;
  jpeg_start_decompress(&info);
  tPixels pixels(size_t{info.output_width} * info.output_height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(&pixels[info.output_scanline * info.output_width]);
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return pixels;
}

tPixels Libpng(const tBytes& file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  png_image_begin_read_from_memory(&image, file.data(), file.size());
  image.format = PNG_FORMAT_BGRA;
  tPixels pixels(size_t{image.width} * image.height);
  png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
  return pixels;
}

template <const char* kType>
tPixels SdlImage(const tBytes& file) {
  SDL_Surface* loaded =
      IMG_LoadTyped_RW(SDL_RWFromConstMem(file.data(), int(file.size())), 1, kType);
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  tPixels pixels(size_t{uint32_t(argb->w)} * uint32_t(argb->h));
  for (int y = 0; y < argb->h; ++y)
    std::memcpy(&pixels[size_t(y) * argb->w], static_cast<uint8_t*>(argb->pixels) + y * argb->pitch,
                size_t(argb->w) * 4);
  SDL_FreeSurface(argb);
  SDL_FreeSurface(loaded);
  return pixels;
}

void Decode(benchmark::State& state, tDecode decode, const tBytes* file) {
  for (auto _ : state) benchmark::DoNotOptimize(decode(*file).data());
  state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 4);
  state.counters["file_kB"] = double(file->size()) / 1000;
}

constexpr char kBmp[] = "BMP";
constexpr char kPcx[] = "PCX";
constexpr char kTga[] = "TGA";

struct cCase {
  const char* format;
  tBytes file;
  tDecode ours;
  tDecode baseline;
  const char* baselineName;
};

}  // namespace

bool RegisterBenchmarks() {
  static const cImage picture = MakePicture();
  static const cCase cases[] = {
      {"bmp", Encoded<EncodeBmp, EBmpEncoding::Rgb24>(picture), Ours<DecodeBmp>, SdlImage<kBmp>,
       "sdl_image"},
      {"pcx", Encoded<EncodePcx, EPcxEncoding::Rgb24>(picture), Ours<DecodePcx>, SdlImage<kPcx>,
       "sdl_image"},
      {"tga", Encoded<EncodeTga, ETgaEncoding::Argb32, false>(picture), Ours<DecodeTga>,
       SdlImage<kTga>, "sdl_image"},
      {"jpeg", Encoded<EncodeJpeg, 90>(picture), Ours<DecodeJpeg>, Libjpeg, "libjpeg"},
      {"png", Encoded<EncodePng>(picture), Ours<DecodePng>, Libpng, "libpng"},
  };
  for (const cCase& c : cases) {
    if (c.ours(c.file) != c.baseline(c.file)) {
      std::fprintf(stderr, "%s: %s gives other pixels than ours\n", c.format, c.baselineName);
      return false;
    }
    const std::string name = std::string("decode/") + c.format + "/";
    benchmark::RegisterBenchmark((name + "ours").c_str(), Decode, c.ours, &c.file)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((name + c.baselineName).c_str(), Decode, c.baseline, &c.file)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}
