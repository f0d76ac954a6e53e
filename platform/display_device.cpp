// The surfaces every display device keeps in system memory, the copies between them, and
// the override.
#include "platform/display_device.h"

#include "platform/display_surface.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

DisplayDevice* g_override = nullptr;

uint32_t ReadPixel(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  std::memcpy(&v, p, static_cast<size_t>(bytes));
  return v;
}

void WritePixel(uint8_t* p, int bytes, uint32_t v) { std::memcpy(p, &v, static_cast<size_t>(bytes)); }

// The first row of the rectangle is filled pixel by pixel, the others copied from it.
void FillRect(DeviceSurface* s, const Rect& r, uint32_t value) {
  if (IsEmpty(r)) return;
  const int bytes = s->bytes();
  for (int x = r.left; x < r.right; ++x) WritePixel(s->At(x, r.top), bytes, value);
  const size_t span = static_cast<size_t>(r.right - r.left) * bytes;
  for (int y = r.top + 1; y < r.bottom; ++y) std::memcpy(s->At(r.left, y), s->At(r.left, r.top), span);
}

}  // namespace

DevicePixelFormat Xrgb8888Format() { return DevicePixelFormat{32, 0xFF0000, 0xFF00, 0xFF, 0, false}; }
DevicePixelFormat Rgb565Format() { return DevicePixelFormat{16, 0xF800, 0x07E0, 0x001F, 0, false}; }
DevicePixelFormat Depth16Format() { return DevicePixelFormat{16, 0, 0, 0, 0, true}; }

DisplayDevice::DisplayDevice() = default;
DisplayDevice::~DisplayDevice() = default;

bool DisplayDevice::Check(const char* name, std::initializer_list<int64_t> args) {
  DeviceCall call;
  call.name = name;
  call.args.assign(args.begin(), args.end());
  return Allow(call);
}

DeviceSurface* DisplayDevice::Find(const DeviceSurface* surface) const {
  if (!surface) return nullptr;
  for (const auto& s : surfaces_) {
    if (s.get() == surface) return s.get();
  }
  return nullptr;
}

int DisplayDevice::SetCooperativeLevel(Window* window, CooperativeLevel level) {
  if (!Check("SetCooperativeLevel", {static_cast<int64_t>(level)}) || !window) return kDeviceFailed;
  window_ = window;
  level_ = level;
  return kDeviceOk;
}

int DisplayDevice::SetDisplayMode(int width, int height, int bits, int refreshRate) {
  if (!Check("SetDisplayMode", {width, height, bits, refreshRate})) return kDeviceFailed;
  if (level_ != CooperativeLevel::kFullScreenExclusive) return kDeviceFailed;
  if (width <= 0 || height <= 0 || (bits != 16 && bits != 32)) return kDeviceFailed;
  if (!ApplyDisplayMode(width, height, bits, refreshRate)) return kDeviceFailed;
  modeSet_ = true;
  mode_.width = width;
  mode_.height = height;
  mode_.refreshRate = refreshRate != 0 ? refreshRate : DesktopMode().refreshRate;
  mode_.format = bits == 16 ? Rgb565Format() : Xrgb8888Format();
  return kDeviceOk;
}

int DisplayDevice::RestoreDisplayMode() {
  Check("RestoreDisplayMode", {});
  if (modeSet_) ApplyDesktopMode();
  modeSet_ = false;
  return kDeviceOk;
}

DisplayModeInfo DisplayDevice::GetDisplayMode() const { return modeSet_ ? mode_ : DesktopMode(); }

void DisplayDevice::SyncPrimarySize(DeviceSurface* primary) {
  if (!primary->windowed) return;
  int w = 0;
  int h = 0;
  if (const Window* window = clipperWindow_ ? clipperWindow_ : window_) {
    const Rect client = const_cast<Window*>(window)->ClientRect();
    w = std::max(client.Width(), 0);
    h = std::max(client.Height(), 0);
  }
  if (w != primary->width || h != primary->height) {
    ForgetSurface(primary);
    primary->Resize(w, h);
  }
}

// A windowed primary is addressed in desktop coordinates; its pixels are the client area's.
Rect DisplayDevice::ToSurface(const DeviceSurface* surface, const Rect& r) const {
  if (!surface->windowed) return r;
  const Window* window = clipperWindow_ ? clipperWindow_ : window_;
  if (!window) return r;
  const Rect client = const_cast<Window*>(window)->ClientRect();
  return Rect{r.left - client.left, r.top - client.top, r.right - client.left, r.bottom - client.top};
}

