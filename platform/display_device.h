// The display device: the graphics hardware the runtime draws through when it has some. It
// owns the display mode and the cooperative level, and the surfaces: the primary (the
// window's client area in a window, the screen in full screen, then with a back buffer
// that Flip swaps in), off-screen plain surfaces, textures and 16-bit Z buffers. Surfaces
// are locked for the processor, filled, copied (stretched when the rectangles differ in
// size, or 1:1 with a source colour key), and may be lost and restored.
//
// The program draws through OpenGL 3.3 in the window's GL context; tests install a
// recording double that keeps everything in memory and records every call.
//
// The common part keeps every surface's pixels in system memory and does the copies there;
// a platform may keep a copy of its own of a surface (the GL device keeps the render target
// and the primary on the GPU), fill and copy between such copies, and bring pixels back to
// memory only for the part the processor is about to read or write.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/display_device_3d.h"
#include "platform/window.h"

namespace platform {

// 0 and -1 as everywhere; a lost surface answers kSurfaceLost until it is restored.
constexpr int kDeviceOk = 0;
constexpr int kDeviceFailed = -1;
constexpr int kSurfaceLost = -2;

struct DevicePixelFormat {
  int bits = 0;  // 16 or 32; 16 for a Z buffer; 0 in a request: the display's own format
  uint32_t redMask = 0;
  uint32_t greenMask = 0;
  uint32_t blueMask = 0;
  uint32_t alphaMask = 0;
  bool depth = false;  // a Z buffer's format
};

DevicePixelFormat Xrgb8888Format();
DevicePixelFormat Rgb565Format();
DevicePixelFormat Depth16Format();

struct DisplayModeInfo {
  int width = 0;
  int height = 0;
  int refreshRate = 0;  // Hz; 0 unknown
  DevicePixelFormat format;
};

enum class CooperativeLevel {
  kNormal,               // a window among others: the primary is the window's client area
  kFullScreenExclusive,  // the program owns the screen and may change its mode
};

enum class SurfaceKind { kPrimary, kOffscreenPlain, kTexture, kZBuffer };

struct SurfaceDesc {
  SurfaceKind kind = SurfaceKind::kOffscreenPlain;
  int width = 0;  // the primary takes the screen's (or the window's) size
  int height = 0;
  DevicePixelFormat format;   // bits 0: the display's format (a Z buffer is always 16-bit)
  bool systemMemory = false;  // kept where the processor reaches it; never lost
  bool renderTarget = false;  // 3D drawing may go to it
  int backBufferCount = 0;    // primary in full screen: 1 makes a flipping chain
};

struct DeviceSurface;
class DisplayDevice;
DisplayDevice* AcquireDisplayDevice(Window* window, std::unique_ptr<DisplayDevice>* owned);

struct SurfaceInfo {
  int width = 0;
  int height = 0;
  DevicePixelFormat format;
  bool videoMemory = false;
};

// Pixels of a locked surface (or of a device context), top row first.
struct LockedPixels {
  uint8_t* pixels = nullptr;
  int pitch = 0;
  int width = 0;
  int height = 0;
  DevicePixelFormat format;
};

// One recorded device call: its name and its integer arguments.
struct DeviceCall {
  std::string name;
  std::vector<int64_t> args;
};

class DisplayDevice {
 public:
  virtual ~DisplayDevice();

  // The window the device shows in and whether the program owns the screen; -1 when the
  // device refuses (no window).
  int SetCooperativeLevel(Window* window, CooperativeLevel level);
  CooperativeLevel cooperativeLevel() const { return level_; }
  // Full screen only: -1 when the display cannot take the mode (the mode stays as it was).
  int SetDisplayMode(int width, int height, int bits, int refreshRate);
  int RestoreDisplayMode();
  DisplayModeInfo GetDisplayMode() const;

  // Null when the surface cannot be made. A primary in a window is the client area of the
  // cooperative level's window, addressed in desktop coordinates.
  DeviceSurface* CreateSurface(const SurfaceDesc& desc);
  // The back buffer of a flipping primary; null for any other surface.
  DeviceSurface* GetAttachedBackBuffer(DeviceSurface* primary);
  int AttachZBuffer(DeviceSurface* surface, DeviceSurface* zBuffer);
  int DetachZBuffer(DeviceSurface* surface);
  // Releases the surface (a primary takes its back buffer with it); null is ignored.
  void ReleaseSurface(DeviceSurface* surface);
  SurfaceInfo Describe(const DeviceSurface* surface) const;

