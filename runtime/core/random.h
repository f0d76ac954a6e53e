// The Mersenne Twister behind GetRandom, seeded with the 69069 generator.
#pragma once
#include <cstdint>

namespace rt {

constexpr int kRandomStateWords = 624;

struct RandomState {
  int index = kRandomStateWords;  // kRandomStateWords or more: the output block is used up
  uint32_t output[kRandomStateWords] = {};
  uint32_t state[kRandomStateWords] = {};
  int seeded = 0;
};

RandomState& GetRandomState();

void SeedRandom(uint32_t seed);
// Runs the twist over the state words and tempers them all into the output block.
void RegenerateRandom();
uint32_t NextRandomWord();
// 0..n for any n from 0 to INT_MAX.
int GetRandomImpl(int n);

}  // namespace rt
