#include "runtime/display/matrices.h"

#include <cmath>

#include "runtime/display/direct3d.h"
#include "runtime/display/screen_mode.h"
#include "runtime/image/memimg.h"

namespace rt {
namespace {

constexpr float kMinPerspectiveSpan = 0.01f;

void Cross(const float a[3], const float b[3], float out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

void Normalise(float v[3]) {
  const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  v[0] /= length;
  v[1] /= length;
  v[2] /= length;
}

float Dot(const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

}  // namespace

int CreateIdentityMatrix(Matrix4* out) {
  *out = Matrix4{};
  out->m[0] = out->m[5] = out->m[10] = out->m[15] = 1.0f;
  return 0;
}

int MultiplyMatrix4x4(Matrix4* out, const Matrix4* a, const Matrix4* b) {
  const Matrix4 x = *a;
  const Matrix4 y = *b;
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4; ++col) {
      out->m[row * 4 + col] = x.m[row * 4 + 0] * y.m[0 * 4 + col] + x.m[row * 4 + 1] * y.m[1 * 4 + col] +
                              x.m[row * 4 + 2] * y.m[2 * 4 + col] + x.m[row * 4 + 3] * y.m[3 * 4 + col];
    }
  }
  return 0;
}

int CreatePerspectiveMatrix(Matrix4* out, float fov, float nearZ, float farZ) {
  int width = 0;
  int height = 0;
  GetScreenSize(&width, &height);
  const float s = std::sin(fov / 2);
  const float k = std::cos(fov / 2);
  const float d = farZ - nearZ;
  if (std::fabs(d) < kMinPerspectiveSpan || std::fabs(s) < kMinPerspectiveSpan) return -1;
  const float cot = k / s;
  const float q = farZ / d;
  *out = Matrix4{};
  out->m[0] = (static_cast<float>(height) / static_cast<float>(width)) * cot;
  out->m[5] = cot;
  out->m[10] = q;
  out->m[11] = 1.0f;
  out->m[14] = -q * nearZ;
  out->m[15] = 0.0f;
  return 0;
}

int CreateViewportMatrix(Matrix4* out, float x, float y, float width, float height) {
  *out = Matrix4{};
  out->m[0] = width * 0.5f;
  out->m[5] = height * -0.5f;
  out->m[10] = 1.0f;
  out->m[15] = 1.0f;
  out->m[12] = x;
  out->m[13] = y;
  out->m[14] = 0.0f;
  return 0;
}

int CreateLookAtMatrix(Matrix4* out, const float eye[3], const float target[3], const float up[3]) {
  float z[3] = {target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]};
  float x[3];
  float y[3];
  Cross(up, z, x);
  Cross(z, x, y);
  Normalise(x);
  Normalise(y);
  Normalise(z);
  *out = Matrix4{};
  out->m[0] = x[0], out->m[1] = y[0], out->m[2] = z[0], out->m[3] = 0.0f;
  out->m[4] = x[1], out->m[5] = y[1], out->m[6] = z[1], out->m[7] = 0.0f;
  out->m[8] = x[2], out->m[9] = y[2], out->m[10] = z[2], out->m[11] = 0.0f;
  out->m[12] = -Dot(x, eye), out->m[13] = -Dot(y, eye), out->m[14] = -Dot(z, eye), out->m[15] = 1.0f;
  return 0;
}

void UpdateTransformMatrix() {
  DrawState& s = GetDrawState();
  MultiplyMatrix4x4(&s.combinedMatrix, &s.worldMatrix, &s.viewMatrix);
  MultiplyMatrix4x4(&s.combinedMatrix, &s.combinedMatrix, &s.projectionMatrix);
  MultiplyMatrix4x4(&s.combinedMatrix, &s.combinedMatrix, &s.viewportMatrix);
  const float* v = s.viewMatrix.m;
  s.viewRotationMatrix = Matrix4{};
  float* r = s.viewRotationMatrix.m;
  r[0] = v[0], r[1] = v[4], r[2] = v[8];
  r[4] = v[1], r[5] = v[5], r[6] = v[9];
  r[8] = v[2], r[9] = v[6], r[10] = v[10];
}

int SetWorldMatrix(const Matrix4& m) {
  GetDrawState().worldMatrix = m;
  UpdateTransformMatrix();
  if (IsDirect3DUsed()) G_D3D_SetWorldTransform(m.m);
  UpdateDrawStateHook();
  return 0;
}

int SetViewMatrix(const Matrix4& m) {
  GetDrawState().viewMatrix = m;
  UpdateTransformMatrix();
  if (IsDirect3DUsed()) G_D3D_SetViewTransform(m.m);
  UpdateDrawStateHook();
  return 0;
}

int SetProjectionMatrix(const Matrix4& m) {
  GetDrawState().projectionMatrix = m;
  UpdateTransformMatrix();
  if (IsDirect3DUsed()) G_D3D_SetProjectionTransform(m.m);
  UpdateDrawStateHook();
  return 0;
}

}  // namespace rt
