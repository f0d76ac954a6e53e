// The blend-graph table built from a border parameter and range.
#include "runtime/image/blend_graph.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> Table() { return std::vector<int>(rt::BlendGraphTable, rt::BlendGraphTable + 256); }

TEST(BlendGraphTable, BorderParameterAndRange) {
  for (int r : {0, 1, 100, 255}) {
    rt::BuildBlendGraphTable(0, r);
    EXPECT_EQ(Table(), std::vector<int>(256, 255)) << "parameter 0 draws fully, range " << r;
  }

  rt::BuildBlendGraphTable(255, 0);
  std::vector<int> edge(256, 0);
  edge[255] = 1;
  EXPECT_EQ(Table(), edge);

  rt::BuildBlendGraphTable(128, 255);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(rt::BlendGraphTable[i], i);

  // A range of 0 is a hard border at the parameter: 256 - p there, 255 above.
  rt::BuildBlendGraphTable(100, 0);
  EXPECT_EQ(rt::BlendGraphTable[99], 0);
  EXPECT_EQ(rt::BlendGraphTable[100], 156);
  EXPECT_EQ(rt::BlendGraphTable[101], 255);

  // A wider range ramps from 0 to 255 over about range + 1 values.
  rt::BuildBlendGraphTable(128, 63);
  EXPECT_EQ(rt::BlendGraphTable[0], 0);
  EXPECT_EQ(rt::BlendGraphTable[255], 255);
  for (int i = 1; i < 256; ++i) EXPECT_GE(rt::BlendGraphTable[i], rt::BlendGraphTable[i - 1]);

  // Out-of-range arguments are held to 0..255.
  rt::BuildBlendGraphTable(-40, 999);
  EXPECT_EQ(Table(), std::vector<int>(256, 255));
}

}  // namespace
