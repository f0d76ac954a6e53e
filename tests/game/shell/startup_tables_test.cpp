#include "game/shell/startup_tables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "runtime/api.h"
#include "tests/game/shell/shell_fixture.h"
#include "tests/support/archive_fixture.h"

namespace {

using testing_support::WriteFileBytes;

// Bytes 1, 2, 3, ... so that every entry shows which file byte reached it.
std::string Counting(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i + 1);
  return bytes;
}

class StartupTablesTest : public shell_test::ShellTest {
 protected:
  void SetUp() override {
    ChangeWindowMode(1);
    ASSERT_EQ(InitLibrary(), 0);
    std::filesystem::create_directory(File("bin"));
  }
};

TEST_F(StartupTablesTest, EventFileFillsExactlyTheUsedEntries) {
  WriteFileBytes(File("bin/Event.tbl"), Counting(122));
  ReadEventTable();
  int next = 1;
  for (int area = 0; area < 8; ++area) {
    for (int sub = 0; sub < 11; ++sub) {
      for (int byte = 0; byte < 2; ++byte) {
        const int expected = sub < kEventSubStages[area] ? next++ : 0;
        EXPECT_EQ(game.eventTable[area][sub][byte], expected) << area << "/" << sub << "/" << byte;
      }
    }
  }
  EXPECT_EQ(next, 123);
  EXPECT_EQ(game.eventTable[0][5][0], 0);
}

TEST_F(StartupTablesTest, DoorFileUsesItsOwnCountsAndFiveByteRecords) {
  WriteFileBytes(File("bin/Door.tbl"), Counting(270));
  ReadDoorTable();
  EXPECT_EQ(game.doorTable[0][0][0], 1);
  EXPECT_EQ(game.doorTable[0][4][4], 25);
  EXPECT_EQ(game.doorTable[1][0][0], 26);
  EXPECT_EQ(game.doorTable[1][8][0], 0) << "area 1 has eight door records";
  EXPECT_EQ(game.doorTable[7][6][4], static_cast<uint8_t>(270));
}

TEST_F(StartupTablesTest, ShortLongAndMissingFiles) {
  WriteFileBytes(File("bin/Cinema.tbl"), Counting(7));
  ReadCinemaTable();
  EXPECT_EQ(game.cinemaTable[0][3][0], 7);
  EXPECT_EQ(game.cinemaTable[0][3][1], 0) << "a short file leaves the rest at 0";

  std::string longer = Counting(122) + std::string(5000, '\x77');
  WriteFileBytes(File("bin/Event.tbl"), longer);
  ReadEventTable();
  EXPECT_EQ(game.eventTable[7][7][1], 122);
  for (int area = 0; area < 8; ++area) {
    for (int sub = kEventSubStages[area]; sub < 11; ++sub) EXPECT_EQ(game.eventTable[area][sub][0], 0);
  }

  ReadDoorTable();  // no file
  EXPECT_EQ(game.doorTable[0][0][0], 0);
}

TEST_F(StartupTablesTest, TablesAreReadOutOfTheKeyedArchive) {
  SetArchiveExtension("akn");
  SetArchiveKeyString("pela_vix");
  testing_support::WriteArchive(File("bin.akn"), {{"Event.tbl", Counting(122)}},
                                testing_support::ArchiveOptions("pela_vix"));
  ReadEventTable();
  EXPECT_EQ(game.eventTable[1][0][0], 11);
}

}  // namespace
