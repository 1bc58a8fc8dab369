// Pixel conversion between ARGB8888 and the 16- and 24-bit formats, a
// million pixels at a time: cPixelFormat's ConvertFromARGB and ConvertToARGB
// called once per pixel in a plain loop, and ConvertPixels over the whole
// run, beside pixman (a SRC composite between two images, where pixman is
// found) and SDL2 (SDL_ConvertPixels) converting the same bytes; and
// cVertexBuffer::Convert of a million colours beside SDL_ConvertPixels.
//
// Names: pixels/<from|to>/<format>/<ours|batch|pixman|sdl>, where "from" is
// ARGB8888 to the format; vb/<conversion>/<ours|sdl>. The counter "differs"
// counts the pixels whose result is not the engine's: the libraries widen a
// channel by repeating its top bits, the engine by shifting in zeros.

#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <benchmark/benchmark.h>
#ifdef TOLMAK_BENCH_PIXMAN
#include <pixman.h>
#endif
#include <tolmak.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench_main.h"

namespace {

constexpr int kSide = 1000;
constexpr size_t kPixels = size_t{kSide} * kSide;

struct tFormat {
  cPixelFormat::EFormat ours;
  int pixman;  // a pixman_format_code_t
  uint32_t sdl;
  const char* name;
  int bytes;
};

#ifndef TOLMAK_BENCH_PIXMAN
// The codes pixman gives these formats, for the table only.
enum { PIXMAN_r5g6b5, PIXMAN_a1r5g5b5, PIXMAN_a4r4g4b4, PIXMAN_r8g8b8 };
#endif

// RGB888 packs 0xRRGGBB little-endian: blue comes first in memory.
const tFormat kFormats[] = {
    {cPixelFormat::RGB565, PIXMAN_r5g6b5, SDL_PIXELFORMAT_RGB565, "RGB565", 2},
    {cPixelFormat::ARGB5551, PIXMAN_a1r5g5b5, SDL_PIXELFORMAT_ARGB1555, "ARGB5551", 2},
    {cPixelFormat::ARGB4444, PIXMAN_a4r4g4b4, SDL_PIXELFORMAT_ARGB4444, "ARGB4444", 2},
    {cPixelFormat::RGB888, PIXMAN_r8g8b8, SDL_PIXELFORMAT_BGR24, "RGB888", 3},
};

const std::vector<uint32_t>& RandomARGB() {
  static const std::vector<uint32_t> pixels = [] {
    std::mt19937 random(5);
    std::vector<uint32_t> values(kPixels);
    for (uint32_t& v : values) v = random();
    return values;
  }();
  return pixels;
}

/// Source and target of one conversion: 32 bits per pixel, and the
/// format's width (random bytes, or zeros where they are the target).
struct cImages {
  std::vector<uint32_t> wide;
  std::vector<uint8_t> narrow;
  cImages(const tFormat& f, bool fromARGB) : wide(RandomARGB()), narrow(kPixels * f.bytes) {
    if (!fromARGB) {
      std::memcpy(narrow.data(), wide.data(), narrow.size());
      std::memset(wide.data(), 0, wide.size() * 4);
    }
  }
};

template <int kBytes>
uint32_t Load(const uint8_t* at) {
  uint32_t pixel = 0;
  std::memcpy(&pixel, at, kBytes);
  return pixel;
}

template <int kBytes>
void Store(uint8_t* at, uint32_t pixel) {
  std::memcpy(at, &pixel, kBytes);
}

// The per-pixel calls in a plain loop, the pixel width known to the compiler.
template <int kBytes>
void PerPixelFrom(const cPixelFormat& format, const uint32_t* in, uint8_t* out) {
  for (size_t i = 0; i < kPixels; ++i)
    Store<kBytes>(out + kBytes * i, format.ConvertFromARGB(in[i]));
}

template <int kBytes>
void PerPixelTo(const cPixelFormat& format, const uint8_t* in, uint32_t* out) {
  for (size_t i = 0; i < kPixels; ++i) out[i] = format.ConvertToARGB(Load<kBytes>(in + kBytes * i));
}

void PerPixel(const tFormat& f, cImages& images, bool fromARGB) {
  const cPixelFormat format(f.ours);
  if (fromARGB) {
    f.bytes == 2 ? PerPixelFrom<2>(format, images.wide.data(), images.narrow.data())
                 : PerPixelFrom<3>(format, images.wide.data(), images.narrow.data());
  } else {
    f.bytes == 2 ? PerPixelTo<2>(format, images.narrow.data(), images.wide.data())
                 : PerPixelTo<3>(format, images.narrow.data(), images.wide.data());
  }
}

// Pixels of the library's result that differ from the per-pixel calls'.
double Differs(const tFormat& f, const cImages& got, bool fromARGB) {
  cImages want(f, fromARGB);
  PerPixel(f, want, fromARGB);
  size_t n = 0;
  for (size_t i = 0; i < kPixels; ++i)
    n += fromARGB ? std::memcmp(&got.narrow[f.bytes * i], &want.narrow[f.bytes * i], f.bytes) != 0
                  : got.wide[i] != want.wide[i];
  return static_cast<double>(n);
}

void Finish(benchmark::State& state, double differs) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kPixels));
  state.counters["differs"] = differs;
}

