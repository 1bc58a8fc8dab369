// Random edit scripts replayed on real entities and on a plain recursive
// model of the queue; every matrix, flag, link and queue entry must agree.

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "scene_fixtures.h"

#if !defined(_WIN32)
#include <pthread.h>
#endif

using namespace scene_test;

namespace {

struct cModelNode {
  cMatrix4x3 pivot, offset, world;
  bool pivotChanged = true, offsetChanged = true, worldChanged = true, queued = false;
  int parent = -1;
  std::vector<int> children;
};

/// Each edit is applied to a real entity and to its model node. The model
/// queues recursively: the node, then its children in order, skipping what
/// is already queued. Its list operations touch a node's parent only when it
/// points back: copies list children and name parents that are not their own.
class Replay {
 public:
  explicit Replay(unsigned seed) : m_Random(seed) {}
  ~Replay() {
    DestroyShadows();
    for (cTestEntity* entity : m_Real) delete entity;
  }

  void BuildRandomTree(int count) {
    for (int i = 0; i < count; ++i) {
      Create();
      if (i > 0 && Uniform(0, 9) > 0) Link(Pick(i), i);
    }
  }

  /// Copies and assigned entities point at parents and list children that
  /// do not know them, so they go before anything else is destroyed.
  void DestroyShadows() {
    for (auto n = m_Shadows.rbegin(); n != m_Shadows.rend(); ++n) Destroy(*n);
    m_Shadows.clear();
  }

  void RandomEdit() {
    const int n = PickAlive(), kind = Uniform(0, 11), parent = m_Nodes[n].parent;
    if (kind <= 3) EditTransform(n, kind == 3);
    if (kind == 4) Link(PickAlive(), n);
    if (kind == 5 && parent >= 0) DeleteChild(parent, n);
    if (kind == 6) m_Real[n]->ClearChilds(), ModelClearChilds(n);
    if (kind == 7) DestroyShadows();
    if (kind == 7 && m_Real[n] != nullptr &&
        std::count(m_Real.begin(), m_Real.end(), nullptr) + 1 < std::ssize(m_Real))
      Destroy(n);
    if (kind == 8) Create();
    if (kind == 9) Copy(n);
    if (kind == 10) Create(), Assign(static_cast<int>(m_Real.size()) - 1, n);
    if (kind == 11) DeleteChild(n, PickAlive());
  }

  void PassAndCompare() {
    Compare(false);
    cEntity::UpdateMatrices();
    for (int n : m_Queue)
      if (n >= 0) Update(m_Nodes[n]);
    for (int n : m_Queue)
      if (n >= 0) {
        cModelNode& node = m_Nodes[n];
        node.pivotChanged = node.offsetChanged = node.worldChanged = node.queued = false;
      }
    m_Queue.clear();
    Compare(true);
  }

 private:
  void Compare(bool passed) {
    const tArray<cEntity*>& queue = cEntity::GetMatrixQueue();
    ASSERT_EQ(static_cast<size_t>(queue.GetCount()), m_Queue.size());
    for (int32_t i = 0; i < queue.GetCount(); ++i)
      ASSERT_EQ(queue[i], m_Queue[i] < 0 ? nullptr : m_Real[m_Queue[i]]) << i;
    for (size_t n = 0; n < m_Real.size(); ++n) {
      const cEntity* e = m_Real[n];
      const cModelNode& node = m_Nodes[n];
      if (e == nullptr) continue;
      ASSERT_TRUE(e->IsQueued() == node.queued && e->IsPivotChanged() == node.pivotChanged &&
                  e->IsOffsetChanged() == node.offsetChanged && !(passed && e->IsWorldChanged()))
          << "entity " << n;
      ASSERT_TRUE(SameBits(e->GetPivotMatrix(), node.pivot) &&
                  SameBits(e->GetOffsetMatrix(), node.offset) &&
                  (!passed || SameBits(e->GetWorldMatrix(), node.world)))
          << "entity " << n;
      ASSERT_EQ(e->GetParent(), node.parent < 0 ? nullptr : m_Real[node.parent]);
      ASSERT_EQ(static_cast<size_t>(e->GetNumberOfChilds()), node.children.size());
      for (size_t c = 0; c < node.children.size(); ++c)
        ASSERT_EQ(e->GetChild(static_cast<int>(c)), m_Real[node.children[c]]);
    }
  }

