// The frame update before a movie graph is drawn, play and pause, and the walks over every
// movie-bound graph that the window's activation makes.
#include "platform/thread.h"
#include "runtime/core/library_lock.h"
#include "runtime/core/time.h"
#include "runtime/display/screen_flip.h"
#include "runtime/movie/movie.h"
#include "runtime/image/surface_3d.h"

namespace rt {
namespace {

// An unforced update asks for a new frame at most once per screen flip and this long.
constexpr uint32_t kUpdateIntervalMs = 17;

struct Bound {
  GraphRecord* graph = nullptr;
  MovieRecord* movie = nullptr;
};

Bound FindBound(int graph) {
  Bound b;
  b.graph = GetGraphRecord(graph);
  if (b.graph) b.movie = GetMovieRecord(b.graph->movieHandle);
  return b;
}

// The decoder reads its file under the library lock, so a caller holding the lock lets go
// of it while the decoder catches up, and takes it again as deep as it held it.
void CatchUpUnlocked(MovieRecord* movie) {
  const LibraryLockInfo info = GetLibraryLockInfo();
  uint32_t held = 0;
  if (info.locked && info.owner == platform::CurrentThreadId()) held = info.recursion;
  for (uint32_t i = 0; i < held; ++i) UnlockLibraryNoYield();
  movie->stream->CatchUp();
  for (uint32_t i = 0; i < held; ++i) LockLibrary();
}

template <class F>
void ForEachMovieGraph(F&& f) {
  HandleTable<GraphRecord>& table = GetGraphManager().table;
  for (int slot = 0; slot < table.highWaterMark(); ++slot) {
    const GraphRecord* record = table.At(slot);
    if (record && record->movieHandle >= 0) f(table.HandleAt(slot));
  }
}

}  // namespace

int UpdateMovieToGraph(int graph, int force) {
  Bound b = FindBound(graph);
  if (!b.graph || !b.movie) return -1;
  MovieRecord* movie = b.movie;
  if (!movie->stream) return 0;
  const uint64_t flips = GetScreenFlipCount();
  const uint32_t now = ReadTimeMs();
  if (!force) {
    if (!movie->running || !movie->stream->Playing()) return 0;
    if (movie->lastFlipCount >= 0 && static_cast<uint64_t>(movie->lastFlipCount) == flips &&
        now - static_cast<uint32_t>(movie->lastUpdateTime) <= kUpdateIntervalMs) {
      return 0;
    }
  }
  if (force) {
    CatchUpUnlocked(movie);
    // While the lock was let go the graph, or where its store lies, may have changed.
    b = FindBound(graph);
    if (b.movie != movie || !movie->stream) return 0;
  }
  // Into the graph's store itself where it keeps the frame's format, else into the movie's
  // frame buffer and from there into the graph.
  int pitch = movie->frame.pitch;
  uint8_t* store = MovieFrameStoreRows(movie, b.graph, &pitch);
  const platform::MovieDecoder::Take take =
      movie->stream->TakeFrame(store ? store : movie->frame.pixels, pitch, false);
  if (take == platform::MovieDecoder::Take::kEnded) {
    // The last picture stays in the graph.
    movie->running = 0;
    movie->ended = 1;
    movie->stream->Pause();
    return 0;
  }
  if (take != platform::MovieDecoder::Take::kFrame) return 0;
  if (store) {
    MovieFrameWrittenToStore(movie, b.graph);
  } else if (b.graph->create.use3D) {
    TransferMovieFrameToTexture(movie, b.graph);
  } else {
    TransferMovieFrameToSurface2D(movie, b.graph);
  }
  movie->lastFlipCount = static_cast<int64_t>(flips);
  movie->lastUpdateTime = static_cast<int32_t>(now);
  movie->updatePending = 0;
  return 0;
}

int PlayMovieToGraph(int graph) {
  const Bound b = FindBound(graph);
  if (!b.graph || !b.movie) return -1;
  MovieRecord* movie = b.movie;
  if (movie->running || !movie->stream) return 0;
  // Playing a movie that reached its end plays it again from the start.
  if (movie->ended) {
    movie->stream->Seek(0);
    movie->ended = 0;
  }
  movie->stream->Play();
  movie->running = 1;
  return 0;
}

int PauseMovieToGraph(int graph) {
  const Bound b = FindBound(graph);
  if (!b.graph || !b.movie) return -1;
  MovieRecord* movie = b.movie;
  if (!movie->running || !movie->stream) return 0;
  movie->stream->Pause();
  movie->running = 0;
  return 0;
}

// A movie that played to its end stays there when the window comes back.
int ResumeAllMovies() {
  ForEachMovieGraph([](int graph) {
    const Bound b = FindBound(graph);
    if (b.movie && !b.movie->ended) PlayMovieToGraph(graph);
  });
  return 0;
}

int PauseAllMovies() {
  ForEachMovieGraph([](int graph) { PauseMovieToGraph(graph); });
  return 0;
}

}  // namespace rt
