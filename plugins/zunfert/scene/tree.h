#pragma once

// The walk over an entity tree shared by the sector and the world.

#include <vector>

#include <tolmak.h>

namespace zunfert::detail {

/// Visits the tree under root depth first, parents before their children
/// and children in order, without recursion, so that any depth is safe.
/// visit returns whether to go into the entity's children; it may relink
/// them, since they are read after it returns. Null children are skipped.
template <class tVisit>
void WalkTree(cEntity* root, tVisit visit) {
  std::vector<cEntity*> stack;
  if (root != nullptr) stack.push_back(root);
  while (!stack.empty()) {
    cEntity* entity = stack.back();
    stack.pop_back();
    if (!visit(entity)) continue;
    for (int i = entity->GetNumberOfChilds() - 1; i >= 0; --i)
      if (cEntity* child = entity->GetChild(i)) stack.push_back(child);
  }
}

}  // namespace zunfert::detail