void Ours(benchmark::State& state, const tFormat& f, bool fromARGB) {
  cImages images(f, fromARGB);
  for (auto _ : state) {
    PerPixel(f, images, fromARGB);
    benchmark::ClobberMemory();
  }
  Finish(state, 0);
}

void Batch(benchmark::State& state, const tFormat& f, bool fromARGB) {
  cImages images(f, fromARGB);
  const cPixelFormat argb(cPixelFormat::ARGB8888), format(f.ours);
  for (auto _ : state) {
    if (fromARGB)
      cPixelFormat::ConvertPixels(argb, images.wide.data(), format, images.narrow.data(), kPixels);
    else
      cPixelFormat::ConvertPixels(format, images.narrow.data(), argb, images.wide.data(), kPixels);
    benchmark::ClobberMemory();
  }
  Finish(state, Differs(f, images, fromARGB));
}

#ifdef TOLMAK_BENCH_PIXMAN
void Pixman(benchmark::State& state, const tFormat& f, bool fromARGB) {
  cImages images(f, fromARGB);
  pixman_image_t* wide =
      pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide, images.wide.data(), kSide * 4);
  pixman_image_t* narrow =
      pixman_image_create_bits(static_cast<pixman_format_code_t>(f.pixman), kSide, kSide,
                               reinterpret_cast<uint32_t*>(images.narrow.data()), kSide * f.bytes);
  pixman_image_t* source = fromARGB ? wide : narrow;
  pixman_image_t* target = fromARGB ? narrow : wide;
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, target, 0, 0, 0, 0, 0, 0, kSide,
                             kSide);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(wide);
  pixman_image_unref(narrow);
  Finish(state, Differs(f, images, fromARGB));
}
#endif

void Sdl(benchmark::State& state, const tFormat& f, bool fromARGB) {
  cImages images(f, fromARGB);
  const uint32_t from = fromARGB ? uint32_t{SDL_PIXELFORMAT_ARGB8888} : f.sdl;
  const uint32_t to = fromARGB ? f.sdl : uint32_t{SDL_PIXELFORMAT_ARGB8888};
  const void* source = fromARGB ? static_cast<void*>(images.wide.data()) : images.narrow.data();
  void* target = fromARGB ? static_cast<void*>(images.narrow.data()) : images.wide.data();
  const int sourcePitch = fromARGB ? kSide * 4 : kSide * f.bytes;
  const int targetPitch = fromARGB ? kSide * f.bytes : kSide * 4;
  for (auto _ : state) {
    if (SDL_ConvertPixels(kSide, kSide, from, source, sourcePitch, to, target, targetPitch) != 0) {
      state.SkipWithError(SDL_GetError());
      return;
    }
    benchmark::ClobberMemory();
  }
  Finish(state, Differs(f, images, fromARGB));
}

// A vertex buffer of colours only: its block is a plain array of pixels, the
// same bytes SDL converts. Each iteration converts there and back.
void VertexBufferOurs(benchmark::State& state, cPixelFormat::EFormat there) {
  cVertexBuffer buffer(static_cast<uint32_t>(kPixels), 4, cPixelFormat::ARGB8888);
  std::memcpy(buffer.GetPtr(), RandomARGB().data(), kPixels * 4);
  for (auto _ : state) {
    buffer.Convert(there);
    buffer.Convert(cPixelFormat::ARGB8888);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kPixels * 2));
}

void VertexBufferSdl(benchmark::State& state, uint32_t there, int bytes) {
  std::vector<uint32_t> block(RandomARGB()), other(kPixels);
  for (auto _ : state) {
    SDL_ConvertPixels(kSide, kSide, SDL_PIXELFORMAT_ARGB8888, block.data(), kSide * 4, there,
                      other.data(), kSide * bytes);
    SDL_ConvertPixels(kSide, kSide, there, other.data(), kSide * bytes, SDL_PIXELFORMAT_ARGB8888,
                      block.data(), kSide * 4);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kPixels * 2));
}

}  // namespace

bool RegisterBenchmarks() {
  for (const tFormat& f : kFormats) {
    const std::string from = std::string("pixels/from/") + f.name + "/";
    const std::string to = std::string("pixels/to/") + f.name + "/";
    for (bool fromARGB : {true, false}) {
      const std::string& name = fromARGB ? from : to;
      benchmark::RegisterBenchmark((name + "ours").c_str(), Ours, f, fromARGB);
      benchmark::RegisterBenchmark((name + "batch").c_str(), Batch, f, fromARGB);
#ifdef TOLMAK_BENCH_PIXMAN
      benchmark::RegisterBenchmark((name + "pixman").c_str(), Pixman, f, fromARGB);
#endif
      benchmark::RegisterBenchmark((name + "sdl").c_str(), Sdl, f, fromARGB);
    }
  }
  benchmark::RegisterBenchmark("vb/ARGB8888-ABGR8888/ours", VertexBufferOurs,
                               cPixelFormat::ABGR8888);
  benchmark::RegisterBenchmark("vb/ARGB8888-ABGR8888/sdl", VertexBufferSdl,
                               SDL_PIXELFORMAT_ABGR8888, 4);
  benchmark::RegisterBenchmark("vb/ARGB8888-RGB565/ours", VertexBufferOurs, cPixelFormat::RGB565);
  benchmark::RegisterBenchmark("vb/ARGB8888-RGB565/sdl", VertexBufferSdl, SDL_PIXELFORMAT_RGB565,
                               2);
  return true;
}
