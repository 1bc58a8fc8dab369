#include "math_fixtures.h"

using namespace math_fixtures;

namespace {

void ExpectPlane(const cPlane& actual, const cPlane& expected) {
  ExpectNear(cVector3(actual.a, actual.b, actual.c), cVector3(expected.a, expected.b, expected.c),
             1e-6f);
  EXPECT_NEAR(actual.d, expected.d, 1e-3f);
}

// A view-space point through the projection, divided by the implied w = -z.
cVector3 Project(const cVector3& view, const cMatrix4x3& projection) {
  const cVector3 clip = view * projection;
  return clip / -view.z;
}

struct Camera {
  cMatrix4x3 matrix;
  cFrustumInfo info;
  // A point at the given depth along the camera's Z, offset by side and up
  // times the depth, that is by slopes.
  cVector3 At(float depth, float side, float up) const {
    return matrix.GetPosition() + matrix[2] * depth + matrix[0] * (side * depth) +
           matrix[1] * (up * depth);
  }
};

Camera RandomCamera(std::mt19937& random) {
  // The vertical half-angle, fov / 2 / aspect, stays below a right angle.
  std::uniform_real_distribution<float> fov(30, 120), aspect(0.75f, 2), depth(10, 1000);
  Camera camera;
  camera.matrix = RandomRotation(random).GetMatrix();
  camera.matrix.SetPosition(RandomVector(random, 100));
  const float f = depth(random), v = fov(random);
  camera.info.Set(camera.matrix, f, v, aspect(random));
  return camera;
}

}  // namespace

TEST(FrustumInfo, DefaultLensAndMatrices) {
  cFrustumInfo info;
  EXPECT_FLOAT_EQ(info.GetLeft(), -0.7812856f);
  EXPECT_TRUE(info.GetRight() == -info.GetLeft() && info.GetBottom() == -info.GetTop());
  EXPECT_FLOAT_EQ(info.GetTop(), 0.7812856f);
  const cMatrix4x3 lens = info.GetProjection(), view = info.GetRotation();
  const cMatrix4x3 expected({1.2799416f, 0, 0}, {0, 1.2799416f, 0}, {0, 0, -1.002002f},
                            {0, 0, -2.002002f});
  for (int r = 0; r < 4; ++r) ExpectNear(lens[r], expected[r], 1e-6f);
  EXPECT_EQ(view, cMatrix4x3({-1, 0, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 0}));
  // The vertical angle is the horizontal divided by the aspect, not its tangent.
  info.Set(100.0f, 90.0f, 2.0f);
  EXPECT_TRUE(info.GetRight() == 1.0f && info.GetTop() == 0.41421357f);
  // Each Set marks only its own matrix; the getters follow the latest Set.
  cMatrix4x3 moved;
  moved.SetPosition(cVector3(1, 2, 3));
  info.Set(moved);
  EXPECT_EQ(info.GetRotation().GetPosition(), cVector3(1, -2, 3));
  EXPECT_NE(info.GetProjection(), lens);
  info.Set(cMatrix4x3(), 1000.0f, 76.0f, 1.0f);
  EXPECT_TRUE(info.GetRotation() == view && info.GetProjection() == lens);

  cFrustum frustum;
  frustum.Set(cFrustumInfo());
  ExpectPlane(frustum.GetPlane(0), cPlane(0, 0, -1, 1000));
  ExpectPlane(frustum.GetPlane(1), cPlane(0, 0, 1, -1));
  EXPECT_EQ(frustum.ClipCode(cVector3(0, 0, 1)), 0x3Fu);  // on the near plane
  EXPECT_EQ(frustum.ClipCode(cVector3(0, 0, 0.5f)), 0x3Du);
  EXPECT_EQ(frustum.ClipCode(cVector3(0, 0, -10)), 0x01u);  // behind the eye
}

TEST(FrustumInfo, ViewAndProjectionMapTheViewVolumeToTheUnitCube) {
  std::mt19937 random(1);
  for (int i = 0; i < 100; ++i) {
    Camera camera = RandomCamera(random);
    cMatrix4x3 scaled = camera.matrix;  // scaled axes are normalised for the view
    scaled[0] *= 3.0f, scaled[1] *= 0.5f;
    camera.info.Set(scaled);
    const cMatrix4x3& view = camera.info.GetRotation();
    ExpectNear(camera.At(0, 0, 0) * view, cVector3(0, 0, 0), 1e-3f);
    ExpectNear(camera.At(7, 0, 0) * view, cVector3(0, 0, -7), 1e-3f);
    ExpectNear(camera.At(2, 0.5f, 1) * view, cVector3(-1, 2, -2), 1e-3f);
    const float f = camera.info.GetFar(), r = camera.info.GetRight(), t = camera.info.GetTop();
    const cMatrix4x3& projection = camera.info.GetProjection();
    ExpectNear(Project(camera.At(1, r, t) * view, projection), cVector3(-1, 1, -1), 1e-3f);
    ExpectNear(Project(camera.At(f, -r, -t) * view, projection), cVector3(1, -1, 1), 1e-3f);
  }
}

TEST(Frustum, ContainsExactlyThePointsInsideRandomViewVolumes) {
  std::mt19937 random(2);
  std::uniform_real_distribution<float> unit(0, 1), inner(-0.95f, 0.95f);
  for (int i = 0; i < 200; ++i) {
    const Camera camera = RandomCamera(random);
    cFrustum frustum;
    frustum.Set(camera.info);
    const float f = camera.info.GetFar(), r = camera.info.GetRight(), t = camera.info.GetTop();
    for (int k = 0; k < 20; ++k) {
      const float depth = 1.05f + unit(random) * (f * 0.95f - 1.05f);
      const float side = inner(random) * r, up = inner(random) * t;
      const cVector3 inside = camera.At(depth, side, up);
      EXPECT_TRUE(frustum.Contains(inside));
      EXPECT_EQ(frustum.ClipCode(inside), 0x3Fu);
      // One plane at a time: each outside point clears exactly its plane's bit.
      const cVector3 outside[] = {
          camera.At(f * 1.05f, side, up),   camera.At(0.9f, side, up),
          camera.At(depth, side, 1.1f * t), camera.At(depth, side, -1.1f * t),
          camera.At(depth, 1.1f * r, up),   camera.At(depth, -1.1f * r, up)};
      for (uint32_t plane = 0; plane < 6; ++plane) {
        EXPECT_FALSE(frustum.Contains(outside[plane]));
        EXPECT_EQ(frustum.ClipCode(outside[plane]), 0x3Fu & ~(1u << plane)) << plane;
      }
    }
  }
}
