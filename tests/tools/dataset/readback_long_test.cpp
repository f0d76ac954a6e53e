// Every listed path of the built data set read back through the archives and decoded as
// the game decodes it.
#include <gtest/gtest.h>

#include "tests/tools/dataset/readback.h"
#include "tools/dataset/asset_list.h"

namespace {

using readback_test::ReadBackTest;

TEST_F(ReadBackTest, EveryListedPathReadsThroughTheArchives) {
  for (const dataset::AssetEntry& e : dataset::AssetList()) CheckListedPath(e);
}

}  // namespace
