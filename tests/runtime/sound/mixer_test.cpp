// The platform mixer standing in for the sound-buffer device, driven frame by frame.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/audio.h"
#include "tests/support/wave_fixture.h"

namespace {

using platform::AudioMixer;
using platform::RecordingAudioSink;
using testing_support::BytesToSamples;

class MixerTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(mixer_.Connect(), 0);
    ASSERT_EQ(mixer_.Initialize(), 0);
    ASSERT_EQ(mixer_.SetPrimaryFormat(platform::MakePcmFormat(2, 44100, 16)), 0);
  }

  // A mono 16-bit buffer at 44.1 kHz holding the samples.
  platform::SoundBuffer* Buffer(const std::vector<int16_t>& samples, uint32_t rate = 44100,
                                uint16_t channels = 1) {
    platform::BufferDesc desc{platform::kBufferStatic | platform::kBufferCtrlVolume |
                                  platform::kBufferCtrlPan | platform::kBufferCtrlFrequency,
                              uint32_t(samples.size() * 2), platform::MakePcmFormat(channels, rate, 16)};
    platform::SoundBuffer* b = nullptr;
    EXPECT_EQ(mixer_.CreateBuffer(desc, &b), 0);
    void *first, *second;
    uint32_t firstBytes, secondBytes;
    EXPECT_EQ(b->Lock(0, desc.bytes, &first, &firstBytes, &second, &secondBytes), 0);
    std::memcpy(first, samples.data(), firstBytes);
    b->Unlock(first, firstBytes, second, secondBytes);
    return b;
  }

  // Left-channel samples of the next frames.
  std::vector<int16_t> Next(int frames) {
    sink_.ClearRecording();
    sink_.Render(frames);
    std::vector<int16_t> all = BytesToSamples(sink_.Recorded().data(), sink_.Recorded().size());
    std::vector<int16_t> left;
    for (size_t i = 0; i < all.size(); i += 2) left.push_back(all[i]);
    return left;
  }

  RecordingAudioSink sink_;
  AudioMixer mixer_{&sink_};
};

std::vector<int16_t> Ramp(int n, int step = 100) {
  std::vector<int16_t> v(size_t(n), 0);
  for (int i = 0; i < n; ++i) v[size_t(i)] = int16_t(i * step);
  return v;
}

TEST_F(MixerTest, PlayOnceStopsAtTheEndAndStartsAgainFromTheBeginning) {
  platform::SoundBuffer* b = Buffer(Ramp(100));
  ASSERT_EQ(b->Play(0), 0);
  const std::vector<int16_t> out = Next(150);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(out[size_t(i)], i * 100) << i;
  for (int i = 100; i < 150; ++i) ASSERT_EQ(out[size_t(i)], 0) << i;
  uint32_t status = 1, play = 1;
  b->GetStatus(&status);
  b->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(status, 0u);
  EXPECT_EQ(play, 0u);
}

TEST_F(MixerTest, LoopingWrapsWithoutAGap) {
  platform::SoundBuffer* b = Buffer(Ramp(64));
  b->Play(platform::kPlayLooping);
  const std::vector<int16_t> out = Next(64 * 3 + 10);
  for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], int(i % 64) * 100) << i;
  uint32_t status = 0;
  b->GetStatus(&status);
  EXPECT_EQ(status, platform::kStatusPlaying | platform::kStatusLooping);
}

TEST_F(MixerTest, StopKeepsThePositionAndPlayResumesThere) {
  platform::SoundBuffer* b = Buffer(Ramp(100));
  b->Play(0);
  Next(30);
  b->Stop();
  EXPECT_EQ(Next(10), std::vector<int16_t>(10, 0));
  uint32_t play = 0;
  b->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(play, 60u);  // 30 mono 16-bit frames
  b->Play(0);
  EXPECT_EQ(Next(1)[0], 3000);
}

TEST_F(MixerTest, LockGivesTwoRegionsAcrossTheEnd) {
  platform::SoundBuffer* b = Buffer(std::vector<int16_t>(50, 0));
  void *first, *second;
  uint32_t firstBytes, secondBytes;
  ASSERT_EQ(b->Lock(80, 40, &first, &firstBytes, &second, &secondBytes), 0);
  EXPECT_EQ(firstBytes, 20u);
  EXPECT_EQ(secondBytes, 20u);
  EXPECT_EQ(static_cast<uint8_t*>(first) - static_cast<uint8_t*>(second), 80);
  ASSERT_EQ(b->Lock(0, 40, &first, &firstBytes, &second, &secondBytes), 0);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(secondBytes, 0u);
  EXPECT_EQ(b->Lock(100, 4, &first, &firstBytes, &second, &secondBytes), -1);  // past the end
  EXPECT_EQ(b->Lock(0, 101, &first, &firstBytes, &second, &secondBytes), -1);  // longer than it
}

