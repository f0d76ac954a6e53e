// Stream sounds: a six-second ring refilled by the pump while the test moves the cursor by
// playing frames.
#include <gtest/gtest.h>

#include <cmath>

#include "runtime/sound/sound_buffer.h"
#include "tests/runtime/sound/sound_test_util.h"

namespace {

using sound_test::SoundTest;
using testing_support::PcmWav;

constexpr int kRate = 44100;

class StreamSounds : public SoundTest {
 protected:
  // A stream sound as the music fallback makes it: the file kept and decoded while playing.
  int LoadStream(const std::string& name, const std::string& bytes) {
    Write(name, bytes);
    rt::SoundState& s = rt::GetSoundState();
    s.soundDataType = rt::kSourceCompressedImage;
    const int h = rt::LoadSoundImpl(name.c_str(), 1, -1);
    s.soundDataType = 0;
    return h;
  }
  std::vector<int16_t> Left() const {
    const std::vector<int16_t> all = Recorded();
    std::vector<int16_t> left;
    for (size_t i = 0; i < all.size(); i += 2) left.push_back(all[i]);
    return left;
  }
  // Plays blocks until the sound stops; the frames it took.
  int PlayUntilStopped(int handle, int limitFrames) {
    int frames = 0;
    while (rt::CheckSoundPlayingImpl(handle) == 1 && frames < limitFrames) {
      Render(1024);
      frames += 1024;
    }
    return frames;
  }
};

std::vector<int16_t> Constant(int frames, int16_t value) { return std::vector<int16_t>(size_t(frames), value); }

TEST_F(StreamSounds, OneShotEndsWithSilenceAndStopsItself) {
  const std::vector<int16_t> tone = testing_support::SineTone(1, kRate, 1.5, 440);
  const int h = LoadStream("once.wav", PcmWav(tone, 1, kRate));
  ASSERT_NE(h, -1);
  EXPECT_EQ(rt::FindSound(h)->kind, rt::kSoundStream);
  EXPECT_EQ(rt::FindSound(h)->endWritten, 1);  // shorter than the first fill

  ASSERT_EQ(rt::PlaySoundHandleImpl(h, rt::kPlayBack, 1), 0);
  const int frames = PlayUntilStopped(h, 5 * kRate);
  EXPECT_GE(frames, int(tone.size()));
  EXPECT_LE(frames, int(tone.size()) + 2048);  // stopped on the first pass past the end
  EXPECT_EQ(rt::CheckSoundPlayingImpl(h), 0);
  const std::vector<int16_t> left = Left();
  EXPECT_TRUE(std::equal(tone.begin(), tone.end(), left.begin()));
  for (size_t i = tone.size(); i < left.size(); ++i) ASSERT_EQ(left[i], 0) << i;

  // From the start again: the same data once more.
  sink_.ClearRecording();
  ASSERT_EQ(rt::PlaySoundHandleImpl(h, rt::kPlayBack, 1), 0);
  PlayUntilStopped(h, 5 * kRate);
  EXPECT_TRUE(std::equal(tone.begin(), tone.end(), Left().begin()));

  // Resuming a finished sound plays out its silence and stops again.
  ASSERT_EQ(rt::PlaySoundHandleImpl(h, rt::kPlayBack, 0), 0);
  EXPECT_LT(PlayUntilStopped(h, 10 * kRate), 10 * kRate);
}

TEST_F(StreamSounds, LoopRestartsWithoutAGap) {
  // Longer than one refill step and not a divisor of the ring, so that the source ends in
  // the middle of a write and at every place in the ring.
  const int frames = 2 * kRate + 12345;
  const std::vector<int16_t> saw = testing_support::Sawtooth(1, frames, frames);
  const int h = LoadStream("loop.wav", PcmWav(saw, 1, kRate));
  ASSERT_EQ(rt::PlaySoundHandleImpl(h, rt::kPlayLoop, 1), 0);
  Render(10 * kRate);
  EXPECT_EQ(rt::CheckSoundPlayingImpl(h), 1);
  const std::vector<int16_t> left = Left();
  for (size_t i = 0; i < left.size(); ++i) ASSERT_EQ(left[i], saw[i % saw.size()]) << i;
}

TEST_F(StreamSounds, SourcesPlayInTurnWithTheirRepeats) {
  const int h = rt::AddSoundData(-1);
  const std::string a = PcmWav(Constant(kRate / 4, 1000), 1, kRate);
  const std::string b = PcmWav(Constant(kRate / 4, 2000), 1, kRate);
  ASSERT_EQ(rt::AddStreamSoundMem(a.data(), int32_t(a.size()), 1, h, rt::kSourceConvertedImage, -1), 0);
  ASSERT_EQ(rt::AddStreamSoundMem(b.data(), int32_t(b.size()), 0, h, rt::kSourceCompressedImage, -1), 0);
  rt::PrepareStreamSound(h);
  ASSERT_EQ(rt::PlaySoundHandleImpl(h, rt::kPlayBack, 1), 0);
  PlayUntilStopped(h, 5 * kRate);
  const std::vector<int16_t> left = Left();
  ASSERT_GE(left.size(), size_t(kRate) * 3 / 4);
  for (int i = 0; i < kRate / 2; ++i) ASSERT_EQ(left[size_t(i)], 1000) << i;  // a, and a again
  for (int i = kRate / 2; i < kRate * 3 / 4; ++i) ASSERT_EQ(left[size_t(i)], 2000) << i;
  for (size_t i = size_t(kRate) * 3 / 4; i < left.size(); ++i) ASSERT_EQ(left[i], 0) << i;
}

TEST_F(StreamSounds, AddingSourcesIsLimited) {
  const std::string mono = PcmWav(Constant(1000, 100), 1, kRate);
  const std::string stereo = PcmWav(Constant(2000, 100), 2, kRate);
  const int h = rt::AddSoundData(-1);
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(rt::AddStreamSoundMem(mono.data(), int32_t(mono.size()), 0, h, rt::kSourceCompressedImage, -1), 0);
  EXPECT_EQ(rt::AddStreamSoundMem(mono.data(), int32_t(mono.size()), 0, h, rt::kSourceCompressedImage, -1), -1)
      << "a fourth source";
  EXPECT_EQ(rt::FindSound(h)->sourceCount, 3);

  const int other = rt::AddSoundData(-1);
  ASSERT_EQ(rt::AddStreamSoundMem(mono.data(), int32_t(mono.size()), 0, other, rt::kSourceCompressedImage, -1), 0);
  EXPECT_EQ(rt::AddStreamSoundMem(stereo.data(), int32_t(stereo.size()), 0, other, rt::kSourceCompressedImage, -1), -1)
      << "another format";
  rt::PrepareStreamSound(other);
  rt::PlaySoundHandleImpl(other, rt::kPlayLoop, 1);
  EXPECT_EQ(rt::AddStreamSoundMem(mono.data(), int32_t(mono.size()), 0, other, rt::kSourceCompressedImage, -1), -1)
      << "while playing";
  EXPECT_EQ(rt::FindSound(other)->sourceCount, 1);
  EXPECT_EQ(rt::AddStreamSoundMem("junk", 4, 0, other, rt::kSourceCompressedImage, -1), -1);
}

TEST_F(StreamSounds, EmptySourcesEndEvenWhenLooping) {
  const std::string empty =
      testing_support::RiffImage({{"fmt ", testing_support::PcmFmtBody(1, kRate, 16)}, {"data", ""}});
  const int h = rt::AddSoundData(-1);
  ASSERT_EQ(rt::AddStreamSoundMem(empty.data(), int32_t(empty.size()), -1, h, rt::kSourceCompressedImage, -1), 0);
  rt::PrepareStreamSound(h);
  ASSERT_EQ(rt::PlaySoundHandleImpl(h, rt::kPlayLoop, 1), 0);
  EXPECT_LT(PlayUntilStopped(h, 10 * kRate), 10 * kRate);
  for (int16_t v : Left()) ASSERT_EQ(v, 0);
}

TEST_F(StreamSounds, StalledPumpStopsWritingUntilTheCursorComesRound) {
  const int h = LoadStream("long.wav", PcmWav(testing_support::SineTone(1, kRate, 20.0, 300), 1, kRate));
  ASSERT_EQ(rt::PlaySoundHandleImpl(h, rt::kPlayBack, 1), 0);
  Render(2 * kRate);
  rt::SoundRecord* rec = rt::FindSound(h);
  const int32_t written = rec->writePosition;

  // The pump keeps the data about four seconds ahead; stalled longer than that, the cursor
  // runs past it into the ring's old data.
  Render(kRate * 9 / 2, false);
  EXPECT_EQ(rt::RefillStreamSound(h), -1);
  EXPECT_EQ(rec->writePosition, written);

  Render(2 * kRate, false);  // round the ring into the written window again
  EXPECT_EQ(rt::RefillStreamSound(h), 0);
  EXPECT_NE(rec->writePosition, written);
  EXPECT_EQ(rt::CheckSoundPlayingImpl(h), 1);
}

TEST_F(StreamSounds, ARingInUseByOthersOutlivesItsDelete) {
  const std::string wav = PcmWav(Constant(kRate, 500), 1, kRate);
  const int owner = rt::AddSoundData(-1);
  ASSERT_EQ(rt::AddStreamSoundMem(wav.data(), int32_t(wav.size()), 0, owner, rt::kSourceCompressedImage, -1), 0);
  const int sharer = rt::AddSoundData(-1);
  ASSERT_EQ(rt::AddStreamSoundMem(wav.data(), int32_t(wav.size()), 0, sharer, rt::kSourceCompressedImage, owner), 0);
  EXPECT_EQ(rt::FindSound(sharer)->shareHandle, owner);
  EXPECT_EQ(rt::FindSound(owner)->shareCount, 1);
  EXPECT_FALSE(rt::FindSound(sharer)->buffers[0].inUse);

  // The sharer takes the ring from the owner.
  rt::PrepareStreamSound(owner);
  rt::PlaySoundHandleImpl(owner, rt::kPlayLoop, 1);
  rt::PlaySoundHandleImpl(sharer, rt::kPlayLoop, 1);
  EXPECT_EQ(rt::CheckSoundPlayingImpl(owner), 0);
  EXPECT_EQ(rt::CheckSoundPlayingImpl(sharer), 1);

  EXPECT_EQ(rt::DeleteSoundImpl(owner), 0);
  EXPECT_EQ(rt::CheckSoundPlayingImpl(owner), 0) << "still a live handle";
  EXPECT_EQ(rt::DeleteSoundImpl(sharer), 0);
  EXPECT_EQ(rt::CheckSoundPlayingImpl(owner), -1) << "gone with the last user";
  EXPECT_EQ(rt::GetSoundState().sounds.count(), 0);
  EXPECT_EQ(rt::GetSoundState().device->BufferCount(), 1);
}

TEST_F(StreamSounds, VolumeReachesTheRing) {
  const int h = LoadStream("v.wav", PcmWav(Constant(kRate, 10000), 1, kRate));
  ASSERT_EQ(rt::SetSoundVolumeImpl(128, h), 0);
  rt::PlaySoundHandleImpl(h, rt::kPlayBack, 1);
  Render(1024);
  EXPECT_NEAR(Left()[100], 10000 * std::pow(10.0, -299 / 2000.0), 1);
}

}  // namespace
