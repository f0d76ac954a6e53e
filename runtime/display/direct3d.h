// The display's 3D device: start and end on the display device, the texture formats and size
// limits it reports, and the device record that mirrors the device's state. Draws describe
// what they need (texture, blend mode, alpha use, bright colour, Z) as a small logical state
// that is turned into render and stage states only when something changed; their vertices
// go into a batch that is sent with one draw call when the primitive, the vertex kind or any
// state changes, when it is full, or when another path needs the surfaces.
#pragma once
#include <cstdint>

#include "platform/display_device.h"
#include "runtime/image/rect.h"

namespace rt {

struct GraphRecord;
struct VertexTriple;

// 1 when graphs and shapes are drawn through a 3D device.
int IsDirect3DUsed();
// Sends the current device's batched vertices.
void G_D3D_FlushCurrentVertexBuffer();
// Ends the current device's scene (the batch is sent first); -1 without a device.
int G_D3D_EndScene();

// Vertex kinds: 0 untextured, 1 textured, 2 textured with a blend graph.
constexpr int kVertexKinds = 3;
constexpr uint32_t kVertexLayout[kVertexKinds] = {0x44, 0x144, 0x2C4};
constexpr int kVertexBytes[kVertexKinds] = {20, 28, 40};
constexpr int kVertexBufferBytes[kVertexKinds] = {64512, 65536, 65536};
constexpr int VertexCapacity(int kind) { return kVertexBufferBytes[kind] / kVertexBytes[kind]; }

struct Vertex2D {  // kind 0
  float x, y, z, rhw;
  uint32_t color;
};
struct VertexTex {  // kind 1
  float x, y, z, rhw;
  uint32_t color;
  float u, v;
};
struct VertexBlend {  // kind 2
  float x, y, z, rhw;
  uint32_t color, specular;
  float u1, v1, u2, v2;
};

// One record per texture stage: the six values a stage table entry gives; -1 leaves a value.
struct StageSetup {
  int32_t alphaArg1, alphaArg2, alphaOp, colorArg1, colorArg2, colorOp;
};

struct D3DDeviceRecord {
  int32_t inUse = 0;
  int32_t hasDevice = 0;  // the platform device's 3D side is open for this record
  platform::DeviceSurface* creationSurface = nullptr;
  platform::DeviceSurface* renderTarget = nullptr;  // null: the creation surface
  platform::DeviceSurface* texture = nullptr;
  platform::DeviceSurface* blendGraphTexture = nullptr;
  int32_t useBright = 0;
  int32_t useDiffuseAlpha = 0;
  int32_t blendMode = 0;
  int32_t blendGraphParam = -1;
  int32_t blendGraphRange = 0;
  int32_t alphaChannel = 0;
  int32_t alphaTest = 0;
  int32_t stateDirty = 1;
  int32_t textureDirty = 0;
  int32_t drawHidden = 0;
  int32_t resend = 0;
  int32_t alphaTestEnable = 0, alphaRef = 0, alphaFunc = 0, alphaBlendEnable = 0;
  uint32_t textureFactor = 0;
  int32_t srcBlend = 0, destBlend = 0;
  int32_t stagesInUse = 0;
  struct Stage {
    platform::DeviceSurface* texture = nullptr;
    int32_t alphaArg1 = 2, alphaArg2 = 0, alphaOp = 1, colorArg1 = 2, colorArg2 = 0, colorOp = 1;
  } stage[4];
  int32_t inScene = 0;
  int32_t filterMode = 0;
  int32_t zEnable = 1, zWrite = 0, zFunc = 4;
  int32_t shadeMode = 1;
  int32_t cullFlag = 0;
  int32_t addressMode = 3;
  int32_t perspective = 0;
  int32_t lighting = 0;
  int32_t colorKeyEnable = 0;
  int32_t vertexCount = 0;
  int32_t vertexKind = 1;
  int32_t primitiveType = 0;
  platform::Viewport3D viewport{0, 0, 0, 0, 0.0f, 0.0f};
  alignas(8) uint8_t buffer[kVertexKinds][65536] = {};
};

// One texture-format record: the device's pixel format for one kind of graph.
struct TextureFormatRecord {
  platform::DevicePixelFormat format{};
  bool filled = false;
};
constexpr int kTextureFormatCount = 9;
// Record numbers (the choice among them by a store's creation bytes).
constexpr int kTexPlain16 = 0, kTexPlain32 = 1, kTexAlpha16 = 2, kTexAlpha32 = 3, kTexAlphaTest16 = 4,
              kTexAlphaTest32 = 5, kTexTarget16 = 6, kTexTarget32 = 7, kTexAlphaTarget = 8;

struct D3DGlobals {
  platform::DisplayDevice* direct3D = nullptr;  // the device whose 3D side is in use; null: none
  int32_t currentDevice = 0;
  platform::Device3DInfo deviceDesc{};
  uint32_t minTextureSize = 0, maxTextureSize = 0;
  uint32_t diffuseColor = 0xFFFFFFFF;
  TextureFormatRecord textureFormats[kTextureFormatCount];
  int32_t d3dFrontScreenTarget = 0;
  int32_t d3dTargetUnusable = 0;
  platform::DevicePixelFormat zBufferFormat{};
  int32_t captureMethod = -1, captureMethodAlpha = -1;
  int32_t d3dInitialized = 0;
  // The blend graph's texture size and its reciprocals: a vertex's blend coordinates are its
  // place in the drawn graph times the reciprocals.
  float blendTextureWidth = 0.0f, blendTextureHeight = 0.0f;
  float blendTextureInvWidth = 0.0f, blendTextureInvHeight = 0.0f;
  D3DDeviceRecord devices[4];
};

D3DGlobals& GetD3DGlobals();

// ---- Start and end ----
// Starts the 3D side on the display device with the surface as the front (0 / -1).
int G_D3D_Initialize(platform::DisplayDevice* device, platform::DeviceSurface* front, int screenBits);
int G_D3D_Terminate();
int G_D3D_CreateDevice(platform::DeviceSurface* surface);
// The output surfaces were made again (a window-mode switch): the device draws onto the new
// front surface, keeping its states and the textures.
int G_D3D_FollowFrontSurface(platform::DeviceSurface* front);
int G_D3D_DeleteAllDevices();
// Around a rebuild of the display device: the 3D side lets go of the device (its textures'
// surfaces with it, the records and the state cache kept), and takes the new device again,
// re-making the textures (empty: the graph restore fills them) and re-sending every state.
int G_D3D_ReleaseDirect3DObject();
int G_D3D_GetDirect3DObject(platform::DisplayDevice* device, platform::DeviceSurface* front,
                            platform::DeviceSurface* target);
int G_D3D_RecreateDeviceInterface(int device);
int G_D3D_ReleaseDevice(int device);
// The 3D side of a draw-screen change: the device draws into the front or back surface or
// into the texture of a graph of one piece; -1 for a graph it cannot draw into (one cut into
// several pieces among them). *surface: the new target.
int G_D3D_SetDrawScreen(int newScreen, int oldScreen, platform::DeviceSurface** surface);

// ---- The state cache and the batch ----
int G_D3D_FlushVertexBuffer(int device);
void G_D3D_BeginScene();
int G_D3D_EndDeviceScene(int device);
int G_D3D_SetDeviceViewport(int device, const platform::Viewport3D& viewport);
int G_D3D_SetViewport(const RECT& rect);
int UpdateDrawDiffuseColor();
int G_D3D_SetTextureFilter(int mode);
int G_D3D_SetDeviceTextureFilter(int device, int mode);
int G_D3D_SetTexturePerspective(int device, int flag);
int G_D3D_SetColorKeyEnable(int device, int flag);
int G_D3D_SetBlendState(int device, int blendMode, int alphaChannel, int alphaTest);
int G_D3D_SetDeviceRenderTarget(int device, platform::DeviceSurface* surface);
int G_D3D_SetZEnable(int device, int value);
int G_D3D_SetZWriteEnable(int device, int value);
int G_D3D_SetZFunc(int device, int value);
// Drops the surface from every device record's texture and stage cache before it is
// released: a new surface made at its address must still be bound when drawn with.
void G_D3D_ForgetSurface(const platform::DeviceSurface* surface);
int G_D3D_SetDrawTexture(int device, platform::DeviceSurface* texture);
int G_D3D_SetBlendGraphState(int device, platform::DeviceSurface* texture, int param, int range);
// Binds the first texture of the graph as the current device's blend graph, or drops it (null
// graph); param and range -1 keep the stored values. -1 when the graph is not made of textures.
int G_D3D_SetBlendGraphTexture(const GraphRecord* graph, int param, int range);
int G_D3D_SetUseDiffuseAlpha(int device, int flag);
int G_D3D_SetUseBright(int device, int flag);
int G_D3D_SetCullMode(int device, int flag);
int G_D3D_SetShadeMode(int device, int mode);
// The logical state of one draw. texture: the piece's texture or null; alphaChannel and
// alphaTest: its store's flags. flags: 1 transparent, 2 whole-pixel coordinates, 4 use the
// Z settings, 8 Gouraud shading, 16 perspective correction.
void G_D3D_PrepareDrawState(platform::DeviceSurface* texture, int alphaChannelFlag, int alphaTestFlag, int flags);
int G_D3D_ApplyDeviceState(int device);
int G_D3D_ResendTextureStates(int device);
void G_D3D_ResendDeviceStates(int device);
// The current device's world, view and projection transforms (16 values row by row).
int G_D3D_SetWorldTransform(const float matrix[16]);
int G_D3D_SetViewTransform(const float matrix[16]);
int G_D3D_SetProjectionTransform(const float matrix[16]);
// Gives the second record the blend state, texture filter and texture of the first, and
// applies them; -1 when either record is free.
int G_D3D_CopyDeviceDrawState(int from, int to);
// The texture pixel format for a graph with these attributes (16-bit colour unless bits32).
const platform::DevicePixelFormat* G_D3D_SelectTextureFormat(int alphaChannel, int alphaTest, int bits32,
                                                             int drawTarget);
int G_D3D_DrawIndexedGrid(int device, int columns, int rows, const VertexTex* vertices);
// Room for n vertices of the primitive in the current device's batch (sent first when the
// primitive changes or the batch is full); the caller writes them.
void* G_D3D_ReserveVertices(platform::PrimitiveKind kind, int n);

// ---- Untextured draws ----
int G_D3D_DrawFillBox(int x1, int y1, int x2, int y2, uint32_t color);
int G_D3D_DrawLine(int x1, int y1, int x2, int y2, uint32_t color);
int G_D3D_DrawLineBox(int x1, int y1, int x2, int y2, uint32_t color);
int G_D3D_DrawPixel(int x, int y, uint32_t color);

// ---- The public shapes on the 3D device ----
enum class D3DShape { kFillBox, kLine, kLineBox, kPixel };
// True while shapes go through the 3D device.
bool D3DShapesInUse();
// Draws the shape on the current draw target with the draw state's blend mode and bright
// colour. The device has no subtracting blend, so a subtraction is drawn as an inversion of
// the target, an addition and a second inversion.
int D3DDrawShape(D3DShape shape, int x1, int y1, int x2, int y2, uint32_t color);

// ---- Textured draws: graphs as their texture pieces ----
// intFlag 1: the coordinates are whole pixels. Graph draws return 0 and draw nothing while
// the draw target cannot be drawn into by the device.
int G_D3D_DrawGraph(float x, float y, const GraphRecord* graph, int transparent, int intFlag);
int G_D3D_DrawGraphStretched(float x1, float y1, float x2, float y2, const GraphRecord* graph, int transparent,
                             int intFlag);
int G_D3D_DrawGraphRotated(float x, float y, double scale, double angle, const GraphRecord* graph, int transparent,
                           int turn);
// Corners top left, top right, bottom left, bottom right.
int G_D3D_DrawGraphQuad(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                        const GraphRecord* graph, int transparent);
// The corners as whole pixels: an axis-aligned rectangle is drawn stretched; another quad is
// drawn as G_D3D_DrawGraphQuad draws it or, with a blend graph, each piece as two triangles
// placed by the affine map of the quad's half it lies in.
int G_D3D_DrawGraphQuadInt(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, const GraphRecord* graph,
                           int transparent);
void G_D3D_DrawQuadPiece(int pieceHandle, const float x[4], const float y[4]);
int G_D3D_DrawPolygon(const VertexTriple* triangles, int count, const GraphRecord* graph, int transparent,
                      int quadFlag, int extraFlags);
int G_D3D_DrawCircle(int x, int y, int radius, uint32_t color, int fillFlag);
// Blend mode 3 on the device: the rectangle is inverted before the draw (which is then made
// additive) and after it.
void BeginSubtractBlend(const RECT& rect);
void EndSubtractBlend(const RECT& rect);
// Brings the device to the current draw target, with the viewport on `area` (the draw area
// outside any narrowing for one draw); false when the target is not a device surface.
bool D3DSyncDrawTarget(const RECT& area);
// While a draw runs with a narrowed draw area, the viewport stays on the outer area (null:
// none held).
void D3DHoldViewportArea(const RECT* area);
// True when a graph made of textures can be drawn onto the current draw target.
bool D3DGraphDrawsInUse();

}  // namespace rt