  void Update(cModelNode& node) {
    const cModelNode* parent = node.parent < 0 ? nullptr : &m_Nodes[node.parent];
    if (!node.pivotChanged && (parent == nullptr || !parent->worldChanged)) return;
    node.world = parent == nullptr ? node.pivot : node.pivot * parent->world;
    node.worldChanged = true;
  }

  void Queue(int n) {
    if (m_Nodes[n].queued) return;
    m_Queue.push_back(n);
    m_Nodes[n].queued = true;
    for (int child : m_Nodes[n].children) Queue(child);
  }

  void Create() {
    m_Real.push_back(new cTestEntity);
    m_Nodes.emplace_back();
    Queue(static_cast<int>(m_Nodes.size()) - 1);
  }

  void Copy(int n) {
    m_Real.push_back(new cTestEntity(*m_Real[n]));
    m_Nodes.push_back(m_Nodes[n]);
    m_Nodes.back().queued = false;
    Queue(static_cast<int>(m_Nodes.size()) - 1);
    m_Shadows.push_back(static_cast<int>(m_Nodes.size()) - 1);
  }

  void Assign(int target, int source) {
    *m_Real[target] = *m_Real[source];
    ModelDetach(target);
    const bool queued = m_Nodes[target].queued;  // the queue state is not copied
    m_Nodes[target] = m_Nodes[source];
    m_Nodes[target].queued = queued;
    Queue(target);
    m_Shadows.push_back(target);
  }

  void Destroy(int n) {
    delete std::exchange(m_Real[n], nullptr);
    ModelDetach(n);
    std::replace(m_Queue.begin(), m_Queue.end(), n, -1);
  }

  /// One of the pivot or offset operations (the float overloads are reached
  /// through the vector ones).
  void EditTransform(int n, bool offset) {
    cEntity& e = *m_Real[n];
    cMatrix4x3& m = offset ? m_Nodes[n].offset : m_Nodes[n].pivot;
    const cVector3 v = Vector(-10, 10), a = Vector(-180, 180), f = Vector(0.5f, 2);
    const int kind = Uniform(0, 4);
    if (kind == 0) m = cMatrix4x3::EulerRotation(a.x, a.y, a.z);
    if (kind == 0) offset ? e.SetOffsetMatrix(m) : e.SetPivotMatrix(m);
    if (kind == 1) m.SetPosition(v), offset ? e.SetOffsetPosition(v) : e.SetPivotPosition(v);
    if (kind == 2) m[3] += v, offset ? e.MoveOffset(v) : e.MovePivot(v);
    if (kind == 3) m.Rotate(a.x, a.y, a.z), offset ? e.RotateOffset(a) : e.RotatePivot(a);
    if (kind == 4) m.Scale(f.x, f.y, f.z), offset ? e.ScaleOffset(f) : e.ScalePivot(f);
    (offset ? m_Nodes[n].offsetChanged : m_Nodes[n].pivotChanged) = true;
    Queue(n);
  }

  void Link(int parent, int child) {
    std::vector<int>& list = m_Nodes[parent].children;
    if (std::find(list.begin(), list.end(), child) != list.end()) {
      m_Real[parent]->AddChild(m_Real[child]);  // in the list already: nothing
    } else if (child == parent || (!m_Nodes[child].children.empty() && Descends(parent, child))) {
      EXPECT_THROW(m_Real[parent]->AddChild(m_Real[child]), cException);
    } else {
      m_Real[parent]->AddChild(m_Real[child]);
      if (m_Nodes[child].parent >= 0) ModelDeleteChild(m_Nodes[child].parent, child);
      list.push_back(child);
      m_Nodes[child].parent = parent;
    }
  }

  bool Descends(int n, int ancestor) const {
    for (size_t steps = 0; n >= 0 && steps <= m_Nodes.size(); n = m_Nodes[n].parent, ++steps)
      if (n == ancestor) return true;
    return false;
  }

