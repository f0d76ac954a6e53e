// The setting every file test starts from: a fresh working directory, the default layers
// with archives on, and no tracked block left behind.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/file/archive_layer.h"
#include "runtime/file/stream.h"
#include "tests/support/temp_dir.h"

namespace file_test {

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::InitArchiveLayer();
    rt::SetUseArchiveImpl(1);
    rt::SetStreamFunctionTable(nullptr);
    rt::InitStreamAccessSets();
    blocksAtStart_ = rt::GetMemoryState().count;
  }
  void TearDown() override {
    rt::InitArchiveLayer();
    EXPECT_EQ(rt::GetMemoryState().count, blocksAtStart_) << "tracked blocks left allocated";
    rt::GetLogState() = rt::LogState{};
  }

  // Starts the log in the test directory, so that tests can read what was logged.
  void StartLog() {
    rt::GetLogState() = rt::LogState{};
    rt::SetLogDirectory(dir_.path() + "/");
    rt::LogStart();
  }
  std::string LogText() { return testing_support::ReadFileBytes(dir_.File("Log.txt")); }

  testing_support::ScopedTempDir dir_;
  int blocksAtStart_ = 0;
};

}  // namespace file_test
