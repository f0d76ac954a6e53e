// 3D surfaces (handle kind 6): the texture pieces a graph is drawn from on the 3D device. A
// graph is cut into up to 64 power-of-two pieces; each piece knows where it lies in its
// graph, where its pixels lie in their texture (a surface-data store, shared by derived
// graphs) and carries four ready-made vertices.
#pragma once
#include <cstdint>

#include "platform/display_device.h"
#include "runtime/image/color_format.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/handle_table.h"

namespace rt {

struct Surface3DVertex {
  float x, y, z, rhw;
  uint32_t color;
  float u, v;
};

struct Surface3DData {
  uint32_t check;
  int* deletedFlag;
  uint16_t graphX, graphY;      // where the piece is drawn, from the graph's top left
  uint16_t textureX, textureY;  // where its pixels start in the store
  uint16_t sourceX, sourceY;    // where its pixels come from in the graph's image
  uint16_t width, height;       // the used part of the texture
  Surface3DVertex vertex[4];    // top left, top right, bottom left, bottom right
  uint8_t side[4];              // 1: the vertex lies on or beyond the bottom-left to top-right diagonal
  int32_t graph;
  int32_t surfaceData;
};

HandleTable<Surface3DData>& GetSurface3DTable();

// The texture-format record for a store's creation bytes (0..8).
int GetTextureFormatIndex(const GraphCreateBytes& create);
// The colour format of a texture-format record, as a lock of such a store presents it.
const ColorFormat* GetTextureColorFormat(int index);
// The device's pixel format of a texture-format record; null for an index outside 0..8.
const platform::DevicePixelFormat* GetTextureFormatDDPixelFormat(int index);
// The Z buffer's pixel format the 3D device chose.
const platform::DevicePixelFormat* GetZBufferPixelFormat();

int AddSurface3DData(int storeWidth, int storeHeight, int x, int y, int usedWidth, int usedHeight, uint16_t sourceX,
                     uint16_t sourceY, int graph, const Surface3DData* share, uint16_t textureX, uint16_t textureY,
                     const GraphCreateBytes& create);
Surface3DData* GetSurface3DData(int handle);
Surface3DData* LookupSurface3DData(int handle);
// Unlocks the piece's store after a lock of it; -1 for an invalid handle.
int UnlockSurface3DData(int handle, void* pixels);
int DeleteSurface3DData(int handle);
// Cuts the graph into pieces and makes their textures; on a failure the pieces made so far
// are deleted again and -1 returned.
int MakeGraphTextures(GraphRecord* graph);
int DeleteGraphTextures(GraphRecord* graph);
// Pieces of a graph cut from a parent's rectangle, sharing the parent's textures.
int DeriveGraphTextures(GraphRecord* graph, int x, int y, int width, int height, const GraphRecord* parent);
// OR of the pieces' store restores (-1: a store was lost and must be filled again).
int RestoreGraphTextures(GraphRecord* graph);
// Restores every piece's lost store (their pixels come back with the graph restore); -1
// without a 3D device.
int RestoreAllSurface3D();
int FillGraphTextures(GraphRecord* graph, int r, int g, int b, int a);
// Converts the source rectangle of an image (or of a bitmap, bitmapFlag 1) into the piece's
// texture at (destX, destY). permission 1: the store's key colour becomes transparent when
// the source brings no alpha of its own. option: alpha taken from the red channel.
int TransferImageToTexture(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                           const RECT* src, int destX, int destY, int pieceHandle, int bitmapFlag,
                           const GraphImage* image, const GraphImage* alphaImage, int option, int permission);
// Fills every piece from the image, the graph's (x, y) taken from the image's (x, y).
int TransferImageToGraphTextures(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                                 int x, int y, GraphRecord* graph, int bitmapFlag, const GraphImage* image,
                                 const GraphImage* alphaImage);
// The movie's current frame into every piece of its graph.
struct MovieRecord;
int TransferMovieFrameToTexture(const MovieRecord* movie, GraphRecord* graph);
// The source rectangle to (destX, destY) of the graph, into the pieces it overlaps.
int BltImageToGraphTextures(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                            const RECT* src, int destX, int destY, GraphRecord* graph, int bitmapFlag,
                            const GraphImage* image, const GraphImage* alphaImage);
// Deletes every piece (the 3D device ends).
int G_D3D_DeleteAllSurface3D();

}  // namespace rt
