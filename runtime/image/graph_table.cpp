#include "runtime/image/graph_table.h"

#include <cstring>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/startup.h"
#include "runtime/file/stream.h"

namespace rt {
namespace {

GraphManager g_graphs;
GraphDeviceHooks g_hooks;

constexpr int kDefaultScreenDepth = 16;
constexpr int kUnknownScreenWidth = 640;
constexpr int kUnknownScreenHeight = 480;

int HookFlag(int (*hook)()) { return hook ? hook() : 0; }

int ScreenDepthOr16() {
  const int depth = HookFlag(g_hooks.screenColorDepth);
  return depth == 0 ? kDefaultScreenDepth : depth;
}

void FreeGraphRecord(GraphRecord* record) {
  if (record->ownedBuffer) MemFree(record->ownedBuffer);
  MemFree(record);
}

}  // namespace

GraphDeviceHooks& GetGraphDeviceHooks() { return g_hooks; }

GraphManager& GetGraphManager() { return g_graphs; }

void ResetGraphManager() {
  for (int slot = 0; slot < g_graphs.table.highWaterMark(); ++slot) {
    if (GraphRecord* record = g_graphs.table.At(slot)) FreeGraphRecord(record);
  }
  g_graphs.table.Reset();
  g_graphs.settings = GraphSettings{};
}

int AddGraphData(int width, int height, int use3DRequest, GraphRecord** out, int alpha, int palette) {
  HandleTable<GraphRecord>& table = g_graphs.table;
  const GraphSettings& settings = g_graphs.settings;
  if (table.full()) FatalExit("グラフィックの数が許容量を越えました終了します");
  const int slot = table.SlotAtMark();

  auto* record = static_cast<GraphRecord*>(RT_ALLOC_ZERO(sizeof(GraphRecord)));
  if (!record) FatalExit("メモリの確保に失敗しました");
  const int handle = table.Insert(slot, record);
  record->handle = static_cast<uint32_t>(handle);
  record->width = width;
  record->height = height;
  record->movieHandle = -1;
  record->deletedFlag = nullptr;
  record->ownedBuffer = nullptr;
  record->reserved = settings.reservedWord;

  GraphCreateBytes& create = record->create;
  create.use3D = use3DRequest && settings.use3D && HookFlag(g_hooks.direct3DInUse) &&
                 !HookFlag(g_hooks.softwareRenderer);
  create.palette = 0;
  if (settings.drawValidCreate == 1) {
    create.alphaTest = 0;
    create.reserved = 0;
    create.drawValid = 1;
    create.alphaChannel = static_cast<uint8_t>(settings.drawValidAlpha);
  } else {
    create.alphaChannel = static_cast<uint8_t>(alpha);
    create.drawValid = 0;
    create.alphaTest = static_cast<uint8_t>(settings.alphaTest);
  }
  if (create.use3D) {
    int depth = settings.colorBitDepth;
    if (depth == 0) depth = alpha == 1 ? 32 : ScreenDepthOr16();
    create.colorBitDepth = static_cast<uint8_t>(depth);
    create.systemMemoryImage = 0;
  } else {
    const bool useSetting = settings.colorBitDepth != 0 && HookFlag(g_hooks.directDrawInUse);
    create.colorBitDepth = static_cast<uint8_t>(useSetting ? settings.colorBitDepth : ScreenDepthOr16());
    create.systemMemoryImage = static_cast<uint8_t>(settings.systemMemoryImage);
    create.palette = static_cast<uint8_t>(palette);
  }
  if (out) *out = record;
  return handle;
}

// A graph whose surfaces could not be made is taken out of the table again, so that a
// failed creation does not use up a slot for good.
int MakeGraph(int width, int height, int use3DRequest, int alpha, int palette) {
  if (width > kMaxGraphSide || height > kMaxGraphSide) {
    LogAddFormat("グラフィックが大きすぎます (%d x %d)\n", width, height);
    LogAdd("グラフィックの作成に失敗しました\n");
    return -1;
  }
  GraphRecord* record = nullptr;
  const int handle = AddGraphData(width, height, use3DRequest, &record, alpha, palette);
  int (*make)(GraphRecord*) = record->create.use3D ? g_hooks.makeGraphTextures : g_hooks.makeGraphSurface2D;
  if (!make || make(record) != 0) {
    LogAdd("グラフィックの作成に失敗しました\n");
    RemoveGraphData(handle);
    return -1;
  }
  return handle;
}

int MakeGraphDefault(int width, int height, int not3D) {
  return MakeGraph(width, height, !not3D, g_graphs.settings.defaultAlpha, 0);
}

int RemoveGraphData(int graph) {
  GraphRecord* record = g_graphs.table.Find(graph);
  if (!record) return -1;
  g_graphs.table.Remove(HandleSlot(graph));
  NotifyHandleDeleted(record);
  FreeGraphRecord(record);
  return 0;
}

GraphRecord* GetGraphRecord(int graph) { return g_graphs.table.Find(graph); }

int GetGraphRecordHandle(const GraphRecord* record) { return static_cast<int>(record->handle); }

int SetGraphDeleteFlag(int graph, int* flag) { return SetHandleDeleteFlag(g_graphs.table, graph, flag); }

int SetGraphName(int graph, const char* name) {
  GraphRecord* record = g_graphs.table.Find(graph);
  if (!record) return -1;
  char directory[kStreamPathSize] = {};
  StreamGetCurrentDir(directory);
  directory[kStreamPathSize - 1] = '\0';
  if (!name) name = "";
  if (std::strlen(name) >= sizeof record->name || std::strlen(directory) >= sizeof record->directory) {
    record->name[0] = '\0';
    record->directory[0] = '\0';
    return 0;
  }
  std::strcpy(record->name, name);
  std::strcpy(record->directory, directory);
  return 0;
}

int BltImageToGraph(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                    const char* name, int bitmapFlag, const GraphImage* image, const GraphImage* alphaImage,
                    const RECT* src, int destX, int destY, int graph, int option) {
  GraphRecord* record = g_graphs.table.Find(graph);
  if (!record) return -1;
  SetGraphName(graph, name);
  record->offsetX = static_cast<int16_t>(src->left);
  record->offsetY = static_cast<int16_t>(src->top);
  record->transferOption = static_cast<uint32_t>(option);
  auto* transfer = record->create.use3D ? g_hooks.bltImageToGraphTextures : g_hooks.bltImageToGraphSurface2D;
  if (!transfer) return -1;
  return transfer(format, bitmap, alphaBitmap, src, destX, destY, record, bitmapFlag, image, alphaImage);
}

int GetGraphSize(int graph, int* width, int* height) {
  int w, h;
  if (graph == kFrontScreen || graph == kBackScreen) {
    w = 0, h = 0;
    if (g_hooks.screenSize) g_hooks.screenSize(&w, &h);
    if (w == 0) w = kUnknownScreenWidth;
    if (h == 0) h = kUnknownScreenHeight;
  } else {
    const GraphRecord* record = g_graphs.table.Find(graph);
    if (!record) return -1;
    w = record->width;
    h = record->height;
  }
  if (width) *width = w;
  if (height) *height = h;
  return 0;
}

int GetDrawScreenGraph(int x1, int y1, int x2, int y2, int graph, int flag) {
  GraphRecord* record = g_graphs.table.Find(graph);
  if (!record) return -1;
  if (g_hooks.waitWhileInactive) g_hooks.waitWhileInactive();
  if (g_hooks.endScene) g_hooks.endScene();
  auto* copy = record->create.use3D ? g_hooks.captureDrawScreenToGraph3D : g_hooks.copyDrawScreenToGraph2D;
  if (!copy) return -1;
  return copy(x1, y1, x2, y2, record, flag);
}

int CheckBlendGraphSize(const GraphRecord* graph) {
  const int blend = g_hooks.blendGraphHandle ? g_hooks.blendGraphHandle() : -1;
  const GraphRecord* blendRecord = g_graphs.table.Find(blend);
  if (!blendRecord) return -1;
  if (blendRecord->width < graph->width || blendRecord->height < graph->height) return -1;
  return 0;
}

int IsGraph3DAvailable() {
  return g_graphs.settings.use3D == 1 && HookFlag(g_hooks.direct3DInUse) && !HookFlag(g_hooks.softwareRenderer) &&
                 HookFlag(g_hooks.current3DDeviceExists)
             ? 1
             : 0;
}

int SetUse3DFlag(int flag) {
  if (!HookFlag(g_hooks.directDrawObjectExists) && g_hooks.setSoftwareRenderRequest) {
    g_hooks.setSoftwareRenderRequest(!flag);
  }
  g_graphs.settings.use3D = flag;
  return 0;
}

int SetDrawValidGraphCreateFlag(int flag) {
  g_graphs.settings.drawValidCreate = flag;
  return 0;
}

int SetGraphMemImageFlag(int flag) {
  g_graphs.settings.systemMemoryImage = HookFlag(g_hooks.directDrawInUse) ? 1 : flag;
  return 0;
}

int SetGraphSoftImageFlag(int flag) {
  g_graphs.settings.systemMemoryImage = HookFlag(g_hooks.directDrawInUse) ? 1 : (flag != 1 ? 1 : 0);
  return 0;
}

int GetGraphConvertOption() { return static_cast<int>(g_graphs.settings.convertOption); }

int IsGraphRestoreCallbackSet() { return g_graphs.restoreCallback ? 1 : 0; }

}  // namespace rt
