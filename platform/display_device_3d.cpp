// The 3D side's common part: enumeration, the state a draw is made under, the checks of every
// call. The platform draws (Render3D).
#include <algorithm>
#include <cstring>

#include "platform/display_device.h"
#include "platform/display_surface.h"

namespace platform {

int VertexSize(uint32_t layout) {
  if ((layout & 0x00E) != kVertexXyzRhw) return 0;
  int size = 16;
  if (layout & kVertexDiffuse) size += 4;
  if (layout & kVertexSpecular) size += 4;
  const int sets = static_cast<int>((layout >> kVertexTexCountShift) & 0xF);
  if (sets > 8) return 0;
  return size + sets * 8;
}

std::vector<Device3DInfo> DisplayDevice::Devices3D() const {
  Device3DInfo hardware;
  hardware.hardware = true;
  hardware.transformAndLight = true;
  hardware.renderBitDepths = {16, 32};
  hardware.minTextureWidth = hardware.minTextureHeight = 1;
  hardware.maxTextureWidth = hardware.maxTextureHeight = 2048;
  hardware.texturePow2 = true;
  hardware.textureSquareOnly = false;
  hardware.maxTextureBlendStages = 8;
  hardware.maxSimultaneousTextures = 4;
  return {hardware};
}

std::vector<DevicePixelFormat> DisplayDevice::TextureFormats3D() const {
  return {
      Rgb565Format(),
      Xrgb8888Format(),
      DevicePixelFormat{16, 0x0F00, 0x00F0, 0x000F, 0xF000, false},
      DevicePixelFormat{16, 0x7C00, 0x03E0, 0x001F, 0x8000, false},
      DevicePixelFormat{32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u, false},
  };
}

std::vector<Device3DInfo> DisplayDevice::Enumerate3DDevices() {
  Check("Enumerate3DDevices", {});
  return Devices3D();
}

std::vector<DevicePixelFormat> DisplayDevice::EnumerateTextureFormats() {
  Check("EnumerateTextureFormats", {});
  return TextureFormats3D();
}

std::vector<DevicePixelFormat> DisplayDevice::EnumerateZBufferFormats() {
  Check("EnumerateZBufferFormats", {});
  return {Depth16Format()};
}

void DisplayDevice::Touch(DeviceSurface* surface, const Rect& area, bool write) {
  if (!surface || area.right <= area.left || area.bottom <= area.top) return;
  FetchPixels(surface, area);
  if (write) {
    MemoryWritten(surface, area);
    ++surface->generation;
  }
}

void DisplayDevice::TouchAll(DeviceSurface* surface, bool write) {
  if (surface) Touch(surface, Rect{0, 0, surface->width, surface->height}, write);
}

namespace {

bool Drawable(const DeviceSurface* s) {
  return s && s->kind != SurfaceKind::kZBuffer && (s->format.bits == 16 || s->format.bits == 32) && !s->lost;
}

// The states a device starts with.
void DefaultStates(Device3DState* st) {
  std::memset(st->render, 0, sizeof st->render);
  std::memset(st->stage, 0, sizeof st->stage);
  std::memset(st->transform, 0, sizeof st->transform);
  for (auto& m : st->transform) m[0] = m[5] = m[10] = m[15] = 1.0f;
  auto r = [&](RenderState s, uint32_t v) { st->render[static_cast<int>(s)] = v; };
  r(RenderState::kZEnable, 0);
  r(RenderState::kZWriteEnable, 1);
  r(RenderState::kZFunc, kCmpLessEqual);
  r(RenderState::kShadeMode, kShadeGouraud);
  r(RenderState::kCullMode, kCullCounterClockwise);
  r(RenderState::kSrcBlend, kBlendOne);
  r(RenderState::kDestBlend, kBlendZero);
  r(RenderState::kAlphaFunc, kCmpAlways);
  r(RenderState::kTextureFactor, 0xFFFFFFFFu);
  r(RenderState::kLighting, 1);
  r(RenderState::kTexturePerspective, 1);
  r(RenderState::kDitherEnable, 0);
  for (int i = 0; i < kTextureStages; ++i) {
    auto t = [&](StageState s, uint32_t v) { st->stage[i][static_cast<int>(s)] = v; };
    t(StageState::kColorOp, i == 0 ? kOpModulate : kOpDisable);
    t(StageState::kColorArg1, kArgTexture);
    t(StageState::kColorArg2, kArgCurrent);
    t(StageState::kAlphaOp, i == 0 ? kOpSelectArg1 : kOpDisable);
    t(StageState::kAlphaArg1, kArgTexture);
    t(StageState::kAlphaArg2, kArgCurrent);
    t(StageState::kTexCoordIndex, static_cast<uint32_t>(i));
    t(StageState::kAddress, kAddressWrap);
    t(StageState::kMagFilter, kFilterPoint);
    t(StageState::kMinFilter, kFilterPoint);
    st->texture[i] = nullptr;
  }
}

}  // namespace

int DisplayDevice::Create3D(DeviceSurface* target) {
  DeviceSurface* t = Find(target);
  if (!Check("Create3D", {}) || open3D_ || !Drawable(t)) return kDeviceFailed;
  if (!Open3D()) return kDeviceFailed;
  open3D_ = true;
  state3D_ = Device3DState{};
  DefaultStates(&state3D_);
  state3D_.target = t;
  state3D_.viewport = Viewport3D{0, 0, t->width, t->height, 0.0f, 1.0f};
  return kDeviceOk;
}

void DisplayDevice::Release3D() {
  Check("Release3D", {});
  if (!open3D_) return;
  Close3D();
  open3D_ = false;
  state3D_ = Device3DState{};
}

int DisplayDevice::SetRenderTarget(DeviceSurface* target) {
  DeviceSurface* t = Find(target);
  if (!Check("SetRenderTarget", {}) || !open3D_ || !Drawable(t)) return kDeviceFailed;
  state3D_.target = t;
  state3D_.viewport = Viewport3D{0, 0, t->width, t->height, 0.0f, 1.0f};
  return kDeviceOk;
}

int DisplayDevice::SetViewport(const Viewport3D& v) {
  if (!Check("SetViewport", {v.x, v.y, v.width, v.height}) || !open3D_ || !state3D_.target) return kDeviceFailed;
  if (v.width <= 0 || v.height <= 0 || v.x < 0 || v.y < 0 || v.x + v.width > state3D_.target->width ||
      v.y + v.height > state3D_.target->height) {
    return kDeviceFailed;
  }
  state3D_.viewport = v;
  return kDeviceOk;
}

int DisplayDevice::SetRenderState(RenderState state, uint32_t value) {
  const int index = static_cast<int>(state);
  if (!Check("SetRenderState", {index, value}) || !open3D_ || index < 0 || index >= kRenderStateCount) {
    return kDeviceFailed;
  }
  state3D_.render[index] = value;
  return kDeviceOk;
}

int DisplayDevice::SetTextureStageState(int stage, StageState state, uint32_t value) {
  const int index = static_cast<int>(state);
  if (!Check("SetTextureStageState", {stage, index, value}) || !open3D_ || stage < 0 || stage >= kTextureStages ||
      index < 0 || index >= kStageStateCount) {
    return kDeviceFailed;
  }
  state3D_.stage[stage][index] = value;
  return kDeviceOk;
}

int DisplayDevice::SetTexture(int stage, DeviceSurface* texture) {
  DeviceSurface* t = texture ? Find(texture) : nullptr;
  if (!Check("SetTexture", {stage, texture ? 1 : 0}) || !open3D_ || stage < 0 || stage >= kTextureStages ||
      (texture && !t)) {
    return kDeviceFailed;
  }
  state3D_.texture[stage] = t;
  return kDeviceOk;
}

int DisplayDevice::SetTransform(TransformKind kind, const float matrix[16]) {
  const int index = static_cast<int>(kind) - 1;
  if (!Check("SetTransform", {static_cast<int>(kind)}) || !open3D_ || index < 0 || index >= kTransformKinds ||
      !matrix) {
    return kDeviceFailed;
  }
  std::copy(matrix, matrix + 16, state3D_.transform[index]);
  return kDeviceOk;
}

int DisplayDevice::BeginScene() {
  if (!Check("BeginScene", {}) || !open3D_ || state3D_.inScene) return kDeviceFailed;
  state3D_.inScene = true;
  return kDeviceOk;
}

int DisplayDevice::EndScene() {
  if (!Check("EndScene", {}) || !open3D_ || !state3D_.inScene) return kDeviceFailed;
  state3D_.inScene = false;
  if (state3D_.target) ShowPrimary(state3D_.target, false);
  return kDeviceOk;
}

namespace {

bool WholePrimitives(PrimitiveKind kind, int count) {
  switch (kind) {
    case PrimitiveKind::kPointList: return count >= 1;
    case PrimitiveKind::kLineList: return count >= 2 && count % 2 == 0;
    case PrimitiveKind::kLineStrip: return count >= 2;
    case PrimitiveKind::kTriangleList: return count >= 3 && count % 3 == 0;
    case PrimitiveKind::kTriangleStrip: return count >= 3;
  }
  return false;
}

}  // namespace

int DisplayDevice::DrawPrimitive(PrimitiveKind kind, uint32_t layout, const void* vertices, int count) {
  if (!Check("DrawPrimitive", {static_cast<int>(kind), layout, count}) || !open3D_ || !state3D_.inScene ||
      !vertices || VertexSize(layout) == 0 || !WholePrimitives(kind, count)) {
    return kDeviceFailed;
  }
  DeviceSurface* t = state3D_.target;
  if (!t || t->lost) return kSurfaceLost;
  if (t->locked || t->inDC) return kDeviceFailed;
  for (DeviceSurface* tex : state3D_.texture) {
    if (tex && (tex->lost || tex->locked)) return kDeviceFailed;
  }
  return Render3D(state3D_, kind, layout, vertices, count) ? kDeviceOk : kDeviceFailed;
}

int DisplayDevice::DrawIndexedPrimitive(PrimitiveKind kind, uint32_t layout, const void* vertices, int vertexCount,
                                        const uint16_t* indices, int indexCount) {
  const int size = VertexSize(layout);
  if (!indices || size == 0 || vertexCount <= 0) return kDeviceFailed;
  std::vector<uint8_t> expanded(static_cast<size_t>(indexCount > 0 ? indexCount : 0) * size);
  for (int i = 0; i < indexCount; ++i) {
    if (indices[i] >= vertexCount) return kDeviceFailed;
    std::memcpy(expanded.data() + static_cast<size_t>(i) * size,
                static_cast<const uint8_t*>(vertices) + static_cast<size_t>(indices[i]) * size, static_cast<size_t>(size));
  }
  return DrawPrimitive(kind, layout, expanded.data(), indexCount);
}

}  // namespace platform
