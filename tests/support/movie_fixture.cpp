#include "tests/support/movie_fixture.h"

#include <cstdlib>

namespace testing_support {

const std::vector<uint32_t>& MovieColours() {
  static const std::vector<uint32_t> colours = {0xC83232, 0x32C832, 0x3232C8, 0xC8C832};
  return colours;
}

std::string MakeMovie(const MovieOptions& options) {
  platform::MovieRecipe recipe;
  recipe.container = options.container;
  recipe.width = options.width;
  recipe.height = options.height;
  recipe.framesPerSecond = 10;
  recipe.colours = options.colours;
  recipe.audioRate = options.audioRate;
  const std::vector<uint8_t> bytes = platform::EncodeTestMovie(recipe);
  return std::string(bytes.begin(), bytes.end());
}

bool NearColour(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int x = static_cast<int>(a >> shift & 0xFF);
    const int y = static_cast<int>(b >> shift & 0xFF);
    if (std::abs(x - y) > tolerance) return false;
  }
  return true;
}

}  // namespace testing_support
