// The display device's 3D side: what a 3D device offers (one hardware device, its texture and
// depth formats), and the states and primitives it draws with. Vertices come pre-transformed
// in screen pixels, pixel centres at whole coordinates; triangles follow the top-left fill
// rule and lines leave out their last pixel.
//
// The numbers of the states, operations, arguments and factors are those the runtime keeps
// in its state cache and sends unchanged.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/window.h"

namespace platform {

struct DevicePixelFormat;

struct Device3DInfo {
  bool hardware = true;
  bool transformAndLight = false;
  std::vector<int> renderBitDepths;  // screen depths the device can draw at
  int minTextureWidth = 0, minTextureHeight = 0;  // 0: not reported
  int maxTextureWidth = 0, maxTextureHeight = 0;
  bool texturePow2 = true;      // texture sides must be powers of two
  bool textureSquareOnly = false;
  int maxTextureBlendStages = 0;
  int maxSimultaneousTextures = 0;
};

enum class RenderState : int {
  kTexturePerspective = 4,
  kZEnable = 7,
  kShadeMode = 9,
  kZWriteEnable = 14,
  kAlphaTestEnable = 15,
  kSrcBlend = 19,
  kDestBlend = 20,
  kCullMode = 22,
  kZFunc = 23,
  kAlphaRef = 24,
  kAlphaFunc = 25,
  kDitherEnable = 26,
  kAlphaBlendEnable = 27,
  kColorKeyEnable = 41,
  kTextureFactor = 60,
  kLighting = 137,
  kColorKeyBlendEnable = 144,
};
constexpr int kRenderStateCount = 160;

enum class StageState : int {
  kColorOp = 1,
  kColorArg1 = 2,
  kColorArg2 = 3,
  kAlphaOp = 4,
  kAlphaArg1 = 5,
  kAlphaArg2 = 6,
  kTexCoordIndex = 11,
  kAddress = 12,
  kMagFilter = 16,
  kMinFilter = 17,
};
constexpr int kStageStateCount = 32;
constexpr int kTextureStages = 4;

// Stage operations.
enum StageOp : uint32_t {
  kOpDisable = 1,
  kOpSelectArg1 = 2,
  kOpSelectArg2 = 3,
  kOpModulate = 4,
  kOpModulate2x = 5,
  kOpModulate4x = 6,
  kOpAdd = 7,
  kOpSubtract = 10,
};

// Stage arguments.
enum StageArg : uint32_t {
  kArgDiffuse = 0,
  kArgCurrent = 1,
  kArgTexture = 2,
  kArgTextureFactor = 3,
  kArgSpecular = 4,
};

enum BlendFactor : uint32_t {
  kBlendZero = 1,
  kBlendOne = 2,
  kBlendSrcColor = 3,
  kBlendInvSrcColor = 4,
  kBlendSrcAlpha = 5,
  kBlendInvSrcAlpha = 6,
  kBlendDestAlpha = 7,
  kBlendInvDestAlpha = 8,
  kBlendDestColor = 9,
  kBlendInvDestColor = 10,
};

enum CompareFunc : uint32_t {
  kCmpNever = 1,
  kCmpLess = 2,
  kCmpEqual = 3,
  kCmpLessEqual = 4,
  kCmpGreater = 5,
  kCmpNotEqual = 6,
  kCmpGreaterEqual = 7,
  kCmpAlways = 8,
};

enum CullMode : uint32_t { kCullNone = 1, kCullClockwise = 2, kCullCounterClockwise = 3 };
enum ShadeMode : uint32_t { kShadeFlat = 1, kShadeGouraud = 2 };
enum TextureAddress : uint32_t { kAddressWrap = 1, kAddressMirror = 2, kAddressClamp = 3, kAddressBorder = 4 };
enum TextureFilter : uint32_t { kFilterPoint = 1, kFilterLinear = 2 };

enum class PrimitiveKind : int { kPointList = 1, kLineList = 2, kLineStrip = 3, kTriangleList = 4, kTriangleStrip = 5 };

// Vertex layout flags: a pre-transformed position (x, y, z, rhw as floats), then a diffuse
// and a specular colour (ARGB), then the texture coordinate sets (u, v floats each).
constexpr uint32_t kVertexXyzRhw = 0x004;
constexpr uint32_t kVertexDiffuse = 0x040;
constexpr uint32_t kVertexSpecular = 0x080;
constexpr uint32_t kVertexTexCountShift = 8;
// The vertex size of a layout in bytes; 0 for a layout without a pre-transformed position.
int VertexSize(uint32_t layout);

// A viewport in pixels of the render target; draws are cut to it.
struct Viewport3D {
  int x = 0, y = 0, width = 0, height = 0;
  float minZ = 0.0f, maxZ = 1.0f;
};

// The device's three transforms. Vertices come pre-transformed, so the device only keeps them.
enum class TransformKind : int { kWorld = 1, kView = 2, kProjection = 3 };
constexpr int kTransformKinds = 3;

struct DeviceSurface;

// The states a draw is made under.
struct Device3DState {
  DeviceSurface* target = nullptr;
  Viewport3D viewport;
  uint32_t render[kRenderStateCount] = {};
  uint32_t stage[kTextureStages][kStageStateCount] = {};
  DeviceSurface* texture[kTextureStages] = {};
  float transform[kTransformKinds][16] = {};  // world, view, projection
  bool inScene = false;

  uint32_t Render(RenderState s) const { return render[static_cast<int>(s)]; }
  uint32_t Stage(int i, StageState s) const { return stage[i][static_cast<int>(s)]; }
};

}  // namespace platform
