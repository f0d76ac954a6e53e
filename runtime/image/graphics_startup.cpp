#include "runtime/image/graphics_startup.h"

#include <cstring>
#include <string>

#include "runtime/core/log.h"
#include "runtime/core/startup.h"
#include "runtime/core/window.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/movie/movie.h"
#include "runtime/display/draw_backend.h"
#include "runtime/display/draw_primitives.h"
#include "runtime/display/draw_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/display/screen_capture.h"
#include "runtime/display/screen_flip.h"
#include "runtime/display/screen_mode.h"
#include "runtime/file/stream.h"
#include "runtime/image/graph_load.h"
#include "runtime/image/image_loader.h"
#include "runtime/image/mask_screen.h"
#include "runtime/image/surface_2d.h"
#include "runtime/image/surface_3d.h"
#include "runtime/image/surface_data.h"
#include "runtime/font/font.h"

namespace rt {
namespace {

constexpr int kWarmUpSize = 256;
constexpr int kWarmUpStretchWidth = 640;
constexpr int kWarmUpStretchHeight = 480;
// Longest directory the restore reloads from.
constexpr size_t kRestoreDirectoryLimit = 128;
constexpr size_t kRestoreNameLimit = 64;

void ScreenSizeHook(int* width, int* height) {
  const ScreenState& screen = GetScreenStateRecord();
  *width = screen.screenWidth;
  *height = screen.screenHeight;
}

int CopyDrawScreenHook(int x1, int y1, int x2, int y2, GraphRecord* graph, int) {
  return G_DD_GetDrawScreenGraph(x1, y1, x2, y2, graph);
}

// A black 24-bit image made into a graph, for the warm-up.
int MakeBlackGraph() {
  GraphImage image{};
  if (CreateRGB24GraphImage(kWarmUpSize, kWarmUpSize, &image) != 0) return -1;
  FillGraphImage(&image, 0, 0, 0, 0);
  const int graph = CreateGraphFromGraphImage(&image);
  ReleaseGraphImage(&image);
  return graph;
}

}  // namespace

void InstallGraphDeviceHooks() {
  GraphDeviceHooks& h = GetGraphDeviceHooks();
  h = GraphDeviceHooks{};
  h.screenColorDepth = [] { return GetScreenStateRecord().screenBits; };
  h.screenSize = ScreenSizeHook;
  h.direct3DInUse = IsDirect3DUsed;
  h.softwareRenderer = GetSoftwareRenderFlag;
  h.directDrawInUse = IsDirectDrawUsed;
  h.directDrawObjectExists = [] { return GetDirectDrawObject() != nullptr ? 1 : 0; };
  h.current3DDeviceExists = [] { return IsDirect3DUsed(); };
  h.setSoftwareRenderRequest = [](int flag) { SetSoftwareRenderRequest(flag); };
  h.blendGraphHandle = [] { return GetDrawState().blendGraph; };
  h.endScene = [] { G_D3D_EndScene(); };
  h.waitWhileInactive = WaitWhileInactive;
  h.makeGraphSurface2D = MakeGraphSurface2D;
  h.makeGraphTextures = MakeGraphTextures;
  h.bltImageToGraphSurface2D = BltImageToGraphSurface2D;
  h.bltImageToGraphTextures = BltImageToGraphTextures;
  h.copyDrawScreenToGraph2D = CopyDrawScreenHook;
  h.captureDrawScreenToGraph3D = G_D3D_GetDrawScreenGraph;
}

int InitGraphics(platform::Window* window) {
  GetScreenStateRecord().window = window;
  InstallGraphDeviceHooks();
  if (InitDirectDraw() != 0) {
    if (GetScreenStateRecord().pureSoftware) FatalExit("DirectDraw の初期化に失敗しました");
    LogAdd("ソフトウエアレンダリングモードに変更します\n");
    SetUseHardwareRender(0);
    if (InitDirectDraw() != 0) FatalExit("DirectDraw の初期化に失敗しました");
  }
  GetGraphManager().initialized = 1;
  return 0;
}

int EndGraphics() {
  EndDirectDraw();
  GetGraphManager().initialized = 0;
  return 0;
}

int InitGraphManager() {
  GraphManager& manager = GetGraphManager();
  if (manager.initialized) return 0;
  LogAdd("グラフィック管理系の初期化を行います\n");
  LogIndentIncrease();

  ResetGraphManager();
  ClearSurface2DTable();
  GetDrawState() = DrawState{};
  DrawState& state = GetDrawState();
  state.blendGraph = -1;
  state.textureAddressMode = 3;
  state.zBufferEnable = 0;
  state.zWriteEnable = 0;
  manager.settings.use3D = 1;
  manager.settings.alphaTest = 1;
  state.blendMode = 0;
  state.brightColor = 0xFFFFFF;
  state.drawZ = 0.2f;
  state.zCompareFunc = 4;
  manager.initialized = 1;

  UpdateDrawDiffuseColor();
  if (G_D3D_DeleteAllSurface3D() == 0) {
    LogAdd("３Ｄグラフィック描画機能を使用します\n");
  } else {
    LogAdd("３Ｄグラフィック描画機能は使用しません\n");
  }

  manager.settings.colorBitDepth = 0;
  // mask: the mask use flag (1) and the active flag from the mask-screen wanted flag join here
  state.drawScreen = kBackScreen;
  SetDrawScreenImpl(kFrontScreen);
  int width = 0;
  int height = 0;
  GetGraphSize(kFrontScreen, &width, &height);
  SetDrawArea(0, 0, width, height);

  ResetDefaultFontSettings();
  InitFontSystem();
  LogIndentDecrease();
  LogAdd("グラフィック管理系の初期化は正常に終了しました\n");
  return 0;
}

int EndGraphManager() {
  GraphManager& manager = GetGraphManager();
  if (!manager.initialized) return 0;
  EndMaskScreen();
  DeleteAllSoftImages();
  DeleteAllGraph(0);
  InitFontSystem();
  DeleteFontToHandle(GetDefaultFontHandle());
  manager.initialized = 0;
  LogAdd("グラフィック管理系の終了処理は正常に終了しました\n");
  return 0;
}

void SetGraphRestoreCallback(int (*callback)()) {
  GetGraphManager().restoreCallback = callback ? callback : RestoreGraphsFromFiles;
}

int RestoreGraphs() {
  HandleTable<GraphRecord>& table = GetGraphManager().table;
  for (int slot = 0; slot < table.highWaterMark(); ++slot) {
    if (GraphRecord* record = table.At(slot)) record->lost = 1;
  }
  ClearSurfaceDataRefill();
  if (GetGraphManager().restoreCallback) GetGraphManager().restoreCallback();
  RecreateAllFonts();
  return 0;
}

int RefillRestoredGraphs() {
  if (!GetGraphManager().initialized || !SurfaceDataRefillDue()) return 0;
  return RestoreGraphs();
}

int RestoreGraphsFromFiles() {
  LogAdd("グラフィックを復帰します\n");
  char keptDirectory[kStreamPathSize] = {};
  StreamGetCurrentDir(keptDirectory);

  HandleTable<GraphRecord>& table = GetGraphManager().table;
  GraphImage image{};
  GraphImage alphaImage{};
  bool held = false;
  int heldAlpha = 0;
  const GraphRecord* last = nullptr;
  std::string lastName, lastDirectory;
  uint32_t lastOption = 0;
  for (int slot = 0; slot < table.highWaterMark(); ++slot) {
    GraphRecord* record = table.At(slot);
    if (!record || !record->lost || record->name[0] == '\0') continue;
    if (std::strlen(record->directory) > kRestoreDirectoryLimit || std::strlen(record->name) > kRestoreNameLimit) {
      record->lost = 0;
      continue;
    }
    const bool reuse = held && last && lastName == record->name && lastDirectory == record->directory &&
                       lastOption == record->transferOption;
    if (!reuse) {
      if (held) {
        ReleaseGraphImage(&image);
        ReleaseGraphImage(&alphaImage);
        held = false;
      }
      StreamSetCurrentDir(record->directory);
      const int loaded = LoadImageWithAlpha(record->name, nullptr, 0, 0, nullptr, 0, 0, &image, &alphaImage,
                                            static_cast<int>(record->transferOption));
      if (loaded < 0) {
        // The graph keeps whatever its surfaces hold.
        record->lost = 0;
        last = nullptr;
        continue;
      }
      held = true;
      heldAlpha = loaded == 0;
      lastName = record->name;
      lastDirectory = record->directory;
      lastOption = record->transferOption;
    }
    const std::string name = record->name;
    BltGraphImageToGraph(nullptr, nullptr, nullptr, name.c_str(), 0, &image, heldAlpha ? &alphaImage : nullptr,
                         record->offsetX, record->offsetY, GetGraphRecordHandle(record),
                         static_cast<int>(record->transferOption));
    record->lost = 0;
    last = record;
  }
  if (held) {
    ReleaseGraphImage(&image);
    ReleaseGraphImage(&alphaImage);
  }
  StreamSetCurrentDir(keptDirectory);
  return 0;
}

namespace {

void RestoreGraphStores(GraphRecord* record) {
  if (record->create.use3D) {
    RestoreGraphTextures(record);
  } else {
    // A movie's frames are kept in memory, which a lost display does not take away.
    RestoreGraphSurface2D(record);
  }
}

}  // namespace

int RestoreGraphSurfaces(int graph) {
  GraphRecord* record = GetGraphRecord(graph);
  if (!record) return -1;
  RestoreGraphStores(record);
  return 0;
}

// Surfaces that were lost come back empty: the graphs are filled again from their files
// (graphs in system memory were never lost and keep their pixels), also when the window's
// activation restored the stores before.
int RestoreAllGraphSurfaces() {
  if (!GetGraphManager().initialized) return 0;
  RestorePrimarySurfaces();
  HandleTable<GraphRecord>& table = GetGraphManager().table;
  for (int slot = 0; slot < table.highWaterMark(); ++slot) {
    if (GraphRecord* record = table.At(slot)) RestoreGraphStores(record);
  }
  RefillRestoredGraphs();
  return 0;
}

// The software display keeps its screens and graphs in memory, which a display change does
// not take away; the screens are made again for the display's new format, and the graphs
// loaded from files are filled again. The device is made again with all its surfaces.
int RecreateGraphicsDevice() {
  G_D3D_ReleaseDirect3DObject();
  ReleaseMaskScreen();
  ReleaseMainSurfaces();
  ReleaseListedSurfaces();
  ScreenState& s = GetScreenStateRecord();
  if (!s.pureSoftware && s.device) {
    ReleaseDirectDrawClipper();
    DropDirectDrawObject();
    if (CreateDirectDrawObjectCore() != 0) FatalExit("DirectDraw オブジェクトの作成処理時にエラーが発生しました");
    ApplyScreenMode();
    SetupScreenColorFormat();
    RestoreListedSurfaces();
    if (CreateDirectDrawClipper() != 0) FatalExit("クリッパーオブジェクトの作成失敗しました");
  } else {
    ApplyScreenMode();
    RestoreListedSurfaces();
  }
  CreateOutputSurfaces();
  RestoreScreenPalette();
  G_DD_SetDrawScreen(GetDrawState().drawScreen, GetDrawState().drawScreen);
  if (!s.pureSoftware && s.device) {
    const OutputSurfaces& out = GetOutputSurfaces();
    G_D3D_GetDirect3DObject(s.device, out.tempPrimarySurface ? out.tempPrimarySurface : out.primarySurface,
                            GetDrawTarget().targetSurface);
  }
  ClearDrawScreenImpl();
  FlipScreenImpl();
  RestoreGraphs();
  ReopenAllMovies();
  RecreateMaskScreen();
  LogIndentDecrease();
  return 0;
}

void WarmUpGraphics() {
  SetDrawValidGraphCreateFlag(1);
  const int target = MakeGraphDefault(kWarmUpSize, kWarmUpSize, 0);
  SetDrawValidGraphCreateFlag(0);
  SetDrawScreenImpl(target);
  SetDrawScreenImpl(kFrontScreen);
  DeleteGraphImpl(target, 0);
  SetDrawScreenImpl(kBackScreen);

  int graph = MakeBlackGraph();
  SetDrawBlendModeImpl(3, 128);
  DrawGraphImpl(0, 0, graph, 1);
  SetDrawBlendModeImpl(0, 0);
  SetDrawScreenImpl(kFrontScreen);
  DrawGraphImpl(0, 0, graph, 1);
  DeleteGraphImpl(graph, 0);

  graph = MakeBlackGraph();
  DrawGraphStretchedImpl(0, 0, kWarmUpStretchWidth, kWarmUpStretchHeight, graph, 1);
  DeleteGraphImpl(graph, 0);
}

}  // namespace rt
