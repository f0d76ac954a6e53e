// How graphs of odd sizes are cut into power-of-two texture pieces.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/image/texture_split.h"

namespace {

TEST(TexturePiecesTest, SidesOfOddSizes) {
  struct Case {
    int size, minTexture, maxTexture, screenWidth;
    bool whole;
    std::vector<int> pieces;
  };
  const Case cases[] = {
      // A device from 1 to 2048 on an 800-pixel screen.
      {10, 1, 2048, 800, false, {16}},
      {20, 1, 2048, 800, false, {32}},
      {32, 1, 2048, 800, false, {32}},
      {33, 1, 2048, 800, false, {64}},
      {100, 1, 2048, 800, false, {128}},
      {600, 1, 2048, 800, false, {1024}},  // narrower than the screen: one piece
      {640, 1, 2048, 800, false, {1024}},
      {800, 1, 2048, 800, false, {512, 256, 32}},
      {1200, 1, 2048, 800, false, {1024, 128, 64}},  // the last two pieces of 32 merge
      {801, 1, 2048, 800, false, {512, 256, 64}},
      // Whole graphs take one piece as large as the device allows.
      {800, 1, 2048, 800, true, {1024}},
      {1500, 1, 2048, 800, true, {2048}},
      // A small device limit cuts even a narrow graph.
      {300, 1, 256, 800, false, {256, 64}},
      {1, 1, 2048, 800, false, {1}},
      // A device whose smallest texture is 64.
      {10, 64, 2048, 800, false, {64}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "size " << c.size << " min " << c.minTexture << " max " << c.maxTexture
                                    << " whole " << c.whole);
    const std::vector<int> pieces = rt::TexturePieceSizes(c.size, c.minTexture, c.maxTexture, c.screenWidth, c.whole);
    EXPECT_EQ(pieces, c.pieces);
    int covered = 0;
    for (int p : pieces) {
      EXPECT_EQ(p & (p - 1), 0) << p << " is not a power of two";
      covered += p;
    }
    EXPECT_GE(covered, c.size);
  }
}

}  // namespace
