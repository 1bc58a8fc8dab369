// The matrix pass (cEntity::UpdateMatrices) on four tree shapes, beside a
// flat-array loop that does the same work on the same tree: the same queue
// order, the same flag tests and the same double-precision product. The
// flat loop keeps everything in arrays indexed in queue order, so it is the
// physical limit of that work; the entities live on the heap one by one,
// allocated in depth-first pre-order, as a loaded scene would be. The same
// loop over the pass's own layout of lines ("lines") parts what the layout
// costs from what reaching the records costs.
//
// Irrlicht's and OGRE's passes over the same trees join them when those
// libraries are found (matrix_pass_irrlicht.cpp, matrix_pass_ogre.cpp).
//
// Names: pass/<entity|flat|lines|irrlicht|ogre>/<shape>/<all|1pct|none>/<entities>. The
// counter "queued" is the queue's length, so the time per queued entity is
// the time per pass divided by it.

#include <benchmark/benchmark.h>
#include <tolmak.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "../math/matrix_product.h"

#include "bench_main.h"
#include "matrix_trees.h"

namespace {

using namespace matrix_trees;

class cBenchEntity final : public cEntity {
 public:
  void Animate(float) override {}
  void Render(cVideo3D*) override {}
};

enum class EEdit { kAll, kOnePercent, kNone };

const char* EditName(EEdit edit) {
  switch (edit) {
    case EEdit::kAll:
      return "all";
    case EEdit::kOnePercent:
      return "1pct";
    case EEdit::kNone:
      return "none";
  }
  return "";
}

cMatrix4x3 NodePivot(int32_t k) {
  const tPose pose = NodePose(k);
  cMatrix4x3 pivot = cMatrix4x3::EulerRotation(pose.angles[0], pose.angles[1], pose.angles[2]);
  pivot.SetPosition(cVector3(pose.position[0], pose.position[1], pose.position[2]));
  return pivot;
}

/// One tree, as entities and as flat arrays, both in depth-first pre-order.
struct cTree {
  EShape shape;
  int32_t size;
  std::vector<cBenchEntity*> entities;
  std::vector<int32_t> parent;   // -1 at the root
  std::vector<int32_t> subtree;  // nodes in the subtree, the node included

  cTree(EShape s, int32_t n);
  ~cTree() {
    // Last child first: each leaves its parent's list from the end.
    for (auto it = entities.rbegin(); it != entities.rend(); ++it) delete *it;
  }
};

cTree::cTree(EShape s, int32_t n) : shape(s), size(n) {
  cLayout layout = LayOut(s, n);
  entities.resize(n);
  for (int32_t d = 0; d < n; ++d) {
    entities[d] = new cBenchEntity;
    entities[d]->SetPivotMatrix(NodePivot(layout.order[d]));
  }
  for (int32_t d : layout.linkOrder) entities[layout.parent[d]]->AddChild(entities[d]);
  parent = std::move(layout.parent);
  subtree.assign(n, 1);
  for (int32_t d = n - 1; d > 0; --d) subtree[parent[d]] += subtree[d];
  cEntity::UpdateMatrices();
}

// Built once per shape and size and shared by the benchmarks that follow.
cTree& TreeOf(EShape shape, int32_t size) {
  return CachedTree<cTree>(shape, size);
}

std::vector<int32_t> EditedNodes(int32_t size, EEdit edit) {
  std::vector<int32_t> nodes;
  if (edit == EEdit::kAll) {
    nodes.resize(size);
    for (int32_t d = 0; d < size; ++d) nodes[d] = d;
  } else if (edit == EEdit::kOnePercent) {
    std::mt19937 random(12345);
    std::vector<int32_t> all(size);
    for (int32_t d = 0; d < size; ++d) all[d] = d;
    std::shuffle(all.begin(), all.end(), random);
    nodes.assign(all.begin(), all.begin() + std::max(1, size / 100));
    std::sort(nodes.begin(), nodes.end());
  }
  return nodes;
}

void EditEntities(cTree& tree, const std::vector<int32_t>& edited) {
  for (int32_t d : edited) {
    cEntity* entity = tree.entities[d];
    entity->SetPivotPosition(cVector3(entity->GetPivotPosition()));
  }
}

void EntityPass(benchmark::State& state, EShape shape, EEdit edit, int32_t size) {
  cTree& tree = TreeOf(shape, size);
  const std::vector<int32_t> edited = EditedNodes(size, edit);
  int64_t queued = 0;
  for (auto _ : state) {
    EditEntities(tree, edited);
    queued = cEntity::GetMatrixQueue().GetCount();
    const double start = ThreadSeconds();
    cEntity::UpdateMatrices();
    state.SetIterationTime(ThreadSeconds() - start);
  }
  state.counters["queued"] = static_cast<double>(queued);
}

struct tFlags {
  uint8_t offsetChanged, pivotChanged, worldChanged, queued;
};

/// The flat model's storage: pivots, world matrices, parents and flags each
/// in an array of its own, the queue a list of 4-byte indices.
struct tArrays {
  using tEntry = int32_t;
  std::vector<cMatrix4x3> pivot, world;
  std::vector<int32_t> parent;
  std::vector<tFlags> flags;

