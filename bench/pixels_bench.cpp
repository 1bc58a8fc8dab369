// Pixel conversion between ARGB8888 and the 16-bit formats, a million
// pixels at a time: cPixelFormat's ConvertFromARGB and ConvertToARGB called
// once per pixel in a plain loop, beside pixman (a SRC composite between two
// images) and SDL2 (SDL_ConvertPixels) converting the same bytes; and
// cVertexBuffer::Convert of a million colours beside SDL_ConvertPixels.
//
// Names: pixels/<from|to>/<format>/<ours|pixman|sdl>, where "from" is ARGB8888
// to the format; vb/<conversion>/<ours|sdl>. The counter "differs" counts
// the pixels whose result is not the engine's: the libraries widen a
// channel by repeating its top bits, the engine by shifting in zeros.

#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>
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
  pixman_format_code_t pixman;
  uint32_t sdl;
  const char* name;
};

constexpr tFormat kFormats[] = {
    {cPixelFormat::RGB565, PIXMAN_r5g6b5, SDL_PIXELFORMAT_RGB565, "RGB565"},
    {cPixelFormat::ARGB5551, PIXMAN_a1r5g5b5, SDL_PIXELFORMAT_ARGB1555, "ARGB5551"},
    {cPixelFormat::ARGB4444, PIXMAN_a4r4g4b4, SDL_PIXELFORMAT_ARGB4444, "ARGB4444"},
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

std::vector<uint16_t> RandomPixels16() {
  std::vector<uint16_t> values(kPixels);
  const std::vector<uint32_t>& bits = RandomARGB();
  for (size_t i = 0; i < kPixels; ++i) values[i] = static_cast<uint16_t>(bits[i]);
  return values;
}

/// Source and target of one conversion, 32 and 16 bits per pixel.
struct cImages {
  std::vector<uint32_t> wide;
  std::vector<uint16_t> narrow;
  explicit cImages(bool fromARGB) : wide(RandomARGB()), narrow(RandomPixels16()) {
    if (!fromARGB) std::memset(wide.data(), 0, wide.size() * 4);
  }
};

template <class T, class U>
double Differs(const std::vector<T>& got, const std::vector<U>& want) {
  size_t n = 0;
  for (size_t i = 0; i < got.size(); ++i) n += got[i] != want[i];
  return static_cast<double>(n);
}

void Finish(benchmark::State& state, double differs) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kPixels));
  state.counters["differs"] = differs;
}

std::vector<uint16_t> OursFrom(const tFormat& f, const std::vector<uint32_t>& in) {
  std::vector<uint16_t> out(in.size());
  const cPixelFormat format(f.ours);
  for (size_t i = 0; i < in.size(); ++i)
    out[i] = static_cast<uint16_t>(format.ConvertFromARGB(in[i]));
  return out;
}

std::vector<uint32_t> OursTo(const tFormat& f, const std::vector<uint16_t>& in) {
  std::vector<uint32_t> out(in.size());
  const cPixelFormat format(f.ours);
  for (size_t i = 0; i < in.size(); ++i) out[i] = format.ConvertToARGB(in[i]);
  return out;
}

void FromOurs(benchmark::State& state, const tFormat& f) {
  cImages images(true);
  const cPixelFormat format(f.ours);
  const uint32_t* in = images.wide.data();
  uint16_t* out = images.narrow.data();
  for (auto _ : state) {
    for (size_t i = 0; i < kPixels; ++i)
      out[i] = static_cast<uint16_t>(format.ConvertFromARGB(in[i]));
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  Finish(state, 0);
}

void ToOurs(benchmark::State& state, const tFormat& f) {
  cImages images(false);
  const cPixelFormat format(f.ours);
  const uint16_t* in = images.narrow.data();
  uint32_t* out = images.wide.data();
  for (auto _ : state) {
    for (size_t i = 0; i < kPixels; ++i) out[i] = format.ConvertToARGB(in[i]);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  Finish(state, 0);
}

void Pixman(benchmark::State& state, const tFormat& f, bool fromARGB) {
  cImages images(fromARGB);
  pixman_image_t* wide =
      pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide, images.wide.data(), kSide * 4);
  pixman_image_t* narrow = pixman_image_create_bits(
      f.pixman, kSide, kSide, reinterpret_cast<uint32_t*>(images.narrow.data()), kSide * 2);
  pixman_image_t* source = fromARGB ? wide : narrow;
  pixman_image_t* target = fromARGB ? narrow : wide;
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, target, 0, 0, 0, 0, 0, 0, kSide,
                             kSide);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(wide);
  pixman_image_unref(narrow);
  Finish(state, fromARGB ? Differs(images.narrow, OursFrom(f, images.wide))
                         : Differs(images.wide, OursTo(f, images.narrow)));
}

void Sdl(benchmark::State& state, const tFormat& f, bool fromARGB) {
  cImages images(fromARGB);
  const uint32_t from = fromARGB ? uint32_t{SDL_PIXELFORMAT_ARGB8888} : f.sdl;
  const uint32_t to = fromARGB ? f.sdl : uint32_t{SDL_PIXELFORMAT_ARGB8888};
  const void* source = fromARGB ? static_cast<void*>(images.wide.data()) : images.narrow.data();
  void* target = fromARGB ? static_cast<void*>(images.narrow.data()) : images.wide.data();
  const int sourcePitch = fromARGB ? kSide * 4 : kSide * 2;
  const int targetPitch = fromARGB ? kSide * 2 : kSide * 4;
  for (auto _ : state) {
    if (SDL_ConvertPixels(kSide, kSide, from, source, sourcePitch, to, target, targetPitch) != 0) {
      state.SkipWithError(SDL_GetError());
      return;
    }
    benchmark::ClobberMemory();
  }
  Finish(state, fromARGB ? Differs(images.narrow, OursFrom(f, images.wide))
                         : Differs(images.wide, OursTo(f, images.narrow)));
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
    benchmark::RegisterBenchmark((from + "ours").c_str(), FromOurs, f);
    benchmark::RegisterBenchmark((from + "pixman").c_str(), Pixman, f, true);
    benchmark::RegisterBenchmark((from + "sdl").c_str(), Sdl, f, true);
    benchmark::RegisterBenchmark((to + "ours").c_str(), ToOurs, f);
    benchmark::RegisterBenchmark((to + "pixman").c_str(), Pixman, f, false);
    benchmark::RegisterBenchmark((to + "sdl").c_str(), Sdl, f, false);
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
