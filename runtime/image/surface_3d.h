// 3D surfaces (handle kind 6): the texture pieces a graph is drawn from on the 3D device. A
// graph is cut into up to 64 power-of-two pieces; each piece knows where it lies in its
// graph, where its pixels lie in their texture (a surface-data store, shared by derived
// graphs) and carries four ready-made vertices.
#pragma once
#include <cstdint>

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

int AddSurface3DData(int storeWidth, int storeHeight, int x, int y, int usedWidth, int usedHeight, uint16_t sourceX,
                     uint16_t sourceY, int graph, const Surface3DData* share, uint16_t textureX, uint16_t textureY,
                     const GraphCreateBytes& create);
Surface3DData* GetSurface3DData(int handle);
int DeleteSurface3DData(int handle);
// Cuts the graph into pieces and makes their textures; on a failure the pieces made so far
// are deleted again and -1 returned.
int MakeGraphTextures(GraphRecord* graph);
int DeleteGraphTextures(GraphRecord* graph);
// Deletes every piece (the 3D device ends).
int G_D3D_DeleteAllSurface3D();

}  // namespace rt
