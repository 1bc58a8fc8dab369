// The 3D device's geometry: buffers, primitive assembly and drawing.
#include <algorithm>
#include <utility>

#include "software_video3d.h"

namespace zunfert {

/// A device copy of a vertex buffer: system memory is all the device has.
class cSoftwareVideo3D::cDeviceVertices : public hVertexBuffer {
 public:
  cVertexBuffer m_Vertices;
};

class cSoftwareVideo3D::cDeviceIndices : public hIndexBuffer {
 public:
  cIndexBuffer m_Indices;
};

hVertexBuffer* cSoftwareVideo3D::CreateVertexBuffer(const cVertexBuffer& source, ETextureUsage,
                                                    EMemoryType) {
  auto buffer = std::make_unique<cDeviceVertices>();
  buffer->m_Vertices = source;
  m_VertexBuffers.push_back(std::move(buffer));
  return m_VertexBuffers.back().get();
}

bool cSoftwareVideo3D::UpdateVertexBuffer(hVertexBuffer* buffer, const cVertexBuffer& source) {
  auto* owned = dynamic_cast<cDeviceVertices*>(buffer);
  if (!owned) return false;
  owned->m_Vertices = source;
  return true;
}

void cSoftwareVideo3D::DestroyVertexBuffer(hVertexBuffer* buffer) {
  std::erase_if(m_VertexBuffers, [buffer](const auto& owned) { return owned.get() == buffer; });
}

hIndexBuffer* cSoftwareVideo3D::CreateIndexBuffer(const cIndexBuffer& source, ETextureUsage,
                                                  EMemoryType) {
  auto buffer = std::make_unique<cDeviceIndices>();
  buffer->m_Indices = source;
  m_IndexBuffers.push_back(std::move(buffer));
  return m_IndexBuffers.back().get();
}

bool cSoftwareVideo3D::UpdateIndexBuffer(hIndexBuffer* buffer, const cIndexBuffer& source) {
  auto* owned = dynamic_cast<cDeviceIndices*>(buffer);
  if (!owned) return false;
  owned->m_Indices = source;
  return true;
}

void cSoftwareVideo3D::DestroyIndexBuffer(hIndexBuffer* buffer) {
  std::erase_if(m_IndexBuffers, [buffer](const auto& owned) { return owned.get() == buffer; });
}

void cSoftwareVideo3D::DrawBuffer(EPrimitive type, hVertexBuffer* vertices, uint32_t first,
                                  uint32_t count) {
  if (auto* owned = dynamic_cast<cDeviceVertices*>(vertices))
    DrawPrimitive(type, owned->m_Vertices, first, count);
}

void cSoftwareVideo3D::DrawIndexedBuffer(EPrimitive type, hVertexBuffer* vertices,
                                         hIndexBuffer* indices, uint32_t first, uint32_t count) {
  auto* ownedVertices = dynamic_cast<cDeviceVertices*>(vertices);
  auto* ownedIndices = dynamic_cast<cDeviceIndices*>(indices);
  if (ownedVertices && ownedIndices)
    DrawIndexedPrimitive(type, ownedVertices->m_Vertices, ownedIndices->m_Indices, first, count);
}

void cSoftwareVideo3D::DrawPrimitive(EPrimitive type, const cVertexBuffer& vertices, uint32_t first,
                                     uint32_t count) {
  if (first >= vertices.GetLength()) return;
  count = std::min(count, vertices.GetLength() - first);
  Draw(type, vertices, first, count, count, nullptr, 0);
}

void cSoftwareVideo3D::DrawIndexedPrimitive(EPrimitive type, const cVertexBuffer& vertices,
                                            const cIndexBuffer& indices, uint32_t first,
                                            uint32_t count) {
  if (first >= indices.GetLength() || count == 0) return;
  count = std::min(count, indices.GetLength() - first);
  const auto [low, high] = indices.GetEntryRange(first, count);
  const uint32_t firstVertex = indices.GetMinIndex() + low;
  if (firstVertex >= vertices.GetLength()) return;
  // Indices past the end of the vertices drop their primitives in Assemble.
  const uint32_t span = std::min<uint32_t>(high - low + 1, vertices.GetLength() - firstVertex);
  Draw(type, vertices, firstVertex, span, count, indices.GetReadPtr() + first, low);
}

void cSoftwareVideo3D::Draw(EPrimitive type, const cVertexBuffer& vertices, uint32_t first,
                            uint32_t span, uint32_t count, const uint16_t* entries,
                            uint16_t lowest) {
  if (!m_InScene && !std::exchange(m_ToldOutsideScene, true))
    trace("cSoftwareVideo3D draws nothing outside BeginScene and EndScene: call BeginScene first");
  if (!m_InScene || span == 0 || !(vertices.GetVertexFormat() & 1) ||
      static_cast<uint64_t>(first) + span > vertices.GetLength())
    return;
  const detail::cRasterTarget target = MakeTarget();
  if (target.left >= target.right || target.top >= target.bottom) return;
  PrepareMipmaps();
  const uint32_t entryCount = entries ? count : 0;
  detail::cPreparedDraw& draw = Record(size_t{vertices.GetStride()} * span, entryCount);
  draw.state = m_State;
  draw.processor.Prepare(draw.state, m_Matrices[2], m_Matrices[1], m_Matrices[0], vertices, first);
  draw.pipeline.Configure(draw.state, target);
  draw.rasterizer.Configure(draw.state, &draw.pipeline, m_Viewport[0], m_Viewport[1], m_Viewport[2],
                            m_Viewport[3], draw.processor.GetUserPlaneBits());
  draw.type = type;
  draw.span = span;
  draw.primitives = PrimitiveCount(type, count);
  draw.entries = entries;
  draw.lowest = lowest;
  m_Primitives += draw.primitives;
  if (m_Crew.GetThreads() > 1) {
    m_Queue.Copy(entryCount);
    m_Queue.Push();
    m_Crew.Feed();
    return;
  }
  cLapClock laps(m_KeepTimes);
  DrawBand(draw, 0, laps);
}

detail::cPreparedDraw& cSoftwareVideo3D::Record(size_t vertexBytes, uint32_t entries) {
  if (m_Crew.GetThreads() == 1) return m_Draw;
  if (!m_Crew.IsStarted()) StartRun();
  if (!m_Queue.Fits(vertexBytes, entries)) {
    FinishRun();
    m_Queue.Grow(vertexBytes, entries);
    StartRun();
  }
  return m_Queue.Next();
}

void cSoftwareVideo3D::DrawBand(const detail::cPreparedDraw& draw, int band, cLapClock& laps) {
  const bool banded = m_Crew.GetThreads() > 1;
  const auto drawBand = [&] {
    detail::cDrawVertices& vertices = m_Vertices[band];
    vertices.Reset(draw.span);
    draw.processor.Place(draw.span, vertices.Get());
    laps.Lap(m_Times.transform);
    detail::cRasterizer rasterizer = draw.rasterizer;
    if (banded) rasterizer.SetBand(&m_Bands, band);
    if (draw.entries)
      Assemble(
          draw, [&draw](uint32_t i) { return draw.Vertex(i); }, rasterizer, vertices);
    else
      Assemble(
          draw, [](uint32_t i) { return i; }, rasterizer, vertices);
    laps.Lap(m_Times.raster);
  };
  if (banded)
    m_Bands.DrawBand(band, drawBand);
  else
    drawBand();
}

void cSoftwareVideo3D::StartRun() {
  // Every thread places every vertex and assembles every primitive for
  // itself, and draws its own band of rows: it reads only what it wrote,
  // and the threads share nothing but the target's rows at a cut. Setting
  // up twice what culling and the bands throw away costs less than handing
  // triangles from one core's cache to the other's.
  m_Queue.Clear();
  m_Bands.Begin(m_Runs++, 0, DrawSurface()->GetHeight());
  m_Crew.Start(
      {detail::cWorkCrew::Phase(static_cast<uint32_t>(m_Crew.GetThreads()), m_QueuedBands)});
}

void cSoftwareVideo3D::FinishRun() {
  if (!m_Crew.IsStarted()) return;
  m_Crew.Finish();
  m_Bands.End();
}

void cSoftwareVideo3D::DrawQueuedBand(int thread, int band) {
  cLapClock laps(thread == 0 && m_KeepTimes);
  for (uint32_t drawn = 0;;) {
    const uint32_t fed = m_Crew.AwaitFeed(drawn);
    for (; drawn < (fed & ~detail::cWorkCrew::kFinished); ++drawn)
      DrawBand(m_Queue[drawn], band, laps);
    if (fed & detail::cWorkCrew::kFinished) break;
  }
  m_Bands.EndBand(band);
}

uint32_t cSoftwareVideo3D::PrimitiveCount(EPrimitive type, uint32_t count) {
  switch (type) {
    case EPrimitive::Points:
      return count;
    case EPrimitive::Lines:
      return count / 2;
    case EPrimitive::LineStrip:
      return count > 0 ? count - 1 : 0;
    case EPrimitive::Triangles:
      return count / 3;
    default:  // strips and fans
      return count > 1 ? count - 2 : 0;
  }
}

template <class Index>
void cSoftwareVideo3D::Assemble(const detail::cPreparedDraw& draw, const Index& index,
                                detail::cRasterizer& rasterizer,
                                detail::cDrawVertices& vertices) const {
  // Indices past the end drop their primitives.
  constexpr uint32_t kNoVertex = ~0u;
  const auto at = [&](uint32_t i) {
    const uint32_t position = index(i);
    return position < vertices.GetCount() ? position : kNoVertex;
  };
  const auto shaded = [&](uint32_t position) -> const detail::cClipVertex& {
    return vertices.Shaded(position,
                           [&](detail::cClipVertex& v) { draw.processor.Shade(position, v); });
  };
  const auto triangle = [&](uint32_t i, uint32_t j, uint32_t k) {
    const uint32_t a = at(i), b = at(j), c = at(k);
    if (a == kNoVertex || b == kNoVertex || c == kNoVertex ||
        !rasterizer.Accepts(vertices[a], vertices[b], vertices[c]))
      return;
    rasterizer.DrawTriangle(shaded(a), shaded(b), shaded(c));
  };
  const auto line = [&](uint32_t i, uint32_t j) {
    const uint32_t a = at(i), b = at(j);
    if (a != kNoVertex && b != kNoVertex) rasterizer.DrawLine(shaded(a), shaded(b));
  };
  const EPrimitive type = draw.type;
  for (uint32_t p = 0; p < draw.primitives; ++p) {
    switch (type) {
      case EPrimitive::Points:
        if (const uint32_t a = at(p); a != kNoVertex) rasterizer.DrawPoint(shaded(a));
        break;
      case EPrimitive::Lines:
        line(2 * p, 2 * p + 1);
        break;
      case EPrimitive::LineStrip:
        line(p, p + 1);
        break;
      case EPrimitive::Triangles:
        triangle(3 * p, 3 * p + 1, 3 * p + 2);
        break;
      case EPrimitive::TriangleStrip:
        // Every other triangle swaps two corners to keep the winding.
        p % 2 ? triangle(p + 1, p, p + 2) : triangle(p, p + 1, p + 2);
        break;
      case EPrimitive::TriangleFan:
        triangle(0, p + 1, p + 2);
        break;
    }
  }
}

}  // namespace zunfert
