// Random edit scripts replayed on real entities and on a plain recursive
// model of the queue; every world matrix must agree bit for bit.

#include <algorithm>
#include <random>
#include <vector>

#include "scene_fixtures.h"

using namespace scene_test;

namespace {

struct cModelNode {
  cMatrix4x3 pivot, world;
  bool pivotChanged = true, worldChanged = true, queued = false, alive = true;
  int parent = -1;
  std::vector<int> children;
};

/// The queue as a recursive definition: an edit queues the node, then its
/// children in order, skipping what is already queued.
class cReferenceScene {
 public:
  int Create() {
    nodes.emplace_back();
    Queue(static_cast<int>(nodes.size()) - 1);
    return static_cast<int>(nodes.size()) - 1;
  }
  void Queue(int n) {
    if (nodes[n].queued) return;
    queue.push_back(n);
    nodes[n].queued = true;
    for (int child : nodes[n].children) Queue(child);
  }
  bool Lists(int parent, int child) const {
    return std::find(nodes[parent].children.begin(), nodes[parent].children.end(), child) !=
           nodes[parent].children.end();
  }
  // The list operations touch a node's parent only when it points back:
  // copies list children and name parents that are not their own.
  void DeleteChild(int parent, int child) {
    auto& children = nodes[parent].children;
    const auto at = std::find(children.begin(), children.end(), child);
    if (at == children.end()) return;
    children.erase(at);
    if (nodes[child].parent == parent) nodes[child].parent = -1;
  }
  void AddChild(int parent, int child) {
    if (Lists(parent, child)) return;
    if (nodes[child].parent >= 0) DeleteChild(nodes[child].parent, child);
    nodes[parent].children.push_back(child);
    nodes[child].parent = parent;
  }
  void ClearChilds(int n) {
    for (int child : nodes[n].children)
      if (nodes[child].parent == n) nodes[child].parent = -1;
    nodes[n].children.clear();
  }
  void Detach(int n) {
    if (nodes[n].parent >= 0) DeleteChild(nodes[n].parent, n);
    nodes[n].parent = -1;
    ClearChilds(n);
  }
  void Destroy(int n) {
    Detach(n);
    nodes[n].alive = false;
    std::replace(queue.begin(), queue.end(), n, -1);
  }
  int Copy(int n) {
    nodes.push_back(nodes[n]);
    const int id = static_cast<int>(nodes.size()) - 1;
    nodes[id].queued = false;
    Queue(id);
    return id;
  }
  void Assign(int target, int source) {
    if (target == source) return;
    Detach(target);
    cModelNode& t = nodes[target];
    const cModelNode& s = nodes[source];
    t.pivot = s.pivot, t.world = s.world, t.parent = s.parent, t.children = s.children;
    t.pivotChanged = s.pivotChanged, t.worldChanged = s.worldChanged;
    Queue(target);
  }
  bool IsAncestorOrSelf(int ancestor, int n) const {
    for (size_t steps = 0; n >= 0 && steps <= nodes.size(); n = nodes[n].parent, ++steps)
      if (n == ancestor) return true;
    return false;
  }
  void Pass() {
    for (int n : queue)
      if (n >= 0) Update(nodes[n]);
    for (int n : queue)
      if (n >= 0) nodes[n].pivotChanged = nodes[n].worldChanged = nodes[n].queued = false;
    queue.clear();
  }

  std::vector<cModelNode> nodes;
  std::vector<int> queue;  // -1 where a destroyed node was

 private:
  void Update(cModelNode& node) {
    if (node.parent >= 0) {
      const cModelNode& parent = nodes[node.parent];
      if (!parent.worldChanged && !node.pivotChanged) return;
      node.world = node.pivot * parent.world;
    } else {
      if (!node.pivotChanged) return;
      node.world = node.pivot;
    }
    node.worldChanged = true;
  }
};

class Replay {
 public:
  explicit Replay(unsigned seed) : m_Random(seed) {}
  ~Replay() {
    DestroyShadows();
    for (cTestEntity* entity : m_Real) delete entity;
  }

  void Create() {
    const int id = m_Model.Create();
    m_Real.push_back(new cTestEntity);
    EXPECT_EQ(static_cast<int>(m_Real.size()) - 1, id);
  }

  void BuildRandomTree(int count) {
    for (int i = 0; i < count; ++i) {
      Create();
      if (i > 0 && Chance(0.9)) Link(Pick(i), i);
    }
  }

  /// Copies and assigned entities point at parents and list children that
  /// do not know them, so they go before anything else is destroyed.
  void DestroyShadows() {
    for (auto n = m_Shadows.rbegin(); n != m_Shadows.rend(); ++n) {
      delete std::exchange(m_Real[*n], nullptr);
      m_Model.Destroy(*n);
    }
    m_Shadows.clear();
  }

  void RandomEdit() {
    const int n = PickAlive();
    const int kind = Uniform(0, 11);
    if (kind <= 2) EditPivot(n);
    if (kind == 3) m_Real[n]->MoveOffset(Value(), Value(), Value()), m_Model.Queue(n);
    if (kind == 4) Link(PickAlive(), n);
    if (kind == 5) Unlink(n);
    if (kind == 6) m_Real[n]->ClearChilds(), m_Model.ClearChilds(n);
    if (kind == 7) Destroy(n);
    if (kind == 8) Create();
    if (kind == 9) Copy(n);
    if (kind == 10) AssignToFresh(n);
    if (kind == 11) DeleteChild(n, PickAlive());
  }

