// cFastFloat's table-driven operations beside the standard library and the
// processor's own approximation (rsqrtss), in a throughput loop over 4096
// arguments that stay in the first-level cache; and, once, the largest
// relative error of each over every positive finite float.
//
// Names: fastfloat/<operation>/<ours|baseline name>; accuracy/<name>, whose
// counters carry the error and the argument where it was found.

#include <benchmark/benchmark.h>
#include <tolmak.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>
#if defined(__SSE__) || defined(_M_X64)
#include <xmmintrin.h>
#define TOLMAK_BENCH_SSE 1
#endif

#include "bench_main.h"

namespace {

constexpr size_t kCount = 4096;

const cFastFloat& Tables() {
  static const cFastFloat tables = [] {
    cFastFloat f;
    f.InitLUT();
    return f;
  }();
  return tables;
}

// Positive arguments spread evenly over the exponents 2^-20 .. 2^20.
const std::vector<float>& Arguments() {
  static const std::vector<float> arguments = [] {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> exponent(-20.0f, 20.0f);
    std::vector<float> values(kCount);
    for (float& v : values) v = std::exp2(exponent(random));
    return values;
  }();
  return arguments;
}

const std::vector<int>& Angles() {
  static const std::vector<int> angles = [] {
    std::mt19937 random(9);
    std::vector<int> values(kCount);
    for (int& a : values) a = static_cast<int>(random() % 4096) - 2048;
    return values;
  }();
  return angles;
}

// The same angles in radians, for the library's sine.
const std::vector<float>& Radians() {
  static const std::vector<float> radians = [] {
    std::vector<float> values;
    for (int a : Angles()) values.push_back(static_cast<float>(a * (6.283185307179586 / 1024)));
    return values;
  }();
  return radians;
}

/// Where a loop writes its results for the arguments at in: half a page
/// from them modulo 4096, wherever the heap put either, so that no run's
/// time depends on a store seeming to alias the next loads (4K aliasing).
template <class T>
float* OutputFor(const std::vector<T>& in, std::vector<float>& storage) {
  storage.resize(in.size() + 1024);
  const auto gap =
      reinterpret_cast<uintptr_t>(storage.data()) - reinterpret_cast<uintptr_t>(in.data());
  return storage.data() + (2048 - gap % 4096) % 4096 / sizeof(float);
}

template <class Fn>
void Loop(benchmark::State& state, const std::vector<float>& in, Fn fn) {
  std::vector<float> storage;
  float* out = OutputFor(in, storage);
  for (auto _ : state) {
    for (size_t i = 0; i < in.size(); ++i) out[i] = fn(in[i]);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * in.size()));
}

void SqrtOurs(benchmark::State& s) {
  const cFastFloat& f = Tables();
  Loop(s, Arguments(), [&f](float x) { return f.Sqrt(x); });
}
void SqrtStd(benchmark::State& s) {
  Loop(s, Arguments(), [](float x) { return std::sqrt(x); });
}
void OneOverSqrtOurs(benchmark::State& s) {
  const cFastFloat& f = Tables();
  Loop(s, Arguments(), [&f](float x) { return f.OneOverSqrt(x); });
}
void OneOverSqrtStd(benchmark::State& s) {
  Loop(s, Arguments(), [](float x) { return 1.0f / std::sqrt(x); });
}
void OneOverOurs(benchmark::State& s) {
  const cFastFloat& f = Tables();
  Loop(s, Arguments(), [&f](float x) { return f.OneOver(x); });
}
void OneOverDivision(benchmark::State& s) {
  Loop(s, Arguments(), [](float x) { return 1.0f / x; });
}
#ifdef TOLMAK_BENCH_SSE
float Rsqrtss(float x) {
  return _mm_cvtss_f32(_mm_rsqrt_ss(_mm_set_ss(x)));
}
float Rcpss(float x) {
  return _mm_cvtss_f32(_mm_rcp_ss(_mm_set_ss(x)));
}
void OneOverSqrtRsqrtss(benchmark::State& s) {
  Loop(s, Arguments(), Rsqrtss);
}
void OneOverRcpss(benchmark::State& s) {
  Loop(s, Arguments(), Rcpss);
}
#endif

void SinOurs(benchmark::State& state) {
  const cFastFloat& f = Tables();
  const std::vector<int>& in = Angles();
  std::vector<float> storage;
  float* out = OutputFor(in, storage);
  for (auto _ : state) {
    for (size_t i = 0; i < in.size(); ++i) out[i] = f.Sin(in[i]);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * in.size()));
}
void SinStd(benchmark::State& s) {
  Loop(s, Radians(), [](float x) { return std::sin(x); });
}

// Largest |approximation / exact - 1| over every positive finite float
// (denormals included), with the exact value in double precision; the two
// cores each take half of the bit patterns.
struct tError {
  double largest = 0;
  uint32_t at = 0;
};

template <class Fn, class Exact>
tError LargestError(Fn fn, Exact exact, uint32_t firstBits, uint32_t lastBits) {
  auto scan = [&](uint32_t begin, uint32_t end, tError& out) {
    tError e;
    for (uint32_t bits = begin; bits < end; ++bits) {
      const float x = std::bit_cast<float>(bits);
      const double want = exact(static_cast<double>(x));
      const double error = std::fabs(static_cast<double>(fn(x)) / want - 1.0);
      if (!(error <= e.largest)) e = {error, bits};  // a NaN or infinity wins
    }
    out = e;
  };
  const uint32_t middle = firstBits + (lastBits - firstBits) / 2;
  tError low, high;
  std::thread worker(scan, firstBits, middle, std::ref(low));
  scan(middle, lastBits + 1, high);
  worker.join();
  return (std::isnan(high.largest) || high.largest > low.largest) ? high : low;
}

