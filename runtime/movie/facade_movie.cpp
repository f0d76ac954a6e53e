// Facade rows of movie graphs.
#include "runtime/api.h"
#include "runtime/core/library_lock.h"
#include "runtime/movie/movie.h"

int PlayMovieToGraph(int graph) {
  return rt::WithLibraryLock([&] { return rt::PlayMovieToGraph(graph); });
}

int PauseMovieToGraph(int graph) {
  return rt::WithLibraryLock([&] { return rt::PauseMovieToGraph(graph); });
}
