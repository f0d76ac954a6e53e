// Sound files made in memory for tests: tones and RIFF/WAVE images of any chunk layout.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// Interleaved 16-bit samples of a sine tone of the given frequency, the same on every
// channel.
std::vector<int16_t> SineTone(int channels, int rate, double seconds, double hz,
                              double amplitude = 0.5);
// A sawtooth whose period divides its length, so a looped copy has no seam.
std::vector<int16_t> Sawtooth(int channels, int frames, int period);

std::string SampleBytes(const std::vector<int16_t>& samples);
std::vector<int16_t> BytesToSamples(const uint8_t* data, size_t bytes);

struct RiffChunk {
  std::string id;
  std::string body;
};
// "RIFF", size, "WAVE", then each chunk with its header and, after an odd body, a pad byte.
std::string RiffImage(const std::vector<RiffChunk>& chunks);
// A PCM fmt body of 16 bytes, or 18 with the extra-size word.
std::string PcmFmtBody(int channels, int rate, int bits, bool withExtraSize = false);
// A plain 16-bit PCM WAV.
std::string PcmWav(const std::vector<int16_t>& samples, int channels, int rate);

}  // namespace testing_support