constexpr uint32_t kSmallestDenormal = 1, kSmallestNormal = 0x00800000u, kLargest = 0x7F7FFFFFu;

template <class Fn, class Exact>
void Accuracy(benchmark::State& state, Fn fn, Exact exact) {
  tError normal, all;
  for (auto _ : state) {
    normal = LargestError(fn, exact, kSmallestNormal, kLargest);
    const tError denormal = LargestError(fn, exact, kSmallestDenormal, kSmallestNormal - 1);
    all = (std::isnan(denormal.largest) || denormal.largest > normal.largest) ? denormal : normal;
  }
  state.counters["max_rel_error_normal"] = normal.largest;
  state.counters["at_normal"] = std::bit_cast<float>(normal.at);
  state.counters["max_rel_error_all"] = all.largest;
  state.counters["at_all"] = std::bit_cast<float>(all.at);
}

// Integer angles: every int is one of the 1024 table entries, so the error
// over those is the error over all of them; measured absolutely, since the
// sine has zeros. The library's sine gets the same angles in radians.
void SinAccuracy(benchmark::State& state, bool ours) {
  const cFastFloat& f = Tables();
  double largest = 0;
  int at = 0;
  for (auto _ : state) {
    for (int a = 0; a < 1024; ++a) {
      const double exact = std::sin(a * (6.283185307179586 / 1024));
      const float radians = static_cast<float>(a * (6.283185307179586 / 1024));
      const double got = ours ? f.Sin(a) : std::sin(radians);
      const double error = std::fabs(got - exact);
      if (error > largest) largest = error, at = a;
    }
  }
  state.counters["max_abs_error"] = largest;
  state.counters["at_angle"] = at;
}

double SqrtExact(double x) {
  return std::sqrt(x);
}
double OneOverSqrtExact(double x) {
  return 1.0 / std::sqrt(x);
}
double OneOverExact(double x) {
  return 1.0 / x;
}

}  // namespace

bool RegisterBenchmarks() {
  struct tEntry {
    const char* name;
    void (*fn)(benchmark::State&);
  };
  const tEntry speed[] = {{"fastfloat/Sqrt/ours", SqrtOurs},
                          {"fastfloat/Sqrt/std::sqrt", SqrtStd},
                          {"fastfloat/OneOverSqrt/ours", OneOverSqrtOurs},
                          {"fastfloat/OneOverSqrt/1/std::sqrt", OneOverSqrtStd},
#ifdef TOLMAK_BENCH_SSE
                          {"fastfloat/OneOverSqrt/rsqrtss", OneOverSqrtRsqrtss},
#endif
                          {"fastfloat/OneOver/ours", OneOverOurs},
                          {"fastfloat/OneOver/1/x", OneOverDivision},
#ifdef TOLMAK_BENCH_SSE
                          {"fastfloat/OneOver/rcpss", OneOverRcpss},
#endif
                          {"fastfloat/Sin/ours", SinOurs},
                          {"fastfloat/Sin/std::sin", SinStd}};
  for (const tEntry& e : speed) benchmark::RegisterBenchmark(e.name, e.fn);

  auto once = [](benchmark::internal::Benchmark* b) {
    b->Iterations(1)->Repetitions(1)->Unit(benchmark::kSecond);
  };
  once(benchmark::RegisterBenchmark("accuracy/Sqrt/ours", [](benchmark::State& s) {
    Accuracy(
        s, [](float x) { return Tables().Sqrt(x); }, SqrtExact);
  }));
  once(benchmark::RegisterBenchmark("accuracy/Sqrt/std::sqrt", [](benchmark::State& s) {
    Accuracy(
        s, [](float x) { return std::sqrt(x); }, SqrtExact);
  }));
  once(benchmark::RegisterBenchmark("accuracy/OneOverSqrt/ours", [](benchmark::State& s) {
    Accuracy(
        s, [](float x) { return Tables().OneOverSqrt(x); }, OneOverSqrtExact);
  }));
  once(benchmark::RegisterBenchmark("accuracy/OneOverSqrt/1/std::sqrt", [](benchmark::State& s) {
    Accuracy(
        s, [](float x) { return 1.0f / std::sqrt(x); }, OneOverSqrtExact);
  }));
#ifdef TOLMAK_BENCH_SSE
  once(benchmark::RegisterBenchmark("accuracy/OneOverSqrt/rsqrtss", [](benchmark::State& s) {
    Accuracy(s, Rsqrtss, OneOverSqrtExact);
  }));
#endif
  once(benchmark::RegisterBenchmark("accuracy/OneOver/ours", [](benchmark::State& s) {
    Accuracy(
        s, [](float x) { return Tables().OneOver(x); }, OneOverExact);
  }));
  once(benchmark::RegisterBenchmark("accuracy/OneOver/1/x", [](benchmark::State& s) {
    Accuracy(
        s, [](float x) { return 1.0f / x; }, OneOverExact);
  }));
#ifdef TOLMAK_BENCH_SSE
  once(benchmark::RegisterBenchmark("accuracy/OneOver/rcpss",
                                    [](benchmark::State& s) { Accuracy(s, Rcpss, OneOverExact); }));
#endif
  once(benchmark::RegisterBenchmark("accuracy/Sin/ours",
                                    [](benchmark::State& s) { SinAccuracy(s, true); }));
  once(benchmark::RegisterBenchmark("accuracy/Sin/std::sin",
                                    [](benchmark::State& s) { SinAccuracy(s, false); }));
  return true;
}