DeviceSurface* DisplayDevice::CreateSurface(const SurfaceDesc& desc) {
  if (!Check("CreateSurface", {static_cast<int64_t>(desc.kind), desc.width, desc.height, desc.format.bits,
                               desc.systemMemory ? 1 : 0, desc.backBufferCount})) {
    return nullptr;
  }
  if (!AllowSurface(desc) || !window_) return nullptr;
  const DisplayModeInfo display = GetDisplayMode();
  auto surface = std::make_unique<DeviceSurface>();
  surface->kind = desc.kind;
  surface->systemMemory = desc.systemMemory;
  if (desc.kind == SurfaceKind::kZBuffer) {
    surface->format = Depth16Format();
  } else if (desc.format.bits != 0) {
    if (desc.format.bits != 16 && desc.format.bits != 32) return nullptr;
    surface->format = desc.format;
  } else {
    surface->format = display.format;
  }
  if (desc.kind == SurfaceKind::kPrimary) {
    for (const auto& s : surfaces_) {
      if (s->kind == SurfaceKind::kPrimary && !s->frontOfChain) return nullptr;  // one primary at most
    }
    if (level_ == CooperativeLevel::kNormal) {
      if (desc.backBufferCount != 0) return nullptr;  // a window has no flipping chain
      surface->windowed = true;
      SyncPrimarySize(surface.get());
    } else {
      surface->Resize(display.width, display.height);
    }
  } else {
    if (desc.width <= 0 || desc.height <= 0) return nullptr;
    surface->Resize(desc.width, desc.height);
  }
  DeviceSurface* made = surface.get();
  surfaces_.push_back(std::move(surface));
  if (desc.kind == SurfaceKind::kPrimary && desc.backBufferCount > 0) {
    auto back = std::make_unique<DeviceSurface>();
    back->kind = SurfaceKind::kPrimary;
    back->format = made->format;
    back->Resize(made->width, made->height);
    back->frontOfChain = made;
    made->backBuffer = back.get();
    surfaces_.push_back(std::move(back));
  }
  return made;
}

DeviceSurface* DisplayDevice::GetAttachedBackBuffer(DeviceSurface* primary) {
  DeviceSurface* s = Find(primary);
  Check("GetAttachedBackBuffer", {});
  return s ? s->backBuffer : nullptr;
}

int DisplayDevice::AttachZBuffer(DeviceSurface* surface, DeviceSurface* zBuffer) {
  DeviceSurface* s = Find(surface);
  DeviceSurface* z = Find(zBuffer);
  if (!Check("AttachZBuffer", {}) || !s || !z || z->kind != SurfaceKind::kZBuffer || s->zBuffer) return kDeviceFailed;
  if (z->width < s->width || z->height < s->height) return kDeviceFailed;
  s->zBuffer = z;
  return kDeviceOk;
}

int DisplayDevice::DetachZBuffer(DeviceSurface* surface) {
  DeviceSurface* s = Find(surface);
  if (!Check("DetachZBuffer", {}) || !s || !s->zBuffer) return kDeviceFailed;
  s->zBuffer = nullptr;
  return kDeviceOk;
}

void DisplayDevice::ReleaseSurface(DeviceSurface* surface) {
  DeviceSurface* s = Find(surface);
  Check("ReleaseSurface", {s ? static_cast<int64_t>(s->kind) : -1});
  if (!s || s->frontOfChain) return;  // a back buffer goes with its primary
  std::vector<DeviceSurface*> gone{s};
  if (s->backBuffer) gone.push_back(s->backBuffer);
  for (DeviceSurface* g : gone) {
    for (auto& t : state3D_.texture) {
      if (t == g) t = nullptr;
    }
    if (state3D_.target == g) state3D_.target = nullptr;
    ForgetSurface(g);
  }
  for (auto& other : surfaces_) {
    for (DeviceSurface* g : gone) {
      if (other->zBuffer == g) other->zBuffer = nullptr;
    }
  }
  surfaces_.erase(std::remove_if(surfaces_.begin(), surfaces_.end(),
                                 [&](const std::unique_ptr<DeviceSurface>& p) {
                                   return std::find(gone.begin(), gone.end(), p.get()) != gone.end();
                                 }),
                  surfaces_.end());
}

