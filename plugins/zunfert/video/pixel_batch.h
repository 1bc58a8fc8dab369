#pragma once

#include <cstddef>
#include <cstdint>

#include "render_state.h"
#include "vertex_processor.h"

namespace zunfert::detail {

/// An attribute's plane over the screen: the value at the reference point
/// and its steps per pixel in x and y.
struct cPlaneEquation {
  float value = 0, dx = 0, dy = 0;
};

/// What a triangle hands to the pixel pipeline. z is the depth in [0, 1];
/// the attributes are divided by w and invW is 1/w, so that they
/// interpolate linearly on the screen and the pixel divides them back
/// (perspective-correct).
struct cTriangleSetup {
  float referenceX = 0, referenceY = 0;
  cPlaneEquation z, invW;
  cPlaneEquation attribute[kRasterAttributes];
};

/// The buffers drawn into and the rectangle that limits drawing (the
/// viewport), in pixels, right and bottom exclusive.
struct cRasterTarget {
  uint8_t* color = nullptr;
  int pitch = 0;
  cPixelFormat format;
  float* depth = nullptr;
  uint8_t* stencil = nullptr;
  int depthPitch = 0;  // elements per row of the depth and stencil buffers
  int left = 0, top = 0, right = 0, bottom = 0;
};

/// Pixels go through in batches of this many, each step over the whole batch.
constexpr int kBatch = 64;

/// Pixels x to x + count - 1 of row y, entries start to start + count - 1 of a batch.
struct cRun {
  int x, y, start, count;
};

/// The per-pixel values of one batch, one array per quantity. A batch holds
/// runs of one triangle, so that the small triangles' short spans share the
/// work done per batch; the runs never overlap.
struct alignas(32) cBatch {
  int count = 0, runs = 0;
  cRun run[kBatch];
  /// Where each pixel's run starts, from the triangle's reference point, and
  /// the pixel's step along the run: a pixel's value is the plane's at the
  /// run's start plus the steps, the same sums whatever else the batch holds.
  /// A run fills the batch up to the next multiple of four entries, the
  /// lanes past it continuing the run (the next run overwrites them), so
  /// that the batch is whole groups of four; it writes four at a time, into
  /// the three spare entries at the end.
  float fromX[kBatch + 3], fromY[kBatch + 3], step[kBatch + 3];
  /// Each pixel's place in the depth and stencil buffers, and in the colour
  /// buffer counted in pixels (where its rows are whole pixels): the steps
  /// after the tests then loop over the batch, not run by run, whose lengths
  /// the processor cannot foresee. Lanes past a run repeat its last pixel's.
  int32_t at[kBatch + 3], pixel[kBatch + 3];
  float z[kBatch], w[kBatch];
  float r[kBatch], g[kBatch], b[kBatch], a[kBatch];
  float sr[kBatch], sg[kBatch], sb[kBatch], fog[kBatch];
  float u[kBatch], v[kBatch];
  float tr[kBatch], tg[kBatch], tb[kBatch], ta[kBatch];
  /// 0 stencil failed, 1 depth failed, 2 both passed.
  uint8_t outcome[kBatch];
  /// 1 where the alpha test or the colour key dropped the pixel.
  uint8_t killed[kBatch];
};

enum EOutcome : uint8_t { kStencilFailed = 0, kDepthFailed = 1, kPassed = 2 };

}  // namespace zunfert::detail
