#pragma once

#include <memory>
#include <string>

#include "zunfert_scene.h"

namespace tolmak::detail {

/// A new plug-in object with its name, owned by the world from the start,
/// so that nothing made for a compile that fails half-way is leaked.
template <class T>
T* MakeOwned(cDefaultWorld& world, const std::string& name) {
  auto object = std::make_unique<T>();
  object->SetName(cString(name.c_str()));
  world.Adopt(object.get());
  return object.release();
}

}  // namespace tolmak::detail