SurfaceInfo DisplayDevice::Describe(const DeviceSurface* surface) const {
  SurfaceInfo info;
  if (const DeviceSurface* s = Find(surface)) {
    info.width = s->width;
    info.height = s->height;
    info.format = s->format;
    info.videoMemory = !s->systemMemory;
  }
  return info;
}

int DisplayDevice::Lock(DeviceSurface* surface, const Rect* area, LockedPixels* out) {
  DeviceSurface* s = Find(surface);
  if (!Check("Lock", {area ? area->left : -1, area ? area->top : -1, area ? area->right : -1,
                      area ? area->bottom : -1}) ||
      !s || !out) {
    return kDeviceFailed;
  }
  if (s->lost) return kSurfaceLost;
  if (s->locked || s->inDC) return kDeviceFailed;
  if (s->kind == SurfaceKind::kPrimary) SyncPrimarySize(s->frontOfChain ? s->frontOfChain : s);
  Rect r{0, 0, s->width, s->height};
  if (area) {
    r = ToSurface(s, *area);
    if (r.left < 0 || r.top < 0 || r.right > s->width || r.bottom > s->height || r.right < r.left ||
        r.bottom < r.top) {
      return kDeviceFailed;
    }
  }
  Touch(s, r, true);
  s->locked = true;
  out->pixels = s->pixels.empty() ? nullptr : s->At(r.left, r.top);
  out->pitch = s->pitch;
  out->width = r.right - r.left;
  out->height = r.bottom - r.top;
  out->format = s->format;
  return kDeviceOk;
}

int DisplayDevice::Unlock(DeviceSurface* surface) {
  DeviceSurface* s = Find(surface);
  if (!Check("Unlock", {}) || !s || !s->locked) return kDeviceFailed;
  s->locked = false;
  ShowPrimary(s, false);
  return kDeviceOk;
}

int DisplayDevice::ColorFill(DeviceSurface* surface, const Rect* area, uint32_t pixel) {
  DeviceSurface* s = Find(surface);
  if (!Check("ColorFill", {area ? area->left : -1, area ? area->top : -1, area ? area->right : -1,
                           area ? area->bottom : -1, pixel}) ||
      !s || s->kind == SurfaceKind::kZBuffer) {
    return kDeviceFailed;
  }
  if (s->lost) return kSurfaceLost;
  if (s->locked) return kDeviceFailed;
  if (s->kind == SurfaceKind::kPrimary) SyncPrimarySize(s->frontOfChain ? s->frontOfChain : s);
  const Rect r = Intersection(area ? ToSurface(s, *area) : Rect{0, 0, s->width, s->height}, Rect{0, 0, s->width, s->height});
  if (!IsEmpty(r) && !FillOnPlatform(s, r, pixel)) {
    Touch(s, r, true);
    FillRect(s, r, pixel);
  }
  ShowPrimary(s, false);
  return kDeviceOk;
}

int DisplayDevice::DepthFill(DeviceSurface* surface, const Rect* area, uint32_t depth) {
  DeviceSurface* s = Find(surface);
  if (!Check("DepthFill", {depth}) || !s || s->kind != SurfaceKind::kZBuffer) return kDeviceFailed;
  if (s->lost) return kSurfaceLost;
  if (s->locked) return kDeviceFailed;
  const Rect r = Intersection(area ? *area : Rect{0, 0, s->width, s->height}, Rect{0, 0, s->width, s->height});
  Touch(s, r, true);
  FillRect(s, r, depth);
  return kDeviceOk;
}

