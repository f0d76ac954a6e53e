// The talk portraits as the game puts them together: a face cell drawn over the body. Every
// mood must join the body without a seam and look different from the others.
#include <gtest/gtest.h>

#include <string>

#include "tests/tools/dataset/painted_asset.h"

namespace {

using dataset::Canvas;

struct Piece {
  int dx, dy, sx, sy, w, h;
};

struct Sheet {
  const char* path;
  Piece faces[5];
  Piece body;
  int seamTop, seamBottom;  // screen rows where the face cell meets the body
};

// The cut rectangles of the talk player, per portrait kind.
const Sheet kSheets[] = {
    {"evx/oruha.png",
     {{0, 0, 0, 0, 288, 255}, {0, 0, 270, 0, 270, 255}, {0, 0, 540, 0, 270, 255}, {10, 0, 280, 270, 270, 255}, {0, 0, 540, 270, 270, 255}},
     {0, 255, 0, 255, 288, 545},
     225,
     290},
    {"evx/tevani.png",
     {{0, 0, 0, 0, 288, 255}, {0, 0, 270, 0, 270, 255}, {0, 0, 540, 0, 270, 255}, {10, 0, 280, 270, 270, 255}, {0, 0, 540, 270, 270, 255}},
     {0, 255, 0, 255, 288, 545},
     225,
     290},
    {"evx/suvel.png",
     {{0, 0, 0, 0, 300, 255}, {90, 0, 390, 0, 200, 255}, {100, 0, 600, 0, 200, 255}, {90, 20, 390, 270, 200, 255}, {100, 20, 600, 270, 200, 255}},
     {0, 185, 0, 185, 400, 545},
     160,
     220},
};

void Draw(Canvas& screen, const Canvas& sheet, const Piece& p) {
  dataset_test::DrawCell(screen, sheet, p.sx, p.sy, p.w, p.h, p.dx, p.dy);
}

int Differing(const Canvas& a, const Canvas& b, int top, int bottom) {
  int n = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = 0; x < a.width(); ++x) n += a.At(x, y) == b.At(x, y) ? 0 : 1;
  }
  return n;
}

TEST(PortraitArt, FacesJoinTheBodyAndTellTheirMoodsApart) {
  for (const Sheet& s : kSheets) {
    const Canvas sheet = dataset_test::PaintAsset(s.path);
    Canvas shown[5] = {Canvas(420, 800), Canvas(420, 800), Canvas(420, 800), Canvas(420, 800), Canvas(420, 800)};
    for (int f = 0; f < 5; ++f) {
      Draw(shown[f], sheet, s.faces[f]);
      Draw(shown[f], sheet, s.body);
    }
    for (int f = 1; f < 5; ++f) {
      EXPECT_EQ(Differing(shown[0], shown[f], s.seamTop, s.seamBottom), 0) << s.path << " face " << f << " meets the body";
      for (int g = 0; g < f; ++g) {
        EXPECT_GT(Differing(shown[g], shown[f], 0, s.seamTop), 400) << s.path << " faces " << g << " and " << f;
      }
    }
  }
}

}  // namespace
