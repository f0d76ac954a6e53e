// Movies played into graphs: the movie handles and records, opening and closing, the frame
// update that brings the newest decoded picture into a graph before it is drawn, play and
// pause, and the hooks of the window (activation) and of display changes.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/movie.h"
#include "runtime/image/color_format.h"
#include "runtime/image/graph_image.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/handle_table.h"
#include "runtime/image/rect.h"

namespace rt {

constexpr int kMovieSlots = 100;
constexpr int kMoviePathSize = 260;

// Surface modes: how the frames are kept.
constexpr int kMovieModePlain = 0;    // the standard format of the screen's depth
constexpr int kMovieModeOverlay = 1;  // an overlay surface; never available here
constexpr int kMovieModeRgb24 = 2;    // 24-bit RGB, converted into the graph at each frame

// The frame kind of a frame that must go through the conversion blitter.
constexpr int kMovieFrameConverted = 2;

struct MovieRecord {
  uint32_t check = 0;
  RECT sampleRect{};                              // where the picture lies in the frame
  std::unique_ptr<platform::MovieDecoder> stream;  // null between a release and a re-open
  int64_t timePerFrame = 0;                       // microseconds
  int64_t startTime = 0;                          // the runtime clock at open, microseconds
  int64_t lastFlipCount = -1;                     // at the last frame update
  int32_t lastUpdateTime = -1;                    // milliseconds
  int64_t stopPosition = 0;                       // microseconds, 0 when unknown
  int32_t systemMemory = 1;
  int32_t width = 0, height = 0;
  int32_t running = 0;
  int32_t ended = 0;                              // played to its end since the last play
  int32_t surfaceMode = kMovieModePlain;
  int64_t savedTime = 0;                          // kept across a display change
  int32_t tempCopy = 0;                           // never set: archives are read in place
  char path[kMoviePathSize] = {};
  int32_t updatePending = 0;
  // The frame buffer, in the format the frames are kept in.
  GraphImage frame{};
  int32_t frameKind = kMovieModePlain;
  int32_t alphaHalf = 0;                          // colour in the left, alpha in the right half
  int32_t overlay = 0;
};

struct MovieState {
  HandleTable<MovieRecord> table{kHandleTypeMovie, kMovieSlots};
};

MovieState& GetMovieState();

// A new movie handle with the frame size written through the pointers, or -1 (logged).
int OpenMovieToGraph(const char* path, int* width, int* height, int surfaceMode);
// Closes the movie bound to the graph; 0 for a graph without one, -1 for a bad handle.
int CloseMovieToGraph(int graph);
// Closes a movie by its own handle (a movie whose graph could not be made); -1 for a bad one.
int CloseMovie(int movie);
MovieRecord* GetMovieRecord(int movie);
// Brings the newest due frame into the graph. Unforced, it never waits and asks at most
// once per screen flip and 17 ms; forced, it lets the decoder catch up first.
int UpdateMovieToGraph(int graph, int force);
int PlayMovieToGraph(int graph);
int PauseMovieToGraph(int graph);
int ResumeAllMovies();
int PauseAllMovies();
int ReleaseAllMovieStreams();
int ReopenAllMovies();
// Closes every movie (runtime shut-down; tests).
void CloseAllMovies();

// The graph layer's halves of the frame hand-over.
int TransferMovieFrameToSurface2D(const MovieRecord* movie, GraphRecord* graph);
// Where the movie's frames can be written straight into the graph's own store, with no copy
// through the movie's frame buffer: the first row, with the store's pitch through pitch.
// Null when the store keeps another format, is a device surface, or does not hold the whole
// frame.
uint8_t* MovieFrameStoreRows(const MovieRecord* movie, const GraphRecord* graph, int* pitch);
// After a frame was written into the store MovieFrameStoreRows gave: the image's derived
// tables and colour key follow the new pixels.
int MovieFrameWrittenToStore(const MovieRecord* movie, GraphRecord* graph);

// The byte source over a game-data file, read through the stream-function table (so a
// movie inside an archive plays in place). Null when the path does not open.
std::unique_ptr<platform::MovieByteSource> OpenMovieByteSource(const char* path);

}  // namespace rt