int DisplayDevice::Blt(DeviceSurface* dest, const Rect* destRect, DeviceSurface* source, const Rect* sourceRect) {
  DeviceSurface* d = Find(dest);
  DeviceSurface* s = Find(source);
  if (!Check("Blt", {destRect ? destRect->left : -1, destRect ? destRect->top : -1,
                     destRect ? destRect->right : -1, destRect ? destRect->bottom : -1,
                     sourceRect ? sourceRect->left : -1, sourceRect ? sourceRect->top : -1,
                     sourceRect ? sourceRect->right : -1, sourceRect ? sourceRect->bottom : -1}) ||
      !d || !s) {
    return kDeviceFailed;
  }
  if (d->lost || s->lost) return kSurfaceLost;
  if (d->locked || s->locked || d->bytes() != s->bytes()) return kDeviceFailed;
  if (d->kind == SurfaceKind::kPrimary) SyncPrimarySize(d->frontOfChain ? d->frontOfChain : d);
  if (s->kind == SurfaceKind::kPrimary) SyncPrimarySize(s->frontOfChain ? s->frontOfChain : s);
  const Rect dr = destRect ? ToSurface(d, *destRect) : Rect{0, 0, d->width, d->height};
  const Rect sr = sourceRect ? ToSurface(s, *sourceRect) : Rect{0, 0, s->width, s->height};
  if (IsEmpty(dr) || IsEmpty(sr)) return kDeviceFailed;
  const Rect clipped = Intersection(dr, Rect{0, 0, d->width, d->height});
  const int64_t dw = dr.right - dr.left;
  const int64_t dh = dr.bottom - dr.top;
  const int64_t sw = sr.right - sr.left;
  const int64_t sh = sr.bottom - sr.top;
  if (s != d && CopyOnPlatform(d, dr, clipped, s, sr)) {
    return ShowCopied(d, false);
  }
  Touch(s, Intersection(sr, Rect{0, 0, s->width, s->height}), false);
  Touch(d, clipped, true);
  // A copy onto itself goes through a copy of the source, so that overlapping parts read
  // what was there before.
  std::vector<uint8_t> kept;
  const uint8_t* base = s->pixels.data();
  if (s == d) {
    kept = s->pixels;
    base = kept.data();
  }
  const int bytes = d->bytes();
  const bool oneToOne = dw == sw && dh == sh;
  for (int y = clipped.top; y < clipped.bottom; ++y) {
    const int64_t sy = sr.top + (y - dr.top) * sh / dh;
    if (sy < 0 || sy >= s->height) continue;
    if (oneToOne) {
      // Unscaled rows are copied whole, within the source's columns.
      const int64_t left = std::max<int64_t>(clipped.left, dr.left - sr.left);
      const int64_t right = std::min<int64_t>(clipped.right, dr.left - sr.left + s->width);
      if (right > left) {
        std::memcpy(d->At(static_cast<int>(left), y), base + sy * s->pitch + (sr.left + left - dr.left) * bytes,
                    static_cast<size_t>(right - left) * bytes);
      }
      continue;
    }
    for (int x = clipped.left; x < clipped.right; ++x) {
      const int64_t sx = sr.left + (x - dr.left) * sw / dw;
      if (sx < 0 || sx >= s->width) continue;
      std::memcpy(d->At(x, y), base + sy * s->pitch + sx * bytes, static_cast<size_t>(bytes));
    }
  }
  return ShowCopied(d, false);
}

int DisplayDevice::BltFast(DeviceSurface* dest, int x, int y, DeviceSurface* source, const Rect* sourceRect,
                           bool sourceColorKey) {
  DeviceSurface* d = Find(dest);
  DeviceSurface* s = Find(source);
  if (!Check("BltFast", {x, y, sourceRect ? sourceRect->left : -1, sourceRect ? sourceRect->top : -1,
                         sourceRect ? sourceRect->right : -1, sourceRect ? sourceRect->bottom : -1,
                         sourceColorKey ? 1 : 0}) ||
      !d || !s) {
    return kDeviceFailed;
  }
  if (d->lost || s->lost) return kSurfaceLost;
  if (d->locked || s->locked || d->bytes() != s->bytes() || d == s) return kDeviceFailed;
  if (d->kind == SurfaceKind::kPrimary) SyncPrimarySize(d->frontOfChain ? d->frontOfChain : d);
  Rect sr = sourceRect ? ToSurface(s, *sourceRect) : Rect{0, 0, s->width, s->height};
  sr = Intersection(sr, Rect{0, 0, s->width, s->height});
  const Rect at = ToSurface(d, Rect{x, y, x, y});
  const Rect placed{at.left, at.top, at.left + sr.right - sr.left, at.top + sr.bottom - sr.top};
  const Rect clipped = Intersection(placed, Rect{0, 0, d->width, d->height});
  if (!sourceColorKey && !IsEmpty(sr) && CopyOnPlatform(d, placed, clipped, s, sr)) {
    return ShowCopied(d, false);
  }
  Touch(s, sr, false);
  Touch(d, clipped, true);
  const int bytes = d->bytes();
  // Bits that carry no colour (the fourth byte of XRGB) play no part in the key.
  uint32_t mask = s->format.redMask | s->format.greenMask | s->format.blueMask | s->format.alphaMask;
  if (mask == 0) mask = bytes == 4 ? 0xFFFFFFFFu : 0xFFFFu;
  const bool keyed = sourceColorKey && s->hasKey;
  if (keyed && bytes == 4) {
    // The common case without a call per pixel.
    for (int row = sr.top; row < sr.bottom; ++row) {
      const int dy = at.top + row - sr.top;
      if (dy < 0 || dy >= d->height) continue;
      const int left = std::max(sr.left, sr.left - at.left);
      const int right = std::min(sr.right, sr.left + d->width - at.left);
      const uint8_t* from = s->At(std::max(left, 0), row);
      uint8_t* to = d->At(std::max(at.left + left - sr.left, 0), dy);
      for (int col = left; col < right; ++col, from += 4, to += 4) {
        uint32_t v;
        std::memcpy(&v, from, 4);
        if ((v & mask) != (s->key & mask)) std::memcpy(to, &v, 4);
      }
    }
    return ShowCopied(d, false);
  }
  for (int row = sr.top; row < sr.bottom; ++row) {
    const int dy = at.top + row - sr.top;
    if (dy < 0 || dy >= d->height) continue;
    if (!keyed) {
      const int left = std::max(sr.left, sr.left - (at.left));
      const int right = std::min(sr.right, sr.left + d->width - at.left);
      if (right > left) {
        std::memcpy(d->At(at.left + left - sr.left, dy), s->At(left, row), static_cast<size_t>(right - left) * bytes);
      }
      continue;
    }
    for (int col = sr.left; col < sr.right; ++col) {
      const int dx = at.left + col - sr.left;
      if (dx < 0 || dx >= d->width) continue;
      const uint8_t* p = s->At(col, row);
      if (keyed && (ReadPixel(p, bytes) & mask) == (s->key & mask)) continue;
      std::memcpy(d->At(dx, dy), p, static_cast<size_t>(bytes));
    }
  }
  return ShowCopied(d, false);
}