  void PassAndCompare() {
    CompareQueues();
    cEntity::UpdateMatrices();
    m_Model.Pass();
    for (size_t n = 0; n < m_Real.size(); ++n) {
      if (m_Real[n] == nullptr) continue;
      ASSERT_TRUE(SameBits(m_Real[n]->GetWorldMatrix(), m_Model.nodes[n].world)) << "entity " << n;
      ASSERT_FALSE(m_Real[n]->IsQueued() || m_Real[n]->IsWorldChanged() ||
                   m_Real[n]->IsPivotChanged() || m_Real[n]->IsOffsetChanged());
      ASSERT_EQ(static_cast<size_t>(m_Real[n]->GetNumberOfChilds()),
                m_Model.nodes[n].children.size());
      for (size_t c = 0; c < m_Model.nodes[n].children.size(); ++c)
        ASSERT_EQ(m_Real[n]->GetChild(static_cast<int>(c)), m_Real[m_Model.nodes[n].children[c]]);
    }
  }

 private:
  void CompareQueues() {
    const tArray<cEntity*>& queue = cEntity::GetMatrixQueue();
    ASSERT_EQ(static_cast<size_t>(queue.GetCount()), m_Model.queue.size());
    for (int32_t i = 0; i < queue.GetCount(); ++i) {
      const int expected = m_Model.queue[i];
      if (expected < 0)
        ASSERT_EQ(queue[i], nullptr);
      else
        ASSERT_EQ(queue[i], m_Real[expected]) << "queue entry " << i;
    }
  }

  void EditPivot(int n) {
    cEntity& e = *m_Real[n];
    cMatrix4x3& pivot = m_Model.nodes[n].pivot;
    const int kind = Uniform(0, 4);
    const cVector3 position(Value(), Value(), Value()), angles(Angle(), Angle(), Angle());
    const cVector3 factors(Scale(), Scale(), Scale());
    if (kind == 0) {
      const cMatrix4x3 m = cMatrix4x3::EulerRotation(angles.x, angles.y, angles.z);
      e.SetPivotMatrix(m), pivot = m;
    }
    if (kind == 1) e.SetPivotPosition(position), pivot.SetPosition(position);
    if (kind == 2) e.MovePivot(position), pivot[3] += position;
    if (kind == 3) e.RotatePivot(angles), pivot.Rotate(angles.x, angles.y, angles.z);
    if (kind == 4) e.ScalePivot(factors), pivot.Scale(factors.x, factors.y, factors.z);
    m_Model.nodes[n].pivotChanged = true;
    m_Model.Queue(n);
  }

  void Link(int parent, int child) {
    if (m_Model.Lists(parent, child)) {
      m_Real[parent]->AddChild(m_Real[child]);  // in the list already: nothing
      return;
    }
    if (child == parent ||
        (!m_Model.nodes[child].children.empty() && m_Model.IsAncestorOrSelf(child, parent))) {
      EXPECT_THROW(m_Real[parent]->AddChild(m_Real[child]), cException);
      return;
    }
    m_Real[parent]->AddChild(m_Real[child]);
    m_Model.AddChild(parent, child);
  }

  void Unlink(int child) {
    const int parent = m_Model.nodes[child].parent;
    if (parent < 0) return;
    DeleteChild(parent, child);
  }

  void DeleteChild(int parent, int child) {
    m_Real[parent]->DeleteChild(m_Real[child]);  // mostly not in the list: nothing
    m_Model.DeleteChild(parent, child);
  }

  void Destroy(int n) {
    DestroyShadows();
    if (m_Real[n] == nullptr || AliveCount() < 2) return;
    delete std::exchange(m_Real[n], nullptr);
    m_Model.Destroy(n);
  }

  void Copy(int n) {
    m_Shadows.push_back(m_Model.Copy(n));
    m_Real.push_back(new cTestEntity(*m_Real[n]));
  }

  void AssignToFresh(int source) {
    Create();
    const int target = static_cast<int>(m_Real.size()) - 1;
    *m_Real[target] = *m_Real[source];
    m_Model.Assign(target, source);
    m_Shadows.push_back(target);
  }

  int AliveCount() const {
    return static_cast<int>(std::count_if(m_Real.begin(), m_Real.end(), [](auto* e) { return e; }));
  }
  int PickAlive() {
    for (;;) {
      const int n = Pick(static_cast<int>(m_Real.size()));
      if (m_Real[n] != nullptr) return n;
    }
  }
  int Pick(int below) { return Uniform(0, below - 1); }
  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_Random); }
  bool Chance(double p) { return std::bernoulli_distribution(p)(m_Random); }
  float Value() { return std::uniform_real_distribution<float>(-10.0f, 10.0f)(m_Random); }
  float Angle() { return std::uniform_real_distribution<float>(-180.0f, 180.0f)(m_Random); }
  float Scale() { return std::uniform_real_distribution<float>(0.5f, 2.0f)(m_Random); }

  std::mt19937 m_Random;
  cReferenceScene m_Model;
  std::vector<cTestEntity*> m_Real;  // null once destroyed
  std::vector<int> m_Shadows;        // copies and assigned entities, oldest first
};

using MatrixReplay = SceneTest;

}  // namespace

TEST_F(MatrixReplay, RandomEditScriptsMatchTheRecursiveModelBitForBit) {
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
