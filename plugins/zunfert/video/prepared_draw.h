#pragma once

#include <cstdint>

#include <tolmak.h>

#include "pixel_pipeline.h"
#include "rasterizer.h"
#include "render_state.h"
#include "vertex_processor.h"

namespace zunfert::detail {

/// A draw ready to rasterise on any thread: its own copy of the render
/// state, the processor, pixel pipeline and rasterizer set up from it, and
/// the primitives to draw. Those three point at the state and at each
/// other, so a prepared draw stays where it was made.
struct cPreparedDraw {
  cPreparedDraw() = default;
  cPreparedDraw(const cPreparedDraw&) = delete;
  cPreparedDraw& operator=(const cPreparedDraw&) = delete;

  /// The vertex number of corner i of the primitives: entries[i] - lowest,
  /// or i without entries.
  uint32_t Vertex(uint32_t i) const { return entries ? uint32_t{entries[i]} - lowest : i; }

  cRenderState state;
  cVertexProcessor processor;
  cPixelPipeline pipeline;
  cRasterizer rasterizer;
  cVideo3D::EPrimitive type = cVideo3D::EPrimitive::Triangles;
  /// The processor's vertices that the primitives may use, from vertex 0.
  uint32_t span = 0;
  uint32_t primitives = 0;
  const uint16_t* entries = nullptr;
  uint16_t lowest = 0;
};

}  // namespace zunfert::detail
