// 2D surfaces (handle kind 5): where a graph's rectangle lies on a surface-data store. A
// plain graph owns one 2D surface over its own store; a derived graph places its surface on
// the store of another. Also the transfers of images into 2D surfaces.
#pragma once
#include <cstdint>

#include "runtime/image/color_format.h"
#include "runtime/image/graph_image.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/handle_table.h"
#include "runtime/image/rect.h"

namespace rt {

constexpr int kSurface2DSlots = 32768;

struct Surface2D {
  uint32_t check;
  int* deletedFlag;
  uint32_t reserved;
  uint16_t graphX, graphY;  // the rectangle's place in its graph (0, 0 for every graph here)
  uint16_t storeX, storeY;  // the rectangle's place in the surface-data store
  uint16_t width, height;
  int32_t graph;            // the owning graph, -1 for none
  int32_t surfaceData;      // the store's handle
};

HandleTable<Surface2D>& GetSurface2DTable();

// Graphics are started: a DirectDraw object exists, or the runtime draws in pure software.
int IsGraphicsStarted();

int AddSurface2D(uint16_t width, uint16_t height, uint16_t graphX, uint16_t graphY, int graph, const Surface2D* share,
                 uint16_t storeX, uint16_t storeY, const GraphCreateBytes& create);
Surface2D* GetSurface2D(int handle);
int SetSurface2DDeleteFlag(int handle, int* flag);
int DeleteSurface2D(int handle);
int DeleteAllSurface2D();
int ClearSurface2DTable();

int MakeGraphSurface2D(GraphRecord* graph);
int DeriveGraphSurface2D(GraphRecord* graph, int x, int y, int width, int height, const GraphRecord* parent);
int DeleteGraphSurface2D(GraphRecord* graph);
int RestoreGraphSurface2D(GraphRecord* graph);
int RestoreAllSurface2D();

// The core of every transfer of an image into a 2D surface: the source rectangle of the
// bitmap (bitmapFlag 1) or image goes to (destX, destY) of the surface.
int TransferImageToSurface2D(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                             const RECT* src, int destX, int destY, int surface, int bitmapFlag,
                             const GraphImage* image, const GraphImage* alphaImage, int option);
int TransferImagePartToSurface2D(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                                 int srcX, int srcY, int surface, int bitmapFlag, const GraphImage* image,
                                 const GraphImage* alphaImage, int option);
int TransferImageToGraphSurface2D(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                                  int x, int y, GraphRecord* graph, int bitmapFlag, const GraphImage* image,
                                  const GraphImage* alphaImage);
int BltImageToGraphSurface2D(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                             const RECT* src, int destX, int destY, GraphRecord* graph, int bitmapFlag,
                             const GraphImage* image, const GraphImage* alphaImage);

}  // namespace rt
