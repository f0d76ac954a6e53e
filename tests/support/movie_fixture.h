// Small movies for tests, encoded in code: solid-colour frames at 10 per second, with or
// without a tone under them, in AVI (MPEG-4 part 2) or Matroska (FFV1).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/movie.h"

namespace testing_support {

// Four frames of distinct, well separated colours.
const std::vector<uint32_t>& MovieColours();

struct MovieOptions {
  platform::MovieContainer container = platform::MovieContainer::kMatroska;
  int width = 32;
  int height = 24;
  int audioRate = 0;  // 0: no sound
  std::vector<uint32_t> colours = MovieColours();
};

// The movie file's bytes (empty when FFmpeg lacks the encoders).
std::string MakeMovie(const MovieOptions& options = {});

// True when two 0x00RRGGBB colours differ by at most tolerance in every channel (the
// encoders are near-lossless, not lossless, after the colour conversions).
bool NearColour(uint32_t a, uint32_t b, int tolerance = 12);

}  // namespace testing_support
