#pragma once

#include "tolmak_fastfloat.h"

namespace tolmak::detail {

/// The engine's own fast-float object: it builds its tables as it is
/// constructed, so that defining it first among the engine's static objects
/// makes them ready before anything can use them.
class cLibraryFastFloat : public cFastFloat {
 public:
  cLibraryFastFloat() { InitLUT(); }
};

/// Used by the quaternion and the fast sphere growth; defined in the
/// start-up unit.
extern const cLibraryFastFloat gFastFloat;

}  // namespace tolmak::detail
