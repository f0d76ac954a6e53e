// The VR record file: the two encoded copies and the marks, damage of every kind leading to
// the reset notice, the minimum rule, the total time and the rank thresholds.
#include "game/editor/vr_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/editor/vr_menu.h"
#include "game/shell/game_data.h"
#include "tests/game/shell/shell_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

struct Table {
  VrTimes records = {};
  VrMarks marks = {};
};

Table Fresh() {
  Table t;
  InitialiseVrRecords(t.records, t.marks);
  return t;
}

void SetTime(VrTimes& records, int c, int m, int p, int minutes, int seconds, int hundredths) {
  records[c][m][p][0] = static_cast<int16_t>(minutes);
  records[c][m][p][1] = static_cast<int16_t>(seconds);
  records[c][m][p][2] = static_cast<int16_t>(hundredths);
}

TEST(VrRecordTable, FreshTableHasEmptyPlacesForMissionsAndZeroSpareSlots) {
  const Table t = Fresh();
  for (int c = 0; c < kVrCategories; ++c) {
    for (int m = 0; m < kVrMissionSlots; ++m) {
      for (int p = 0; p < kVrPlaces; ++p) {
        const int16_t* time = t.records[c][m][p];
        if (m < kVrMissionCounts[c]) {
          EXPECT_TRUE(IsEmptyVrTime(time)) << c << "/" << m;
        } else {
          EXPECT_EQ(time[0] + time[1] + time[2], 0) << c << "/" << m;
        }
      }
      EXPECT_EQ(t.marks[c][m], kVrMarkNone);
    }
  }
}

// Where each value lands and how it is stored: 2v + 5 in the first copy, 2v + 6 in the
// second, field outermost and category innermost.
struct EncodeCase {
  const char* name;
  int c, m, p, f, value;
  int index;
};

class VrRecordEncode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(VrRecordEncode, StoresBothCopiesAtTheIndexAndReadsThemBack) {
  const EncodeCase& k = GetParam();
  Table t = Fresh();
  t.records[k.c][k.m][k.p][k.f] = static_cast<int16_t>(k.value);
  uint8_t image[kVrFileBytes] = {};
  EncodeVrRecords(t.records, t.marks, image);
  EXPECT_EQ(image[k.index], 2 * k.value + 5);
  EXPECT_EQ(image[1024 + k.index], 2 * k.value + 6);

