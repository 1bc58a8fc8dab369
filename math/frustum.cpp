#include <cmath>
#include <cstddef>

#include "tolmak_frustum.h"

namespace {

// pi/180 in single precision; the vertical angle is converted with the same
// value carried as a double, which the lens slopes depend on bit for bit.
constexpr float kDegreesToRadians = 0.017453292f;
constexpr double kDegreesToRadiansD = 0.017453293005625408;

float Rounded(double value) {
  return static_cast<float>(value);
}

/// T + forward Z + side X + up Y, each component rounded once.
cVector3 CameraPoint(const cMatrix4x3& camera, double forward, double side, double up) {
  cVector3 point;
  for (int i = 0; i < 3; ++i)
    point[i] =
        Rounded(camera(3, i) + forward * camera(2, i) + side * camera(0, i) + up * camera(1, i));
  return point;
}

}  // namespace

cFrustumInfo::cFrustumInfo() : m_RotationDirty(true), m_ProjectionDirty(true) {
  static_assert(offsetof(cFrustumInfo, m_Rotation) == 48);
  static_assert(offsetof(cFrustumInfo, m_RotationDirty) == 96);
  static_assert(offsetof(cFrustumInfo, m_ProjectionDirty) == 97);
  static_assert(offsetof(cFrustumInfo, m_Camera) == 100);
  static_assert(offsetof(cFrustumInfo, m_Far) == 148);
  static_assert(offsetof(cFrustumInfo, m_Bottom) == 164);
  Set(1000.0f, 76.0f, 1.0f);
}

void cFrustumInfo::Set(const cMatrix4x3& m) {
  m_Camera = m;
  m_RotationDirty = true;
}

void cFrustumInfo::Set(float farDistance, float fov, float aspect) {
  const double h = fov * 0.5f * kDegreesToRadians;
  m_Left = Rounded(-std::sin(h) / std::cos(h));
  m_Right = -m_Left;
  const double v = (fov * 0.5f / aspect) * kDegreesToRadiansD;
  m_Top = Rounded(std::sin(v) / std::cos(v));
  m_Bottom = -m_Top;
  m_Far = farDistance;
  m_ProjectionDirty = true;
}

void cFrustumInfo::Set(const cMatrix4x3& m, float farDistance, float fov, float aspect) {
  Set(m);
  Set(farDistance, fov, aspect);
}

const cMatrix4x3& cFrustumInfo::GetRotation() const {
  if (m_RotationDirty) BuildRotation();
  return m_Rotation;
}

const cMatrix4x3& cFrustumInfo::GetProjection() const {
  if (m_ProjectionDirty) BuildProjection();
  return m_Projection;
}

void cFrustumInfo::BuildRotation() const {
  const cVector3 x = m_Camera[0].Normalized(), y = m_Camera[1].Normalized(),
                 z = m_Camera[2].Normalized();
  // The transpose of the rows -X, Y, -Z: the camera's axes become columns.
  m_Rotation = cMatrix4x3({-x.x, y.x, -z.x}, {-x.y, y.y, -z.y}, {-x.z, y.z, -z.z}, {0, 0, 0});
  m_Rotation[3] = m_Rotation.TransformDirection(-m_Camera[3]);
  m_RotationDirty = false;
}

void cFrustumInfo::BuildProjection() const {
  const double l = m_Left, r = m_Right, t = m_Top, b = m_Bottom, f = m_Far;
  m_Projection = cMatrix4x3({0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0});
  m_Projection(0, 0) = Rounded(2.0 / (r - l));
  m_Projection(1, 1) = Rounded(2.0 / (t - b));
  m_Projection(2, 0) = Rounded((l + r) / (r - l));
  m_Projection(2, 1) = Rounded((t + b) / (t - b));
  m_Projection(2, 2) = Rounded(-(f + 1.0) / (f - 1.0));
  m_Projection(3, 2) = Rounded(-(2.0 * f) / (f - 1.0));
  m_ProjectionDirty = false;
}

void cFrustum::Set(const cFrustumInfo& info) {
  static_assert(offsetof(cFrustum, m_Reserved) == 96);
  const cMatrix4x3& camera = info.GetCamera();
  const double left = info.GetLeft(), right = info.GetRight();
  const double top = info.GetTop(), bottom = info.GetBottom();
  const double depth = info.GetFar();
  const cVector3 eye = camera.GetPosition();
  auto nearCorner = [&](double side, double up) { return CameraPoint(camera, 1.0, side, up); };
  auto farPoint = [&](double side, double up) { return CameraPoint(camera, depth, side, up); };

  m_Planes[0] = cPlane(farPoint(left, top), farPoint(right, top), farPoint(right, bottom));
  m_Planes[1] = cPlane(nearCorner(left, top), nearCorner(right, bottom), nearCorner(right, top));
  m_Planes[2] = cPlane(eye, nearCorner(right, top), nearCorner(left, top));
  m_Planes[3] = cPlane(eye, nearCorner(left, bottom), nearCorner(right, bottom));
  m_Planes[4] = cPlane(eye, nearCorner(right, bottom), nearCorner(right, top));
  m_Planes[5] = cPlane(eye, nearCorner(left, top), nearCorner(left, bottom));
}

uint32_t cFrustum::ClipCode(const cVector3& p) const {
  uint32_t code = 0;
  for (int i = 0; i < 6; ++i)
    if (m_Planes[i].IsFront(p)) code |= 1u << i;
  return code;
}

bool cFrustum::Contains(const cVector3& p) const {
  for (const cPlane& plane : m_Planes)
    if (plane.IsBack(p)) return false;
  return true;
}
