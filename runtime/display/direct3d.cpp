#include "runtime/display/direct3d.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "runtime/core/log.h"
#include "runtime/display/display_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/surface_3d.h"
#include "runtime/image/surface_data.h"

namespace rt {

using platform::PrimitiveKind;
using platform::RenderState;
using platform::StageState;

namespace {

D3DGlobals g_d3d;

constexpr int kUnchanged = -1;

// Source and destination factors by blend mode; -1 leaves the factor as it is.
constexpr int32_t kBlendFactors[10][2] = {
    {kUnchanged, kUnchanged},
    {platform::kBlendSrcAlpha, platform::kBlendInvSrcAlpha},
    {platform::kBlendSrcAlpha, platform::kBlendOne},
    {platform::kBlendInvDestColor, platform::kBlendZero},
    {platform::kBlendZero, platform::kBlendSrcColor},
    {platform::kBlendSrcAlpha, platform::kBlendOne},
    {kUnchanged, kUnchanged},
    {kUnchanged, kUnchanged},
    {platform::kBlendZero, platform::kBlendOne},
    {platform::kBlendInvDestColor, platform::kBlendZero},
};

// Operations and arguments, shortened for the stage table.
constexpr int32_t DIS = platform::kOpDisable, SEL1 = platform::kOpSelectArg1, SEL2 = platform::kOpSelectArg2,
                  MOD = platform::kOpModulate, ADD = platform::kOpAdd;
constexpr int32_t TEX = platform::kArgTexture, DIF = platform::kArgDiffuse, CUR = platform::kArgCurrent,
                  TFA = platform::kArgTextureFactor, SPE = platform::kArgSpecular;

// An argument modifier: the argument's alpha in every channel.
constexpr int32_t kArgAlphaReplicate = 0x20;

struct StageEntry {
  int count;
  StageSetup stage[4];
};

// {alphaArg1, alphaArg2, alphaOp, colorArg1, colorArg2, colorOp}
constexpr StageSetup S(int32_t cop, int32_t ca1, int32_t ca2, int32_t aop, int32_t aa1, int32_t aa2) {
  return StageSetup{aa1, aa2, aop, ca1, ca2, cop};
}
constexpr StageSetup kBlendStage0 = S(SEL2, TEX, DIF, ADD, TEX, TFA);

// Indexed by [blend graph][bright][diffuse alpha][texture alpha: none, channel, test only].
constexpr StageEntry kStageTable[2][2][2][3] = {
    {  // no blend graph
        {  // no bright
            {{1, {S(SEL1, TEX, DIF, SEL2, TEX, DIF)}},
             {1, {S(SEL1, TEX, DIF, SEL1, TEX, DIF)}},
             {1, {S(SEL1, TEX, DIF, SEL1, TEX, DIF)}}},
            {{1, {S(SEL1, TEX, DIF, SEL2, TEX, DIF)}},
             {1, {S(SEL1, TEX, DIF, MOD, TEX, DIF)}},
             {1, {S(SEL1, TEX, DIF, MOD, TEX, DIF)}}},
        },
        {  // bright
            {{1, {S(MOD, TEX, DIF, SEL2, TEX, DIF)}},
             {1, {S(MOD, TEX, DIF, SEL1, TEX, DIF)}},
             {1, {S(MOD, TEX, DIF, SEL1, TEX, DIF)}}},
            {{1, {S(MOD, TEX, DIF, SEL2, TEX, DIF)}},
             {1, {S(MOD, TEX, DIF, MOD, TEX, DIF)}},
             {1, {S(MOD, TEX, DIF, MOD, TEX, DIF)}}},
        },
    },
    {  // blend graph
        {  // no bright
            {{2, {kBlendStage0, S(SEL1, TEX, DIF, SEL1, CUR, DIF)}},
             {3, {kBlendStage0, S(SEL1, CUR, DIF, MOD, SPE, CUR), S(SEL1, TEX, DIF, MOD, TEX, CUR)}},
             {2, {kBlendStage0, S(SEL1, TEX, DIF, MOD, TEX, CUR)}}},
            {{2, {kBlendStage0, S(SEL1, TEX, DIF, MOD, DIF, CUR)}},
             {4, {kBlendStage0, S(SEL1, CUR, DIF, MOD, SPE, CUR), S(SEL1, TEX, DIF, MOD, TEX, CUR),
                  S(SEL1, CUR, DIF, MOD, DIF, CUR)}},
             {3, {kBlendStage0, S(SEL1, TEX, DIF, MOD, TEX, CUR), S(SEL1, CUR, DIF, MOD, DIF, CUR)}}},
        },
        {  // bright
            {{2, {kBlendStage0, S(MOD, TEX, DIF, SEL1, CUR, DIF)}},
             {3, {kBlendStage0, S(SEL1, CUR, DIF, MOD, SPE, CUR), S(MOD, TEX, DIF, MOD, TEX, CUR)}},
             {2, {kBlendStage0, S(MOD, TEX, DIF, MOD, TEX, CUR)}}},
            {{2, {kBlendStage0, S(MOD, TEX, DIF, MOD, DIF, CUR)}},
             {4, {kBlendStage0, S(SEL1, CUR, DIF, MOD, SPE, CUR), S(MOD, TEX, DIF, MOD, TEX, CUR),
                  S(SEL1, CUR, DIF, MOD, DIF, CUR)}},
             {3, {kBlendStage0, S(MOD, TEX, DIF, MOD, TEX, CUR), S(SEL1, CUR, DIF, MOD, DIF, CUR)}}},
        },
    },
};

// Untextured draws: the diffuse colour and alpha as they are.
constexpr StageEntry kUntexturedEntry = {1, {S(SEL1, DIF, DIF, SEL2, DIF, DIF)}};

D3DDeviceRecord* Record(int device) {
  if (!g_d3d.direct3D || static_cast<unsigned>(device) >= std::size(g_d3d.devices)) return nullptr;
  D3DDeviceRecord* r = g_d3d.devices + device;
  return r->inUse ? r : nullptr;
}

platform::DisplayDevice* Dev() { return g_d3d.direct3D; }

int SendRender(RenderState state, uint32_t value) { return Dev()->SetRenderState(state, value); }

platform::PrimitiveKind KindOf(int type) { return static_cast<PrimitiveKind>(type); }

void FillVertexDefaults(D3DDeviceRecord* r) {
  for (int kind = 0; kind < kVertexKinds; ++kind) {
    for (int i = 0; i < VertexCapacity(kind); ++i) {
      uint8_t* v = r->buffer[kind] + static_cast<size_t>(i) * kVertexBytes[kind];
      const float z = 0.0f, rhw = 1.0f;
      std::memcpy(v + 8, &z, 4);
      std::memcpy(v + 12, &rhw, 4);
      if (kind == 2) {
        const uint32_t white = 0xFFFFFFFF;
        std::memcpy(v + 20, &white, 4);
      }
    }
  }
}

// Every stage's operations and arguments as the record's cache holds them.
void SendStageCache(const D3DDeviceRecord& r) {
  for (int stage = 0; stage < 4; ++stage) {
    const D3DDeviceRecord::Stage& c = r.stage[stage];
    Dev()->SetTextureStageState(stage, StageState::kAlphaArg1, static_cast<uint32_t>(c.alphaArg1));
    Dev()->SetTextureStageState(stage, StageState::kAlphaArg2, static_cast<uint32_t>(c.alphaArg2));
    Dev()->SetTextureStageState(stage, StageState::kAlphaOp, static_cast<uint32_t>(c.alphaOp));
    Dev()->SetTextureStageState(stage, StageState::kColorArg1, static_cast<uint32_t>(c.colorArg1));
    Dev()->SetTextureStageState(stage, StageState::kColorArg2, static_cast<uint32_t>(c.colorArg2));
    Dev()->SetTextureStageState(stage, StageState::kColorOp, static_cast<uint32_t>(c.colorOp));
  }
}

// A cached value is sent again when it changes, or always while the record re-sends.
bool Changes(D3DDeviceRecord* r, int32_t cached, int32_t value) { return r->resend || cached != value; }

}  // namespace

D3DGlobals& GetD3DGlobals() { return g_d3d; }

int IsDirect3DUsed() { return g_d3d.d3dInitialized && g_d3d.direct3D ? 1 : 0; }

// ---- Start and end ----

int G_D3D_Initialize(platform::DisplayDevice* device, platform::DeviceSurface* front, int screenBits) {
  if (g_d3d.direct3D) return -1;
  LogAdd("Direct3D 関連の初期化を行います\n");
  for (auto& r : g_d3d.devices) r.inUse = 0;
  g_d3d.currentDevice = 0;
  g_d3d.deviceDesc = {};
  g_d3d.minTextureSize = g_d3d.maxTextureSize = 0;
  g_d3d.diffuseColor = 0;
  for (auto& f : g_d3d.textureFormats) f = TextureFormatRecord{};
  g_d3d.d3dFrontScreenTarget = g_d3d.d3dTargetUnusable = 0;
  g_d3d.zBufferFormat = {};
  g_d3d.captureMethod = g_d3d.captureMethodAlpha = -1;
  g_d3d.d3dInitialized = 0;
  g_d3d.blendTextureWidth = g_d3d.blendTextureHeight = 0.0f;
  g_d3d.blendTextureInvWidth = g_d3d.blendTextureInvHeight = 0.0f;
  LogAdd("Ｄｉｒｅｃｔ３Ｄオブジェクトを取得します\n");
  if (!device) {
    LogAdd("Direct3Dオブジェクトの作成に失敗しました\n");
    return -1;
  }
  g_d3d.direct3D = device;
  LogAdd("Ｄｉｒｅｃｔ３Ｄオブジェクトを取得しました\n");
  // A hardware device that draws at the screen's depth; a transform-and-light device wins.
  bool found = false;
  for (const platform::Device3DInfo& info : device->Enumerate3DDevices()) {
    if (!info.hardware) continue;
    if (screenBits != 16 && screenBits != 32) continue;
    if (std::find(info.renderBitDepths.begin(), info.renderBitDepths.end(), screenBits) == info.renderBitDepths.end()) {
      continue;
    }
    if (found && !info.transformAndLight) continue;
    g_d3d.deviceDesc = info;
    found = true;
    if (info.transformAndLight) break;
  }
  if (!found) {
    LogAdd("現在の画面モードで使用できる描画デバイスが見つかりませんでした\n");
    g_d3d.direct3D = nullptr;
    return -1;
  }
  found = false;
  for (const platform::DevicePixelFormat& z : device->EnumerateZBufferFormats()) {
    if (z.depth && z.bits == 16) {
      g_d3d.zBufferFormat = z;
      found = true;
      break;
    }
  }
  if (!found) {
    LogAdd("使用可能なＺバッファが見つかりませんでした\n");
    G_D3D_DeleteAllDevices();
    g_d3d.direct3D = nullptr;
    return -1;
  }
  g_d3d.currentDevice = G_D3D_CreateDevice(front);
  if (g_d3d.currentDevice < 0) {
    g_d3d.currentDevice = 0;
    g_d3d.direct3D = nullptr;
    return -1;
  }
  GetDrawState().textureAddressMode = GetDrawState().textureAddressMode == 0 ? 3 : GetDrawState().textureAddressMode;
  for (int stage = 3; stage >= 0; --stage) {
    const int ok = device->SetTextureStageState(stage, StageState::kAddress,
                                                static_cast<uint32_t>(GetDrawState().textureAddressMode));
    if (stage == 0 && ok != 0) {
      G_D3D_DeleteAllDevices();
      g_d3d.direct3D = nullptr;
      return -1;
    }
  }
  // The texture formats.
  found = false;
  const platform::DevicePixelFormat screen =
      screenBits == 16 ? platform::Rgb565Format() : platform::Xrgb8888Format();
  auto same = [](const platform::DevicePixelFormat& a, const platform::DevicePixelFormat& b) {
    return a.bits == b.bits && a.redMask == b.redMask && a.greenMask == b.greenMask && a.blueMask == b.blueMask &&
           a.alphaMask == b.alphaMask;
  };
  auto store = [](int index, const platform::DevicePixelFormat& f) {
    g_d3d.textureFormats[index].format = f;
    g_d3d.textureFormats[index].filled = true;
  };
  for (const platform::DevicePixelFormat& f : device->EnumerateTextureFormats()) {
    if (f.depth) continue;
    if (f.alphaMask != 0) {
      if (f.alphaMask == 0xF000) store(kTexAlpha16, f);
      if (f.alphaMask == 0xFF000000u) {
        store(kTexAlpha32, f);
        store(kTexAlphaTest32, f);
      }
      if (f.alphaMask == 0x8000) store(kTexAlphaTest16, f);
    } else if (f.bits == 16) {
      if (!g_d3d.textureFormats[kTexPlain16].filled || same(f, screen)) store(kTexPlain16, f);
      found = true;
    } else if (f.bits == 32) {
      if (!g_d3d.textureFormats[kTexPlain32].filled || same(f, screen)) store(kTexPlain32, f);
    }
  }
  if (!found) {
    LogAdd("使用可能なテクスチャフォーマットが見つかりませんでした\n");
    G_D3D_DeleteAllDevices();
    g_d3d.direct3D = nullptr;
    return -1;
  }
  const int fills[7][2] = {{kTexPlain32, kTexPlain16},      {kTexAlpha32, kTexAlpha16},
                           {kTexAlphaTest16, kTexAlpha16},  {kTexAlphaTest32, kTexAlpha32},
                           {kTexTarget16, kTexPlain16},     {kTexTarget32, kTexPlain32},
                           {kTexAlphaTarget, kTexAlpha32}};
  for (const auto& fill : fills) {
    if (!g_d3d.textureFormats[fill[0]].filled) g_d3d.textureFormats[fill[0]] = g_d3d.textureFormats[fill[1]];
  }
  g_d3d.d3dFrontScreenTarget = 1;
  const platform::Device3DInfo& d = g_d3d.deviceDesc;
  g_d3d.minTextureSize = static_cast<uint32_t>(std::min(d.minTextureWidth, d.minTextureHeight));
  if (g_d3d.minTextureSize == 0) g_d3d.minTextureSize = 32;
  g_d3d.maxTextureSize = static_cast<uint32_t>(std::min(d.maxTextureWidth, d.maxTextureHeight));
  if (g_d3d.maxTextureSize == 0) g_d3d.maxTextureSize = 256;
  g_d3d.captureMethod = g_d3d.captureMethodAlpha = -1;
  g_d3d.d3dTargetUnusable = 0;
  LogIndentIncrease();
  LogAddFormat("テクスチャ最大幅:%u 最小幅:%u ", g_d3d.maxTextureSize, g_d3d.minTextureSize);
  LogAddFormat("描画制限: D3DPTEXTURECAPS_POW2 = %d  D3DPTEXTURECAPS_SQUAREONLY = %d ", d.texturePow2 ? 1 : 0,
               d.textureSquareOnly ? 1 : 0);
  LogAdd("テクスチャピクセルフォーマット\n");
  auto width = [](uint32_t m) { return __builtin_popcount(m); };
  LogAdd("\t通常グラフィック用\n");
  for (int i : {kTexPlain16, kTexPlain32}) {
    const auto& f = g_d3d.textureFormats[i].format;
    LogAddFormat("\t\t BIT:%u  RED:%u  GREEN:%u  BLUE:%u ", f.bits, width(f.redMask), width(f.greenMask),
                 width(f.blueMask));
    LogAddFormat("\t\t RED:%06x GREEN:%06x BLUE:%06x \n", f.redMask, f.greenMask, f.blueMask);
  }
  LogAdd("\tアルファチャンネル付きグラフィック用\n");
  for (int i : {kTexAlpha16, kTexAlpha32}) {
    const auto& f = g_d3d.textureFormats[i].format;
    LogAddFormat("\t\t BIT:%u  ALPHA:%u  RED:%u  GREEN:%u  BLUE:%u ", f.bits, width(f.alphaMask), width(f.redMask),
                 width(f.greenMask), width(f.blueMask));
    LogAddFormat("\t\t ALPHA:%08x RED:%08x GREEN:%08x BLUE:%08x \n", f.alphaMask, f.redMask, f.greenMask, f.blueMask);
  }
  LogIndentDecrease();
  LogAdd("Direct3D 関連の初期化は正常に終了しました\n");
  UpdateDrawDiffuseColor();
  g_d3d.d3dInitialized = 1;
  return 0;
}

int G_D3D_Terminate() {
  if (!g_d3d.direct3D) return -1;
  LogAdd("Direct3D 関連の終了処理を行います\n");
  G_D3D_EndScene();
  g_d3d.d3dFrontScreenTarget = 0;
  G_D3D_SetDrawTexture(g_d3d.currentDevice, nullptr);
  G_D3D_DeleteAllSurface3D();
  G_D3D_DeleteAllDevices();
  g_d3d.direct3D = nullptr;
  LogAdd("Direct3D 関連の終了処理は正常に終了しました\n");
  g_d3d.d3dInitialized = 0;
  return 0;
}

int G_D3D_CreateDevice(platform::DeviceSurface* surface) {
  if (!g_d3d.direct3D) return -1;
  int index = -1;
  for (int i = 0; i < 4; ++i) {
    if (!g_d3d.devices[i].inUse) {
      index = i;
      break;
    }
  }
  if (index < 0) return -1;
  D3DDeviceRecord& r = g_d3d.devices[index];
  r = D3DDeviceRecord{};
  LogAdd("３Ｄデバイスを作成します... ");
  // The display device has one 3D context; only the first record may open it.
  for (const auto& other : g_d3d.devices) {
    if (&other != &r && other.inUse && other.hasDevice) {
      LogAdd("３Ｄデバイスの作成に失敗しました\n");
      return -1;
    }
  }
  if (Dev()->Create3D(surface) != 0) {
    LogAdd("３Ｄデバイスの作成に失敗しました\n");
    return -1;
  }
  r.hasDevice = 1;
  FillVertexDefaults(&r);
  // The stage cache starts with these values; the device is given them, or a stage that a
  // later set-up reaches with an argument equal to the cache would keep the device's own.
  SendStageCache(r);
  for (int stage = 0; stage < 4; ++stage) {
    Dev()->SetTextureStageState(stage, StageState::kAddress, 3);
    Dev()->SetTextureStageState(stage, StageState::kMagFilter, platform::kFilterPoint);
    Dev()->SetTextureStageState(stage, StageState::kMinFilter, platform::kFilterPoint);
  }
  SendRender(RenderState::kColorKeyBlendEnable, 0);
  SendRender(RenderState::kCullMode, platform::kCullNone);
  SendRender(RenderState::kLighting, 0);
  SendRender(RenderState::kTexturePerspective, 0);
  SendRender(RenderState::kShadeMode, platform::kShadeFlat);
  SendRender(RenderState::kColorKeyEnable, 0);
  SendRender(RenderState::kDitherEnable, 0);
  r.inUse = 1;
  r.creationSurface = surface;
  const platform::SurfaceInfo info = Dev()->Describe(surface);
  r.viewport = platform::Viewport3D{0, 0, info.width, info.height, 0.0f, 1.0f};
  G_D3D_ResendDeviceStates(index);
  LogAdd("３Ｄデバイスの作成に成功しました\n");
  return index;
}

int G_D3D_ReleaseDevice(int device) {
  D3DDeviceRecord* r = Record(device);
  if (!r) return -1;
  if (!r->hasDevice) return 0;
  G_D3D_FlushVertexBuffer(device);
  if (r->inScene) Dev()->EndScene();
  r->inScene = 0;
  HandleTable<Surface3DData>& pieces = GetSurface3DTable();
  for (int slot = 0; slot < pieces.highWaterMark(); ++slot) {
    if (const Surface3DData* piece = pieces.At(slot)) ReleaseSurfaceDataSurface(piece->surfaceData);
  }
  // The surfaces the cache names are gone with the device.
  r->texture = nullptr;
  r->blendGraphTexture = nullptr;
  for (auto& stage : r->stage) stage.texture = nullptr;
  r->renderTarget = nullptr;
  Dev()->Release3D();
  r->hasDevice = 0;
  LogAdd("Ｄｉｒｅｃｔ３Ｄデバイスを削除しました\n");
  return 0;
}

int G_D3D_ReleaseDirect3DObject() {
  if (!g_d3d.d3dInitialized) return -1;
  G_D3D_ReleaseDevice(g_d3d.currentDevice);
  LogAdd("Ｄｉｒｅｃｔ３Ｄオブジェクトを解放します\n");
  if (!g_d3d.direct3D) {
    LogAdd("Ｄｉｒｅｃｔ３Ｄオブジェクトは既に解放されています\n");
    return 0;
  }
  g_d3d.direct3D = nullptr;
  LogAdd("Ｄｉｒｅｃｔ３Ｄオブジェクトを解放しました\n");
  return 0;
}

int G_D3D_GetDirect3DObject(platform::DisplayDevice* device, platform::DeviceSurface* front,
                            platform::DeviceSurface* target) {
  if (!g_d3d.d3dInitialized) return 0;
  LogAdd("Ｄｉｒｅｃｔ３Ｄオブジェクトを取得します\n");
  if (g_d3d.direct3D) {
    LogAdd("Ｄｉｒｅｃｔ３Ｄオブジェクトは既に取得されていますn");
    return 0;
  }
  if (!device || !front) {
    LogAdd("Direct3Dオブジェクトの作成に失敗しました\n");
    return -1;
  }
  g_d3d.direct3D = device;
  LogAdd("Ｄｉｒｅｃｔ３Ｄオブジェクトは正常に取得されました\n");
  D3DDeviceRecord* r = Record(g_d3d.currentDevice);
  if (!r) return -1;
  r->creationSurface = front;
  r->renderTarget = target == front ? nullptr : target;
  return G_D3D_RecreateDeviceInterface(g_d3d.currentDevice);
}

int G_D3D_RecreateDeviceInterface(int device) {
  D3DDeviceRecord* r = Record(device);
  if (!r) return -1;
  if (r->hasDevice) return 0;
  LogAdd("３Ｄデバイスを作成します... ");
  if (Dev()->Create3D(r->creationSurface) != 0) {
    LogAdd("３Ｄデバイスの作成に失敗しました\n");
    return -1;
  }
  r->hasDevice = 1;
  SendRender(RenderState::kDitherEnable, 0);
  LogAdd("３Ｄデバイスの作成に成功しました\n");
  SendStageCache(*r);
  if (r->renderTarget && Dev()->SetRenderTarget(r->renderTarget) != 0) r->renderTarget = nullptr;
  r->vertexCount = 0;
  r->stateDirty = 1;
  G_D3D_ResendDeviceStates(device);
  // The textures come back empty with their colour keys; the graph restore fills them.
  HandleTable<Surface3DData>& pieces = GetSurface3DTable();
  for (int slot = 0; slot < pieces.highWaterMark(); ++slot) {
    if (const Surface3DData* piece = pieces.At(slot)) {
      CreateSurfaceDataSurface(piece->surfaceData);
      SetSurfaceDataColorKey(piece->surfaceData);
    }
  }
  // The blend graph's texture went with the old device; its new one is bound in its place,
  // or the graphs would be drawn whole from here on.
  const DrawState& ds = GetDrawState();
  if (ds.blendGraph != -1) {
    G_D3D_SetBlendGraphTexture(GetGraphRecord(ds.blendGraph), ds.blendGraphBorderParam, ds.blendGraphBorderRange);
  }
  return 0;
}

int G_D3D_FollowFrontSurface(platform::DeviceSurface* front) {
  D3DDeviceRecord* r = Record(g_d3d.currentDevice);
  if (!r || !front) return -1;
  G_D3D_EndDeviceScene(g_d3d.currentDevice);
  if (Dev()->SetRenderTarget(front) != 0) return -1;
  r->creationSurface = front;
  r->renderTarget = nullptr;
  const platform::SurfaceInfo info = Dev()->Describe(front);
  r->viewport = platform::Viewport3D{0, 0, info.width, info.height, 0.0f, 1.0f};
  return 0;
}

int G_D3D_DeleteAllDevices() {
  for (auto& r : g_d3d.devices) {
    if (!r.inUse || !g_d3d.direct3D) continue;
    if (r.hasDevice) Dev()->Release3D();
    r = D3DDeviceRecord{};
    r.inUse = 0;
    LogAdd("３Ｄデバイスの削除は正常に終了しました\n");
  }
  return 0;
}

int G_D3D_SetDrawScreen(int newScreen, int /*oldScreen*/, platform::DeviceSurface** surface) {
  if (surface) *surface = nullptr;
  D3DDeviceRecord* r = Record(g_d3d.currentDevice);
  if (!r) return 0;
  G_D3D_FlushVertexBuffer(g_d3d.currentDevice);
  G_D3D_EndDeviceScene(g_d3d.currentDevice);
  G_D3D_SetDrawTexture(g_d3d.currentDevice, nullptr);
  const OutputSurfaces& out = GetOutputSurfaces();
  platform::DeviceSurface* target = nullptr;
  if (newScreen == kFrontScreen) {
    target = out.tempPrimarySurface ? out.tempPrimarySurface : out.primarySurface;
    g_d3d.d3dFrontScreenTarget = 1;
  } else if (newScreen == kBackScreen) {
    target = out.backSurface;
    g_d3d.d3dFrontScreenTarget = 0;
  } else {
    const GraphRecord* graph = GetGraphRecord(newScreen);
    if (!graph) return -1;
    if (!graph->create.use3D) return -1;
    // A graph cut into several textures has no one surface to draw into; keeping the old
    // target and answering 0 would send the draws somewhere else.
    if (graph->surfaceCount != 1) return -1;
    const Surface3DData* piece = GetSurface3DData(static_cast<int>(graph->surfaceHandles[0]));
    const SurfaceData* data = piece ? GetSurfaceData(piece->surfaceData) : nullptr;
    if (!data || !data->create.drawValid || !data->surface) return -1;
    target = data->surface;
    g_d3d.d3dFrontScreenTarget = 0;
  }
  g_d3d.d3dTargetUnusable = 0;
  if (G_D3D_SetDeviceRenderTarget(g_d3d.currentDevice, target == r->creationSurface ? nullptr : target) != 0) return -1;
  if (surface) *surface = target;
  return 0;
}

// ---- The batch ----

int G_D3D_FlushVertexBuffer(int device) {
  D3DDeviceRecord* r = Record(device);
  if (!r) return -1;
  if (r->vertexCount > 0 && !r->drawHidden && GetScreenStateRecord().window) {
    Dev()->DrawPrimitive(KindOf(r->primitiveType), kVertexLayout[r->vertexKind], r->buffer[r->vertexKind],
                         r->vertexCount);
  }
  r->vertexCount = 0;
  return 0;
}

void G_D3D_FlushCurrentVertexBuffer() { G_D3D_FlushVertexBuffer(g_d3d.currentDevice); }

void G_D3D_BeginScene() {
  D3DDeviceRecord* r = Record(g_d3d.currentDevice);
  if (!r || r->inScene) return;
  Dev()->BeginScene();
  r->inScene = 1;
}

int G_D3D_EndDeviceScene(int device) {
  D3DDeviceRecord* r = Record(device);
  if (!r) return -1;
  if (!r->inScene) return 0;
  G_D3D_FlushVertexBuffer(device);
  Dev()->EndScene();
  r->inScene = 0;
  return 0;
}

int G_D3D_EndScene() { return G_D3D_EndDeviceScene(g_d3d.currentDevice); }

void* G_D3D_ReserveVertices(PrimitiveKind kind, int n) {
  D3DDeviceRecord* r = Record(g_d3d.currentDevice);
  if (!r || n <= 0 || n > VertexCapacity(r->vertexKind)) return nullptr;
  const int type = static_cast<int>(kind);
  if (r->vertexCount > 0 && (r->primitiveType != type || r->vertexCount + n > VertexCapacity(r->vertexKind))) {
    G_D3D_FlushVertexBuffer(g_d3d.currentDevice);
  }
  r->primitiveType = type;
  void* at = r->buffer[r->vertexKind] + static_cast<size_t>(r->vertexCount) * kVertexBytes[r->vertexKind];
  r->vertexCount += n;
  return at;
}

// ---- Viewport and colour ----

int G_D3D_SetDeviceViewport(int device, const platform::Viewport3D& vp) {
  D3DDeviceRecord* r = Record(device);
  if (!r || !r->hasDevice) return -1;
  if (!r->resend && vp.x == r->viewport.x && vp.y == r->viewport.y && vp.width == r->viewport.width &&
      vp.height == r->viewport.height) {
    return 0;
  }
  G_D3D_FlushVertexBuffer(device);
  G_D3D_EndDeviceScene(device);
  const int result = Dev()->SetViewport(vp);
  if (result != 0) {
    LogAddFormat("ビューポートのセットに失敗しました ErrorCode %x\n", static_cast<unsigned>(result));
    return -1;
  }
  r->viewport = vp;
  return 0;
}

int G_D3D_SetViewport(const RECT& rect) {
  if (!g_d3d.direct3D) return -1;
  if (g_d3d.d3dTargetUnusable) return 0;
  if (rect.right - rect.left <= 0 || rect.bottom - rect.top <= 0) return -1;
  const RECT& offset = GetDrawState().frontClientRect;
  platform::Viewport3D vp{rect.left + offset.left, rect.top + offset.top, rect.right - rect.left,
                          rect.bottom - rect.top, 0.0f, 1.0f};
  return G_D3D_SetDeviceViewport(g_d3d.currentDevice, vp);
}

int UpdateDrawDiffuseColor() {
  const DrawState& ds = GetDrawState();
  const uint32_t alpha = ds.blendMode != 0 ? static_cast<uint32_t>(ds.blendParam & 255) : 255u;
  g_d3d.diffuseColor = alpha << 24 | (ds.brightColor & 0xFFFFFF);
  return 0;
}

// ---- Cached setters ----

int G_D3D_SetDeviceTextureFilter(int device, int mode) {
  D3DDeviceRecord* r = Record(device);
  if (!r || (mode != 0 && mode != 1)) return -1;
  if (!Changes(r, r->filterMode, mode)) return 0;
  G_D3D_FlushVertexBuffer(device);
  const uint32_t f = mode == 1 ? platform::kFilterLinear : platform::kFilterPoint;
  for (int stage = 0; stage < r->stagesInUse; ++stage) {
    Dev()->SetTextureStageState(stage, StageState::kMagFilter, f);
    Dev()->SetTextureStageState(stage, StageState::kMinFilter, f);
  }
  r->filterMode = mode;
  return 0;
}

int G_D3D_SetTextureFilter(int mode) { return G_D3D_SetDeviceTextureFilter(g_d3d.currentDevice, mode); }

int G_D3D_SetTexturePerspective(int device, int flag) {
  D3DDeviceRecord* r = Record(device);
  if (!r) return -1;
  if (!Changes(r, r->perspective, flag)) return 0;
  if (SendRender(RenderState::kTexturePerspective, flag ? 1 : 0) != 0) return -1;
  r->perspective = flag;
  return 0;
}

namespace {

int CachedRender(int device, int32_t* cached, int32_t value, RenderState state, uint32_t sent) {
  D3DDeviceRecord* r = Record(device);
  if (!r) return -1;
  if (!Changes(r, *cached, value)) return 0;
  G_D3D_FlushVertexBuffer(device);
  SendRender(state, sent);
  *cached = value;
  return 0;
}

}  // namespace

int G_D3D_SetColorKeyEnable(int device, int flag) {
  D3DDeviceRecord* r = Record(device);
  return r ? CachedRender(device, &r->colorKeyEnable, flag, RenderState::kColorKeyEnable, flag ? 1 : 0) : -1;
}

int G_D3D_SetZEnable(int device, int value) {
  D3DDeviceRecord* r = Record(device);
  return r ? CachedRender(device, &r->zEnable, value, RenderState::kZEnable, value == 1 ? 1 : 0) : -1;
}

int G_D3D_SetZWriteEnable(int device, int value) {
  D3DDeviceRecord* r = Record(device);
  return r ? CachedRender(device, &r->zWrite, value, RenderState::kZWriteEnable, static_cast<uint32_t>(value)) : -1;
}

int G_D3D_SetZFunc(int device, int value) {
  D3DDeviceRecord* r = Record(device);
  return r ? CachedRender(device, &r->zFunc, value, RenderState::kZFunc, static_cast<uint32_t>(value)) : -1;
}

int G_D3D_SetCullMode(int device, int flag) {
  D3DDeviceRecord* r = Record(device);
  return r ? CachedRender(device, &r->cullFlag, flag, RenderState::kCullMode,
                          flag ? platform::kCullCounterClockwise : platform::kCullNone)
           : -1;
}

int G_D3D_SetShadeMode(int device, int mode) {
  D3DDeviceRecord* r = Record(device);
  if (!r) return -1;
  if (!Changes(r, r->shadeMode, mode)) return 0;
  r->shadeMode = mode;
  G_D3D_FlushVertexBuffer(device);
  return SendRender(RenderState::kShadeMode, static_cast<uint32_t>(mode)) == 0 ? 0 : -1;
}

int G_D3D_SetBlendState(int device, int blendMode, int alphaChannel, int alphaTest) {
  D3DDeviceRecord* r = Record(device);
  if (!r) return -1;
  if (!r->resend && r->blendMode == blendMode && r->alphaChannel == alphaChannel && r->alphaTest == alphaTest) return 0;
  G_D3D_FlushVertexBuffer(device);
  r->blendMode = blendMode;
  r->alphaChannel = alphaChannel;
  r->alphaTest = alphaTest;
  r->stateDirty = 1;
  return 0;
}

int G_D3D_SetDeviceRenderTarget(int device, platform::DeviceSurface* surface) {
  D3DDeviceRecord* r = Record(device);
  if (!r) return -1;
  if (!surface && !r->renderTarget && !r->resend) return 0;
  if (!r->resend && surface == r->renderTarget) return 0;
  G_D3D_FlushVertexBuffer(device);
  G_D3D_EndDeviceScene(device);
  if (Dev()->SetRenderTarget(surface ? surface : r->creationSurface) != 0) return -1;
  r->renderTarget = surface;
  // The device resets its viewport to the whole target.
  const platform::SurfaceInfo info = Dev()->Describe(surface ? surface : r->creationSurface);
  r->viewport = platform::Viewport3D{0, 0, info.width, info.height, 0.0f, 1.0f};
  return 0;
}

void G_D3D_ForgetSurface(const platform::DeviceSurface* surface) {
  if (!surface) return;
  for (D3DDeviceRecord& r : g_d3d.devices) {
    for (auto& stage : r.stage) {
      if (stage.texture == surface) stage.texture = nullptr;
    }
    if (r.texture == surface) {
      r.texture = nullptr;
      r.stateDirty = 1;
    }
    if (r.blendGraphTexture == surface) {
      r.blendGraphTexture = nullptr;
      r.stateDirty = 1;
    }
  }
}

int G_D3D_SetDrawTexture(int device, platform::DeviceSurface* texture) {
  D3DDeviceRecord* r = Record(device);
  if (!r) return -1;
  if (!r->resend && r->texture == texture) return 0;
  G_D3D_FlushVertexBuffer(device);
  if ((r->texture == nullptr) != (texture == nullptr)) r->stateDirty = 1;
  r->texture = texture;
  r->textureDirty = 1;
  return 0;
}

int G_D3D_SetBlendGraphState(int device, platform::DeviceSurface* texture, int param, int range) {
  D3DDeviceRecord* r = Record(device);
  if (!r) return -1;
  const bool changed = texture ? (texture != r->blendGraphTexture || (param != -1 && param != r->blendGraphParam) ||
                                  (range != -1 && range != r->blendGraphRange))
                               : r->blendGraphTexture != nullptr;
  if (!changed && !r->resend) return 0;
  G_D3D_FlushVertexBuffer(device);
  r->blendGraphTexture = texture;
  if (param != -1) r->blendGraphParam = param;
  if (range != -1) r->blendGraphRange = range;
  r->stateDirty = 1;
  return 0;
}

int G_D3D_SetBlendGraphTexture(const GraphRecord* graph, int param, int range) {
  const int device = g_d3d.currentDevice;
  D3DDeviceRecord* r = Record(device);
  if (!r) return -1;
  if (!graph) {
    if (!r->blendGraphTexture && !r->resend) return 0;
    G_D3D_FlushVertexBuffer(device);
    r->blendGraphTexture = nullptr;
    if (param != -1) r->blendGraphParam = param;
    if (range != -1) r->blendGraphRange = range;
    r->stateDirty = 1;
    return 0;
  }
  const Surface3DData* piece =
      graph->create.use3D && graph->surfaceCount > 0 ? GetSurface3DData(static_cast<int>(graph->surfaceHandles[0]))
                                                     : nullptr;
  const SurfaceData* store = piece ? GetSurfaceData(piece->surfaceData) : nullptr;
  if (!store || !store->surface || store->width <= 0 || store->height <= 0) return -1;
  G_D3D_SetBlendGraphState(device, store->surface, param, range);
  g_d3d.blendTextureWidth = static_cast<float>(store->width);
  g_d3d.blendTextureHeight = static_cast<float>(store->height);
  g_d3d.blendTextureInvWidth = 1.0f / g_d3d.blendTextureWidth;
  g_d3d.blendTextureInvHeight = 1.0f / g_d3d.blendTextureHeight;
  return 0;
}

int G_D3D_SetUseDiffuseAlpha(int device, int flag) {
  D3DDeviceRecord* r = Record(device);
  if (!r) return -1;
  if (!Changes(r, r->useDiffuseAlpha, flag)) return 0;
  G_D3D_FlushVertexBuffer(device);
  r->useDiffuseAlpha = flag;
  r->stateDirty = 1;
  return 0;
}

int G_D3D_SetUseBright(int device, int flag) {
  D3DDeviceRecord* r = Record(device);
  if (!r) return -1;
  if (!Changes(r, r->useBright, flag)) return 0;
  G_D3D_FlushVertexBuffer(device);
  r->useBright = flag;
  r->stateDirty = 1;
  return 0;
}

// ---- The logical state ----

void G_D3D_PrepareDrawState(platform::DeviceSurface* texture, int alphaChannelFlag, int alphaTestFlag, int flags) {
  const int device = g_d3d.currentDevice;
  D3DDeviceRecord* r = Record(device);
  if (!r) return;
  const DrawState& ds = GetDrawState();
  int colorKey = 0, alphaChannel = 0, alphaTest = 0;
  if (texture && (flags & 1)) {
    if (!alphaChannelFlag && !alphaTestFlag) {
      colorKey = 1;
    } else if ((ds.blendMode != 0 && ds.blendMode != 8) || (!(flags & 2) && ds.drawMode == 1)) {
      alphaChannel = 1;
    } else {
      alphaChannel = alphaChannelFlag;
      alphaTest = alphaTestFlag;
    }
  }
  G_D3D_SetTexturePerspective(device, (flags & 16) ? 1 : 0);
  G_D3D_SetUseBright(device, (ds.brightColor & 0xFFFFFF) != 0xFFFFFF ? 1 : 0);
  G_D3D_SetUseDiffuseAlpha(device, ds.blendMode != 0 ? 1 : 0);
  G_D3D_SetDrawTexture(device, texture);
  G_D3D_SetShadeMode(device, (flags & 8) ? platform::kShadeGouraud : platform::kShadeFlat);
  G_D3D_SetCullMode(device, ds.cullEnable);
  G_D3D_SetBlendState(device, ds.blendMode, alphaChannel, alphaTest);
  if (r->stateDirty || r->textureDirty) G_D3D_ApplyDeviceState(device);
  G_D3D_SetColorKeyEnable(device, colorKey);
  if (flags & 4) {
    G_D3D_SetZEnable(device, ds.zBufferEnable);
    G_D3D_SetZWriteEnable(device, ds.zWriteEnable);
    G_D3D_SetZFunc(device, ds.zCompareFunc);
  } else if (r->zEnable || r->resend) {
    G_D3D_FlushVertexBuffer(device);
    SendRender(RenderState::kZEnable, 0);
    r->zEnable = 0;
  }
}

namespace {

int TextureStageFor(const D3DDeviceRecord& r) {
  if (!r.blendGraphTexture) return 0;
  return r.alphaChannel ? 2 : 1;
}

void SendStage(D3DDeviceRecord* r, int i, const StageSetup& s, platform::DeviceSurface* texture) {
  D3DDeviceRecord::Stage& c = r->stage[i];
  if (r->resend || c.texture != texture) {
    Dev()->SetTexture(i, texture);
    c.texture = texture;
  }
  auto send = [&](int32_t value, int32_t* cached, StageState state) {
    if (value == kUnchanged) return;
    if (!r->resend && *cached == value) return;
    Dev()->SetTextureStageState(i, state, static_cast<uint32_t>(value));
    *cached = value;
  };
  send(s.alphaOp, &c.alphaOp, StageState::kAlphaOp);
  send(s.alphaArg1, &c.alphaArg1, StageState::kAlphaArg1);
  send(s.alphaArg2, &c.alphaArg2, StageState::kAlphaArg2);
  send(s.colorOp, &c.colorOp, StageState::kColorOp);
  send(s.colorArg1, &c.colorArg1, StageState::kColorArg1);
  send(s.colorArg2, &c.colorArg2, StageState::kColorArg2);
}

}  // namespace

int G_D3D_ApplyDeviceState(int device) {
  D3DDeviceRecord* r = Record(device);
  if (!r || (!r->resend && !r->stateDirty && !r->textureDirty)) return -1;
  if (!r->resend && !r->stateDirty) {
    const int stage = TextureStageFor(*r);
    if (r->stage[stage].texture != r->texture) {
      Dev()->SetTexture(stage, r->texture);
      r->stage[stage].texture = r->texture;
    }
    r->textureDirty = 0;
    return 0;
  }
  r->stateDirty = 0;
  r->textureDirty = 0;
  const int mode = (r->blendMode >= 0 && r->blendMode <= 9) ? r->blendMode : 0;
  int32_t src = kBlendFactors[mode][0], dest = kBlendFactors[mode][1];
  const bool alphaBlend = mode != 0 && mode != 6;
  uint32_t factor = 0xFFFFFFFF;
  int32_t testEnable = r->alphaTestEnable, ref = r->alphaRef, func = r->alphaFunc;
  int32_t blendEnable = alphaBlend ? 1 : 0;
  platform::DeviceSurface* textures[4] = {};
  StageEntry entry{};
  int kind = 0;
  // An untextured draw sets the stages it needs: the textured set-up of an earlier draw
  // would read a texture that is no longer bound.
  if (!r->texture) {
    r->drawHidden = 0;
    kind = 0;
    entry = kUntexturedEntry;
    testEnable = 0;
    factor = r->textureFactor;
  } else if (!r->blendGraphTexture) {
    r->drawHidden = 0;
    kind = 1;
    const int alphaKind = r->alphaChannel ? 1 : r->alphaTest ? 2 : 0;
    entry = kStageTable[0][r->useBright ? 1 : 0][r->useDiffuseAlpha ? 1 : 0][alphaKind];
    if (r->alphaTest) {
      testEnable = 1;
      ref = 16;
      func = platform::kCmpGreater;
    } else if (r->zEnable || r->alphaChannel) {
      // Texels of alpha 0 are left out, as the software draws leave them: in the blend modes
      // whose factors do not read the alpha (multiply, invert) they would show.
      testEnable = 1;
      ref = 0;
      func = platform::kCmpGreater;
    } else {
      testEnable = 0;
    }
    if (r->alphaChannel && !alphaBlend) {
      src = platform::kBlendSrcAlpha;
      dest = platform::kBlendInvSrcAlpha;
    }
    if (mode == 4 && r->alphaChannel) {
      // Multiplying ignores the source alpha in its factors; the software draw weighs the
      // colour by it, so the colour is taken times its own alpha (then the bright colour).
      entry.stage[0].colorOp = platform::kOpModulate;
      entry.stage[0].colorArg1 = TEX;
      entry.stage[0].colorArg2 = TEX | kArgAlphaReplicate;
      if (r->useBright) {
        entry.count = 2;
        entry.stage[1] = S(MOD, CUR, DIF, SEL1, CUR, DIF);
      }
    }
    textures[0] = r->texture;
    blendEnable = (r->alphaChannel || alphaBlend) ? 1 : 0;
  } else {
    kind = 2;
    const int alphaKind = r->alphaChannel ? 1 : r->alphaTest ? 2 : 0;
    entry = kStageTable[1][r->useBright ? 1 : 0][r->useDiffuseAlpha ? 1 : 0][alphaKind];
    if (!alphaBlend) {
      src = platform::kBlendSrcAlpha;
      dest = platform::kBlendInvSrcAlpha;
    }
    r->drawHidden = r->blendGraphParam == 255 ? 1 : 0;
    textures[0] = r->blendGraphTexture;
    textures[r->alphaChannel ? 2 : 1] = r->texture;
    const int p = r->blendGraphParam, range = r->blendGraphRange;
    if (range < 2) {
      testEnable = 1;
      ref = (p == 0 && (r->alphaChannel || r->alphaTest)) ? 1 : p;
      func = platform::kCmpGreaterEqual;
      blendEnable = 0;
      factor = 0x00FFFFFF;
    } else {
      testEnable = 0;
      blendEnable = 1;
      int k, shift, m;
      int32_t op1;
      if (range <= 64) {
        k = 1280, shift = 10, m = 64, op1 = platform::kOpModulate4x;
      } else if (range <= 128) {
        k = 768, shift = 9, m = 128, op1 = platform::kOpModulate2x;
      } else {
        k = 512, shift = 8, m = 255, op1 = platform::kOpModulate;
      }
      const int t = -(p * k / 255);
      const int s = t + k;
      int a;
      if (s > (1 << shift) - 1) {
        a = ((t + 256) * m) / 256;
        entry.stage[0].alphaOp = platform::kOpAdd;
      } else {
        a = 255 - ((s * 255) >> shift);
        entry.stage[0].alphaOp = platform::kOpSubtract;
      }
      factor = static_cast<uint32_t>(a & 255) << 24 | 0xFFFFFF;
      entry.stage[1].alphaOp = op1;
    }
  }
  r->vertexKind = kind;
  r->vertexCount = 0;
  if (entry.count != r->stagesInUse) {
    r->stagesInUse = entry.count;
    const uint32_t f = r->filterMode == 1 ? platform::kFilterLinear : platform::kFilterPoint;
    for (int stage = 0; stage < r->stagesInUse; ++stage) {
      Dev()->SetTextureStageState(stage, StageState::kMagFilter, f);
      Dev()->SetTextureStageState(stage, StageState::kMinFilter, f);
    }
  }
  const int n = std::min(entry.count + 1, 4);
  auto render = [&](int32_t value, int32_t* cached, RenderState state) {
    if (!r->resend && *cached == value) return;
    SendRender(state, static_cast<uint32_t>(value));
    *cached = value;
  };
  render(func, &r->alphaFunc, RenderState::kAlphaFunc);
  render(ref, &r->alphaRef, RenderState::kAlphaRef);
  render(testEnable, &r->alphaTestEnable, RenderState::kAlphaTestEnable);
  render(blendEnable, &r->alphaBlendEnable, RenderState::kAlphaBlendEnable);
  if (r->resend || r->textureFactor != factor) {
    SendRender(RenderState::kTextureFactor, factor);
    r->textureFactor = factor;
  }
  if (src != kUnchanged) render(src, &r->srcBlend, RenderState::kSrcBlend);
  if (dest != kUnchanged) render(dest, &r->destBlend, RenderState::kDestBlend);
  for (int i = 0; i < n; ++i) {
    if (i >= 2 && r->stage[i - 1].alphaOp == platform::kOpDisable) break;
    const StageSetup s = i < entry.count ? entry.stage[i] : StageSetup{kUnchanged, kUnchanged, DIS, kUnchanged,
                                                                       kUnchanged, DIS};
    SendStage(r, i, s, textures[i]);
  }
  return 0;
}

int G_D3D_ResendTextureStates(int device) {
  D3DDeviceRecord* r = Record(device);
  if (!r) return -1;
  G_D3D_FlushVertexBuffer(device);
  const uint32_t coordIndex[4] = {0, 1, 1, 0};
  for (int stage = 0; stage < 4; ++stage) {
    Dev()->SetTextureStageState(stage, StageState::kAddress, static_cast<uint32_t>(r->addressMode));
    Dev()->SetTextureStageState(stage, StageState::kTexCoordIndex, coordIndex[stage]);
  }
  SendRender(RenderState::kTexturePerspective, static_cast<uint32_t>(r->perspective));
  SendRender(RenderState::kShadeMode, static_cast<uint32_t>(r->shadeMode));
  SendRender(RenderState::kColorKeyEnable, static_cast<uint32_t>(r->colorKeyEnable));
  SendRender(RenderState::kLighting, static_cast<uint32_t>(r->lighting));
  SendRender(RenderState::kCullMode, platform::kCullNone);
  SendRender(RenderState::kDitherEnable, 0);
  return 0;
}

void G_D3D_ResendDeviceStates(int device) {
  D3DDeviceRecord* r = Record(device);
  if (!r) return;
  r->resend = 1;
  G_D3D_SetDeviceViewport(device, r->viewport);
  const int key = r->colorKeyEnable;
  G_D3D_SetColorKeyEnable(device, key);
  G_D3D_SetColorKeyEnable(device, 0);
  G_D3D_ResendTextureStates(device);
  G_D3D_SetDeviceTextureFilter(device, r->filterMode);
  G_D3D_ApplyDeviceState(device);
  G_D3D_SetZEnable(device, r->zEnable);
  G_D3D_SetZWriteEnable(device, r->zWrite);
  G_D3D_SetZFunc(device, r->zFunc);
  G_D3D_SetCullMode(device, r->cullFlag);
  G_D3D_SetTexturePerspective(device, r->perspective);
  G_D3D_SetShadeMode(device, r->shadeMode);
  r->resend = 0;
}

namespace {

int SetCurrentTransform(platform::TransformKind kind, const float matrix[16]) {
  if (!Record(g_d3d.currentDevice) || !matrix) return -1;
  return Dev()->SetTransform(kind, matrix) == platform::kDeviceOk ? 0 : -1;
}

}  // namespace

int G_D3D_SetWorldTransform(const float matrix[16]) {
  return SetCurrentTransform(platform::TransformKind::kWorld, matrix);
}

int G_D3D_SetViewTransform(const float matrix[16]) {
  return SetCurrentTransform(platform::TransformKind::kView, matrix);
}

int G_D3D_SetProjectionTransform(const float matrix[16]) {
  return SetCurrentTransform(platform::TransformKind::kProjection, matrix);
}

int G_D3D_CopyDeviceDrawState(int from, int to) {
  const D3DDeviceRecord* source = Record(from);
  if (!source || !Record(to)) return -1;
  G_D3D_SetBlendState(to, source->blendMode, source->alphaChannel, source->alphaTest);
  G_D3D_SetDeviceTextureFilter(to, source->filterMode);
  G_D3D_SetDrawTexture(to, source->texture);
  G_D3D_ApplyDeviceState(to);
  return 0;
}

const platform::DevicePixelFormat* G_D3D_SelectTextureFormat(int alphaChannel, int alphaTest, int bits32,
                                                             int drawTarget) {
  GraphCreateBytes create{};
  create.use3D = 1;
  create.alphaChannel = alphaChannel ? 1 : 0;
  create.alphaTest = alphaTest ? 1 : 0;
  create.drawValid = drawTarget ? 1 : 0;
  create.colorBitDepth = bits32 ? 32 : 16;
  return GetTextureFormatDDPixelFormat(GetTextureFormatIndex(create));
}

int G_D3D_DrawIndexedGrid(int device, int columns, int rows, const VertexTex* vertices) {
  D3DDeviceRecord* r = Record(device);
  if (!r || columns < 2 || rows < 2 || !vertices) return -1;
  G_D3D_FlushVertexBuffer(device);
  std::vector<uint16_t> list;
  auto draw = [&] {
    if (list.empty()) return;
    Dev()->DrawIndexedPrimitive(PrimitiveKind::kTriangleStrip, kVertexLayout[1], vertices, columns * rows, list.data(),
                                static_cast<int>(list.size()));
    list.clear();
  };
  for (int row = 0; row + 1 < rows; ++row) {
    if (static_cast<int>(list.size()) + 2 * columns + 2 > 1000) draw();
    if (!list.empty()) {
      list.push_back(list.back());
      list.push_back(static_cast<uint16_t>((row + 1) * columns));
    }
    for (int v = row * columns; v < (row + 1) * columns; ++v) {
      list.push_back(static_cast<uint16_t>(v + columns));
      list.push_back(static_cast<uint16_t>(v));
    }
  }
  draw();
  return 0;
}

// ---- Untextured draws ----

namespace {

uint32_t ShapeColor(uint32_t color) {
  int r = 0, g = 0, b = 0;
  GetColorComponents(color, &r, &g, &b);
  const uint32_t bright = GetDrawState().brightColor;
  const uint32_t R = (bright >> 16) & 255, G = (bright >> 8) & 255, B = bright & 255;
  return (g_d3d.diffuseColor & 0xFF000000u) | ((R * static_cast<uint32_t>(r) / 255) << 16) |
         ((G * static_cast<uint32_t>(g) / 255) << 8) | (B * static_cast<uint32_t>(b) / 255);
}

// The common start of an untextured draw: the scene, no texture, the untextured state.
bool BeginShape() {
  if (!g_d3d.direct3D || !Record(g_d3d.currentDevice)) return false;
  G_D3D_BeginScene();
  G_D3D_SetDrawTexture(g_d3d.currentDevice, nullptr);
  G_D3D_PrepareDrawState(nullptr, 0, 0, GetDrawState().zBufferEnable > 0 ? 4 : 0);
  D3DDeviceRecord* r = Record(g_d3d.currentDevice);
  if (r->stateDirty || r->textureDirty) G_D3D_ApplyDeviceState(g_d3d.currentDevice);
  return true;
}

void EndShape() {
  if (g_d3d.d3dFrontScreenTarget) G_D3D_EndScene();
}

void Put(Vertex2D* v, float x, float y, uint32_t color) {
  v->x = x;
  v->y = y;
  v->z = GetDrawState().drawZ;
  v->rhw = 1.0f;
  v->color = color;
}

}  // namespace

int G_D3D_DrawFillBox(int x1, int y1, int x2, int y2, uint32_t color) {
  if (!g_d3d.direct3D) return -1;
  RECT rect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
  ClipRectImpl(&rect, &GetDrawState().drawArea);
  if (rect.right <= rect.left || rect.bottom <= rect.top) return 0;
  if (!BeginShape()) return -1;
  const uint32_t c = ShapeColor(color);
  const RECT& o = GetDrawState().frontClientRect;
  const float X1 = static_cast<float>(rect.left + o.left), Y1 = static_cast<float>(rect.top + o.top);
  const float X2 = static_cast<float>(rect.right + o.left), Y2 = static_cast<float>(rect.bottom + o.top);
  auto* v = static_cast<Vertex2D*>(G_D3D_ReserveVertices(PrimitiveKind::kTriangleList, 6));
  if (!v) return -1;
  // With flat shading a triangle takes its first vertex's colour.
  Put(v + 0, X1, Y1, c);
  Put(v + 1, X2, Y1, 0);
  Put(v + 2, X1, Y2, 0);
  Put(v + 3, X2, Y2, c);
  Put(v + 4, X1, Y2, 0);
  Put(v + 5, X2, Y1, 0);
  EndShape();
  return 0;
}

int G_D3D_DrawLine(int x1, int y1, int x2, int y2, uint32_t color) {
  if (!g_d3d.direct3D) return -1;
  if (x1 == x2 && y1 == y2) return 0;
  if (!BeginShape()) return -1;
  const uint32_t c = ShapeColor(color);
  const RECT& o = GetDrawState().frontClientRect;
  float ex = static_cast<float>(x2 + o.left), ey = static_cast<float>(y2 + o.top);
  // The last pixel is left out.
  if (x1 == x2) ey += y2 > y1 ? -0.1f : 0.1f;
  if (y1 == y2) ex += x2 > x1 ? -0.1f : 0.1f;
  auto* v = static_cast<Vertex2D*>(G_D3D_ReserveVertices(PrimitiveKind::kLineList, 2));
  if (!v) return -1;
  Put(v + 0, static_cast<float>(x1 + o.left), static_cast<float>(y1 + o.top), c);
  Put(v + 1, ex, ey, c);
  EndShape();
  return 0;
}

int G_D3D_DrawLineBox(int x1, int y1, int x2, int y2, uint32_t color) {
  if (!g_d3d.direct3D) return -1;
  // Each coordinate pair is ordered on its own, as the software box does; swapping both
  // pairs when only one was reversed turned the box inside out.
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  if (!BeginShape()) return -1;
  const uint32_t c = ShapeColor(color);
  const RECT& o = GetDrawState().frontClientRect;
  const float X1 = static_cast<float>(x1 + o.left), Y1 = static_cast<float>(y1 + o.top);
  const float X2 = static_cast<float>(x2 - 1 + o.left), Y2 = static_cast<float>(y2 - 1 + o.top);
  if (X1 == X2 || Y1 == Y2) {
    // A box one pixel high or wide is one line: four edges would light its pixels twice,
    // and the left edge of a one-pixel box would run back above it.
    auto* v = static_cast<Vertex2D*>(G_D3D_ReserveVertices(PrimitiveKind::kLineList, 2));
    if (!v) return -1;
    Put(v + 0, X1, Y1, c);
    if (Y1 == Y2) {
      Put(v + 1, X2 + 0.9f, Y1, c);
    } else {
      Put(v + 1, X1, Y2 + 0.9f, c);
    }
    EndShape();
    return 0;
  }
  auto* v = static_cast<Vertex2D*>(G_D3D_ReserveVertices(PrimitiveKind::kLineList, 8));
  if (!v) return -1;
  Put(v + 0, X1, Y1, c);
  Put(v + 1, X2 - 0.1f, Y1, c);
  Put(v + 2, X2, Y1, c);
  Put(v + 3, X2, Y2 - 0.1f, c);
  Put(v + 4, X1, Y2, c);
  Put(v + 5, X2 + 0.9f, Y2, c);
  Put(v + 6, X1, Y1 + 1.0f, c);
  Put(v + 7, X1, Y2 - 0.1f, c);
  EndShape();
  return 0;
}

int G_D3D_DrawPixel(int x, int y, uint32_t color) {
  if (!g_d3d.direct3D) return -1;
  if (!BeginShape()) return -1;
  uint32_t c;
  if (g_d3d.diffuseColor == 0xFFFFFFFF) {
    int r = 0, g = 0, b = 0;
    GetColorComponents(color, &r, &g, &b);
    c = 0xFF000000u | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
  } else {
    c = ShapeColor(color);
  }
  const RECT& o = GetDrawState().frontClientRect;
  auto* v = static_cast<Vertex2D*>(G_D3D_ReserveVertices(PrimitiveKind::kPointList, 1));
  if (!v) return -1;
  Put(v, static_cast<float>(x + o.left), static_cast<float>(y + o.top), c);
  EndShape();
  return 0;
}

// ---- The public shapes ----

// A target that is not a device surface (a graph kept in memory) is drawn on in software.
bool D3DShapesInUse() {
  return g_d3d.d3dInitialized && g_d3d.direct3D && !GetScreenStateRecord().softwareRender &&
         GetGraphManager().settings.use3D == 1 && GetDrawTarget().targetSurface != nullptr;
}

namespace {

int DrawOne(D3DShape shape, int x1, int y1, int x2, int y2, uint32_t color) {
  switch (shape) {
    case D3DShape::kFillBox: return G_D3D_DrawFillBox(x1, y1, x2, y2, color);
    case D3DShape::kLine: return G_D3D_DrawLine(x1, y1, x2, y2, color);
    case D3DShape::kLineBox: return G_D3D_DrawLineBox(x1, y1, x2, y2, color);
    case D3DShape::kPixel: return G_D3D_DrawPixel(x1, y1, color);
  }
  return -1;
}

}  // namespace

int D3DDrawShape(D3DShape shape, int x1, int y1, int x2, int y2, uint32_t color) {
  // The device follows the draw target, which may have changed without it.
  if (!D3DSyncDrawTarget(GetDrawState().drawArea)) return -1;
  DrawState& ds = GetDrawState();
  if (ds.blendMode != 3) {
    UpdateDrawDiffuseColor();
    return DrawOne(shape, x1, y1, x2, y2, color);
  }
  const int32_t mode = ds.blendMode;
  const uint32_t bright = ds.brightColor;
  const uint32_t white = GetColorImpl(255, 255, 255);
  auto pass = [&](int32_t passMode, uint32_t passBright, uint32_t passColor) {
    ds.blendMode = passMode;
    ds.brightColor = passBright;
    UpdateDrawDiffuseColor();
    return DrawOne(shape, x1, y1, x2, y2, passColor);
  };
  int result = pass(3, 0xFFFFFF, white);
  if (result == 0) result = pass(5, bright, color);
  if (result == 0) result = pass(3, 0xFFFFFF, white);
  ds.blendMode = mode;
  ds.brightColor = bright;
  UpdateDrawDiffuseColor();
  return result;
}

}  // namespace rt
