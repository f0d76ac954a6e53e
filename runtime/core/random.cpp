#include "runtime/core/random.h"

namespace rt {
namespace {

constexpr int kN = kRandomStateWords;
constexpr int kM = 397;
constexpr uint32_t kMatrixA = 0x9908B0DFu;
constexpr uint32_t kDefaultSeed = 4357;

RandomState g_random;

}  // namespace

RandomState& GetRandomState() { return g_random; }

void SeedRandom(uint32_t seed) {
  for (int i = 0; i < kN; ++i) {
    uint32_t word = seed & 0xFFFF0000u;
    seed = 69069u * seed + 1u;
    word |= (seed & 0xFFFF0000u) >> 16;
    seed = 69069u * seed + 1u;
    g_random.state[i] = word;
  }
  g_random.seeded = 1;
  RegenerateRandom();
}

void RegenerateRandom() {
  uint32_t* mt = g_random.state;
  for (int i = 0; i < kN; ++i) {
    uint32_t y = (mt[i] & 0x80000000u) | (mt[(i + 1) % kN] & 0x7FFFFFFFu);
    mt[i] = mt[(i + kM) % kN] ^ (y >> 1) ^ ((y & 1u) ? kMatrixA : 0u);
  }
  for (int i = 0; i < kN; ++i) {
    uint32_t y = mt[i];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    g_random.output[i] = y;
  }
  g_random.index = 0;
}

uint32_t NextRandomWord() {
  if (g_random.index >= kN) {
    if (!g_random.seeded) {
      SeedRandom(kDefaultSeed);
    } else {
      RegenerateRandom();
    }
  }
  return g_random.output[g_random.index++];
}

int GetRandomImpl(int n) {
  // n + 1 is taken in 64 bits: at n = INT_MAX the 32-bit sum would overflow.
  const int64_t range = static_cast<int64_t>(n) + 1;
  const int64_t product = static_cast<int64_t>(NextRandomWord()) * range;
  return static_cast<int>(product >> 32);
}

}  // namespace rt
