// Image loaders: BMP, JPEG, PNG, BGRA, TGA and DDS decoded into image records. A loader
// reads an open stream through one of the two stream-access sets (files, or a block in
// memory); the loaders are tried in a fixed order until one accepts the data.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/file/stream.h"
#include "runtime/image/graph_image.h"

namespace rt {

// The access set copied beside an open stream (built on the caller's stack).
struct ImageStream {
  StreamTellFn tell;
  StreamSeekFn seek;
  StreamReadFn read;
  StreamEofFn eof;
  StreamIdleCheckFn idleCheck;
  StreamCloseFn close;
  StreamHandle handle;
};

ImageStream MakeImageStream(const StreamAccessSet& access, StreamHandle handle);

// 0: the record is filled and its pixels are tracked memory the caller releases; non-zero:
// the data is not for this loader or is broken, and nothing is left allocated.
using ImageLoader = int (*)(ImageStream* stream, GraphImage* image);

constexpr int kUserImageLoaderSlots = 10;

struct ImageLoaderTable {
  ImageLoader user[kUserImageLoaderSlots] = {};
  int userCount = 0;  // nothing in this system registers one
};

ImageLoaderTable& GetImageLoaderTable();

int LoadBmpImage(ImageStream* stream, GraphImage* image);
int LoadJpegImage(ImageStream* stream, GraphImage* image);
int LoadPngImage(ImageStream* stream, GraphImage* image);
int LoadBgraImage(ImageStream* stream, GraphImage* image);
int LoadTgaImage(ImageStream* stream, GraphImage* image);
int LoadDdsImage(ImageStream* stream, GraphImage* image);

// Tries the user loaders, then BMP, JPEG, PNG, BGRA, TGA and DDS, each from offset 0.
int LoadImageFromStream(ImageStream* stream, GraphImage* image);

// Decodes a file (path) or a block in memory. With dibFlag the result is a bitmap
// description (*info, tracked memory the caller frees) and *pixels; otherwise *image.
// convertFlag passes the pixels once more through the conversion blitter.
int LoadGraphImage(const char* path, const void* memory, int memorySize, int fromMemory, int dibFlag,
                   int convertFlag, GraphImage* image, BitmapInfo** info, uint8_t** pixels);

// Loads an image and its alpha image: from alphaMemory with alphaFromMemory 1, else from
// the path with "_a" before the extension. -1 when the image fails; 0 with an alpha image;
// 1 without one (*alphaImage is then cleared).
int LoadImageWithAlpha(const char* path, const void* memory, int memorySize, int fromMemory, const void* alphaMemory,
                       int alphaMemorySize, int alphaFromMemory, GraphImage* image, GraphImage* alphaImage,
                       int convertFlag);

// "gsx/enemy_01.png" -> "gsx/enemy_01_a.png"; a name without an extension gets "_a" appended.
std::string MakeAlphaImagePath(const char* path);

}  // namespace rt
