#pragma once

// The trees of the matrix-pass benchmarks, shared by the engine's pass and
// the other engines' passes so that all of them walk the same shapes: four
// shapes, seven sizes, nodes numbered in depth-first pre-order.

#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace matrix_trees {

enum class EShape { kChain, kBinary, kWide, kOctal };

constexpr EShape kShapes[] = {EShape::kChain, EShape::kBinary, EShape::kWide, EShape::kOctal};
constexpr int32_t kSizes[] = {1000, 3000, 10000, 30000, 100000, 300000, 1000000};

inline const char* ShapeName(EShape shape) {
  switch (shape) {
    case EShape::kChain:
      return "chain";
    case EShape::kBinary:
      return "binary";
    case EShape::kWide:
      return "wide500";
    case EShape::kOctal:
      return "octal";
  }
  return "";
}

// Parent of node k (k >= 1) when the nodes are numbered breadth first. The
// octal tree, filled level by level, reaches depth 8 at a million nodes.
inline int32_t BreadthFirstParent(EShape shape, int32_t k) {
  switch (shape) {
    case EShape::kChain:
      return k - 1;
    case EShape::kBinary:
      return (k - 1) / 2;
    case EShape::kWide:
      return (k - 1) / 500;
    case EShape::kOctal:
      return (k - 1) / 8;
  }
  return -1;
}

/// A tree's layout in depth-first pre-order.
struct cLayout {
  std::vector<int32_t> order;   // breadth-first number of each node
  std::vector<int32_t> parent;  // -1 at the root
  /// Node indices in the order to link them: breadth first, so that no
  /// child has children yet when it is added.
  std::vector<int32_t> linkOrder;
};

inline cLayout LayOut(EShape shape, int32_t n) {
  // Children lists in breadth-first numbering, then the depth-first order.
  std::vector<int32_t> first(n + 1, 0), children(n > 0 ? n - 1 : 0);
  for (int32_t k = 1; k < n; ++k) ++first[BreadthFirstParent(shape, k) + 1];
  for (int32_t k = 0; k < n; ++k) first[k + 1] += first[k];
  std::vector<int32_t> fill(first.begin(), first.end() - 1);
  for (int32_t k = 1; k < n; ++k) children[fill[BreadthFirstParent(shape, k)]++] = k;
  cLayout layout;
  std::vector<int32_t> depthFirst(n), stack{0};
  layout.order.reserve(n);
  while (!stack.empty()) {
    const int32_t k = stack.back();
    stack.pop_back();
    depthFirst[k] = static_cast<int32_t>(layout.order.size());
    layout.order.push_back(k);
    for (int32_t c = first[k + 1]; c-- > first[k];) stack.push_back(children[c]);
  }
  layout.parent.assign(n, -1);
  layout.linkOrder.resize(n > 0 ? n - 1 : 0);
  for (int32_t k = 1; k < n; ++k) {
    layout.parent[depthFirst[k]] = depthFirst[BreadthFirstParent(shape, k)];
    layout.linkOrder[k - 1] = depthFirst[k];
  }
  return layout;
}

/// Euler angles in degrees and a position: neither the identity nor the
/// same for every node.
struct tPose {
  float angles[3];
  float position[3];
};

inline tPose NodePose(int32_t k) {
  return {{static_cast<float>(k % 7), 3.0f, -2.0f},
          {1.0f + static_cast<float>(k % 5), 0.5f, -0.25f}};
}

// The thread's own processor time: the machines are shared, and time spent
// waiting for the processor is not the pass's.
inline double ThreadSeconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

/// The tree of that shape and size, built once and kept for the benchmarks
/// that follow; tTree is built from (shape, size) and has both as members.
template <class tTree>
tTree& CachedTree(EShape shape, int32_t size) {
  static std::unique_ptr<tTree> tree;
  if (!tree || tree->shape != shape || tree->size != size) {
    tree.reset();  // the old tree goes before the new one is built
    tree = std::make_unique<tTree>(shape, size);
  }
  return *tree;
}

/// Registers pass/<variant>/<shape>/all/<size>, timed by the benchmark itself.
inline void RegisterPass(const char* variant, EShape shape, int32_t size,
                         void (*pass)(benchmark::State&, EShape, int32_t)) {
  const std::string name =
      std::string("pass/") + variant + "/" + ShapeName(shape) + "/all/" + std::to_string(size);
  benchmark::RegisterBenchmark(name.c_str(), pass, shape, size)
      ->UseManualTime()
      ->Unit(benchmark::kMicrosecond);
}

}  // namespace matrix_trees

// The other engines' passes over the same trees, registered beside the
// engine's own when their libraries were found.
void RegisterIrrlichtPass(matrix_trees::EShape shape, int32_t size);
void RegisterOgrePass(matrix_trees::EShape shape, int32_t size);
