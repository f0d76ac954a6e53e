// Surface data (handle kind 7): the one pixel store under a 2D surface or a texture piece,
// shared by reference count. A store is a software image (MEMIMG) or a plain surface of the
// display device; textures come with the Direct3D device.
#pragma once
#include <cstdint>

#include "platform/display_device.h"
#include "runtime/image/color_format.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/handle_table.h"
#include "runtime/image/memimg.h"
#include "runtime/image/rect.h"

namespace rt {

constexpr int kSurfaceDataSlots = 65536;

// Format numbers of a store.
constexpr int kSurfaceFormatScreen = 9;
constexpr int kSurfaceFormatMemImg16 = 10;   // + 1 with alpha
constexpr int kSurfaceFormatMemImg32 = 12;   // + 1 with alpha

struct SurfaceData {
  uint32_t check;
  int* deletedFlag;          // never set by this system
  GraphCreateBytes create;   // normalised copy of the owner's creation bytes
  int32_t software;          // 1: the store is the software image
  int32_t formatNumber;
  int32_t zBuffer;           // 1: a Z buffer belongs to the store
  platform::DeviceSurface* surface;  // the device surface, or null
  MEMIMG image;              // the store when software is 1
  platform::DeviceSurface* zSurface;
  MEMIMG zImage;
  uint32_t keyColor;         // 0x00RRGGBB made transparent
  uint16_t width, height;
  int32_t refCount;
  int32_t lockPitch;
  uint8_t* lockPixels;
  int32_t lockCount;
};

HandleTable<SurfaceData>& GetSurfaceDataTable();

// A new record with its store; -1 (logged) when the table is full, memory runs out or the
// store cannot be made.
int AddSurfaceData(int refCount, uint16_t width, uint16_t height, uint32_t keyColor, const GraphCreateBytes& create);
SurfaceData* GetSurfaceData(int handle);
int AddSurfaceDataRef(int handle);
// The new count; the caller deletes the record when it reaches 0.
int ReleaseSurfaceDataRef(int handle);
int CreateSurfaceDataSurface(int handle);
int ReleaseSurfaceDataSurface(int handle);
int SetSurfaceDataZBuffer(int handle, int flag);
int SetSurfaceDataColorKey(int handle);
// 0 when nothing was lost; -1 when the store was lost and must be refilled by the caller.
int RestoreSurfaceData(int handle);
// True once a store came back empty from a restore, until the graphs were refilled
// (ClearSurfaceDataRefill); whichever restore brought the stores back, the refill follows.
bool SurfaceDataRefillDue();
void ClearSurfaceDataRefill();
// 0 locked; -2 already locked (the stored pointer and pitch are given again); -1 failure.
int LockSurfaceData(int handle, int* pitch, void** pixels, int writeOnly, const RECT* area,
                    const ColorFormat** format);
int UnlockSurfaceData(int handle, void* pixels);
// Fills the whole store with one colour (components 0..255).
int FillSurfaceData(int handle, int r, int g, int b, int a);
// The same for a rectangle of the store (null: the whole store).
int FillSurfaceDataRect(int handle, const RECT* rect, int r, int g, int b, int a);
int DeleteSurfaceData(int handle);
// Deletes every record (graphics start-up of a fresh run; tests).
void ClearSurfaceDataTable();

}  // namespace rt
