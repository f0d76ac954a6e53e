// Stage records made in code: a 3000-byte record with its tile grid, door pairs, enemy
// records and settings bytes set one by one, laid out as the game's stage files.
#pragma once
#include <cstdint>
#include <string>

namespace testing_support {

class StageRecordBuilder {
 public:
  static constexpr int kBytes = 3000;
  static constexpr int kColumns = 60, kRows = 45;

  // One screen, lit, no rules.
  StageRecordBuilder();

  StageRecordBuilder& Tile(int column, int row, int code);
  // A run of the same code along a row, columns first..last.
  StageRecordBuilder& Row(int row, int first, int last, int code);
  // A run of the same code down a column, rows first..last.
  StageRecordBuilder& Column(int column, int first, int last, int code);
  StageRecordBuilder& Door(int door, int area, int subStage);  // stored plus one
  StageRecordBuilder& Enemy(int record, const uint8_t (&bytes)[10]);
  StageRecordBuilder& Size(int screensX, int screensY);
  StageRecordBuilder& Lights(bool on);
  StageRecordBuilder& Byte(int offset, int value);
  StageRecordBuilder& Name(const std::string& name);

  int At(int column, int row) const { return bytes_[static_cast<size_t>(row * kColumns + column)]; }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

}  // namespace testing_support