TEST_F(MixerTest, DuplicatesShareTheDataButNotTheCursor) {
  platform::SoundBuffer* a = Buffer(Ramp(100));
  platform::SoundBuffer* d = nullptr;
  ASSERT_EQ(mixer_.DuplicateBuffer(a, &d), 0);
  a->Play(0);
  Next(10);
  d->Play(0);
  // a is at frame 10, d at frame 0: the two add up.
  EXPECT_EQ(Next(1)[0], 1000 + 0);
  a->Release();
  EXPECT_EQ(Next(1)[0], 100);  // d goes on alone with the shared data
  d->Release();
  EXPECT_EQ(mixer_.BufferCount(), 0);
}

TEST_F(MixerTest, VolumeAndPanAttenuateInHundredthsOfADecibel) {
  platform::SoundBuffer* b = Buffer(std::vector<int16_t>(1000, 10000));
  b->Play(platform::kPlayLooping);
  ASSERT_EQ(b->SetVolume(-600), 0);  // -6 dB: about half
  EXPECT_NEAR(Next(1)[0], 10000 * std::pow(10.0, -600 / 2000.0), 1);
  ASSERT_EQ(b->SetVolume(platform::kVolumeMin), 0);
  EXPECT_EQ(Next(1)[0], 0);
  EXPECT_EQ(b->SetVolume(1), -1);
  EXPECT_EQ(b->SetVolume(-10001), -1);

  b->SetVolume(0);
  ASSERT_EQ(b->SetPan(2000), 0);  // right: the left channel drops by 20 dB
  sink_.ClearRecording();
  sink_.Render(1);
  const std::vector<int16_t> frame = BytesToSamples(sink_.Recorded().data(), 4);
  EXPECT_NEAR(frame[0], 1000, 1);
  EXPECT_EQ(frame[1], 10000);
}

TEST_F(MixerTest, ControlsNeedTheirCreationFlags) {
  platform::BufferDesc desc{platform::kBufferStatic, 100, platform::MakePcmFormat(1, 22050, 8)};
  platform::SoundBuffer* b = nullptr;
  ASSERT_EQ(mixer_.CreateBuffer(desc, &b), 0);
  EXPECT_EQ(b->SetVolume(-100), -1);
  EXPECT_EQ(b->SetPan(0), -1);
  EXPECT_EQ(b->SetFrequency(11025), -1);
}

TEST_F(MixerTest, FrequencyResamplesToTheOutputRate) {
  // A buffer at half the output rate lasts twice as long; a set frequency overrides it.
  platform::SoundBuffer* b = Buffer(Ramp(100), 22050);
  b->Play(0);
  const std::vector<int16_t> out = Next(201);
  EXPECT_EQ(out[2], 100);
  EXPECT_EQ(out[3], 150);  // halfway between two stored samples
  EXPECT_EQ(out[200], 0);  // ended after 200 output frames
  ASSERT_EQ(b->SetFrequency(88200), 0);
  b->Play(0);
  EXPECT_EQ(Next(2)[1], 200);
  EXPECT_EQ(b->SetFrequency(50), -1);
}

TEST_F(MixerTest, RefusesFormatsItCannotPlay) {
  struct Case {
    const char* name;
    platform::PcmFormat format;
  };
  platform::PcmFormat bad24 = platform::MakePcmFormat(2, 44100, 24);
  platform::PcmFormat skewedAlign = platform::MakePcmFormat(2, 44100, 16);
  skewedAlign.blockAlign = 3;
  platform::PcmFormat skewedRate = platform::MakePcmFormat(1, 44100, 16);
  skewedRate.avgBytesPerSec = 1;
  const Case cases[] = {{"24 bits", bad24},
                        {"six channels", platform::MakePcmFormat(6, 44100, 16)},
                        {"block align", skewedAlign},
                        {"bytes per second", skewedRate},
                        {"rate 0", platform::MakePcmFormat(1, 0, 16)}};
  for (const Case& c : cases) {
    platform::SoundBuffer* b = nullptr;
    EXPECT_EQ(mixer_.CreateBuffer({0, 400, c.format}, &b), -1) << c.name;
    EXPECT_EQ(b, nullptr) << c.name;
  }
  platform::SoundBuffer* b = nullptr;
  EXPECT_EQ(mixer_.CreateBuffer({0, 1, platform::MakePcmFormat(1, 44100, 16)}, &b), -1)
      << "less than one frame";
}

TEST_F(MixerTest, EightBitMonoOutputMixesBothChannels) {
  ASSERT_EQ(mixer_.SetPrimaryFormat(platform::MakePcmFormat(1, 44100, 8)), 0);
  EXPECT_EQ(sink_.Format().bitsPerSample, 8);
  platform::SoundBuffer* b = Buffer(std::vector<int16_t>(10, 16384));
  b->SetPan(-10000);  // right channel silent: the mono output is half of the left
  b->Play(0);
  sink_.ClearRecording();
  sink_.Render(1);
  ASSERT_EQ(sink_.Recorded().size(), 1u);
  EXPECT_EQ(sink_.Recorded()[0], 128 + 32);
}

}  // namespace
