// Movie handles and records: opening a movie for a graph, closing it with the graph, and
// letting go of the decoders around a display change.
#include <cstring>
#include <new>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/time.h"
#include "runtime/display/display_state.h"
#include "runtime/movie/movie.h"
#include "runtime/sound/sound_state.h"

namespace rt {
namespace {

MovieState g_movies;

void FreeFrameBuffer(MovieRecord* record) {
  MemFree(record->frame.pixels);
  record->frame.pixels = nullptr;
}

// The format the frames are kept in. Without an overlay, mode 1 falls back to 24-bit RGB,
// which on a 32-bit screen is no gain over the screen's own format.
int ChooseMode(int requested, platform::MovieLayout* layout, int* kind) {
  const ScreenState& screen = GetScreenStateRecord();
  int mode = requested;
  if (mode == kMovieModeOverlay) mode = kMovieModeRgb24;
  if (mode == kMovieModeRgb24 && screen.screenBits == 32) mode = kMovieModePlain;
  if (mode != kMovieModeRgb24) mode = kMovieModePlain;
  if (mode == kMovieModeRgb24) {
    *layout = platform::MovieLayout::kRgb888;
    *kind = -1;
  } else {
    // The standard format of the screen's depth; 16 bits while the depth is unset.
    const bool sixteen = screen.screenBits == 16 || screen.screenBits == 0;
    *layout = sixteen ? platform::MovieLayout::kRgb565 : platform::MovieLayout::kXrgb8888;
    *kind = sixteen ? 0 : 1;
  }
  return mode;
}

// Opens the decoder and makes the frame buffer: the set-up shared by open and re-open.
// On failure logs the step's message and leaves nothing open.
int BuildStream(MovieRecord* record, int* width, int* height, int requestedMode) {
  platform::MovieLayout layout = platform::MovieLayout::kXrgb8888;
  int kind = 1;
  const int mode = ChooseMode(requestedMode, &layout, &kind);

  auto source = OpenMovieByteSource(record->path);
  if (!source) return LogAddFormat("ファイル:%s が開けませんでした", record->path);
  platform::MovieOpenError error = platform::MovieOpenError::kNone;
  auto stream = platform::GetMovieOpener()(std::move(source), layout, GetSoundState().device, &error);
  if (!stream) {
    switch (error) {
      case platform::MovieOpenError::kNoPicture: return LogAdd("動画ファイルではない可能性があります！");
      case platform::MovieOpenError::kDecoder: return LogAdd("プライマリビデオストリームを追加できませんでした！");
      default: return LogAddFormat("ファイル:%s が開けませんでした", record->path);
    }
  }
  const platform::MovieInfo& info = stream->info();
  if (info.width <= 0 || info.height <= 0) return LogAdd("動画ファイルではない可能性があります！");

  GraphImage frame{};
  if (kind >= 0) {
    frame.format = *GetStandardColorFormat(kind, 0, 0);
  } else {
    SetColorFormatFromMasksImpl(&frame.format, 24, 0xFF0000, 0xFF00, 0xFF, 0);
  }
  frame.width = info.width;
  frame.height = info.height;
  frame.pitch = (info.width * platform::MovieLayoutBytes(layout) + 3) & ~3;
  frame.pixels = static_cast<uint8_t*>(RT_ALLOC_ZERO(static_cast<size_t>(frame.pitch) * info.height));
  if (!frame.pixels) return LogAdd("メモリの確保に失敗しました in OpenMovieToGraph");

  record->surfaceMode = mode;
  record->frameKind = mode;
  record->sampleRect = RECT{0, 0, info.width, info.height};
  record->width = info.width;
  record->height = info.height;
  if (width) *width = info.width;
  if (height) *height = info.height;
  record->timePerFrame = info.frameTimeUs;
  record->stopPosition = info.durationUs;
  record->systemMemory = 1;
  record->frame = frame;
  record->updatePending = 0;
  record->lastFlipCount = -1;
  record->lastUpdateTime = -1;
  record->startTime = static_cast<int64_t>(GetTimeUs(0));
  record->stream = std::move(stream);
  return 0;
}

void DestroyRecord(int slot) {
  MovieRecord* record = g_movies.table.Remove(slot);
  if (!record) return;
  record->stream.reset();
  FreeFrameBuffer(record);
  delete record;
}

}  // namespace

MovieState& GetMovieState() { return g_movies; }

MovieRecord* GetMovieRecord(int movie) { return g_movies.table.Find(movie); }

int OpenMovieToGraph(const char* path, int* width, int* height, int surfaceMode) {
  const int slot = g_movies.table.FirstFreeSlot();
  if (slot < 0) return -1;
  auto* record = new (std::nothrow) MovieRecord{};
  if (!record) return LogAdd("メモリの確保に失敗しました in OpenMovieToGraph");
  // A path the record cannot hold could not be opened again after a display change.
  const bool fits = path && std::strlen(path) < sizeof record->path;
  if (fits) std::strcpy(record->path, path);
  if (!fits || BuildStream(record, width, height, surfaceMode) != 0) {
    delete record;
    return LogAdd("ムービーファイルオープン処理時にエラーが発生しました");
  }
  record->running = 0;
  return g_movies.table.Insert(slot, record);
}

int CloseMovieToGraph(int graph) {
  GraphRecord* graphRecord = GetGraphRecord(graph);
  if (!graphRecord) return -1;
  if (graphRecord->movieHandle < 0) return 0;
  if (!GetMovieRecord(graphRecord->movieHandle)) return -1;
  DestroyRecord(HandleSlot(graphRecord->movieHandle));
  return 0;
}

int CloseMovie(int movie) {
  if (!GetMovieRecord(movie)) return -1;
  DestroyRecord(HandleSlot(movie));
  return 0;
}

void CloseAllMovies() {
  for (int slot = 0; slot < kMovieSlots; ++slot) DestroyRecord(slot);
}

int ReleaseAllMovieStreams() {
  for (int slot = 0; slot < kMovieSlots; ++slot) {
    MovieRecord* record = g_movies.table.At(slot);
    if (!record || !record->stream) continue;
    record->savedTime = record->stream->Position();
    record->stream.reset();
    FreeFrameBuffer(record);
    record->updatePending = 0;
  }
  return 0;
}

int ReopenAllMovies() {
  for (int slot = 0; slot < kMovieSlots; ++slot) {
    MovieRecord* record = g_movies.table.At(slot);
    if (!record || record->stream) continue;
    if (BuildStream(record, nullptr, nullptr, record->surfaceMode) != 0) return -1;
    record->stream->Seek(record->savedTime);
    if (record->running) record->stream->Play();
  }
  return 0;
}

}  // namespace rt
