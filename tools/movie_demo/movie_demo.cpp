// A movie playing into a graph in a real window: writes a short movie of changing colours
// with a tone under it, loads it with LoadGraph and draws the graph every frame, plain and
// stretched, playing it again whenever it ends.
//
// usage: movie_demo [seconds]   (default 10; Escape or closing the window ends it sooner)
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/movie.h"
#include "runtime/api.h"

namespace {

constexpr int kEscapeScanCode = 0x01;
constexpr int kFrameWaitMs = 16;

bool WriteDemoMovie(const char* path) {
  platform::MovieRecipe recipe;
  recipe.container = platform::MovieContainer::kMatroska;
  recipe.width = 160;
  recipe.height = 120;
  recipe.framesPerSecond = 10;
  recipe.audioRate = 44100;
  const uint32_t cycle[] = {0xE04040, 0xE0A040, 0xE0E040, 0x40E040, 0x40E0E0, 0x4040E0, 0xA040E0, 0xE040A0};
  for (int i = 0; i < 24; ++i) recipe.colours.push_back(cycle[i % 8]);
  const std::vector<uint8_t> bytes = platform::EncodeTestMovie(recipe);
  FILE* f = std::fopen(path, "wb");
  if (!f || bytes.empty()) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
  if (!WriteDemoMovie("movie_demo.mkv")) {
    std::fprintf(stderr, "movie_demo: could not write the movie\n");
    return 1;
  }
  ChangeWindowMode(1);
  SetMainWindowText("movie demo");
  SetScreenMode(800, 600, 32, 60);
  if (InitLibrary() != 0) return 1;
  SetDrawScreen(kDrawScreenBack);
  const int movie = LoadGraph("movie_demo.mkv");
  if (movie == -1) {
    EndLibrary();
    std::fprintf(stderr, "movie_demo: the movie did not load\n");
    return 1;
  }
  const unsigned int white = GetColor(255, 255, 255);
  const int frames = seconds * 1000 / kFrameWaitMs;
  for (int i = 0; i < frames && ProcessMessage() == 0 && !CheckKeyDown(kEscapeScanCode); ++i) {
    PlayMovieToGraph(movie);  // again from the start once it ended
    ClearDrawScreen();
    DrawGraph(80, 120, movie, 0);
    DrawGraphStretched(320, 120, 720, 420, movie, 0);
    DrawString(80, 260, "LoadGraph (movie_demo.mkv)", white, 0);
    FlipScreen();
    WaitTime(kFrameWaitMs);
  }
  DeleteGraph(movie);
  EndLibrary();
  return 0;
}