  explicit tArrays(const cTree& tree) : world(tree.size), parent(tree.parent), flags(tree.size) {
    pivot.reserve(tree.size);
    for (const cBenchEntity* entity : tree.entities) pivot.push_back(entity->GetPivotMatrix());
  }
  const cMatrix4x3& Pivot(size_t i) const { return pivot[i]; }
  cMatrix4x3& World(size_t i) { return world[i]; }
  int32_t Parent(size_t i) const { return parent[i]; }
  tFlags& Flags(size_t i) { return flags[i]; }
  void Prefetch(size_t i) const {
    __builtin_prefetch(&pivot[i]);
    __builtin_prefetch(&world[i]);
    __builtin_prefetch(&flags[i]);
    __builtin_prefetch(&parent[i]);
  }
};

/// The same data in the pass's own layout: a line it reads (pivot, parent)
/// and a line it writes (world, flags) a node, in two arrays, and 8-byte
/// queue entries; what the layout costs the flat loop, apart from how the
/// pass reaches its records.
struct tLines {
  using tEntry = int64_t;
  struct alignas(64) tRead {
    cMatrix4x3 pivot;
    int32_t parent;
  };
  struct alignas(64) tWritten {
    cMatrix4x3 world;
    tFlags flags;
  };
  std::vector<tRead> read;
  std::vector<tWritten> written;

  explicit tLines(const cTree& tree) : read(tree.size), written(tree.size) {
    for (int32_t i = 0; i < tree.size; ++i)
      read[i] = {tree.entities[i]->GetPivotMatrix(), tree.parent[i]};
  }
  const cMatrix4x3& Pivot(size_t i) const { return read[i].pivot; }
  cMatrix4x3& World(size_t i) { return written[i].world; }
  int32_t Parent(size_t i) const { return read[i].parent; }
  tFlags& Flags(size_t i) { return written[i].flags; }
  void Prefetch(size_t i) const {
    __builtin_prefetch(&read[i]);
    __builtin_prefetch(&written[i]);
  }
};

/// The flat model: the pass's work on storage indexed in queue order.
template <class tStorage>
struct cFlatScene {
  tStorage nodes;
  std::vector<typename tStorage::tEntry> queue;

  explicit cFlatScene(const cTree& tree) : nodes(tree) { queue.reserve(tree.size); }

  // Edited in depth-first order, an unqueued node's whole subtree is
  // unqueued and follows it in the same order: that is what the entities'
  // walk appends.
  void Edit(const cTree& tree, const std::vector<int32_t>& edited) {
    for (int32_t d : edited) {
      nodes.Flags(d).pivotChanged = 1;
      if (nodes.Flags(d).queued) continue;
      for (int32_t k = d; k < d + tree.subtree[d]; ++k) {
        nodes.Flags(k).queued = 1;
        queue.push_back(k);
      }
    }
  }

  void Update() {
#ifdef TOLMAK_RUNTIME_AVX
    if (tolmak::detail::CpuHasAvxFma()) {
      SweepWithFma(*this);
    } else
#endif
    {
      tolmak::detail::cPlainChain products;
      Sweep(products);
    }
    for (auto i : queue) nodes.Flags(i) = tFlags{};
    queue.clear();
  }