  // area null: the whole surface. -1 when it is locked already or the area lies outside.
  int Lock(DeviceSurface* surface, const Rect* area, LockedPixels* out);
  int Unlock(DeviceSurface* surface);
  // Fills the rectangle (null: all) with a pixel value of the surface's format.
  int ColorFill(DeviceSurface* surface, const Rect* area, uint32_t pixel);
  // Fills the rectangle of a Z buffer with a depth value.
  int DepthFill(DeviceSurface* surface, const Rect* area, uint32_t depth);
  // Copies the source rectangle onto the destination rectangle (null: the whole surface),
  // stretched to it when the sizes differ; both are clipped to their surfaces.
  int Blt(DeviceSurface* dest, const Rect* destRect, DeviceSurface* source, const Rect* sourceRect);
  // A 1:1 copy of the source rectangle to (x, y); with sourceColorKey the pixels equal to
  // the source's colour key are left out.
  int BltFast(DeviceSurface* dest, int x, int y, DeviceSurface* source, const Rect* sourceRect,
              bool sourceColorKey);
  int SetColorKey(DeviceSurface* surface, uint32_t key);
  // Shows the back buffer of a flipping primary; with waitVBlank not before the display's
  // next vertical blank.
  int Flip(DeviceSurface* primary, bool waitVBlank);

  // The surface's content as a device context for a plain copy; -1 while it is locked or
  // lost (the hand-off may be refused), and then nothing is to be released.
  int GetDC(DeviceSurface* surface, LockedPixels* out);
  int ReleaseDC(DeviceSurface* surface);

  bool IsLost(const DeviceSurface* surface) const;
  // The surface's memory is back; its content is not (a primary shows black).
  int Restore(DeviceSurface* surface);

  // The clipper: copies to a primary in a window stay inside that window's client area.
  int CreateClipper(Window* window);
  void ReleaseClipper();
  bool hasClipper() const { return clipperWindow_ != nullptr; }

  // Blocks until the next vertical blank begins (the next present waits for it).
  int WaitForVerticalBlank();
  // Shows the primary again (the window was uncovered).
  void Refresh();

  // Every surface outside system memory loses its content, as when another program took
  // the display or the driver reset the device; the next calls on them answer kSurfaceLost.
  // A device that lives in a GL context loses that context with them and makes a new one.
  void LoseSurfaces();
  int liveSurfaceCount() const { return static_cast<int>(surfaces_.size()); }
  // What the window shows of the primary, as 0x00RRGGBB values; false without a primary.
  bool ReadShownFrame(std::vector<uint32_t>* xrgb, int* width, int* height);
  // False when the device cannot be had (as when no GL context can be made).
  virtual bool Available() const { return true; }

  // ---- The 3D side ----
  // The 3D devices the display offers (one hardware device), the texture formats (5:6:5,
  // X8:8:8, 4:4:4:4, 1:5:5:5, 8:8:8:8) and the depth formats (16-bit) it draws with.
  std::vector<Device3DInfo> Enumerate3DDevices();
  std::vector<DevicePixelFormat> EnumerateTextureFormats();
  std::vector<DevicePixelFormat> EnumerateZBufferFormats();
  // Opens the one 3D context, drawing onto the surface; -1 when it is open already or the
  // surface cannot be drawn on. Release3D closes it (its states are forgotten).
  int Create3D(DeviceSurface* target);
  void Release3D();
  bool has3D() const { return open3D_; }
  int SetRenderTarget(DeviceSurface* target);
  DeviceSurface* renderTarget() const { return state3D_.target; }
  // -1 for an empty viewport or one outside the target.
  int SetViewport(const Viewport3D& viewport);
  int SetRenderState(RenderState state, uint32_t value);
  int SetTextureStageState(int stage, StageState state, uint32_t value);
  int SetTexture(int stage, DeviceSurface* texture);
  // The 16 values row by row; -1 for an unknown kind.
  int SetTransform(TransformKind kind, const float matrix[16]);
  // Draws go between BeginScene and EndScene; the target's pixels reach memory when the
  // processor locks, copies or reads that part of it.
  int BeginScene();
  int EndScene();
  // count vertices of the layout; -1 outside a scene, for an unknown layout or a count that
  // does not make whole primitives.
  int DrawPrimitive(PrimitiveKind kind, uint32_t layout, const void* vertices, int count);
  // Draws an indexed triangle strip (the indices are 16-bit).
  int DrawIndexedPrimitive(PrimitiveKind kind, uint32_t layout, const void* vertices, int vertexCount,
                           const uint16_t* indices, int indexCount);
  const Device3DState& state3D() const { return state3D_; }

