// Irrlicht's matrix pass on the engine's trees: every node's position and
// rotation set, then updateAbsolutePosition on every node in depth-first
// order, parents first, which is how that engine brings a tree up to date.

#include <irrlicht/irrlicht.h>

#include <vector>

#include "matrix_trees.h"

namespace {

using namespace matrix_trees;
using irr::core::vector3df;

irr::scene::ISceneManager* Scene() {
  static irr::IrrlichtDevice* device = irr::createDevice(irr::video::EDT_NULL);
  return device->getSceneManager();
}

struct cIrrlichtTree {
  EShape shape;
  int32_t size;
  std::vector<irr::scene::ISceneNode*> nodes;  // depth-first pre-order
  std::vector<tPose> poses;

  cIrrlichtTree(EShape s, int32_t n) : shape(s), size(n), nodes(n), poses(n) {
    const cLayout layout = LayOut(s, n);
    for (int32_t d = 0; d < n; ++d) {
      nodes[d] = Scene()->addEmptySceneNode(d == 0 ? nullptr : nodes[layout.parent[d]]);
      poses[d] = NodePose(layout.order[d]);
    }
  }
  // Leaves first, so that no removal walks a subtree.
  ~cIrrlichtTree() {
    for (auto it = nodes.rbegin(); it != nodes.rend(); ++it) (*it)->remove();
  }
};

void IrrlichtPass(benchmark::State& state, EShape shape, int32_t size) {
  cIrrlichtTree& tree = CachedTree<cIrrlichtTree>(shape, size);
  for (auto _ : state) {
    for (int32_t d = 0; d < size; ++d) {
      const tPose& pose = tree.poses[d];
      tree.nodes[d]->setPosition(vector3df(pose.position[0], pose.position[1], pose.position[2]));
      tree.nodes[d]->setRotation(vector3df(pose.angles[0], pose.angles[1], pose.angles[2]));
    }
    const double start = ThreadSeconds();
    for (irr::scene::ISceneNode* node : tree.nodes) node->updateAbsolutePosition();
    benchmark::DoNotOptimize(tree.nodes.back()->getAbsoluteTransformation());
    state.SetIterationTime(ThreadSeconds() - start);
  }
  state.counters["queued"] = static_cast<double>(size);
}

}  // namespace

void RegisterIrrlichtPass(EShape shape, int32_t size) {
  RegisterPass("irrlicht", shape, size, IrrlichtPass);
}
