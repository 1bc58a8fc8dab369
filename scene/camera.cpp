// The camera: its lens kept in step with the frustum info, and the placement
// of that frustum by the camera's world matrix.

#include "tolmak_camera.h"

VARN_DEFINE_CLASS_DESCRIPTOR(cCamera, "cCamera", "cCameraEntity", &cEntity::m_Descriptor,
                             cInterfaceID(0, false))

cCamera::cCamera() : m_FieldOfView(45.0f), m_Horizon(1000.0f), m_Aspect(4.0f / 3.0f) {
  UpdateLens();
}

cCamera::cCamera(const cCamera& other)
    : cEntity(other),
      m_FieldOfView(other.m_FieldOfView),
      m_Horizon(other.m_Horizon),
      m_Aspect(other.m_Aspect),
      m_FrustumInfo(other.m_FrustumInfo),
      m_InversedMatrix(other.m_InversedMatrix) {}

cCamera& cCamera::operator=(const cCamera& other) {
  if (this == &other) return *this;
  cEntity::operator=(other);
  m_FieldOfView = other.m_FieldOfView;
  m_Horizon = other.m_Horizon;
  m_Aspect = other.m_Aspect;
  m_FrustumInfo = other.m_FrustumInfo;
  m_InversedMatrix = other.m_InversedMatrix;
  return *this;
}

cCamera::~cCamera() = default;

void cCamera::UpdateLens() {
  m_FrustumInfo.Set(m_Horizon, m_FieldOfView, m_Aspect);
}

void cCamera::SetFieldOfView(float degrees) {
  m_FieldOfView = degrees;
  UpdateLens();
}

void cCamera::SetHorizon(float distance) {
  m_Horizon = distance;
  UpdateLens();
}

void cCamera::SetAspect(float ratio) {
  m_Aspect = ratio;
  UpdateLens();
}

cFrustumInfo& cCamera::GetFrustumInfo(cMatrix4x3* matrix) {
  if (matrix == nullptr) {
    m_FrustumInfo.Set(GetWorldMatrix());
    return m_FrustumInfo;
  }
  m_InversedMatrix = GetWorldMatrix() * *matrix;
  m_FrustumInfo.Set(m_InversedMatrix);
  return m_FrustumInfo;
}

void cCamera::AddProperties(cPropertySheet* sheet) {
  cNamedObject::AddProperties(sheet);
  if (sheet == nullptr) return;
  sheet->Add(cProperty::Float, "FieldOfView", this, PropertyAccessor(&cCamera::GetPropertyFov),
             PropertyAccessor(&cCamera::SetPropertyFov));
  sheet->Add(cProperty::Float, "Horizon", this, PropertyAccessor(&cCamera::GetPropertyHorizon),
             PropertyAccessor(&cCamera::SetPropertyHorizon));
  sheet->Add(cProperty::Float, "AspectRatio", this, PropertyAccessor(&cCamera::GetPropertyAspect),
             PropertyAccessor(&cCamera::SetPropertyAspect));
}

void cCamera::GetPropertyFov(void* value) {
  *static_cast<float*>(value) = m_FieldOfView;
}

void cCamera::SetPropertyFov(void* value) {
  SetFieldOfView(*static_cast<const float*>(value));
}

void cCamera::GetPropertyHorizon(void* value) {
  *static_cast<float*>(value) = m_Horizon;
}

void cCamera::SetPropertyHorizon(void* value) {
  SetHorizon(*static_cast<const float*>(value));
}

void cCamera::GetPropertyAspect(void* value) {
  *static_cast<float*>(value) = m_Aspect;
}

void cCamera::SetPropertyAspect(void* value) {
  SetAspect(*static_cast<const float*>(value));
}
