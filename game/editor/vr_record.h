// The VR training's record file "time.dat": for each of the four categories and each of up
// to 15 missions the three best times and one mark byte, stored twice in two differently
// encoded copies so that a damaged or edited file is recognised. The functions here work on
// the table alone; the VR menu object holds the table and reads and writes the file.
#pragma once
#include <cstdint>

constexpr char kVrRecordPath[] = "time.dat";
constexpr int kVrFileBytes = 2048;
constexpr int kVrCategories = 4;
constexpr int kVrMissionSlots = 15;
constexpr int kVrPlaces = 3;
constexpr int kVrFields = 3;  // minutes, seconds, hundredths
constexpr int kVrMissionCounts[kVrCategories] = {10, 10, 5, 5};

// Mark bytes: "@" nothing, "A" the best time was made undetected and unhit.
constexpr uint8_t kVrMarkNone = 0x40;
constexpr uint8_t kVrMarkClean = 0x41;

// Places of the file image.
namespace vr_file {
constexpr int kFirstCopy = 0;
constexpr int kMarks = 620;
constexpr int kMarker = 1018;  // "a", "b", "c"
constexpr int kVersion = 1021;
constexpr int kSecondCopy = 1024;
constexpr int kValues = kVrFields * kVrPlaces * kVrMissionSlots * kVrCategories;  // 540
constexpr int kFirstCopyBias = 5;
constexpr int kSecondCopyBias = 6;
}  // namespace vr_file

using VrTimes = int16_t[kVrCategories][kVrMissionSlots][kVrPlaces][kVrFields];
using VrMarks = uint8_t[kVrCategories][kVrMissionSlots];

// Index of records[c][m][p][f] in each copy: field outermost, category innermost.
constexpr int VrValueIndex(int category, int mission, int place, int field) {
  return ((field * kVrPlaces + place) * kVrMissionSlots + mission) * kVrCategories + category;
}

// A time in hundredths of a second.
constexpr int VrHundredths(int minutes, int seconds, int hundredths) {
  return minutes * 6000 + seconds * 100 + hundredths;
}

// The empty place: 59:59.99.
constexpr int16_t kVrEmptyTime[kVrFields] = {59, 59, 99};
bool IsEmptyVrTime(const int16_t* time);

// The fresh table: every place of every existing mission empty, the spare slots 00:00.00,
// every mark "@".
void InitialiseVrRecords(VrTimes& records, VrMarks& marks);

// Writes both copies and the marks into the image; the other bytes keep what they hold.
void EncodeVrRecords(const VrTimes& records, const VrMarks& marks, uint8_t* image);

// Reads both copies and the marks from the image; false when any pair of bytes disagrees,
// is not a stored value, or holds a minute, second or hundredth out of its range (the
// table's contents do not matter then).
bool DecodeVrRecords(const uint8_t* image, VrTimes& records, VrMarks& marks);

// The minimum rule: a best time whose minutes and seconds lie below the mission's minimum
// is taken as made up, and all three places of the mission are emptied. True when any
// mission was reset.
bool ClampVrRecords(VrTimes& records);

struct VrTotalTime {
  int16_t hours = 0, minutes = 0, seconds = 0, hundredths = 0;
};
// The sum of the best places of all 60 slots, hours capped at 99.
VrTotalTime ComputeVrTotal(const VrTimes& records);

// The rank of a best time in a mission: 0 SS, 1 S, 2 A, 3 B, 4 C, 5 D; -1 for an empty place.
int VrRank(int category, int mission, const int16_t* bestTime);

// Rank thresholds [category][mission][rank] as minutes, seconds, hundredths.
extern const uint8_t vrGradeLimits[kVrCategories][kVrMissionSlots][5][3];
