#include "tests/support/stage_fixture.h"

namespace testing_support {

namespace {
constexpr int kDoorPairs = 2700;
constexpr int kEnemyRecords = 2720;
constexpr int kScreensX = 2920, kScreensY = 2921, kLightsOn = 2925, kName = 2929;
}  // namespace

StageRecordBuilder::StageRecordBuilder() : bytes_(kBytes, '\0') {
  Size(1, 1);
  Lights(true);
}

StageRecordBuilder& StageRecordBuilder::Tile(int column, int row, int code) {
  return Byte(row * kColumns + column, code);
}

StageRecordBuilder& StageRecordBuilder::Row(int row, int first, int last, int code) {
  for (int c = first; c <= last; ++c) Tile(c, row, code);
  return *this;
}

StageRecordBuilder& StageRecordBuilder::Column(int column, int first, int last, int code) {
  for (int r = first; r <= last; ++r) Tile(column, r, code);
  return *this;
}

StageRecordBuilder& StageRecordBuilder::Door(int door, int area, int subStage) {
  Byte(kDoorPairs + 2 * (door - 1), area + 1);
  return Byte(kDoorPairs + 2 * (door - 1) + 1, subStage + 1);
}

StageRecordBuilder& StageRecordBuilder::Enemy(int record, const uint8_t (&bytes)[10]) {
  for (int i = 0; i < 10; ++i) Byte(kEnemyRecords + 10 * record + i, bytes[i]);
  return *this;
}

StageRecordBuilder& StageRecordBuilder::Size(int screensX, int screensY) {
  Byte(kScreensX, screensX);
  return Byte(kScreensY, screensY);
}

StageRecordBuilder& StageRecordBuilder::Lights(bool on) { return Byte(kLightsOn, on ? 1 : 0); }

StageRecordBuilder& StageRecordBuilder::Byte(int offset, int value) {
  bytes_[static_cast<size_t>(offset)] = static_cast<char>(value);
  return *this;
}

StageRecordBuilder& StageRecordBuilder::Name(const std::string& name) {
  for (size_t i = 0; i < name.size() && i < 49; ++i) bytes_[kName + i] = name[i];
  return *this;
}

}  // namespace testing_support