  void DeleteChild(int parent, int child) {
    m_Real[parent]->DeleteChild(m_Real[child]);  // mostly not in the list: nothing
    ModelDeleteChild(parent, child);
  }

  void ModelDeleteChild(int parent, int child) {
    std::vector<int>& list = m_Nodes[parent].children;
    const auto at = std::find(list.begin(), list.end(), child);
    if (at == list.end()) return;
    list.erase(at);
    if (m_Nodes[child].parent == parent) m_Nodes[child].parent = -1;
  }

  void ModelClearChilds(int n) {
    for (int child : m_Nodes[n].children)
      if (m_Nodes[child].parent == n) m_Nodes[child].parent = -1;
    m_Nodes[n].children.clear();
  }

  void ModelDetach(int n) {
    if (m_Nodes[n].parent >= 0) ModelDeleteChild(m_Nodes[n].parent, n);
    m_Nodes[n].parent = -1;
    ModelClearChilds(n);
  }

  int PickAlive() {
    for (;;) {
      const int n = Pick(static_cast<int>(m_Real.size()));
      if (m_Real[n] != nullptr) return n;
    }
  }
  int Pick(int below) { return Uniform(0, below - 1); }
  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_Random); }
  cVector3 Vector(float low, float high) {
    std::uniform_real_distribution<float> real(low, high);
    return {real(m_Random), real(m_Random), real(m_Random)};
  }

  std::mt19937 m_Random;
  std::vector<cTestEntity*> m_Real;  // null once destroyed
  std::vector<cModelNode> m_Nodes;
  std::vector<int> m_Queue;    // -1 where a destroyed entity was
  std::vector<int> m_Shadows;  // copies and assigned entities, oldest first
};

using MatrixPass = SceneTest;

}  // namespace

TEST_F(MatrixPass, RandomEditScriptsMatchTheRecursiveModelBitForBit) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE(seed);
    Replay replay(seed);
    replay.BuildRandomTree(300);
    replay.PassAndCompare();
    for (int round = 0; round < 60 && !HasFatalFailure(); ++round) {
      // Few edits between some passes, many between others.
      const int edits = round % 3 == 0 ? 2 : 40;
      replay.DestroyShadows();
      for (int i = 0; i < edits; ++i) replay.RandomEdit();
      replay.PassAndCompare();
    }
  }
}

// Built, edited at the root and in the middle, passed and torn down on a
// 256 KB stack, where a walk that recursed once per level would overflow.
TEST_F(MatrixPass, DeepChainIsQueuedAndPassedWithoutRecursion) {
#if defined(_WIN32)
  GTEST_SKIP() << "the walk is the same on every platform";
#else
  const auto run = [](void*) -> void* {
    [] {
      constexpr int kDepth = 100000;
      const auto chain = std::make_unique<cTestEntity[]>(kDepth);
      for (int i = 1; i < kDepth; ++i) chain[i - 1].AddChild(&chain[i]);
      cEntity::UpdateMatrices();
      chain[0].MovePivot(3, 0, 0);
      chain[kDepth / 2].MovePivot(0, 2, 0);  // already queued with its subtree
      ASSERT_EQ(cEntity::GetMatrixQueue().GetCount(), kDepth);
      EXPECT_EQ(cEntity::GetMatrixQueue()[kDepth - 1], &chain[kDepth - 1]);
      const int32_t capacity = cEntity::GetMatrixQueue().GetCapacity();
      cEntity::UpdateMatrices();
      EXPECT_EQ(cEntity::GetMatrixQueue().GetCapacity(), capacity);  // storage kept
      EXPECT_EQ(chain[kDepth / 2 - 1].GetWorldMatrix().GetPosition(), cVector3(3, 0, 0));
      EXPECT_EQ(chain[kDepth - 1].GetWorldMatrix().GetPosition(), cVector3(3, 2, 0));
    }();
    return nullptr;
  };
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 256 * 1024);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attributes, run, nullptr), 0);
  pthread_attr_destroy(&attributes);
  pthread_join(thread, nullptr);
#endif
}