int DisplayDevice::SetColorKey(DeviceSurface* surface, uint32_t key) {
  DeviceSurface* s = Find(surface);
  if (!Check("SetColorKey", {key}) || !s) return kDeviceFailed;
  s->hasKey = true;
  s->key = key;
  return kDeviceOk;
}

int DisplayDevice::Flip(DeviceSurface* primary, bool waitVBlank) {
  DeviceSurface* s = Find(primary);
  if (!Check("Flip", {waitVBlank ? 1 : 0}) || !s || !s->backBuffer) return kDeviceFailed;
  if (s->lost || s->backBuffer->lost) return kSurfaceLost;
  if (s->locked || s->backBuffer->locked) return kDeviceFailed;
  std::swap(s->pixels, s->backBuffer->pixels);
  SwapPlatformCopies(s, s->backBuffer);
  ++s->generation;
  ++s->backBuffer->generation;
  return ShowCopied(s, waitVBlank);
}

int DisplayDevice::GetDC(DeviceSurface* surface, LockedPixels* out) {
  DeviceSurface* s = Find(surface);
  if (!Check("GetDC", {}) || !s || !out || s->kind == SurfaceKind::kZBuffer) return kDeviceFailed;
  if (s->lost) return kSurfaceLost;
  if (s->locked || s->inDC) return kDeviceFailed;
  s->inDC = true;
  TouchAll(s, true);
  out->pixels = s->pixels.empty() ? nullptr : s->pixels.data();
  out->pitch = s->pitch;
  out->width = s->width;
  out->height = s->height;
  out->format = s->format;
  return kDeviceOk;
}

int DisplayDevice::ReleaseDC(DeviceSurface* surface) {
  DeviceSurface* s = Find(surface);
  if (!Check("ReleaseDC", {}) || !s || !s->inDC) return kDeviceFailed;
  s->inDC = false;
  ShowPrimary(s, false);
  return kDeviceOk;
}

bool DisplayDevice::IsLost(const DeviceSurface* surface) const {
  const DeviceSurface* s = Find(surface);
  return s && s->lost;
}

int DisplayDevice::Restore(DeviceSurface* surface) {
  DeviceSurface* s = Find(surface);
  if (!Check("Restore", {}) || !s) return kDeviceFailed;
  if (!s->lost) return kDeviceOk;
  s->lost = false;
  ForgetSurface(s);
  std::fill(s->pixels.begin(), s->pixels.end(), 0);
  ++s->generation;
  ShowPrimary(s, false);
  return kDeviceOk;
}

