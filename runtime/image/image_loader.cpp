#include "runtime/image/image_loader.h"

#include <cstring>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/strings.h"
#include "runtime/image/convert_blt.h"
#include "runtime/image/loader_io.h"

namespace rt {
namespace {

// Far beyond any picture the game shows; a header that claims more is refused before
// memory is spent on it.
constexpr int64_t kMaxImageBytes = int64_t{1} << 29;

ImageLoaderTable g_loaders;

constexpr ImageLoader kBuiltInLoaders[] = {LoadBmpImage, LoadJpegImage, LoadPngImage,
                                           LoadBgraImage, LoadTgaImage, LoadDdsImage, nullptr};

// A stream opened by LoadGraphImage, closed on every way out.
struct OpenedStream {
  ImageStream stream{};
  bool fromMemory = false;
  bool open = false;

  void Close() {
    if (!open) return;
    open = false;
    if (fromMemory) {
      stream.close(stream.handle);
    } else {
      StreamClose(stream.handle);
    }
  }
  ~OpenedStream() { Close(); }
};

}  // namespace

ImageStream MakeImageStream(const StreamAccessSet& access, StreamHandle handle) {
  return ImageStream{access.tell, access.seek, access.read, access.eof, access.idleCheck, access.close, handle};
}

ImageLoaderTable& GetImageLoaderTable() { return g_loaders; }

int64_t ImageStreamTell(ImageStream* stream) { return stream->tell(stream->handle); }

int ImageStreamSeek(ImageStream* stream, int64_t offset, int origin) {
  return stream->seek(stream->handle, offset, origin);
}

int64_t ImageStreamSize(ImageStream* stream) {
  const int64_t position = ImageStreamTell(stream);
  if (position < 0) return -1;
  ImageStreamSeek(stream, 0, kSeekEnd);
  const int64_t size = ImageStreamTell(stream);
  ImageStreamSeek(stream, position, kSeekSet);
  return size;
}

size_t ImageStreamRead(ImageStream* stream, void* buffer, size_t size) {
  if (size == 0) return 0;
  return stream->read(buffer, 1, size, stream->handle);
}

bool ImageStreamReadExact(ImageStream* stream, void* buffer, size_t size) {
  return ImageStreamRead(stream, buffer, size) == size;
}

bool ImageSizeAllowed(int64_t width, int64_t height, const char* format) {
  if (width <= kMaxImageSide && height <= kMaxImageSide) return true;
  LogAddFormat("%s: 画像が大きすぎます (%lld x %lld)\n", format, static_cast<long long>(width),
               static_cast<long long>(height));
  return false;
}

uint8_t* AllocImagePixels(int64_t pitch, int64_t rows) {
  if (pitch <= 0 || rows <= 0 || pitch > kMaxImageBytes / rows) return nullptr;
  return static_cast<uint8_t*>(RT_ALLOC(static_cast<size_t>(pitch * rows)));
}

int LoadImageFromStream(ImageStream* stream, GraphImage* image) {
  for (int i = 0; i < g_loaders.userCount && i < kUserImageLoaderSlots; ++i) {
    ImageStreamSeek(stream, 0, kSeekSet);
    if (g_loaders.user[i] && g_loaders.user[i](stream, image) == 0) return 0;
  }
  for (const ImageLoader* loader = kBuiltInLoaders; *loader; ++loader) {
    ImageStreamSeek(stream, 0, kSeekSet);
    if ((*loader)(stream, image) == 0) return 0;
  }
  return -1;
}

// Every way out closes the stream, a memory stream included.
int LoadGraphImage(const char* path, const void* memory, int memorySize, int fromMemory, int dibFlag,
                   int convertFlag, GraphImage* image, BitmapInfo** info, uint8_t** pixels) {
  OpenedStream opened;
  opened.fromMemory = fromMemory != 0;
  if (opened.fromMemory) {
    MemStream* mem = MemStreamOpen(memory, memorySize);
    if (!mem) return -1;
    opened.stream = MakeImageStream(GetMemoryStreamAccess(), MemStreamHandle(mem));
  } else {
    if (!path) return -1;
    const StreamHandle handle = StreamOpen(path, 0, 1, 0);
    if (handle == 0) return -1;
    opened.stream = MakeImageStream(GetFileStreamAccess(), handle);
  }
  opened.open = true;

  GraphImage loaded{};
  if (LoadImageFromStream(&opened.stream, &loaded) != 0) return -1;
  if (opened.fromMemory) opened.Close();

  if (convertFlag == 1) {
    uint8_t* converted = AllocImagePixels(loaded.pitch, loaded.height);
    const RECT all{0, 0, loaded.width, loaded.height};
    if (!converted || ConvertColorFormatBlt(converted, loaded.pitch, &loaded.format, loaded.pixels, loaded.pitch,
                                            &loaded.format, nullptr, 0, nullptr, 0, 0, &all, 0, 0, 0, 1, 0, 0,
                                            0) < 0) {
      if (converted) MemFree(converted);
      ReleaseGraphImage(&loaded);
      return -1;
    }
    MemFree(loaded.pixels);
    loaded.pixels = converted;
  }

  if (dibFlag) {
    auto* bitmap = static_cast<BitmapInfo*>(RT_ALLOC_ZERO(sizeof(BitmapInfo)));
    if (!bitmap) {
      ReleaseGraphImage(&loaded);
      return -1;
    }
    const int made = GraphImageToDIB(&loaded, bitmap, pixels, 0, 0);
    if (made < 0) {
      MemFree(bitmap);
      ReleaseGraphImage(&loaded);
      return -1;
    }
    if (made == 1) MemFree(loaded.pixels);
    *info = bitmap;
  } else {
    *image = loaded;
  }
  return 0;
}

// The extension's dot is looked for in the last path element only, stepping over the
// trail bytes of double-byte characters, so a dot in a directory name is not taken.
std::string MakeAlphaImagePath(const char* path) {
  const char* nameStart = path;
  for (const char* p = path; *p;) {
    if (IsLeadByte(p, 0) && p[1]) {
      p += 2;
      continue;
    }
    if (*p == '/' || *p == '\\') nameStart = p + 1;
    ++p;
  }
  const char* dot = std::strrchr(nameStart, '.');
  if (!dot) return std::string(path) + "_a";
  return std::string(path, static_cast<size_t>(dot - path)) + "_a" + dot;
}

int LoadImageWithAlpha(const char* path, const void* memory, int memorySize, int fromMemory, const void* alphaMemory,
                       int alphaMemorySize, int alphaFromMemory, GraphImage* image, GraphImage* alphaImage,
                       int convertFlag) {
  std::memset(alphaImage, 0, sizeof *alphaImage);
  if (LoadGraphImage(path, memory, memorySize, fromMemory, 0, convertFlag, image, nullptr, nullptr) != 0) return -1;
  if (alphaFromMemory == 1) {
    if (!alphaMemory) return 1;
    return LoadGraphImage(nullptr, alphaMemory, alphaMemorySize, 1, 0, convertFlag, alphaImage, nullptr, nullptr) == 0
               ? 0
               : 1;
  }
  if (alphaFromMemory != 0 || !path) return 1;
  const std::string alphaPath = MakeAlphaImagePath(path);
  return LoadGraphImage(alphaPath.c_str(), nullptr, 0, 0, 0, convertFlag, alphaImage, nullptr, nullptr) == 0 ? 0 : 1;
}

}  // namespace rt
