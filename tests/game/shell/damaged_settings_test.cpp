// A settings file as a user's disk or a hand edit can leave it: the game starts, reaches
// the title, and the confirm key works there.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "game/shell/action_mapping.h"
#include "game/shell/user_files.h"
#include "tests/game/shell/shell_fixture.h"

namespace {

using shell_test::GameRunTest;
namespace key = platform::key;

// The keyboard keys of pad buttons 1..8.
constexpr int kButtonKeys[9] = {0, key::kZ, key::kX, key::kC, key::kA, key::kS, key::kD, key::kQ, key::kW};

std::string ValidSettings() {
  std::string bytes(kSettingsBytes, '\0');
  for (int i = 1; i <= 8; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>(i);
  bytes[9] = 100;
  bytes[10] = 100;
  return bytes;
}

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(rng());
  return bytes;
}

struct DamagedCase {
  std::string name;
  std::string bytes;
};

std::vector<DamagedCase> DamagedCases() {
  std::vector<DamagedCase> cases = {
      {"Zeroed", std::string(kSettingsBytes, '\0')},
      {"Random", RandomBytes(kSettingsBytes, 17)},
      {"RandomOther", RandomBytes(kSettingsBytes, 4242)},
      {"AllOnes", std::string(kSettingsBytes, '\xFF')},
      {"Empty", std::string()},
      {"ShortInsideTheKeys", std::string("\0\0\0\0\0", 5)},
      {"Long", ValidSettings() + RandomBytes(300, 5)},
      {"LongRandom", RandomBytes(300, 6)},
  };
  for (int button = 1; button <= 8; ++button) {
    for (int value : {0, 9, 255}) {
      std::string bytes = ValidSettings();
      bytes[static_cast<size_t>(button)] = static_cast<char>(value);
      cases.push_back({"Key" + std::to_string(button) + "Is" + std::to_string(value), bytes});
    }
  }
  return cases;
}

class DamagedSettingsTest : public GameRunTest, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedSettingsTest, GameReachesTheTitleAndConfirmWorks) {
  WriteData("pre.dat", GetParam().bytes);
  testing::internal::CaptureStderr();
  StartToTitle();
  testing::internal::GetCapturedStderr();
  ASSERT_EQ(game.gameState, STATE_TITLE);
  int confirmButton = 0;
  for (int button = 1; button <= 8; ++button) {
    if (game.keyAssign[button] == kActionConfirm) confirmButton = button;
  }
  ASSERT_NE(confirmButton, 0) << "a button confirms";
  Frame();
  Frame({kButtonKeys[confirmButton]});
  EXPECT_EQ(game.gameState, STATE_SAVE_SELECT);
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedSettingsTest, ::testing::ValuesIn(DamagedCases()),
                         [](const ::testing::TestParamInfo<DamagedCase>& info) { return info.param.name; });

}  // namespace
