// OGRE's matrix pass on the engine's trees: every node's position and
// orientation set, then _update of the tree's root, which derives every
// node's transform, and _getFullTransform of every node, which builds its
// matrix.

#include <OGRE/Ogre.h>

#include <vector>

#include "matrix_trees.h"

namespace {

using namespace matrix_trees;

Ogre::SceneManager* Scene() {
  static Ogre::SceneManager* scene = [] {
    Ogre::LogManager* logs = new Ogre::LogManager;
    logs->createLog("", true, false, true);  // quiet, no file
    return (new Ogre::Root("", "", ""))->createSceneManager();
  }();
  return scene;
}

struct cOgreTree {
  EShape shape;
  int32_t size;
  std::vector<Ogre::SceneNode*> nodes;  // depth-first pre-order
  std::vector<Ogre::Vector3> positions;
  std::vector<Ogre::Quaternion> orientations;

  cOgreTree(EShape s, int32_t n) : shape(s), size(n), nodes(n), positions(n), orientations(n) {
    const cLayout layout = LayOut(s, n);
    for (int32_t d = 0; d < n; ++d) {
      Ogre::SceneNode* parent = d == 0 ? Scene()->getRootSceneNode() : nodes[layout.parent[d]];
      nodes[d] = parent->createChildSceneNode();
      const tPose pose = NodePose(layout.order[d]);
      positions[d] = Ogre::Vector3(pose.position[0], pose.position[1], pose.position[2]);
      Ogre::Matrix3 rotation;
      rotation.FromEulerAnglesXYZ(Ogre::Degree(pose.angles[0]), Ogre::Degree(pose.angles[1]),
                                  Ogre::Degree(pose.angles[2]));
      orientations[d] = Ogre::Quaternion(rotation);
    }
  }
  ~cOgreTree() { Scene()->clearScene(); }
};

void OgrePass(benchmark::State& state, EShape shape, int32_t size) {
  cOgreTree& tree = CachedTree<cOgreTree>(shape, size);
  for (auto _ : state) {
    for (int32_t d = 0; d < size; ++d) {
      tree.nodes[d]->setPosition(tree.positions[d]);
      tree.nodes[d]->setOrientation(tree.orientations[d]);
    }
    const double start = ThreadSeconds();
    tree.nodes[0]->_update(true, false);
    Ogre::Real sum = 0;
    for (Ogre::SceneNode* node : tree.nodes) sum += node->_getFullTransform()[0][3];
    benchmark::DoNotOptimize(sum);
    state.SetIterationTime(ThreadSeconds() - start);
  }
  state.counters["queued"] = static_cast<double>(size);
}

}  // namespace

void RegisterOgrePass(EShape shape, int32_t size) {
  RegisterPass("ogre", shape, size, OgrePass);
}
