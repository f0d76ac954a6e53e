#include "runtime/display/matrices.h"

#include <gtest/gtest.h>

#include <cmath>

#include "runtime/api.h"
#include "tests/support/display_fixture.h"

namespace {

using testing_support::RunningDisplay;

// p x m for the row vector (x, y, z, 1), divided by w.
void Project(const rt::Matrix4& m, float x, float y, float z, float out[3]) {
  float v[4];
  for (int c = 0; c < 4; ++c) v[c] = x * m.m[c] + y * m.m[4 + c] + z * m.m[8 + c] + m.m[12 + c];
  for (int c = 0; c < 3; ++c) out[c] = v[c] / v[3];
}

rt::Matrix4 Numbered(float start) {
  rt::Matrix4 m;
  for (int i = 0; i < 16; ++i) m.m[i] = start + static_cast<float>(i) * 0.5f - static_cast<float>(i % 3);
  return m;
}

TEST(MatricesTest, DrawScreenCameraMapsPointsToPixelsWithYUp) {
  RunningDisplay display;
  ASSERT_TRUE(display.started());
  const rt::DrawState& s = rt::GetDrawState();
  const float d = 300.0f * 1.7320509f;
  EXPECT_NEAR(s.viewMatrix.m[14], d, 1e-3);
  const float nearZ = d * 0.1f;
  const float farZ = d + 1000.0f;
  const float q = farZ / (farZ - nearZ);
  struct Point {
    float x, y;
  } const points[] = {{0, 0}, {400, 300}, {799, 1}, {12.5f, 587}};
  for (const Point& p : points) {
    float out[3];
    Project(s.combinedMatrix, p.x, p.y, 0.0f, out);
    EXPECT_NEAR(out[0], p.x, 1e-2) << p.x << "," << p.y;
    EXPECT_NEAR(out[1], 600.0f - p.y, 1e-2) << p.x << "," << p.y;
    EXPECT_NEAR(out[2], q * (d - nearZ) / d, 1e-5);
  }
  // The rotation part of the view is its upper 3 x 3 transposed, the rest zero.
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      const float expected = r < 3 && c < 3 ? s.viewMatrix.m[c * 4 + r] : 0.0f;
      EXPECT_EQ(s.viewRotationMatrix.m[r * 4 + c], expected) << r << "," << c;
    }
  }

  // A graph target gets a camera of its own size (the projection keeps the screen's
  // aspect, so the graph here has that aspect too).
  rt::SetDrawValidGraphCreateFlag(1);
  const int graph = rt::MakeGraph(200, 150, 0, 0, 0);
  rt::SetDrawValidGraphCreateFlag(0);
  ASSERT_EQ(SetDrawScreen(graph), 0);
  float out[3];
  Project(rt::GetDrawState().combinedMatrix, 30.0f, 10.0f, 0.0f, out);
  EXPECT_NEAR(out[0], 30.0f, 1e-2);
  EXPECT_NEAR(out[1], 140.0f, 1e-2);
}

TEST(MatricesTest, PerspectiveRefusesAnEmptyDepthOrViewAndLeavesTheOutput) {
  const rt::Matrix4 before = Numbered(3.0f);
  rt::Matrix4 m = before;
  EXPECT_EQ(rt::CreatePerspectiveMatrix(&m, 1.0f, 10.0f, 10.0f), -1);
  EXPECT_EQ(rt::CreatePerspectiveMatrix(&m, 1.0f, 10.0f, 10.005f), -1);
  EXPECT_EQ(rt::CreatePerspectiveMatrix(&m, 0.0f, 1.0f, 100.0f), -1);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(m.m[i], before.m[i]);
  EXPECT_EQ(rt::CreatePerspectiveMatrix(&m, 1.0f, 1.0f, 100.0f), 0);
  EXPECT_EQ(m.m[11], 1.0f);
  EXPECT_EQ(m.m[15], 0.0f);
}

TEST(MatricesTest, MultiplyMayWriteOverEitherInput) {
  const rt::Matrix4 a = Numbered(1.0f);
  const rt::Matrix4 b = Numbered(-2.0f);
  rt::Matrix4 separate;
  rt::MultiplyMatrix4x4(&separate, &a, &b);
  rt::Matrix4 intoA = a;
  rt::MultiplyMatrix4x4(&intoA, &intoA, &b);
  rt::Matrix4 intoB = b;
  rt::MultiplyMatrix4x4(&intoB, &a, &intoB);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(intoA.m[i], separate.m[i]);
    EXPECT_EQ(intoB.m[i], separate.m[i]);
  }
  rt::Matrix4 identity;
  rt::CreateIdentityMatrix(&identity);
  rt::Matrix4 same;
  rt::MultiplyMatrix4x4(&same, &a, &identity);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(same.m[i], a.m[i]);
}

}  // namespace
