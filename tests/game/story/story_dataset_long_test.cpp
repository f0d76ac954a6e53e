// Every script of the data set played to its end.
#include <gtest/gtest.h>

#include "tests/game/story/story_dataset.h"
#include "tools/dataset/story_scripts.h"

namespace {

using story_test::StoryDataSetPlay;

TEST_F(StoryDataSetPlay, EveryScriptPlaysToItsEnd) {
  WriteScripts();
  for (const dataset::StoryScript& s : dataset::StoryScripts()) PlayToItsEnd(s);
}

}  // namespace
