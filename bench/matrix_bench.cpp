// The 4x3 affine product and point transform beside GLM and Eigen doing the
// same affine work on the same twelve floats in single precision: the
// difference is what the engine's rounding rule (sum in double precision,
// round once) costs.
//
// Names: matrix/<product|point>/<ours|glm|eigen>.

#include <benchmark/benchmark.h>
#include <tolmak.h>

#include <Eigen/Geometry>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <glm/glm.hpp>
#include <random>
#include <vector>

#include "bench_main.h"

namespace {

constexpr size_t kCount = 256;  // three arrays of matrices stay in the first-level cache

std::vector<cMatrix4x3> RandomMatrices(unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> angle(-180.0f, 180.0f), offset(-100.0f, 100.0f);
  std::vector<cMatrix4x3> matrices;
  for (size_t i = 0; i < kCount; ++i) {
    cMatrix4x3 m = cMatrix4x3::EulerRotation(angle(random), angle(random), angle(random));
    m.SetPosition(cVector3(offset(random), offset(random), offset(random)));
    matrices.push_back(m);
  }
  return matrices;
}

std::vector<cVector3> RandomPoints() {
  std::mt19937 random(3);
  std::uniform_real_distribution<float> coordinate(-100.0f, 100.0f);
  std::vector<cVector3> points;
  for (size_t i = 0; i < kCount * 4; ++i)
    points.emplace_back(coordinate(random), coordinate(random), coordinate(random));
  return points;
}

// Each library gets the same numbers in its own type: GLM's mat4x3 (four
// columns of three) and Eigen's compact affine transform (a 3x4 matrix,
// column-major) both hold our rows as their columns, element for element.
template <class T>
std::vector<T> As(const std::vector<cMatrix4x3>& matrices) {
  static_assert(sizeof(T) == sizeof(cMatrix4x3));
  std::vector<T> out(matrices.size());
  std::memcpy(static_cast<void*>(out.data()), matrices.data(), sizeof(T) * matrices.size());
  return out;
}

template <class M, class Fn>
void ProductLoop(benchmark::State& state, Fn multiply) {
  const auto a = As<M>(RandomMatrices(1)), b = As<M>(RandomMatrices(2));
  std::vector<M> c(kCount);
  for (auto _ : state) {
    for (size_t i = 0; i < kCount; ++i) c[i] = multiply(a[i], b[i]);
    benchmark::DoNotOptimize(c.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kCount));
}

template <class M, class V, class Fn>
void PointLoop(benchmark::State& state, Fn transform) {
  const M m = As<M>(RandomMatrices(4))[0];
  const auto points = RandomPoints();
  std::vector<V> in(points.size()), out(points.size());
  std::memcpy(static_cast<void*>(in.data()), points.data(), sizeof(V) * in.size());
  for (auto _ : state) {
    for (size_t i = 0; i < in.size(); ++i) out[i] = transform(m, in[i]);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * in.size()));
}

void ProductOurs(benchmark::State& s) {
  ProductLoop<cMatrix4x3>(s, [](const cMatrix4x3& a, const cMatrix4x3& b) { return a * b; });
}

// Ours applies a first; in GLM's column-vector convention that is b * a:
// the linear parts multiply and a's translation goes through b.
void ProductGlm(benchmark::State& s) {
  ProductLoop<glm::mat4x3>(s, [](const glm::mat4x3& a, const glm::mat4x3& b) {
    const glm::mat3 lb(b), l = lb * glm::mat3(a);
    return glm::mat4x3(l[0], l[1], l[2], lb * a[3] + b[3]);
  });
}

void ProductEigen(benchmark::State& s) {
  ProductLoop<Eigen::AffineCompact3f>(
      s, [](const Eigen::AffineCompact3f& a, const Eigen::AffineCompact3f& b) { return b * a; });
}

void PointOurs(benchmark::State& s) {
  PointLoop<cMatrix4x3, cVector3>(s, [](const cMatrix4x3& m, const cVector3& p) { return p * m; });
}

void PointGlm(benchmark::State& s) {
  PointLoop<glm::mat4x3, glm::vec3>(
      s, [](const glm::mat4x3& m, const glm::vec3& p) { return m * glm::vec4(p, 1.0f); });
}

void PointEigen(benchmark::State& s) {
  PointLoop<Eigen::AffineCompact3f, Eigen::Vector3f>(
      s, [](const Eigen::AffineCompact3f& m, const Eigen::Vector3f& p) -> Eigen::Vector3f {
        return m * p;
      });
}

// The libraries must compute what we compute, up to their single-precision
// rounding, or the comparison is void.
bool SameWork() {
  const auto a = RandomMatrices(1), b = RandomMatrices(2);
  const cMatrix4x3 ours = a[0] * b[0];
  const glm::mat4x3 ga = As<glm::mat4x3>(a)[0], gb = As<glm::mat4x3>(b)[0];
  const glm::mat3 l = glm::mat3(gb) * glm::mat3(ga);
  const glm::mat4x3 g(l[0], l[1], l[2], glm::mat3(gb) * ga[3] + gb[3]);
  const Eigen::AffineCompact3f e =
      As<Eigen::AffineCompact3f>(b)[0] * As<Eigen::AffineCompact3f>(a)[0];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c)
      if (std::abs(g[r][c] - ours(r, c)) > 1e-3f || std::abs(e.matrix()(c, r) - ours(r, c)) > 1e-3f)
        return false;
  return true;
}

}  // namespace

bool RegisterBenchmarks() {
  if (!SameWork()) {
    std::fprintf(stderr, "GLM or Eigen does not compute the same product\n");
    return false;
  }
  benchmark::RegisterBenchmark("matrix/product/ours", ProductOurs);
  benchmark::RegisterBenchmark("matrix/product/glm", ProductGlm);
  benchmark::RegisterBenchmark("matrix/product/eigen", ProductEigen);
  benchmark::RegisterBenchmark("matrix/point/ours", PointOurs);
  benchmark::RegisterBenchmark("matrix/point/glm", PointGlm);
  benchmark::RegisterBenchmark("matrix/point/eigen", PointEigen);
  return true;
}
