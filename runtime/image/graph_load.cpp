#include "runtime/image/graph_load.h"

#include <cstring>

#include "runtime/core/log.h"
#include "runtime/core/window.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/draw_state.h"
#include "runtime/file/stream.h"
#include "runtime/image/image_loader.h"
#include "runtime/image/surface_2d.h"
#include "runtime/image/surface_3d.h"
#include "runtime/image/surface_data.h"
#include "runtime/movie/movie.h"

namespace rt {
namespace {

void MirrorBoth(GraphImage* image, GraphImage* alphaImage) {
  MirrorGraphImage(image);
  if (alphaImage) MirrorGraphImage(alphaImage);
}

// Fills the graph's rectangles of its stores; a derived graph's fill leaves the rest of
// the shared store (its parent's pixels) alone.
int FillGraph2D(GraphRecord* record, int r, int g, int b, int a) {
  const ScreenState& screen = GetScreenStateRecord();
  if (!screen.softwareRender && !screen.directDrawRunning) return -1;
  G_D3D_EndScene();
  G_D3D_FlushCurrentVertexBuffer();
  for (int i = 0; i < record->surfaceCount; ++i) {
    const Surface2D* surface = GetSurface2D(static_cast<int>(record->surfaceHandles[i]));
    if (!surface) return -1;
    const RECT rect{surface->storeX, surface->storeY, surface->storeX + surface->width,
                    surface->storeY + surface->height};
    if (FillSurfaceDataRect(surface->surfaceData, &rect, r, g, b, a) != 0) return -1;
  }
  return 0;
}

}  // namespace

int LoadGraphImpl(const char* path, int notUse3DFlag) { return LoadGraphFromFile(path, !notUse3DFlag, 0, 0); }

int LoadGraphFromFile(const char* path, int use3DRequest, int mirror, int movieOption) {
  if (!path) return -1;
  G_D3D_EndScene();
  WaitWhileInactive();
  GraphImage image{};
  GraphImage alphaImage{};
  const int loaded = LoadImageWithAlpha(path, nullptr, 0, 0, nullptr, 0, 0, &image, &alphaImage, 0);
  if (loaded >= 0) {
    GraphImage* alpha = loaded == 0 ? &alphaImage : nullptr;
    if (mirror == 1) MirrorBoth(&image, alpha);
    const int handle = CreateGraphFromImages(&image, alpha, use3DRequest, mirror, 0);
    SetGraphName(handle, path);
    ReleaseGraphImage(&image);
    ReleaseGraphImage(&alphaImage);
    return handle;
  }

  const StreamHandle file = StreamOpen(path, 0, 1, 0);
  if (file == 0) return LogAddFormat("グラフィックファイル %s がありません", path);
  StreamClose(file);
  int width = 0, height = 0;
  const int movie = OpenMovieToGraph(path, &width, &height, movieOption);
  if (movie < 0) return LogAddFormat("右記のグラフィックファイルのロードに失敗しました：%s \n", path);
  // Movies never play through an overlay here, so the graph is made as any other.
  GraphSettings& settings = GetGraphManager().settings;
  const GraphSettings kept = settings;
  const int screenBits = GetScreenStateRecord().screenBits;
  settings.colorBitDepth = screenBits != 0 ? screenBits : 16;
  settings.systemMemoryImage = 1;
  const int graph = MakeGraph(width, height, use3DRequest, 0, 0);
  settings.colorBitDepth = kept.colorBitDepth;
  settings.systemMemoryImage = kept.systemMemoryImage;
  settings.use3D = kept.use3D;
  if (graph == -1) {
    // Nothing would ever close a movie without its graph.
    CloseMovie(movie);
    return LogAddFormat("右記のグラフィックファイルの格納用グラフィック領域の作成に失敗しました：%s", path);
  }
  GetGraphRecord(graph)->movieHandle = movie;
  return graph;
}

int CreateGraphFromImages(GraphImage* image, GraphImage* alphaImage, int use3DRequest, int mirror, int mirrorHere) {
  UpdateColorFormatSpareMask(&image->format);
  if (alphaImage) UpdateColorFormatSpareMask(&alphaImage->format);
  G_D3D_EndScene();
  const bool mirrorNow = mirrorHere == 1 && mirror == 1;
  if (mirrorNow) MirrorBoth(image, alphaImage);
  const int handle = MakeGraphForImage(image, alphaImage, use3DRequest);
  if (handle != -1) BltGraphImageToGraph(nullptr, nullptr, nullptr, nullptr, 0, image, alphaImage, 0, 0, handle, 0);
  if (mirrorNow) MirrorBoth(image, alphaImage);
  return handle;
}

int CreateGraphFromGraphImage(GraphImage* image) { return CreateGraphFromImages(image, nullptr, 1, 0, 1); }

int MakeGraphForImage(const GraphImage* image, const GraphImage* alphaImage, int use3DRequest) {
  G_D3D_EndScene();
  WaitWhileInactive();
  if (alphaImage && (alphaImage->width != image->width || alphaImage->height != image->height)) return -1;
  const bool alphaBits = image->format.alphaWidth != 0;
  const int palette = image->format.pixelByte == 1 && !alphaBits && !alphaImage ? 1 : 0;
  const int alpha = alphaBits || alphaImage ? 1 : 0;
  return MakeGraph(image->width, image->height, use3DRequest, alpha, palette);
}

int BltGraphImageToGraph(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                         const char* name, int bitmapFlag, const GraphImage* image, const GraphImage* alphaImage,
                         int srcX, int srcY, int graph, int option) {
  GraphRecord* record = GetGraphRecord(graph);
  if (!record) return -1;
  SetGraphName(graph, name);
  record->transferOption = static_cast<uint32_t>(option);
  record->offsetX = srcX;
  record->offsetY = srcY;
  if (record->create.use3D) {
    return TransferImageToGraphTextures(format, bitmap, alphaBitmap, srcX, srcY, record, bitmapFlag, image, alphaImage);
  }
  return TransferImageToGraphSurface2D(format, bitmap, alphaBitmap, srcX, srcY, record, bitmapFlag, image, alphaImage);
}

int DeriveGraph(int x, int y, int width, int height, int parent) {
  const GraphRecord* parentRecord = GetGraphRecord(parent);
  if (!parentRecord) return -1;
  // The rectangle must start inside the parent and hold a pixel: anything else would place
  // the new graph's surface outside the parent's pixels or give it no size.
  if (x < 0 || y < 0 || x >= parentRecord->width || y >= parentRecord->height || width <= 0 || height <= 0) {
    return -1;
  }
  if (width > parentRecord->width - x) width = parentRecord->width - x;
  if (height > parentRecord->height - y) height = parentRecord->height - y;

  GraphRecord* record = nullptr;
  const int handle = AddGraphData(width, height, parentRecord->create.use3D, &record, parentRecord->create.alphaChannel,
                                  parentRecord->create.palette);
  record->movieHandle = parentRecord->movieHandle;
  std::memcpy(record->name, parentRecord->name, sizeof record->name);
  std::memcpy(record->directory, parentRecord->directory, sizeof record->directory);
  record->offsetX = parentRecord->offsetX + x;
  record->offsetY = parentRecord->offsetY + y;
  record->create = parentRecord->create;
  record->transferOption = parentRecord->transferOption;

  const int made = record->create.use3D ? DeriveGraphTextures(record, x, y, width, height, parentRecord)
                                        : DeriveGraphSurface2D(record, x, y, width, height, parentRecord);
  if (made != 0) return LogAdd("グラフィックの派生に失敗しました終了します");
  return handle;
}

int FillGraph(int graph, int r, int g, int b, int a) {
  GraphRecord* record = GetGraphRecord(graph);
  if (!record) return -1;
  if (record->create.use3D) return FillGraphTextures(record, r, g, b, a);
  return FillGraph2D(record, r, g, b, a);
}

int DeleteGraphImpl(int graph, int logFlag) {
  GraphRecord* record = GetGraphRecord(graph);
  if (!record) return -1;
  // The draw target is the graph's own image: drawing on after its store is gone would
  // write into freed memory, so the back screen takes its place first.
  if (GetDrawState().drawScreen == graph) {
    SetDrawScreenImpl(kBackScreen);
    if (GetDrawState().drawScreen == graph) {
      GetDrawState().drawScreen = kBackScreen;
      G_DD_SetDrawScreen(kBackScreen, graph);
    }
  }
  CloseMovieToGraph(graph);
  if (!record->create.use3D) {
    DeleteGraphSurface2D(record);
  } else {
    DeleteGraphTextures(record);
  }
  if (logFlag) LogAddFormat("グラフィック %s の削除", record->name);
  return RemoveGraphData(graph);
}

int DeleteAllGraph(int logFlag) {
  HandleTable<GraphRecord>& table = GetGraphManager().table;
  if (!GetGraphManager().initialized) return 0;
  for (int slot = 0; slot < table.highWaterMark(); ++slot) {
    const int handle = table.HandleAt(slot);
    if (handle != -1) DeleteGraphImpl(handle, logFlag);
  }
  return 0;
}

}  // namespace rt
