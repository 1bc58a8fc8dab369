#pragma once

#include <cstdint>

namespace zunfert::gl {

/// What the device asked of the driver, counted per frame (from BeginScene).
struct cGlCounts {
  uint32_t draws = 0;
  /// Fixed-function state, program, texture and vertex-layout changes made.
  uint32_t stateChanges = 0;
  /// Buffer and texture uploads.
  uint32_t uploads = 0;
  /// Programs compiled.
  uint32_t compiles = 0;
  /// Frames or surfaces read back into memory.
  uint32_t readbacks = 0;
};

}  // namespace zunfert::gl