  Table back;
  ASSERT_TRUE(DecodeVrRecords(image, back.records, back.marks));
  EXPECT_EQ(std::memcmp(back.records, t.records, sizeof t.records), 0);
  EXPECT_EQ(std::memcmp(back.marks, t.marks, sizeof t.marks), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Places, VrRecordEncode,
    ::testing::Values(EncodeCase{"FirstMinute", 0, 0, 0, 0, 0, 0}, EncodeCase{"CategoryIsInnermost", 3, 0, 0, 0, 7, 3},
                      EncodeCase{"MissionStepsByFour", 0, 1, 0, 0, 12, 4},
                      EncodeCase{"PlaceStepsBySixty", 0, 0, 1, 0, 1, 60},
                      EncodeCase{"FieldStepsBy180", 0, 0, 0, 1, 59, 180},
                      EncodeCase{"LastHundredth", 3, 14, 2, 2, 99, 539},
                      EncodeCase{"BombSecondPlaceSeconds", 3, 4, 1, 1, 42, ((1 * 3 + 1) * 15 + 4) * 4 + 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VrRecordTable, MarksAreStoredUnencodedAndNeverChecked) {
  Table t = Fresh();
  t.marks[2][3] = kVrMarkClean;
  t.marks[1][0] = 0x7F;
  uint8_t image[kVrFileBytes] = {};
  EncodeVrRecords(t.records, t.marks, image);
  EXPECT_EQ(image[620 + 2 * 15 + 3], kVrMarkClean);
  EXPECT_EQ(image[620 + 15], 0x7F);
  Table back;
  ASSERT_TRUE(DecodeVrRecords(image, back.records, back.marks));
  EXPECT_EQ(back.marks[2][3], kVrMarkClean);
  EXPECT_EQ(back.marks[1][0], 0x7F);
}

// Every way a stored pair can be wrong: each is damage.
struct DamageCase {
  const char* name;
  int offset;  // byte changed
  int value;   // its new value
};

class VrRecordDamage : public ::testing::TestWithParam<DamageCase> {};

TEST_P(VrRecordDamage, IsRecognised) {
  Table t = Fresh();
  SetTime(t.records, 1, 4, 0, 1, 2, 3);
  uint8_t image[kVrFileBytes] = {};
  EncodeVrRecords(t.records, t.marks, image);
  image[GetParam().offset] = static_cast<uint8_t>(GetParam().value);
  Table back;
  EXPECT_FALSE(DecodeVrRecords(image, back.records, back.marks));
}

constexpr int kMinuteOfB5 = VrValueIndex(1, 4, 0, 0);
constexpr int kSecondOfB5 = VrValueIndex(1, 4, 0, 1);
constexpr int kHundredthOfB5 = VrValueIndex(1, 4, 0, 2);

INSTANTIATE_TEST_SUITE_P(
    Bytes, VrRecordDamage,
    ::testing::Values(
        DamageCase{"FirstCopyChanged", kMinuteOfB5, 2 * 4 + 5}, DamageCase{"SecondCopyChanged", 1024 + kMinuteOfB5, 2 * 4 + 6},
        DamageCase{"FirstCopyOdd", kSecondOfB5, 2 * 2 + 6}, DamageCase{"SecondCopyOdd", 1024 + kSecondOfB5, 2 * 2 + 5},
        // A byte below the bias used to decode to a negative time and pass when the other
        // copy was changed to match; both copies agree on -1 here.
        DamageCase{"FirstCopyBelowItsBias", kHundredthOfB5, 3}, DamageCase{"ZeroByte", 1024 + 539, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VrRecordTable, NegativeValueInBothCopiesIsDamage) {
  Table t = Fresh();
  uint8_t image[kVrFileBytes] = {};
  EncodeVrRecords(t.records, t.marks, image);
  const int i = VrValueIndex(0, 0, 0, 2);
  image[i] = 3;         // 2 * -1 + 5
  image[1024 + i] = 4;  // 2 * -1 + 6
  Table back;
  EXPECT_FALSE(DecodeVrRecords(image, back.records, back.marks));
}

// A value both copies agree on but that lies outside its field's range.
struct RangeCase {
  const char* name;
  int field, value;
  bool valid;
};

class VrRecordRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(VrRecordRange, FieldLimits) {
  const RangeCase& k = GetParam();
  Table t = Fresh();
  uint8_t image[kVrFileBytes] = {};
  EncodeVrRecords(t.records, t.marks, image);
  const int i = VrValueIndex(2, 1, 2, k.field);
  image[i] = static_cast<uint8_t>(2 * k.value + 5);
  image[1024 + i] = static_cast<uint8_t>(2 * k.value + 6);
  Table back;
  EXPECT_EQ(DecodeVrRecords(image, back.records, back.marks), k.valid);
  if (k.valid) {
    EXPECT_EQ(back.records[2][1][2][k.field], k.value);
  }
}

INSTANTIATE_TEST_SUITE_P(Fields, VrRecordRange,
                         ::testing::Values(RangeCase{"Minutes59", 0, 59, true}, RangeCase{"Minutes60", 0, 60, false},
                                           RangeCase{"Minutes99", 0, 99, false}, RangeCase{"Seconds59", 1, 59, true},
                                           RangeCase{"Seconds60", 1, 60, false}, RangeCase{"Hundredths99", 2, 99, true},
                                           RangeCase{"Hundredths0", 2, 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VrRecordClamp, BestTimeBelowTheMinimumEmptiesTheMission) {
  Table t = Fresh();
  SetTime(t.records, 1, 4, 0, 0, 4, 99);  // Weapon 5: at least 0:05
  SetTime(t.records, 1, 4, 1, 0, 6, 0);
  SetTime(t.records, 1, 3, 0, 0, 30, 0);  // Weapon 4: exactly its minimum stands
  SetTime(t.records, 0, 0, 0, 0, 0, 1);   // Sneaking has no minimum
  SetTime(t.records, 2, 0, 0, 0, 29, 99);  // Advanced 1: at least 0:30
  EXPECT_TRUE(ClampVrRecords(t.records));
  for (int p = 0; p < 3; ++p) {
    EXPECT_TRUE(IsEmptyVrTime(t.records[1][4][p]));
    EXPECT_TRUE(IsEmptyVrTime(t.records[2][0][p]));
  }
  EXPECT_EQ(t.records[1][3][0][1], 30);
  EXPECT_EQ(t.records[0][0][0][2], 1);
  EXPECT_FALSE(ClampVrRecords(t.records));
}

TEST(VrRecordClamp, FiveSecondsExactlyStands) {
  Table t = Fresh();
  SetTime(t.records, 1, 4, 0, 0, 5, 0);
  EXPECT_FALSE(ClampVrRecords(t.records));
  EXPECT_EQ(t.records[1][4][0][1], 5);
}

TEST(VrRecordTotal, Carries) {
  Table t;  // all zero
  SetTime(t.records, 0, 0, 0, 0, 0, 60);
  SetTime(t.records, 3, 1, 0, 0, 30, 40);
  VrTotalTime total = ComputeVrTotal(t.records);
  EXPECT_EQ(total.hundredths, 0);
  EXPECT_EQ(total.seconds, 31);
  SetTime(t.records, 1, 1, 0, 59, 29, 0);
  total = ComputeVrTotal(t.records);
  EXPECT_EQ(total.seconds, 0);
  EXPECT_EQ(total.minutes, 0);
  EXPECT_EQ(total.hours, 1);
  // Only the best place counts.
  SetTime(t.records, 1, 1, 1, 59, 59, 99);
  EXPECT_EQ(ComputeVrTotal(t.records).hours, 1);
}

TEST(VrRecordTotal, NothingPlayedIsThirtyEmptyMissions) {
  const Table t = Fresh();
  const VrTotalTime total = ComputeVrTotal(t.records);
  EXPECT_EQ(total.hours, 29);
  EXPECT_EQ(total.minutes, 59);
  EXPECT_EQ(total.seconds, 59);
  EXPECT_EQ(total.hundredths, 70);
}

TEST(VrRecordTotal, HoursStopAtNinetyNine) {
  Table t;
  for (int c = 0; c < 4; ++c) {
    for (int m = 0; m < 15; ++m) SetTime(t.records, c, m, 0, 59 * 2, 0, 0);
  }
  EXPECT_EQ(ComputeVrTotal(t.records).hours, 99);
}

struct RankCase {
  const char* name;
  int c, m, minutes, seconds, hundredths;
  int rank;
};

class VrRankTable : public ::testing::TestWithParam<RankCase> {};

TEST_P(VrRankTable, FirstThresholdAtOrAboveTheTime) {
  const RankCase& k = GetParam();
  const int16_t t[3] = {static_cast<int16_t>(k.minutes), static_cast<int16_t>(k.seconds), static_cast<int16_t>(k.hundredths)};
  EXPECT_EQ(VrRank(k.c, k.m, t), k.rank);
}

INSTANTIATE_TEST_SUITE_P(
    Thresholds, VrRankTable,
    ::testing::Values(RankCase{"SneakingOneSS", 0, 0, 0, 7, 60, 0}, RankCase{"SneakingOneJustSlower", 0, 0, 0, 7, 61, 1},
                      RankCase{"SneakingOneC", 0, 0, 0, 10, 0, 4}, RankCase{"SneakingOneD", 0, 0, 0, 10, 1, 5},
                      RankCase{"WeaponOneEqualS", 1, 0, 5, 0, 0, 1}, RankCase{"AdvancedFourB", 2, 3, 8, 50, 0, 3},
                      RankCase{"BombOneS", 3, 0, 0, 8, 80, 1}, RankCase{"SneakingNineA", 0, 8, 12, 30, 0, 2},
                      RankCase{"NeverPlayedHasNone", 1, 9, 59, 59, 99, -1}),
    [](const auto& info) { return std::string(info.param.name); });

// The file through the menu object: written when missing, read back, and reset after damage.
class VrRecordFile : public shell_test::ShellTest {
 protected:
  std::string Path() const { return File(kVrRecordPath); }
};

TEST_F(VrRecordFile, MissingFileIsWrittenFreshWithZeroedSpareBytes) {
  game.gameState = STATE_VR_MENU;
  VrMenu menu;
  EXPECT_EQ(game.gameState, STATE_VR_MENU);
  ASSERT_TRUE(FileExists(Path()));
  const std::string bytes = ReadFileBytes(Path());
  ASSERT_EQ(bytes.size(), 2048u);
  // The unused stretches are zero, not whatever the memory held.
  for (int i = 540; i < 620; ++i) EXPECT_EQ(bytes[static_cast<size_t>(i)], 0) << i;
  for (int i = 680; i < 1024; ++i) EXPECT_EQ(bytes[static_cast<size_t>(i)], 0) << i;
  for (int i = 1564; i < 2048; ++i) EXPECT_EQ(bytes[static_cast<size_t>(i)], 0) << i;
  EXPECT_EQ(static_cast<uint8_t>(bytes[VrValueIndex(0, 0, 0, 0)]), 2 * 59 + 5);
  EXPECT_EQ(static_cast<uint8_t>(bytes[620]), kVrMarkNone);
}

TEST_F(VrRecordFile, MarkerAndVersionBytesOnEntry) {
  game.timeFileMarks[0] = 2;
  game.timeFileMarks[1] = 0;
  game.timeFileMarks[2] = 6;
  game.gameState = STATE_VR_MENU;
  VrMenu menu;
  menu.CheckFileMarker();
  menu.WriteTimeFile();
  const std::string bytes = ReadFileBytes(Path());
  EXPECT_EQ(bytes.substr(1018, 3), "abc");
  EXPECT_EQ(static_cast<uint8_t>(bytes[1021]), 9);
  EXPECT_EQ(static_cast<uint8_t>(bytes[1022]), 4);
  EXPECT_EQ(static_cast<uint8_t>(bytes[1023]), 35);
}

TEST_F(VrRecordFile, OneCorrectMarkerLetterCountsAsInitialised) {
  game.gameState = STATE_VR_MENU;
  Table t = Fresh();
  SetTime(t.records, 0, 2, 0, 2, 10, 0);
  uint8_t image[kVrFileBytes] = {};
  EncodeVrRecords(t.records, t.marks, image);
  image[1018] = 'x';
  image[1019] = 'b';
  image[1020] = 'y';
  WriteFileBytes(Path(), std::string(reinterpret_cast<char*>(image), sizeof image));
  VrMenu menu;
  menu.CheckFileMarker();
  EXPECT_EQ(menu.records[0][2][0][0], 2);

  // With no correct letter the table starts afresh.
  image[1019] = 'q';
  WriteFileBytes(Path(), std::string(reinterpret_cast<char*>(image), sizeof image));
  VrMenu second;
  EXPECT_EQ(second.records[0][2][0][0], 2);
  second.CheckFileMarker();
  EXPECT_TRUE(IsEmptyVrTime(second.records[0][2][0]));
  EXPECT_EQ(ReadFileBytes(Path()).substr(1018, 3), "abc");
}

// Damage in either copy, an odd byte, a short file: the notice state, and the notice's
// first frame writes a fresh file.
struct FileDamage {
  const char* name;
  int offset;  // -1: the file is cut short instead
  int value;
};

class VrRecordFileDamage : public VrRecordFile, public ::testing::WithParamInterface<FileDamage> {};

TEST_P(VrRecordFileDamage, LeadsToTheResetNoticeAndAFreshFile) {
  Table t = Fresh();
  SetTime(t.records, 3, 2, 0, 1, 5, 50);
  uint8_t image[kVrFileBytes] = {};
  EncodeVrRecords(t.records, t.marks, image);
  std::string bytes(reinterpret_cast<char*>(image), sizeof image);
  bytes[600] = 'J';  // junk where the file holds nothing
  if (GetParam().offset < 0) {
    bytes.resize(1500);
  } else {
    bytes[static_cast<size_t>(GetParam().offset)] = static_cast<char>(GetParam().value);
  }
  WriteFileBytes(Path(), bytes);

  game.gameState = STATE_VR_MENU;
  game.screenEntered = 1;
  game.vrMenu.Create();
  EXPECT_EQ(game.gameState, STATE_VR_DATA_RESET);
  EXPECT_EQ(game.screenEntered, 0);
  game.vrMenu->UpdateCorruptNotice(0);
  EXPECT_EQ(game.screenEntered, 1);
  const std::string after = ReadFileBytes(Path());
  ASSERT_EQ(after.size(), 2048u);
  Table back;
  ASSERT_TRUE(DecodeVrRecords(reinterpret_cast<const uint8_t*>(after.data()), back.records, back.marks));
  EXPECT_TRUE(IsEmptyVrTime(back.records[3][2][0]));
  EXPECT_EQ(after[600], 0) << "a damaged file's bytes outlived the reset";

  // Confirm goes on to the menu, once per press.
  game.action[1] = 1;
  game.vrMenu->UpdateCorruptNotice(0);
  EXPECT_EQ(game.gameState, STATE_VR_MENU);
  EXPECT_EQ(game.screenEntered, 0);
  game.vrMenu.Delete();
}

INSTANTIATE_TEST_SUITE_P(Files, VrRecordFileDamage,
                         ::testing::Values(FileDamage{"FirstCopyByte", VrValueIndex(3, 2, 0, 1), 2 * 6 + 5},
                                           FileDamage{"SecondCopyByte", 1024 + VrValueIndex(3, 2, 0, 1), 2 * 6 + 6},
                                           FileDamage{"OddByte", VrValueIndex(0, 0, 0, 0), 2 * 59 + 6},
                                           FileDamage{"OutOfRangeMinute", VrValueIndex(0, 0, 0, 0), 2 * 70 + 5},
                                           FileDamage{"ShortFile", -1, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(VrRecordFile, OutOfRangeMinutesInBothCopiesResetToo) {
  Table t = Fresh();
  uint8_t image[kVrFileBytes] = {};
  EncodeVrRecords(t.records, t.marks, image);
  const int i = VrValueIndex(1, 0, 0, 0);
  image[i] = 2 * 75 + 5;
  image[1024 + i] = 2 * 75 + 6;
  WriteFileBytes(Path(), std::string(reinterpret_cast<char*>(image), sizeof image));
  game.gameState = STATE_VR_MENU;
  VrMenu menu;
  EXPECT_EQ(game.gameState, STATE_VR_DATA_RESET);
}

TEST_F(VrRecordFile, StoredRecordsSurviveANewMenuObject) {
  game.gameState = STATE_VR_MENU;
  {
    VrMenu menu;
    SetTime(menu.records, 2, 4, 0, 6, 1, 2);
    menu.marks[2][4] = kVrMarkClean;
    menu.StoreRecords(2);
  }
  VrMenu again;
  EXPECT_EQ(game.gameState, STATE_VR_MENU);
  EXPECT_EQ(again.records[2][4][0][0], 6);
  EXPECT_EQ(again.records[2][4][0][1], 1);
  EXPECT_EQ(again.records[2][4][0][2], 2);
  EXPECT_EQ(again.marks[2][4], kVrMarkClean);
}

}  // namespace
