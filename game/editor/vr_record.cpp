#include "game/editor/vr_record.h"

#include <algorithm>

namespace {

// Minimum believable best time per mission (minutes, seconds); zero means none.
constexpr uint8_t kMinimumTimes[kVrCategories][kVrMissionSlots][2] = {
    {},
    {{0, 30}, {0, 30}, {0, 15}, {0, 30}, {0, 5}, {0, 30}, {0, 30}, {0, 30}, {0, 30}, {0, 30}},
    {{0, 30}, {0, 30}, {0, 30}, {0, 30}, {0, 30}},
    {},
};

constexpr int kFieldLimit[kVrFields] = {59, 59, 99};
constexpr int kMaxTotalHours = 99;

}  // namespace

#define T(m, s, h) {m, s, h}
// clang-format off
const uint8_t vrGradeLimits[kVrCategories][kVrMissionSlots][5][3] = {
    {  // Sneaking
        {T(0, 7, 60), T(0, 7, 80), T(0, 8, 20), T(0, 9, 0), T(0, 10, 0)},
        {T(0, 17, 0), T(0, 25, 0), T(0, 40, 0), T(1, 0, 0), T(1, 30, 0)},
        {T(2, 15, 0), T(2, 22, 0), T(2, 30, 0), T(2, 45, 0), T(3, 0, 0)},
        {T(1, 30, 0), T(1, 40, 0), T(1, 52, 0), T(2, 10, 0), T(2, 30, 0)},
        {T(3, 15, 0), T(3, 24, 0), T(3, 40, 0), T(4, 0, 0), T(4, 25, 0)},
        {T(3, 0, 0), T(3, 12, 0), T(3, 25, 0), T(3, 45, 0), T(4, 10, 0)},
        {T(4, 5, 0), T(4, 18, 0), T(4, 40, 0), T(5, 15, 0), T(6, 15, 0)},
        {T(2, 35, 0), T(2, 50, 0), T(3, 18, 0), T(3, 50, 0), T(4, 50, 0)},
        {T(11, 40, 0), T(12, 0, 0), T(12, 30, 0), T(13, 15, 0), T(14, 45, 0)},
        {T(11, 25, 0), T(11, 45, 0), T(12, 10, 0), T(12, 45, 0), T(14, 0, 0)},
    },
    {  // Weapon
        {T(4, 45, 0), T(5, 0, 0), T(5, 40, 0), T(6, 30, 0), T(7, 30, 0)},
        {T(6, 20, 0), T(6, 50, 0), T(7, 30, 0), T(8, 10, 0), T(9, 30, 0)},
        {T(0, 40, 0), T(0, 50, 0), T(1, 0, 0), T(1, 15, 0), T(1, 30, 0)},
        {T(4, 30, 0), T(4, 45, 0), T(5, 10, 0), T(5, 50, 0), T(6, 40, 0)},
        {T(1, 30, 0), T(1, 45, 0), T(2, 10, 0), T(2, 40, 0), T(3, 30, 0)},
        {T(3, 50, 0), T(4, 10, 0), T(4, 40, 0), T(5, 20, 0), T(6, 10, 0)},
        {T(4, 20, 0), T(4, 45, 0), T(5, 10, 0), T(5, 40, 0), T(6, 15, 0)},
        {T(2, 55, 0), T(3, 15, 0), T(3, 50, 0), T(4, 30, 0), T(5, 15, 0)},
        {T(4, 20, 0), T(4, 40, 0), T(5, 5, 0), T(5, 40, 0), T(6, 10, 0)},
        {T(3, 50, 0), T(4, 15, 0), T(4, 50, 0), T(5, 30, 0), T(6, 30, 0)},
    },
    {  // Advanced
        {T(5, 5, 0), T(5, 20, 0), T(5, 50, 0), T(6, 40, 0), T(7, 45, 0)},
        {T(3, 30, 0), T(3, 50, 0), T(4, 30, 0), T(5, 15, 0), T(6, 30, 0)},
        {T(3, 0, 0), T(3, 20, 0), T(3, 50, 0), T(4, 30, 0), T(5, 30, 0)},
        {T(7, 0, 0), T(7, 25, 0), T(8, 10, 0), T(8, 50, 0), T(10, 0, 0)},
        {T(5, 5, 0), T(5, 30, 0), T(6, 15, 0), T(7, 20, 0), T(9, 0, 0)},
    },
    {  // Bomb
        {T(0, 8, 0), T(0, 8, 80), T(0, 11, 0), T(0, 13, 0), T(0, 16, 0)},
        {T(0, 30, 0), T(0, 40, 0), T(1, 0, 0), T(1, 20, 0), T(2, 0, 0)},
        {T(0, 45, 0), T(0, 55, 0), T(1, 25, 0), T(2, 0, 0), T(3, 0, 0)},
        {T(0, 25, 0), T(0, 45, 0), T(1, 10, 0), T(1, 45, 0), T(2, 40, 0)},
        {T(0, 35, 0), T(0, 50, 0), T(1, 15, 0), T(1, 50, 0), T(2, 45, 0)},
    },
};
// clang-format on
#undef T

