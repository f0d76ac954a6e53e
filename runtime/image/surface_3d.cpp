#include "runtime/image/surface_3d.h"

#include <algorithm>
#include <vector>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/image/surface_data.h"
#include "runtime/image/texture_split.h"

namespace rt {
namespace {

HandleTable<Surface3DData> g_surface3D{kHandleTypeSurface3D, 65536};

void SetSides(Surface3DData* piece, const GraphRecord& graph) {
  const double slope = graph.width > 0 ? static_cast<double>(graph.height) / graph.width : 0.0;
  for (int i = 0; i < 4; ++i) {
    piece->side[i] = graph.height - piece->vertex[i].x * slope >= piece->vertex[i].y ? 1 : 0;
  }
}

}  // namespace

HandleTable<Surface3DData>& GetSurface3DTable() { return g_surface3D; }

int GetTextureFormatIndex(const GraphCreateBytes& create) {
  const bool depth16 = create.colorBitDepth == 16;
  if (create.drawValid) {
    if (create.alphaChannel || create.alphaTest) return kTexAlphaTarget;
    return depth16 ? kTexTarget16 : kTexTarget32;
  }
  if (create.alphaChannel) return depth16 ? kTexAlpha16 : kTexAlpha32;
  if (create.alphaTest) return depth16 ? kTexAlphaTest16 : kTexAlphaTest32;
  return depth16 ? kTexPlain16 : kTexPlain32;
}

const ColorFormat* GetTextureColorFormat(int index) {
  static ColorFormat formats[kTextureFormatCount];
  if (index < 0 || index >= kTextureFormatCount) return nullptr;
  const platform::DevicePixelFormat& f = GetD3DGlobals().textureFormats[index].format;
  SetColorFormatFromMasksImpl(&formats[index], f.bits, f.redMask, f.greenMask, f.blueMask, f.alphaMask);
  return &formats[index];
}

int AddSurface3DData(int storeWidth, int storeHeight, int x, int y, int usedWidth, int usedHeight, uint16_t sourceX,
                     uint16_t sourceY, int graph, const Surface3DData* share, uint16_t textureX, uint16_t textureY,
                     const GraphCreateBytes& create) {
  if (!IsDirect3DUsed()) return LogAdd("３Ｄグラフィックエンジンが初期化されていません\n");
  if (g_surface3D.full()) return LogAdd("３Ｄグラフィックの数が許容量を越えました。\n");
  auto* piece = static_cast<Surface3DData*>(RT_ALLOC_ZERO(sizeof(Surface3DData)));
  if (!piece) return LogAdd("メモリの確保に失敗しました in AddSurface3DData \n");
  if (share) {
    AddSurfaceDataRef(share->surfaceData);
    piece->surfaceData = share->surfaceData;
    textureX = static_cast<uint16_t>(textureX + share->textureX);
    textureY = static_cast<uint16_t>(textureY + share->textureY);
    sourceX = static_cast<uint16_t>(sourceX + share->sourceX);
    sourceY = static_cast<uint16_t>(sourceY + share->sourceY);
  } else {
    piece->surfaceData = AddSurfaceData(1, static_cast<uint16_t>(storeWidth), static_cast<uint16_t>(storeHeight),
                                        GetDrawState().transparentColor, create);
    if (piece->surfaceData < 0) {
      MemFree(piece);
      return -1;
    }
  }
  piece->graphX = static_cast<uint16_t>(x);
  piece->graphY = static_cast<uint16_t>(y);
  piece->textureX = textureX;
  piece->textureY = textureY;
  piece->sourceX = sourceX;
  piece->sourceY = sourceY;
  piece->width = static_cast<uint16_t>(usedWidth);
  piece->height = static_cast<uint16_t>(usedHeight);
  piece->graph = graph;
  const SurfaceData* store = GetSurfaceData(piece->surfaceData);
  const float rw = 1.0f / static_cast<float>(store ? store->width : storeWidth);
  const float rh = 1.0f / static_cast<float>(store ? store->height : storeHeight);
  for (int i = 0; i < 4; ++i) {
    const bool right = i & 1, bottom = i & 2;
    Surface3DVertex& v = piece->vertex[i];
    v.x = static_cast<float>(x + (right ? usedWidth : 0));
    v.y = static_cast<float>(y + (bottom ? usedHeight : 0));
    v.z = 0.0f;
    v.rhw = 1.0f;
    v.color = 0xFFFFFFFF;
    v.u = static_cast<float>(textureX + (right ? usedWidth : 0)) * rw;
    v.v = static_cast<float>(textureY + (bottom ? usedHeight : 0)) * rh;
  }
  return g_surface3D.Insert(g_surface3D.SlotAtMark(), piece);
}

Surface3DData* GetSurface3DData(int handle) { return g_surface3D.Find(handle); }

int DeleteSurface3DData(int handle) {
  Surface3DData* piece = g_surface3D.Find(handle);
  if (!piece) return -1;
  if (ReleaseSurfaceDataRef(piece->surfaceData) == 0) DeleteSurfaceData(piece->surfaceData);
  if (piece->deletedFlag) *piece->deletedFlag = 1;
  MemFree(g_surface3D.Remove(HandleSlot(handle)));
  return 0;
}

int MakeGraphTextures(GraphRecord* graph) {
  if (!IsDirect3DUsed() || !graph) return -1;
  const int whole = graph->create.drawValid || graph->reserved ? 1 : 0;
  int columns[kMaxTexturePieces * 2] = {};
  int rows[kMaxTexturePieces * 2] = {};
  const int columnCount = GetTexturePieceSizes(graph->width, columns, whole);
  const int rowCount = GetTexturePieceSizes(graph->height, rows, whole);
  struct Piece {
    int x, y, w, h;
  };
  std::vector<Piece> pieces;
  for (int j = 0, y = 0; j < rowCount; y += rows[j], ++j) {
    for (int i = 0, x = 0; i < columnCount; x += columns[i], ++i) pieces.push_back(Piece{x, y, columns[i], rows[j]});
  }
  if (GetD3DGlobals().deviceDesc.textureSquareOnly) {
    std::vector<Piece> squares;
    for (const Piece& p : pieces) {
      const int side = std::min(p.w, p.h);
      for (int k = 0; k < std::max(p.w, p.h) / side; ++k) {
        squares.push_back(p.w < p.h ? Piece{p.x, p.y + k * side, side, side} : Piece{p.x + k * side, p.y, side, side});
      }
    }
    pieces = squares;
  }
  if (static_cast<int>(pieces.size()) > kMaxTexturePieces) {
    return LogAddFormat("エラー：画像の分割数が最大数の %d を超えました", kMaxTexturePieces);
  }
  graph->surfaceCount = 0;
  for (const Piece& p : pieces) {
    const int usedWidth = std::min(graph->width - p.x, p.w);
    const int usedHeight = std::min(graph->height - p.y, p.h);
    const int handle = AddSurface3DData(p.w, p.h, p.x, p.y, usedWidth, usedHeight, static_cast<uint16_t>(p.x),
                                        static_cast<uint16_t>(p.y), static_cast<int>(graph->handle), nullptr, 0, 0,
                                        graph->create);
    if (handle < 0) {
      // The pieces made so far go with the failure, or their textures would stay behind.
      DeleteGraphTextures(graph);
      return -1;
    }
    SetSides(GetSurface3DData(handle), *graph);
    graph->surfaceHandles[graph->surfaceCount++] = static_cast<uint32_t>(handle);
  }
  return 0;
}

int DeleteGraphTextures(GraphRecord* graph) {
  if (!IsDirect3DUsed() || !graph) return -1;
  for (int i = 0; i < graph->surfaceCount; ++i) DeleteSurface3DData(static_cast<int>(graph->surfaceHandles[i]));
  graph->surfaceCount = 0;
  return 0;
}

int G_D3D_DeleteAllSurface3D() {
  if (!GetD3DGlobals().direct3D) return -1;
  for (int slot = 0; slot < g_surface3D.highWaterMark(); ++slot) {
    const int handle = g_surface3D.HandleAt(slot);
    if (handle >= 0) DeleteSurface3DData(handle);
  }
  return 0;
}

}  // namespace rt
