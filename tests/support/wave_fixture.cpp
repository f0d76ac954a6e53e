#include "tests/support/wave_fixture.h"

#include <cmath>

namespace testing_support {

namespace {

void PutU16(std::string& s, uint32_t v) {
  s.push_back(char(v & 0xFF));
  s.push_back(char((v >> 8) & 0xFF));
}
void PutU32(std::string& s, uint32_t v) {
  PutU16(s, v & 0xFFFF);
  PutU16(s, v >> 16);
}

}  // namespace

std::vector<int16_t> SineTone(int channels, int rate, double seconds, double hz, double amplitude) {
  const int frames = int(std::lround(rate * seconds));
  std::vector<int16_t> out(size_t(frames) * channels);
  for (int i = 0; i < frames; ++i) {
    const double v = amplitude * std::sin(2.0 * M_PI * hz * i / rate);
    for (int c = 0; c < channels; ++c) out[size_t(i) * channels + c] = int16_t(std::lround(v * 32767));
  }
  return out;
}

std::vector<int16_t> Sawtooth(int channels, int frames, int period) {
  std::vector<int16_t> out(size_t(frames) * channels);
  for (int i = 0; i < frames; ++i) {
    const int v = int(int64_t(i % period) * 40000 / period) - 20000;
    for (int c = 0; c < channels; ++c) out[size_t(i) * channels + c] = int16_t(v + c * 7);
  }
  return out;
}

std::string SampleBytes(const std::vector<int16_t>& samples) {
  std::string s;
  s.reserve(samples.size() * 2);
  for (int16_t v : samples) PutU16(s, uint16_t(v));
  return s;
}

std::vector<int16_t> BytesToSamples(const uint8_t* data, size_t bytes) {
  std::vector<int16_t> out(bytes / 2);
  for (size_t i = 0; i < out.size(); ++i) out[i] = int16_t(data[2 * i] | (data[2 * i + 1] << 8));
  return out;
}

std::string RiffImage(const std::vector<RiffChunk>& chunks) {
  std::string body = "WAVE";
  for (const RiffChunk& c : chunks) {
    body += c.id;
    PutU32(body, uint32_t(c.body.size()));
    body += c.body;
    if (c.body.size() & 1) body.push_back('\0');
  }
  std::string out = "RIFF";
  PutU32(out, uint32_t(body.size()));
  return out + body;
}

std::string PcmFmtBody(int channels, int rate, int bits, bool withExtraSize) {
  std::string s;
  const int align = channels * bits / 8;
  PutU16(s, 1);
  PutU16(s, uint32_t(channels));
  PutU32(s, uint32_t(rate));
  PutU32(s, uint32_t(align * rate));
  PutU16(s, uint32_t(align));
  PutU16(s, uint32_t(bits));
  if (withExtraSize) PutU16(s, 0);
  return s;
}

std::string PcmWav(const std::vector<int16_t>& samples, int channels, int rate) {
  return RiffImage({{"fmt ", PcmFmtBody(channels, rate, 16)}, {"data", SampleBytes(samples)}});
}

}  // namespace testing_support