bool IsEmptyVrTime(const int16_t* time) {
  return time[0] == kVrEmptyTime[0] && time[1] == kVrEmptyTime[1] && time[2] == kVrEmptyTime[2];
}

void InitialiseVrRecords(VrTimes& records, VrMarks& marks) {
  for (int c = 0; c < kVrCategories; ++c) {
    for (int m = 0; m < kVrMissionSlots; ++m) {
      const bool exists = m < kVrMissionCounts[c];
      for (int p = 0; p < kVrPlaces; ++p) {
        for (int f = 0; f < kVrFields; ++f) records[c][m][p][f] = exists ? kVrEmptyTime[f] : 0;
      }
      marks[c][m] = kVrMarkNone;
    }
  }
}

void EncodeVrRecords(const VrTimes& records, const VrMarks& marks, uint8_t* image) {
  for (int c = 0; c < kVrCategories; ++c) {
    for (int m = 0; m < kVrMissionSlots; ++m) {
      for (int p = 0; p < kVrPlaces; ++p) {
        for (int f = 0; f < kVrFields; ++f) {
          const int i = VrValueIndex(c, m, p, f);
          const int v = records[c][m][p][f];
          image[vr_file::kFirstCopy + i] = static_cast<uint8_t>(2 * v + vr_file::kFirstCopyBias);
          image[vr_file::kSecondCopy + i] = static_cast<uint8_t>(2 * v + vr_file::kSecondCopyBias);
        }
      }
      image[vr_file::kMarks + c * kVrMissionSlots + m] = marks[c][m];
    }
  }
}

bool DecodeVrRecords(const uint8_t* image, VrTimes& records, VrMarks& marks) {
  bool valid = true;
  for (int c = 0; c < kVrCategories; ++c) {
    for (int m = 0; m < kVrMissionSlots; ++m) {
      for (int p = 0; p < kVrPlaces; ++p) {
        for (int f = 0; f < kVrFields; ++f) {
          const int i = VrValueIndex(c, m, p, f);
          const int a = image[vr_file::kFirstCopy + i] - vr_file::kFirstCopyBias;
          const int b = image[vr_file::kSecondCopy + i] - vr_file::kSecondCopyBias;
          // A byte below its bias would decode to a negative time, and a value above the
          // field's range is no time either: both are damage, not records.
          if (a % 2 != 0 || b % 2 != 0 || a != b || a < 0 || a / 2 > kFieldLimit[f]) {
            valid = false;
            continue;
          }
          records[c][m][p][f] = static_cast<int16_t>(a / 2);
        }
      }
      marks[c][m] = image[vr_file::kMarks + c * kVrMissionSlots + m];
    }
  }
  return valid;
}

bool ClampVrRecords(VrTimes& records) {
  bool reset = false;
  for (int c = 0; c < kVrCategories; ++c) {
    for (int m = 0; m < kVrMissionSlots; ++m) {
      const int minimum = kMinimumTimes[c][m][0] * 60 + kMinimumTimes[c][m][1];
      const int16_t* best = records[c][m][0];
      if (best[0] * 60 + best[1] >= minimum) continue;
      for (int p = 0; p < kVrPlaces; ++p) std::copy(kVrEmptyTime, kVrEmptyTime + kVrFields, records[c][m][p]);
      reset = true;
    }
  }
  return reset;
}

VrTotalTime ComputeVrTotal(const VrTimes& records) {
  int sums[kVrFields] = {};
  for (int c = 0; c < kVrCategories; ++c) {
    for (int m = 0; m < kVrMissionSlots; ++m) {
      for (int f = 0; f < kVrFields; ++f) sums[f] += records[c][m][0][f];
    }
  }
  VrTotalTime total;
  const int hundredths = sums[2];
  total.hundredths = static_cast<int16_t>(hundredths % 100);
  const int seconds = sums[1] + hundredths / 100;
  total.seconds = static_cast<int16_t>(seconds % 60);
  const int minutes = sums[0] + seconds / 60;
  total.minutes = static_cast<int16_t>(minutes % 60);
  total.hours = static_cast<int16_t>(std::min(minutes / 60, kMaxTotalHours));
  return total;
}

int VrRank(int category, int mission, const int16_t* bestTime) {
  if (IsEmptyVrTime(bestTime)) return -1;
  const int t = VrHundredths(bestTime[0], bestTime[1], bestTime[2]);
  for (int r = 0; r < 5; ++r) {
    const uint8_t* limit = vrGradeLimits[category][mission][r];
    if (t <= VrHundredths(limit[0], limit[1], limit[2])) return r;
  }
  return 5;
}
