#include <cstring>

#include "../class_desc.h"
#include "fields.h"
#include "zunfert_scene.h"

ZUNFERT_DEFINE_CLASS(cMeshModel, "Triangle mesh", &cModel::m_Descriptor)

namespace zunfert::detail {
namespace {

/// Throws when the geometry cannot be drawn safely: no positions, or an
/// index past the vertices (checked one by one: entries never set may hold
/// anything).
void CheckGeometry(const cVertexBuffer& vertices, const cIndexBuffer& indices) {
  if (vertices.GetLength() > 0 && (vertices.GetVertexFormat() & 1u) == 0)
    throw cException(__FILE__, __LINE__, "Mesh vertices have no positions");
  for (uint32_t i = 0; i < indices.GetLength(); ++i)
    if (indices.GetIndex(i) >= vertices.GetLength())
      throw cException(__FILE__, __LINE__,
                       cString::StringF("Mesh index %u is %u, past the %u vertices", i,
                                        indices.GetIndex(i), vertices.GetLength()));
}

void CheckSubset(const cMeshModel::cSubset& subset, uint32_t drawn) {
  if (uint64_t{subset.m_First} + subset.m_Count > drawn)
    throw cException(__FILE__, __LINE__,
                     cString::StringF("Mesh subset %u + %u passes the end of the mesh (%u)",
                                      subset.m_First, subset.m_Count, drawn));
}

}  // namespace
}  // namespace zunfert::detail

cMeshModel::~cMeshModel() {
  Release();
}

void cMeshModel::SetGeometry(const cVertexBuffer& vertices, const cIndexBuffer& indices) {
  zunfert::detail::CheckGeometry(vertices, indices);
  cVertexBuffer newVertices(vertices);
  cIndexBuffer newIndices(indices);
  Release();
  m_Vertices.Copy(newVertices);
  m_Indices.Copy(newIndices);
  m_Subsets.clear();
  UpdateBounds();
}

void cMeshModel::AddSubset(uint32_t first, uint32_t count) {
  zunfert::detail::CheckSubset({first, count}, GetDrawnCount());
  m_Subsets.push_back({first, count});
}

uint32_t cMeshModel::GetDrawnCount() const {
  return m_Indices.IsEmpty() ? m_Vertices.GetLength() : m_Indices.GetLength();
}

void cMeshModel::UpdateBounds() {
  m_Box = cBoundingBox3();
  // The position leads every vertex; it is copied out because a 16- or
  // 24-bit colour can leave it off a 4-byte boundary.
  const auto* vertex = static_cast<const uint8_t*>(m_Vertices.GetReadPtr());
  for (uint32_t i = 0; i < m_Vertices.GetLength(); ++i, vertex += m_Vertices.GetStride()) {
    cVector3 position;
    std::memcpy(&position, vertex, sizeof position);
    m_Box.Encapsulate(position);
  }
}

void cMeshModel::GetBoundingBox(cBoundingBox3& box) const {
  box = m_Box;
}

void cMeshModel::GetBoundingSphere(cBoundingSphere& sphere) const {
  sphere = m_Box.IsValid() ? cBoundingSphere(m_Box) : cBoundingSphere();
}

void cMeshModel::Compile(cVideo3D* video) {
  Release();
  if (video == nullptr || m_Vertices.IsEmpty()) return;
  using EUsage = cVideo3D::ETextureUsage;
  using EMemory = cVideo3D::EMemoryType;
  m_Video = video;
  m_DeviceVertices = video->CreateVertexBuffer(m_Vertices, EUsage::Static, EMemory::DriverDecides);
  if (!m_Indices.IsEmpty())
    m_DeviceIndices = video->CreateIndexBuffer(m_Indices, EUsage::Static, EMemory::DriverDecides);
}

void cMeshModel::Release() {
  if (m_Video != nullptr) {
    if (m_DeviceVertices != nullptr) m_Video->DestroyVertexBuffer(m_DeviceVertices);
    if (m_DeviceIndices != nullptr) m_Video->DestroyIndexBuffer(m_DeviceIndices);
  }
  m_Video = nullptr;
  m_DeviceVertices = nullptr;
  m_DeviceIndices = nullptr;
}

void cMeshModel::Render(cVideo3D* video, cEntity* entity) {
  if (video == nullptr || m_Vertices.IsEmpty()) return;
  video->SetMatrix(cVideo3D::EMatrix::World,
                   entity ? entity->GetOffsetMatrix() * entity->GetWorldMatrix() : cMatrix4x3());
  const size_t subsets = m_Subsets.empty() ? 1 : m_Subsets.size();
  for (size_t i = 0; i < subsets; ++i) {
    const cSubset range = m_Subsets.empty() ? cSubset{0, GetDrawnCount()} : m_Subsets[i];
    cMaterial* material = entity ? entity->GetMaterial(static_cast<int>(i)) : nullptr;
    const int passes = material ? material->GetNumberOfPasses() : 1;
    for (int pass = 0; pass < passes; ++pass) {
      if (material) material->BeginPass(video, pass);
      DrawRange(video, range.m_First, range.m_Count);
      if (material) material->EndPass(video, pass);
    }
  }
}

void cMeshModel::DrawRange(cVideo3D* video, uint32_t first, uint32_t count) {
  using EPrimitive = cVideo3D::EPrimitive;
  const bool compiled = video == m_Video && m_DeviceVertices != nullptr &&
                        (m_Indices.IsEmpty() || m_DeviceIndices != nullptr);
  if (m_Indices.IsEmpty()) {
    compiled ? video->DrawBuffer(EPrimitive::Triangles, m_DeviceVertices, first, count)
             : video->DrawPrimitive(EPrimitive::Triangles, m_Vertices, first, count);
  } else if (compiled) {
    video->DrawIndexedBuffer(EPrimitive::Triangles, m_DeviceVertices, m_DeviceIndices, first,
                             count);
  } else {
    video->DrawIndexedPrimitive(EPrimitive::Triangles, m_Vertices, m_Indices, first, count);
  }
}

void cMeshModel::Save(iIOStream& stream) {
  cModel::Save(stream);
  m_Vertices.Save(stream);
  m_Indices.Save(stream);
  cSceneWriter writer(stream, "mesh");
  writer.Int(static_cast<int32_t>(m_Subsets.size()));
  for (const cSubset& subset : m_Subsets) {
    writer.UInt(subset.m_First);
    writer.UInt(subset.m_Count);
  }
}

void cMeshModel::Load(iIOStream& stream) {
  using namespace zunfert::detail;
  cMeshModel loaded;
  loaded.cModel::Load(stream);
  loaded.m_Vertices.Load(stream);
  loaded.m_Indices.Load(stream);
  CheckGeometry(loaded.m_Vertices, loaded.m_Indices);
  cSceneReader reader(stream, "mesh");
  const int32_t count = reader.Int("the subset count", 0, INT32_MAX);
  const int64_t remaining = stream.GetRemaining();
  if (remaining >= 0 && int64_t{count} * 8 > remaining)
    reader.Corrupt(cString::StringF("%d subsets cannot fit in the %lld bytes left", count,
                                    static_cast<long long>(remaining)));
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t first = reader.UInt("a subset");
    loaded.AddSubset(first, reader.UInt("a subset"));
  }
  Release();
  SetName(loaded.GetName());
  m_Vertices.Copy(loaded.m_Vertices);
  m_Indices.Copy(loaded.m_Indices);
  m_Subsets.swap(loaded.m_Subsets);
  UpdateBounds();
}