  // The pass's products: inlined where the pass's are, and carrying a
  // parent's world matrix in registers to its next child as the pass does.
  template <class tChain>
  [[gnu::always_inline]] void Sweep(tChain& products) {
    // Fetched ahead as the entities are, so that a sparse queue costs the
    // loop no more than it must.
    constexpr size_t kAhead = 8;
    for (size_t q = 0; q < queue.size(); ++q) {
      if (q + kAhead < queue.size()) nodes.Prefetch(queue[q + kAhead]);
      const auto i = static_cast<size_t>(queue[q]);
      const int32_t p = nodes.Parent(i);
      if (p >= 0) {
        if (!nodes.Flags(p).worldChanged && !nodes.Flags(i).pivotChanged) continue;
        products.Multiply(nodes.Pivot(i), nodes.World(p), nodes.World(i));
      } else {
        if (!nodes.Flags(i).pivotChanged) continue;
        products.Copy(nodes.Pivot(i), nodes.World(i));
      }
      nodes.Flags(i).worldChanged = 1;
    }
  }

#ifdef TOLMAK_RUNTIME_AVX
  __attribute__((target("avx,fma"))) static void SweepWithFma(cFlatScene& scene) {
    tolmak::detail::cFmaChain products;
    scene.Sweep(products);
  }
#endif
};

template <class tStorage>
void FlatPass(benchmark::State& state, EShape shape, EEdit edit, int32_t size) {
  cTree& tree = TreeOf(shape, size);
  const std::vector<int32_t> edited = EditedNodes(size, edit);
  cFlatScene<tStorage> flat(tree);
  // The model must queue exactly what the entities queue.
  EditEntities(tree, edited);
  flat.Edit(tree, edited);
  const tArray<cEntity*>& entityQueue = cEntity::GetMatrixQueue();
  bool same = entityQueue.GetCount() == static_cast<int32_t>(flat.queue.size());
  for (int32_t j = 0; same && j < entityQueue.GetCount(); ++j)
    same = entityQueue[j] == tree.entities[flat.queue[j]];
  cEntity::UpdateMatrices();
  flat.Update();
  if (!same) {
    state.SkipWithError("the flat model queues differently from the entities");
    return;
  }
  int64_t queued = 0;
  for (auto _ : state) {
    flat.Edit(tree, edited);
    queued = static_cast<int64_t>(flat.queue.size());
    const double start = ThreadSeconds();
    flat.Update();
    benchmark::DoNotOptimize(&flat.nodes);
    state.SetIterationTime(ThreadSeconds() - start);
  }
  state.counters["queued"] = static_cast<double>(queued);
}

// Nothing edited: the pass over an empty queue, timed as usual.
void EmptyPass(benchmark::State& state, EShape shape, int32_t size) {
  TreeOf(shape, size);
  for (auto _ : state) cEntity::UpdateMatrices();
  state.counters["queued"] = 0;
}

void FlatEmptyPass(benchmark::State& state, EShape shape, int32_t size) {
  cTree& tree = TreeOf(shape, size);
  cFlatScene<tArrays> flat(tree);
  for (auto _ : state) {
    flat.Update();
    benchmark::ClobberMemory();
  }
  state.counters["queued"] = 0;
}

// Destroying an entity while it waits on a queue of `size` entries: a new
// entity joins the queue's end, and deleting it must not search the queue.
void QueueRemoval(benchmark::State& state, int32_t size) {
  cTree& tree = TreeOf(EShape::kWide, size);
  tree.entities[0]->MovePivot(0.0f, 0.0f, 0.0f);
  for (auto _ : state) {
    auto* entity = new cBenchEntity;
    delete entity;
  }
  state.counters["queued"] = static_cast<double>(cEntity::GetMatrixQueue().GetCount());
  cEntity::UpdateMatrices();
}

std::string Name(const char* variant, EShape shape, const char* edit, int32_t size) {
  return std::string("pass/") + variant + "/" + ShapeName(shape) + "/" + edit + "/" +
         std::to_string(size);
}

}  // namespace

bool RegisterBenchmarks() {
  for (EShape shape : kShapes) {
    for (int32_t size : kSizes) {
      for (EEdit edit : {EEdit::kAll, EEdit::kOnePercent}) {
        benchmark::RegisterBenchmark(Name("entity", shape, EditName(edit), size).c_str(),
                                     EntityPass, shape, edit, size)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(Name("flat", shape, EditName(edit), size).c_str(),
                                     FlatPass<tArrays>, shape, edit, size)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
      }
      benchmark::RegisterBenchmark(Name("lines", shape, "all", size).c_str(), FlatPass<tLines>,
                                   shape, EEdit::kAll, size)
          ->UseManualTime()
          ->Unit(benchmark::kMicrosecond);
#ifdef TOLMAK_BENCH_IRRLICHT
      RegisterIrrlichtPass(shape, size);
#endif
#ifdef TOLMAK_BENCH_OGRE
      RegisterOgrePass(shape, size);
#endif
      benchmark::RegisterBenchmark(Name("entity", shape, "none", size).c_str(), EmptyPass, shape,
                                   size);
      benchmark::RegisterBenchmark(Name("flat", shape, "none", size).c_str(), FlatEmptyPass, shape,
                                   size);
    }
  }
  for (int32_t size : {1000, 1000000})
    benchmark::RegisterBenchmark(("queue_removal/" + std::to_string(size)).c_str(), QueueRemoval,
                                 size);
  return true;
}
