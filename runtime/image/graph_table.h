// Graph handles: the graph table, the graph record, the settings that shape a new graph,
// creation, lookup and size queries.
#pragma once
#include <cstdint>

#include "runtime/image/graph_image.h"
#include "runtime/image/handle_table.h"
#include "runtime/image/rect.h"

namespace rt {

constexpr int kGraphSlots = 32768;
constexpr int kGraphSurfaceSlots = 64;
constexpr int kGraphNameSize = 64;
constexpr int kGraphDirectorySize = 256;
// Draw-screen values that GetGraphSize understands beside graph handles.
constexpr int kFrontScreen = -4;
constexpr int kBackScreen = -2;

// How a graph's surfaces are made; copied into every surface made for the graph.
struct GraphCreateBytes {
  uint8_t use3D;              // made of textures, else of one 2D surface
  uint8_t alphaChannel;
  uint8_t drawValid;          // may be a draw target
  uint8_t systemMemoryImage;  // 2D only
  uint8_t alphaTest;          // 2D only
  uint8_t colorBitDepth;
  uint8_t reserved;
  uint8_t palette;            // 8-bit paletted image without alpha (2D only)
};
static_assert(sizeof(GraphCreateBytes) == 8);

struct GraphRecord {
  uint32_t check;
  int* deletedFlag;         // owner's flag, set to 1 when the graph is deleted
  uint32_t handle;
  GraphCreateBytes create;
  uint32_t transferOption;  // the last option of an image transfer into the graph
  uint32_t reserved;
  uint32_t surfaceHandles[kGraphSurfaceSlots];  // one 2D surface, or up to 64 texture pieces
  int32_t surfaceCount;
  char name[kGraphNameSize];            // the file the graph was loaded from, "" for none
  char directory[kGraphDirectorySize];  // the file layer's current directory at that time
  int32_t offsetX, offsetY;             // where the graph's pixels lie in that image
  int32_t width, height;
  int32_t movieHandle;                  // -1 for none
  int32_t lost;
  void* ownedBuffer;                    // freed with the graph
};

// What the graph table needs of the display and surface layers, which are built on it.
// Each layer installs its entries when it starts; an entry left null reads as "no such
// device" (no Direct3D, no DirectDraw, screen size and depth unknown) or, for the
// operations, as a failure.
struct GraphDeviceHooks {
  int (*screenColorDepth)() = nullptr;  // 0 while unknown
  void (*screenSize)(int* width, int* height) = nullptr;  // 0 x 0 while unknown
  int (*direct3DInUse)() = nullptr;
  int (*softwareRenderer)() = nullptr;
  int (*directDrawInUse)() = nullptr;
  int (*directDrawObjectExists)() = nullptr;
  int (*current3DDeviceExists)() = nullptr;
  void (*setSoftwareRenderRequest)(int flag) = nullptr;
  int (*blendGraphHandle)() = nullptr;  // -1 while no blend graph is set
  void (*endScene)() = nullptr;
  void (*waitWhileInactive)() = nullptr;
  // Build the surfaces of a new graph: textures when its use-3D byte is set, else its 2D
  // surface. 0 or -1; a failure leaves no surface behind.
  int (*makeGraphTextures)(GraphRecord* graph) = nullptr;
  int (*makeGraphSurface2D)(GraphRecord* graph) = nullptr;
  // The texture and 2D-surface halves of BltImageToGraph.
  int (*bltImageToGraphTextures)(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                                 const RECT* src, int destX, int destY, GraphRecord* graph, int bitmapFlag,
                                 const GraphImage* image, const GraphImage* alphaImage) = nullptr;
  int (*bltImageToGraphSurface2D)(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                                  const RECT* src, int destX, int destY, GraphRecord* graph, int bitmapFlag,
                                  const GraphImage* image, const GraphImage* alphaImage) = nullptr;
  // Copy a rectangle of the draw screen into a 2D graph (DirectDraw path) or a 3D graph
  // (screen capture).
  int (*copyDrawScreenToGraph2D)(int x1, int y1, int x2, int y2, GraphRecord* graph, int flag) = nullptr;
  int (*captureDrawScreenToGraph3D)(int x1, int y1, int x2, int y2, GraphRecord* graph, int flag) = nullptr;
};

GraphDeviceHooks& GetGraphDeviceHooks();

struct GraphSettings {
  int use3D = 1;
  int drawValidCreate = 0;
  int drawValidAlpha = 0;
  int colorBitDepth = 0;  // 0: the screen's depth (16 while unknown)
  int alphaTest = 1;
  int systemMemoryImage = 0;
  int defaultAlpha = 0;   // MakeGraphDefault's alpha, set by the font layer
  uint32_t reservedWord = 0;
  uint32_t convertOption = 0;
};

struct GraphManager {
  HandleTable<GraphRecord> table{kHandleTypeGraph, kGraphSlots};
  int initialized = 0;
  GraphSettings settings;
  int (*restoreCallback)() = nullptr;
};

GraphManager& GetGraphManager();
// Empties the table (freeing its records) and puts the creation settings back to their
// defaults; the restore callback is kept.
void ResetGraphManager();

// Never fails softly: a full table or exhausted memory ends the program.
int AddGraphData(int width, int height, int use3DRequest, GraphRecord** out, int alpha, int palette);
// AddGraphData and the graph's surfaces; -1 (and no record left) when they cannot be made.
int MakeGraph(int width, int height, int use3DRequest, int alpha, int palette);
int MakeGraphDefault(int width, int height, int not3D);
// Frees a graph's owned buffer and record and empties its slot, writing 1 through its
// deleted flag; the surfaces must be gone already. -1 for a refused handle.
int RemoveGraphData(int graph);

GraphRecord* GetGraphRecord(int graph);
int GetGraphRecordHandle(const GraphRecord* record);
int SetGraphDeleteFlag(int graph, int* flag);
// Stores name and the file layer's current directory. A name or directory too long for the
// record is not cut (a cut name would reload another file): the graph keeps no name then.
int SetGraphName(int graph, const char* name);
int BltImageToGraph(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                    const char* name, int bitmapFlag, const GraphImage* image, const GraphImage* alphaImage,
                    const RECT* src, int destX, int destY, int graph, int option);
int GetGraphSize(int graph, int* width, int* height);
int GetDrawScreenGraph(int x1, int y1, int x2, int y2, int graph, int flag);
int CheckBlendGraphSize(const GraphRecord* graph);
int IsGraph3DAvailable();

int SetUse3DFlag(int flag);
int SetDrawValidGraphCreateFlag(int flag);
int SetGraphMemImageFlag(int flag);
int SetGraphSoftImageFlag(int flag);
int GetGraphConvertOption();
int IsGraphRestoreCallbackSet();

}  // namespace rt