 protected:
  DisplayDevice();
  // The platform's part of a full-screen mode change; false when the display refuses it.
  virtual bool ApplyDisplayMode(int width, int height, int bits, int refreshRate) = 0;
  virtual void ApplyDesktopMode() = 0;
  // The display's mode while no mode was set (the desktop's).
  virtual DisplayModeInfo DesktopMode() const = 0;
  // Shows the primary's pixels in the window; waitVBlank: not before the next blank.
  virtual void Show(const LockedPixels& primary, bool waitVBlank) = 0;
  // Waits for the next vertical blank (the GL device waits by its next present instead).
  virtual void WaitVBlank() = 0;
  // Every call is recorded here first; false refuses the call (the double's failures).
  virtual bool Allow(const DeviceCall& call) { return true; }
  // The picture shown for the primary; the common part converts the primary's own pixels.
  virtual bool ReadFrame(const LockedPixels& primary, std::vector<uint32_t>* xrgb, int* width, int* height);
  virtual bool AllowSurface(const SurfaceDesc& desc) { return true; }
  // The platform's 3D part: draws the vertices (already checked) under the state into the
  // target; false when it cannot. The double only records.
  virtual bool Render3D(const Device3DState& /*state*/, PrimitiveKind /*kind*/, uint32_t /*layout*/,
                        const void* /*vertices*/, int /*count*/) {
    return true;
  }
  // Brings the pixels of the area that the platform's copy holds newer back into memory.
  virtual void FetchPixels(DeviceSurface* /*surface*/, const Rect& /*area*/) {}
  // The processor is about to write the area in memory; the platform's copy takes it later.
  virtual void MemoryWritten(DeviceSurface* /*surface*/, const Rect& /*area*/) {}
  // Fills or copies in the platform's copies; false: the common part does it in memory. The
  // copy's rectangles are as the memory copy takes them (clip: the destination pixels).
  virtual bool FillOnPlatform(DeviceSurface* /*surface*/, const Rect& /*area*/, uint32_t /*pixel*/) { return false; }
  virtual bool CopyOnPlatform(DeviceSurface* /*dest*/, const Rect& /*destRect*/, const Rect& /*clip*/,
                              DeviceSurface* /*source*/, const Rect& /*sourceRect*/) {
    return false;
  }
  // A flip exchanged the two surfaces' memory; the platform's copies follow.
  virtual void SwapPlatformCopies(DeviceSurface* /*a*/, DeviceSurface* /*b*/) {}
  // Shows the primary; the common part shows its memory through Show.
  virtual void ShowSurface(DeviceSurface* primary, bool waitVBlank);
  // The picture shown for the primary; the common part converts its memory through ReadFrame.
  virtual bool ReadShown(DeviceSurface* primary, std::vector<uint32_t>* xrgb, int* width, int* height);
  // The surface is going away, changed size or lost its content: the platform's copy is stale.
  virtual void ForgetSurface(DeviceSurface* /*surface*/) {}
  // The surfaces are being lost: the platform's own objects go with them (and come back
  // empty, ready for the restored surfaces).
  virtual void LosePlatformObjects() {}
  virtual bool Open3D() { return true; }
  virtual void Close3D() {}
  // What the platform offers; the common part gives the standard set.
  virtual std::vector<Device3DInfo> Devices3D() const;
  virtual std::vector<DevicePixelFormat> TextureFormats3D() const;

 private:
  DeviceSurface* Find(const DeviceSurface* surface) const;
  void SyncPrimarySize(DeviceSurface* primary);
  void ShowPrimary(DeviceSurface* surface, bool waitVBlank);
  int ShowCopied(DeviceSurface* dest, bool waitVBlank);
  Rect ToSurface(const DeviceSurface* surface, const Rect& r) const;
  bool Check(const char* name, std::initializer_list<int64_t> args);
  // The processor is about to read (and with write, to change) the area of the surface:
  // pixels the platform holds newer come back first.
  void Touch(DeviceSurface* surface, const Rect& area, bool write);
  void TouchAll(DeviceSurface* surface, bool write);
  friend DisplayDevice* AcquireDisplayDevice(Window* window, std::unique_ptr<DisplayDevice>* owned);

  CooperativeLevel level_ = CooperativeLevel::kNormal;
  Window* window_ = nullptr;
  Window* clipperWindow_ = nullptr;
  bool modeSet_ = false;
  DisplayModeInfo mode_;
  bool waitNextShow_ = false;
  std::vector<std::unique_ptr<DeviceSurface>> surfaces_;
  bool open3D_ = false;
  Device3DState state3D_;
};

// The device the runtime uses instead of making its own (nullptr: its own). The caller
// keeps ownership.
void SetDisplayDeviceOverride(DisplayDevice* device);
DisplayDevice* GetDisplayDeviceOverride();

// The device for the window: the override when one is installed (null when it refuses to
// be had), else the GL device, which *owned then holds. Null when there is none.
DisplayDevice* AcquireDisplayDevice(Window* window, std::unique_ptr<DisplayDevice>* owned);

// The OpenGL device sharing the window's GL context; null when the window has none or the
// context cannot be made (the runtime then takes its software display).
std::unique_ptr<DisplayDevice> CreateGlDisplayDevice(Window* window);

}  // namespace platform
