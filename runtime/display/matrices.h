// The draw state's matrices: builders of the standard matrices and the setters that keep
// the combined matrix (world x view x projection x viewport) up to date.
#pragma once

#include "runtime/display/display_state.h"

namespace rt {

int CreateIdentityMatrix(Matrix4* out);
// out := a x b; out may be a or b.
int MultiplyMatrix4x4(Matrix4* out, const Matrix4* a, const Matrix4* b);
// Left-handed, depth 0..1, for the screen's aspect. -1 (out untouched) when far and near
// lie within 0.01 of each other or the field of view is too small.
int CreatePerspectiveMatrix(Matrix4* out, float fov, float nearZ, float farZ);
int CreateViewportMatrix(Matrix4* out, float x, float y, float width, float height);
int CreateLookAtMatrix(Matrix4* out, const float eye[3], const float target[3], const float up[3]);
int SetWorldMatrix(const Matrix4& m);
int SetViewMatrix(const Matrix4& m);
int SetProjectionMatrix(const Matrix4& m);
void UpdateTransformMatrix();

}  // namespace rt