int DisplayDevice::CreateClipper(Window* window) {
  if (!Check("CreateClipper", {}) || !window) return kDeviceFailed;
  clipperWindow_ = window;
  return kDeviceOk;
}

void DisplayDevice::ReleaseClipper() {
  Check("ReleaseClipper", {});
  clipperWindow_ = nullptr;
}

int DisplayDevice::WaitForVerticalBlank() {
  if (!Check("WaitForVerticalBlank", {})) return kDeviceFailed;
  WaitVBlank();
  waitNextShow_ = true;
  return kDeviceOk;
}

void DisplayDevice::Refresh() {
  for (const auto& s : surfaces_) {
    if (s->kind == SurfaceKind::kPrimary && !s->frontOfChain) ShowPrimary(s.get(), false);
  }
}

void DisplayDevice::LoseSurfaces() {
  Check("LoseSurfaces", {});
  LosePlatformObjects();
  for (const auto& s : surfaces_) {
    if (s->systemMemory && s->kind != SurfaceKind::kPrimary) continue;
    s->lost = true;
    ForgetSurface(s.get());
    ++s->generation;
    // What a lost surface held is gone; a restore gives it back cleared.
    std::fill(s->pixels.begin(), s->pixels.end(), 0xA5);
  }
}

// A present that found the device reset reports the copy lost with the surfaces.
int DisplayDevice::ShowCopied(DeviceSurface* dest, bool waitVBlank) {
  ShowPrimary(dest, waitVBlank);
  return dest->lost ? kSurfaceLost : kDeviceOk;
}

void DisplayDevice::ShowPrimary(DeviceSurface* surface, bool waitVBlank) {
  if (surface->kind != SurfaceKind::kPrimary || surface->frontOfChain || surface->lost) return;
  const bool wait = waitVBlank || waitNextShow_;
  waitNextShow_ = false;
  ShowSurface(surface, wait);
}

namespace {

LockedPixels ViewOf(DeviceSurface* surface) {
  LockedPixels view;
  view.pixels = surface->pixels.empty() ? nullptr : surface->pixels.data();
  view.pitch = surface->pitch;
  view.width = surface->width;
  view.height = surface->height;
  view.format = surface->format;
  return view;
}

}  // namespace

void DisplayDevice::ShowSurface(DeviceSurface* primary, bool waitVBlank) {
  TouchAll(primary, false);
  Show(ViewOf(primary), waitVBlank);
}

bool DisplayDevice::ReadShown(DeviceSurface* primary, std::vector<uint32_t>* xrgb, int* width, int* height) {
  TouchAll(primary, false);
  return ReadFrame(ViewOf(primary), xrgb, width, height);
}

bool DisplayDevice::ReadShownFrame(std::vector<uint32_t>* xrgb, int* width, int* height) {
  for (const auto& s : surfaces_) {
    if (s->kind != SurfaceKind::kPrimary || s->frontOfChain || s->lost) continue;
    return ReadShown(s.get(), xrgb, width, height);
  }
  return false;
}

bool DisplayDevice::ReadFrame(const LockedPixels& primary, std::vector<uint32_t>* xrgb, int* width, int* height) {
  *width = primary.width;
  *height = primary.height;
  xrgb->assign(static_cast<size_t>(primary.width) * primary.height, 0);
  const int bytes = primary.format.bits / 8;
  for (int y = 0; y < primary.height; ++y) {
    for (int x = 0; x < primary.width; ++x) {
      const uint32_t v = ReadPixel(primary.pixels + static_cast<size_t>(y) * primary.pitch + x * bytes, bytes);
      uint32_t out = v & 0xFFFFFF;
      if (bytes == 2) {
        const uint32_t r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
        out = ((r * 255 / 31) << 16) | ((g * 255 / 63) << 8) | (b * 255 / 31);
      }
      (*xrgb)[static_cast<size_t>(y) * primary.width + x] = out;
    }
  }
  return true;
}

void SetDisplayDeviceOverride(DisplayDevice* device) { g_override = device; }
DisplayDevice* GetDisplayDeviceOverride() { return g_override; }

DisplayDevice* AcquireDisplayDevice(Window* window, std::unique_ptr<DisplayDevice>* owned) {
  owned->reset();
  if (g_override) {
    if (!g_override->Available()) return nullptr;
    g_override->Check("Acquire", {});
    return g_override;
  }
  *owned = CreateGlDisplayDevice(window);
  return owned->get();
}

}  // namespace platform
