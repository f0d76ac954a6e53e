#include "runtime/image/surface_3d.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/image/convert_blt.h"
#include "runtime/image/surface_data.h"
#include "runtime/image/texture_split.h"
#include "runtime/movie/movie.h"

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

const platform::DevicePixelFormat* GetTextureFormatDDPixelFormat(int index) {
  if (index < 0 || index >= kTextureFormatCount) return nullptr;
  return &GetD3DGlobals().textureFormats[index].format;
}

const platform::DevicePixelFormat* GetZBufferPixelFormat() { return &GetD3DGlobals().zBufferFormat; }

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

Surface3DData* LookupSurface3DData(int handle) { return g_surface3D.Find(handle); }

int UnlockSurface3DData(int handle, void* pixels) {
  const Surface3DData* piece = g_surface3D.Find(handle);
  if (!piece) return -1;
  return UnlockSurfaceData(piece->surfaceData, pixels);
}

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
  // Counted before anything is copied: a very wide or tall graph has more sizes than
  // any fixed list holds.
  const int columnCount = GetTexturePieceSizes(graph->width, nullptr, whole);
  const int rowCount = GetTexturePieceSizes(graph->height, nullptr, whole);
  if (int64_t{columnCount} * rowCount > kMaxTexturePieces) {
    return LogAddFormat("エラー：画像の分割数が最大数の %d を超えました", kMaxTexturePieces);
  }
  std::vector<int> columns(static_cast<size_t>(columnCount));
  std::vector<int> rows(static_cast<size_t>(rowCount));
  GetTexturePieceSizes(graph->width, columns.data(), whole);
  GetTexturePieceSizes(graph->height, rows.data(), whole);
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
  // Square pieces can outnumber the cut: the graph's handle list bounds them too.
  if (pieces.size() > std::size(graph->surfaceHandles)) {
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

int DeriveGraphTextures(GraphRecord* graph, int x, int y, int width, int height, const GraphRecord* parent) {
  if (!IsDirect3DUsed() || !graph || !parent) return -1;
  graph->surfaceCount = 0;
  auto fail = [&] {
    DeleteGraphTextures(graph);
    return -1;
  };
  for (int i = 0; i < parent->surfaceCount; ++i) {
    const Surface3DData* share = GetSurface3DData(static_cast<int>(parent->surfaceHandles[i]));
    if (!share) return fail();
    const SurfaceData* store = GetSurfaceData(share->surfaceData);
    if (!store) return fail();
    int handle;
    if (parent->surfaceCount == 1) {
      handle = AddSurface3DData(store->width, store->height, 0, 0, width, height, static_cast<uint16_t>(x),
                                static_cast<uint16_t>(y), static_cast<int>(graph->handle), share,
                                static_cast<uint16_t>(x), static_cast<uint16_t>(y), parent->create);
    } else {
      const int left = std::max(x, static_cast<int>(share->graphX));
      const int top = std::max(y, static_cast<int>(share->graphY));
      const int right = std::min(x + width, share->graphX + share->width);
      const int bottom = std::min(y + height, share->graphY + share->height);
      if (right <= left || bottom <= top) continue;
      handle = AddSurface3DData(store->width, store->height, left - x, top - y, right - left, bottom - top,
                                static_cast<uint16_t>(left - share->graphX), static_cast<uint16_t>(top - share->graphY),
                                static_cast<int>(graph->handle), share, static_cast<uint16_t>(left - share->graphX),
                                static_cast<uint16_t>(top - share->graphY), parent->create);
    }
    if (handle < 0) return fail();
    SetSides(GetSurface3DData(handle), *graph);
    graph->surfaceHandles[graph->surfaceCount++] = static_cast<uint32_t>(handle);
  }
  return 0;
}

int RestoreGraphTextures(GraphRecord* graph) {
  if (!IsDirect3DUsed() || !graph) return -1;
  int result = 0;
  for (int i = 0; i < graph->surfaceCount; ++i) {
    const Surface3DData* piece = GetSurface3DData(static_cast<int>(graph->surfaceHandles[i]));
    if (!piece) return -1;
    result |= RestoreSurfaceData(piece->surfaceData);
  }
  return result;
}

int RestoreAllSurface3D() {
  if (!IsDirect3DUsed()) return -1;
  for (int slot = 0; slot < g_surface3D.highWaterMark(); ++slot) {
    const Surface3DData* piece = g_surface3D.At(slot);
    if (piece) RestoreSurfaceData(piece->surfaceData);
  }
  return 0;
}

int FillGraphTextures(GraphRecord* graph, int r, int g, int b, int a) {
  if (!IsDirect3DUsed() || !graph) return -1;
  if (GetD3DGlobals().d3dTargetUnusable) return 0;
  G_D3D_EndScene();
  for (int i = 0; i < graph->surfaceCount; ++i) {
    const Surface3DData* piece = GetSurface3DData(static_cast<int>(graph->surfaceHandles[i]));
    if (!piece) return -1;
    // A derived graph fills only its own part of a shared store.
    const RECT rect{piece->textureX, piece->textureY, piece->textureX + piece->width, piece->textureY + piece->height};
    if (FillSurfaceDataRect(piece->surfaceData, &rect, r, g, b, a) != 0) return -1;
  }
  return 0;
}

int TransferImageToTexture(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                           const RECT* src, int destX, int destY, int pieceHandle, int bitmapFlag,
                           const GraphImage* image, const GraphImage* alphaImage, int option, int permission) {
  if (!IsDirect3DUsed() || !src) return -1;
  const Surface3DData* piece = GetSurface3DData(pieceHandle);
  if (!piece) return -1;
  SurfaceData* store = GetSurfaceData(piece->surfaceData);
  if (!store) return -1;
  // Vertices already batched were meant with the texture's old pixels.
  G_D3D_FlushCurrentVertexBuffer();
  GraphImage wrapped{};
  GraphImage wrappedAlpha{};
  const GraphImage* source = image;
  const GraphImage* alpha = alphaImage;
  bool keyToAlpha = false;
  const ColorFormat* textureFormat = GetTextureColorFormat(store->formatNumber);
  if (!textureFormat) return -1;
  if (bitmapFlag == 1) {
    if (!bitmap || !format) return -1;
    WrapDIBSections(*format, *bitmap, alphaBitmap, &wrapped, &wrappedAlpha, &source, &alpha);
    keyToAlpha = permission == 1 && format->alphaWidth != 0 && !alphaBitmap;
  } else {
    keyToAlpha = permission == 1 && textureFormat->alphaWidth != 0 && !alphaImage && source &&
                 source->format.alphaWidth == 0;
  }
  if (!source || !source->pixels) return -1;
  // Only what the source holds is read (an image smaller than its graph, as a file changed
  // since the graph was made, fills what it has).
  RECT part = *src;
  if (part.left < 0) destX -= part.left, part.left = 0;
  if (part.top < 0) destY -= part.top, part.top = 0;
  part.right = std::min<int32_t>(part.right, source->width);
  part.bottom = std::min<int32_t>(part.bottom, source->height);
  src = &part;
  const int width = src->right - src->left;
  const int height = src->bottom - src->top;
  if (width <= 0 || height <= 0) return 0;
  const RECT area{destX, destY, destX + width, destY + height};
  if (area.left < 0 || area.top < 0 || area.right > store->width || area.bottom > store->height) return -1;
  int pitch = 0;
  void* pixels = nullptr;
  const ColorFormat* lockFormat = nullptr;
  if (LockSurfaceData(piece->surfaceData, &pitch, &pixels, 1, &area, &lockFormat) != 0) return -1;
  ConvertBltOptions options;
  options.keyToAlpha = keyToAlpha ? 1 : 0;
  options.keyColor = store->keyColor;
  options.alphaFromRed = option;
  ConvertColorFormatBlt(pixels, pitch, textureFormat, source->pixels, source->pitch, &source->format,
                        alpha ? alpha->pixels : nullptr, alpha ? alpha->pitch : 0, alpha ? &alpha->format : nullptr, 0,
                        0, src, options);
  UnlockSurface3DData(pieceHandle, pixels);
  SetSurfaceDataColorKey(piece->surfaceData);
  return 0;
}

int TransferMovieFrameToTexture(const MovieRecord* movie, GraphRecord* graph) {
  if (!movie || !graph || !movie->frame.pixels) return -1;
  GraphImage frame = movie->frame;
  GraphImage alpha{};
  if (movie->alphaHalf) {
    frame.width /= 2;
    alpha = frame;
    alpha.pixels = movie->frame.pixels + static_cast<ptrdiff_t>(frame.width) * frame.format.pixelByte;
  }
  for (int i = 0; i < graph->surfaceCount; ++i) {
    const int handle = static_cast<int>(graph->surfaceHandles[i]);
    const Surface3DData* piece = GetSurface3DData(handle);
    if (!piece) return -1;
    const RECT src{piece->sourceX, piece->sourceY, piece->sourceX + piece->width, piece->sourceY + piece->height};
    TransferImageToTexture(nullptr, nullptr, nullptr, &src, piece->textureX, piece->textureY, handle, 0, &frame,
                           movie->alphaHalf ? &alpha : nullptr, 0, 1);
    SetSurfaceDataColorKey(piece->surfaceData);
  }
  return 0;
}

int TransferImageToGraphTextures(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                                 int x, int y, GraphRecord* graph, int bitmapFlag, const GraphImage* image,
                                 const GraphImage* alphaImage) {
  if (!IsDirect3DUsed() || !graph) return -1;
  for (int i = 0; i < graph->surfaceCount; ++i) {
    const int handle = static_cast<int>(graph->surfaceHandles[i]);
    const Surface3DData* piece = GetSurface3DData(handle);
    if (!piece) return -1;
    const RECT src{piece->graphX + x, piece->graphY + y, piece->graphX + x + piece->width,
                   piece->graphY + y + piece->height};
    if (TransferImageToTexture(format, bitmap, alphaBitmap, &src, piece->textureX, piece->textureY, handle, bitmapFlag,
                               image, alphaImage, static_cast<int>(graph->reserved), 1) != 0) {
      return -1;
    }
  }
  return 0;
}

int BltImageToGraphTextures(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                            const RECT* src, int destX, int destY, GraphRecord* graph, int bitmapFlag,
                            const GraphImage* image, const GraphImage* alphaImage) {
  if (!IsDirect3DUsed() || !graph || !src) return -1;
  const int64_t destRight = int64_t{destX} + src->right - src->left;
  const int64_t destBottom = int64_t{destY} + src->bottom - src->top;
  for (int i = 0; i < graph->surfaceCount; ++i) {
    const int handle = static_cast<int>(graph->surfaceHandles[i]);
    const Surface3DData* piece = GetSurface3DData(handle);
    if (!piece) return -1;
    const int64_t left = std::max<int64_t>(destX, piece->graphX);
    const int64_t top = std::max<int64_t>(destY, piece->graphY);
    const int64_t right = std::min<int64_t>(destRight, int64_t{piece->graphX} + piece->width);
    const int64_t bottom = std::min<int64_t>(destBottom, int64_t{piece->graphY} + piece->height);
    if (right <= left || bottom <= top) continue;
    const RECT part{static_cast<int32_t>(src->left + (left - destX)), static_cast<int32_t>(src->top + (top - destY)),
                    static_cast<int32_t>(src->left + (right - destX)),
                    static_cast<int32_t>(src->top + (bottom - destY))};
    if (TransferImageToTexture(format, bitmap, alphaBitmap, &part,
                               static_cast<int>(piece->textureX + (left - piece->graphX)),
                               static_cast<int>(piece->textureY + (top - piece->graphY)), handle, bitmapFlag, image,
                               alphaImage, 0, 1) != 0) {
      return -1;
    }
  }
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
