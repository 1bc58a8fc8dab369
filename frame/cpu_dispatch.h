#pragma once

#include <atomic>

// Wider vector instructions than the build's baseline, compiled for a
// function at a time and chosen at run time. Not on Windows, where the
// compilers do not align the stack for spilled 256-bit registers.
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__)) && \
    !defined(_WIN32)
#include <immintrin.h>
#define TOLMAK_RUNTIME_AVX 1
#endif

namespace tolmak::detail {

#ifdef TOLMAK_RUNTIME_AVX
// Asked once; the matrix pass asks at every call.
inline bool CpuHasAvxFma() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") && __builtin_cpu_supports("fma");
  }();
  return has;
}

inline bool CpuHasAvx2() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
  }();
  return has;
}
#endif

/// A function whose fastest form for this processor is found on the first
/// call: Choose() is asked once, its answer kept in a pointer that every
/// later call goes through. The pointer starts at the resolver and is
/// constant-initialised, so nothing runs at load.
template <class tSignature, auto Choose>
class tChosenAtRunTime;

template <class R, class... tArgs, auto Choose>
class tChosenAtRunTime<R(tArgs...), Choose> {
 public:
  using tFunction = R (*)(tArgs...);

  static R Call(tArgs... args) { return s_Chosen.load(std::memory_order_relaxed)(args...); }

 private:
  static R Resolve(tArgs... args) {
    const tFunction chosen = Choose();
    s_Chosen.store(chosen, std::memory_order_relaxed);
    return chosen(args...);
  }

  static inline std::atomic<tFunction> s_Chosen{&Resolve};
};

}  // namespace tolmak::detail
