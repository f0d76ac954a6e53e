// Movie frames into a graph's first 2D surface.
#include <algorithm>
#include <cstring>

#include "runtime/image/convert_blt.h"
#include "runtime/image/memimg.h"
#include "runtime/image/surface_2d.h"
#include "runtime/image/surface_data.h"
#include "runtime/movie/movie.h"

namespace rt {
namespace {

// The pixels changed under the image's derived tables.
void RefreshAfterFrame(MEMIMG* dest, int width, int height, int surfaceData) {
  dest->alphaPlaneValid = 0;
  dest->runTableValid = 0;
  if (dest->runTable && width == dest->width && height == dest->height &&
      (dest->kind == kMemImgKind565 || dest->kind == kMemImgKindXRGB)) {
    if (dest->alphaFlag) RebuildMemImgAlphaPlane(dest);
    RebuildMemImgRunTable(dest);
  }
  SetSurfaceDataColorKey(surfaceData);
}

// The graph's software store, when its pixels are kept in the frame's format: the frame's
// rows are copied in unchanged.
bool StoreKeepsFrameFormat(const MovieRecord* movie, const SurfaceData& data) {
  if (!data.software || !data.image.pixels || !data.image.format || data.image.paletteFlag) return false;
  return movie->frameKind != kMovieFrameConverted && !movie->alphaHalf &&
         data.image.format->colorBitDepth == 8 * movie->frame.format.pixelByte;
}

}  // namespace

uint8_t* MovieFrameStoreRows(const MovieRecord* movie, const GraphRecord* graph, int* pitch) {
  if (!movie || !graph || graph->create.use3D || graph->surfaceCount < 1) return nullptr;
  const Surface2D* surface = GetSurface2D(static_cast<int>(graph->surfaceHandles[0]));
  const SurfaceData* data = surface ? GetSurfaceData(surface->surfaceData) : nullptr;
  if (!data || !StoreKeepsFrameFormat(movie, *data)) return nullptr;
  // Only a rectangle that holds the whole frame: a derived graph's smaller one gets a copy
  // of what fits it.
  if (surface->width < movie->frame.width || surface->height < movie->frame.height) return nullptr;
  const MEMIMG& image = data->image;
  if (surface->storeX + movie->frame.width > image.width || surface->storeY + movie->frame.height > image.height) {
    return nullptr;
  }
  *pitch = image.pitch;
  return image.pixels + static_cast<ptrdiff_t>(image.pitch) * surface->storeY +
         static_cast<ptrdiff_t>(surface->storeX) * movie->frame.format.pixelByte;
}

int MovieFrameWrittenToStore(const MovieRecord* movie, GraphRecord* graph) {
  const Surface2D* surface = graph ? GetSurface2D(static_cast<int>(graph->surfaceHandles[0])) : nullptr;
  SurfaceData* data = surface ? GetSurfaceData(surface->surfaceData) : nullptr;
  if (!movie || !data) return -1;
  RefreshAfterFrame(&data->image, movie->frame.width, movie->frame.height, surface->surfaceData);
  return 0;
}

int TransferMovieFrameToSurface2D(const MovieRecord* movie, GraphRecord* graph) {
  if (!movie || !graph || graph->surfaceCount < 1 || !movie->frame.pixels) return -1;
  const int surfaceHandle = static_cast<int>(graph->surfaceHandles[0]);
  const Surface2D* surface = GetSurface2D(surfaceHandle);
  if (!surface) return -1;
  SurfaceData* data = GetSurfaceData(surface->surfaceData);
  if (!data) return -1;
  const GraphImage& frame = movie->frame;
  const int frameWidth = movie->alphaHalf ? frame.width / 2 : frame.width;
  // A graph derived from the movie's graph, or a frame larger than its graph, gets only what
  // fits its surface.
  const int width = std::min<int>(frameWidth, surface->width);
  const int height = std::min<int>(frame.height, surface->height);
  if (width <= 0 || height <= 0) return 0;
  const RECT rect{0, 0, width, height};

  if (movie->alphaHalf) {
    GraphImage colour = frame;
    colour.width = frameWidth;
    GraphImage alpha = colour;
    alpha.pixels = frame.pixels + static_cast<ptrdiff_t>(frameWidth) * frame.format.pixelByte;
    return TransferImageToSurface2D(nullptr, nullptr, nullptr, &rect, 0, 0, surfaceHandle, 0, &colour, &alpha, 0);
  }

  // A device surface is written through the general transfer, which locks it.
  if (!data->software) {
    return TransferImageToSurface2D(nullptr, nullptr, nullptr, &rect, 0, 0, surfaceHandle, 0, &frame, nullptr, 0);
  }
  if (!data->image.pixels || !data->image.format) return -1;

  MEMIMG& dest = data->image;
  const ColorFormat& destFormat = *dest.format;
  if (StoreKeepsFrameFormat(movie, *data)) {
    const size_t row = static_cast<size_t>(width) * frame.format.pixelByte;
    for (int y = 0; y < height; ++y) {
      std::memcpy(dest.pixels + static_cast<ptrdiff_t>(dest.pitch) * (surface->storeY + y) +
                      static_cast<ptrdiff_t>(surface->storeX) * frame.format.pixelByte,
                  frame.pixels + static_cast<ptrdiff_t>(frame.pitch) * y, row);
    }
  } else if (ConvertColorFormatBlt(dest.pixels, dest.pitch, &destFormat, frame.pixels, frame.pitch, &frame.format,
                                   nullptr, 0, nullptr, surface->storeX, surface->storeY, &rect,
                                   ConvertBltOptions{}) < 0) {
    return -1;
  }
  RefreshAfterFrame(&dest, width, height, surface->surfaceData);
  return 0;
}

}  // namespace rt
