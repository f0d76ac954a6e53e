// Sound handles: loading into duplicate buffers, round-robin playing, volume, deleting.
#include <gtest/gtest.h>

#include "runtime/api.h"
#include "runtime/sound/sound_buffer.h"
#include "tests/runtime/sound/sound_test_util.h"

namespace {

using sound_test::SoundTest;
using testing_support::PcmWav;
using testing_support::SineTone;

class SoundHandles : public SoundTest {
 protected:
  // A one-second mono effect at the output rate.
  int LoadTone(int buffers, const char* name = "tone.wav") {
    Write(name, PcmWav(SineTone(1, 44100, 1.0, 440), 1, 44100));
    return rt::LoadSoundImpl(name, buffers, -1);
  }
  static bool Playing(int handle, int buffer) {
    uint32_t status = 0;
    rt::SoundBufferGetStatus(&rt::FindSound(handle)->buffers[buffer], &status);
    return status & platform::kStatusPlaying;
  }
  static uint32_t Position(int handle, int buffer) {
    uint32_t play = 0;
    rt::SoundBufferGetPosition(&rt::FindSound(handle)->buffers[buffer], &play, nullptr);
    return play;
  }
};

TEST_F(SoundHandles, LoadMakesTheAskedBuffersUpToTen) {
  const struct {
    int asked, made;
  } cases[] = {{1, 1}, {3, 3}, {10, 10}, {25, 10}};
  for (const auto& c : cases) {
    const int h = LoadTone(c.asked);
    ASSERT_NE(h, -1) << c.asked;
    EXPECT_EQ(rt::FindSound(h)->bufferCount, c.made) << c.asked;
    EXPECT_EQ(rt::FindSound(h)->pcmSize, 44100 * 2) << c.asked;
    EXPECT_EQ(rt::DeleteSoundImpl(h), 0);
  }
  EXPECT_EQ(rt::LoadSoundFromMemory("", 0, 11, -1), -1);
}

TEST_F(SoundHandles, RoundRobinOverBusyAndIdleBuffers) {
  // Each row: play with from-start, which buffer then plays, and the result.
  const int h = LoadTone(3);
  struct Step {
    int fromStart;
    int buffer;        // the buffer the play lands on
    int64_t position;  // where it then stands, in bytes; -1 where it went on untouched
  };
  // 2048 frames are played before each step.
  const Step steps[] = {
      {0, 1, 0},     // idle: starts where buffer 0 stood (never played)
      {0, 2, 4096},  // idle: starts where buffer 1 has got to
      {0, 0, 8192},  // idle: starts where buffer 2 has got to
      {0, 1, -1},    // buffer 1 still sounds: nothing happens
      {1, 2, 0},     // buffer 2 still sounds: restarted from the beginning
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    Render(2048);
    const uint32_t before = Position(h, steps[i].buffer);
    ASSERT_EQ(rt::PlaySoundHandleImpl(h, rt::kPlayBack, steps[i].fromStart), 0) << i;
    EXPECT_EQ(rt::FindSound(h)->nextBuffer, steps[i].buffer) << i;
    EXPECT_TRUE(Playing(h, steps[i].buffer)) << i;
    EXPECT_EQ(Position(h, steps[i].buffer), steps[i].position < 0 ? before : steps[i].position) << i;
  }
  EXPECT_EQ(rt::CheckSoundPlayingImpl(h), 1);
  EXPECT_EQ(rt::StopSoundImpl(h), 0);
  EXPECT_EQ(rt::CheckSoundPlayingImpl(h), 0);
}

TEST_F(SoundHandles, ResumeContinuesFromThePreviousBuffersPosition) {
  const int h = LoadTone(1);
  rt::PlaySoundHandleImpl(h, rt::kPlayBack, 1);
  Render(4096);
  rt::StopSoundImpl(h);
  rt::PlaySoundHandleImpl(h, rt::kPlayBack, 0);
  EXPECT_EQ(Position(h, 0), 4096u * 2);
  rt::PlaySoundHandleImpl(h, rt::kPlayBack, 1);
  EXPECT_EQ(Position(h, 0), 0u);
}

TEST_F(SoundHandles, OneShotEndsAndLoopGoesOn) {
  const int once = LoadTone(1, "a.wav");
  const int loop = LoadTone(1, "b.wav");
  rt::PlaySoundHandleImpl(once, rt::kPlayBack, 1);
  rt::PlaySoundHandleImpl(loop, rt::kPlayLoop, 1);
  Render(44100 + 2048);
  EXPECT_EQ(rt::CheckSoundPlayingImpl(once), 0);
  EXPECT_EQ(rt::CheckSoundPlayingImpl(loop), 1);
  const std::vector<int16_t> out = Recorded();
  EXPECT_GT(sound_test::Rms(out, 0, 2 * 44100), 0.4);  // both tones together
  EXPECT_NEAR(sound_test::Rms(out, 2 * 44100 + 512, out.size()), 0.35, 0.02);  // the loop alone
}

TEST_F(SoundHandles, ZeroBuffersLoadsButRefusesToPlay) {
  const int h = LoadTone(0);
  ASSERT_NE(h, -1);
  EXPECT_EQ(rt::FindSound(h)->bufferCount, 0);
  EXPECT_EQ(rt::PlaySoundHandleImpl(h, rt::kPlayBack, 1), -1);
  EXPECT_EQ(rt::CheckSoundPlayingImpl(h), 0);
  EXPECT_EQ(rt::DeleteSoundImpl(h), 0);
}

TEST_F(SoundHandles, VolumeInHundredthsOfADecibel) {
  const struct {
    int volume;
    int32_t attenuation;
  } cases[] = {{300, 0}, {255, 0}, {128, -299}, {1, -2406}, {0, -10000}, {-5, -10000}};
  const int h = LoadTone(2);
  for (const auto& c : cases) {
    EXPECT_EQ(rt::SoundVolumeToAttenuation(c.volume), c.attenuation) << c.volume;
    ASSERT_EQ(rt::SetSoundVolumeImpl(c.volume, h), 0);
    for (int i = 0; i < 2; ++i) {
      int32_t set = 1;
      rt::FindSound(h)->buffers[i].buffer->GetVolume(&set);
      EXPECT_EQ(set, c.attenuation) << c.volume << " buffer " << i;
    }
  }
}

TEST_F(SoundHandles, StaleHandleAfterSlotReuse) {
  const int old = LoadTone(1);
  ASSERT_EQ(rt::DeleteSoundImpl(old), 0);
  const int reused = LoadTone(1);
  ASSERT_EQ(rt::HandleSlot(reused), rt::HandleSlot(old));
  ASSERT_NE(reused, old);
  EXPECT_EQ(rt::PlaySoundHandleImpl(old, rt::kPlayBack, 1), -1);
  EXPECT_EQ(rt::CheckSoundPlayingImpl(old), -1);
  EXPECT_EQ(rt::SetSoundVolumeImpl(100, old), -1);
  EXPECT_EQ(rt::StopSoundImpl(old), -1);
  EXPECT_EQ(rt::DeleteSoundImpl(old), -1);
  EXPECT_EQ(rt::PlaySoundHandleImpl(reused, rt::kPlayBack, 1), 0);
  for (int bad : {-1, 0, 0x10000000 | 4096, reused ^ 0x08000000}) {
    EXPECT_EQ(rt::CheckSoundPlayingImpl(bad), -1) << std::hex << bad;
  }
}

TEST_F(SoundHandles, BadFilesFailWithoutAHandle) {
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"text.wav", "not a sound at all"},
      {"empty.wav", testing_support::RiffImage({{"fmt ", testing_support::PcmFmtBody(1, 8000, 16)}, {"data", ""}})},
      {"odd.wav", testing_support::RiffImage({{"fmt ", testing_support::PcmFmtBody(2, 8000, 16)}, {"data", "x"}})},
  };
  for (const auto& c : cases) {
    Write(c.name, c.bytes);
    EXPECT_EQ(rt::LoadSoundImpl(c.name, 3, -1), -1) << c.name;
  }
  EXPECT_EQ(rt::LoadSoundImpl("missing.wav", 3, -1), -1);
  EXPECT_EQ(rt::GetSoundState().sounds.count(), 0);
}

TEST_F(SoundHandles, PlaySoundFileReplacesItsPreviousSound) {
  Write("a.wav", PcmWav(SineTone(1, 44100, 0.5, 440), 1, 44100));
  Write("b.wav", PcmWav(SineTone(1, 44100, 0.5, 880), 1, 44100));
  ASSERT_EQ(rt::PlaySoundFileImpl("a.wav", rt::kPlayBack), 0);
  const int first = rt::GetSoundState().playSoundFileHandle;
  EXPECT_EQ(rt::CheckSoundPlayingImpl(first), 1);
  ASSERT_EQ(rt::PlaySoundFileImpl("b.wav", rt::kPlayBack), 0);
  EXPECT_EQ(rt::CheckSoundPlayingImpl(first), -1);
  EXPECT_EQ(rt::GetSoundState().sounds.count(), 1);
  EXPECT_EQ(rt::PlaySoundFileImpl("missing.wav", rt::kPlayBack), -1);
}

TEST_F(SoundHandles, ThroughTheFacade) {
  Write("tone.wav", PcmWav(SineTone(1, 44100, 0.2, 440), 1, 44100));
  const int h = LoadSound("tone.wav", 3, -1);
  ASSERT_NE(h, -1);
  EXPECT_EQ(SetSoundVolume(200, h), 0);
  EXPECT_EQ(PlaySoundHandle(h, 1, 1), 0);
  EXPECT_EQ(CheckSoundPlaying(h), 1);
  EXPECT_EQ(DeleteSound(h, 0), 0);
  EXPECT_EQ(CheckSoundPlaying(h), -1);
}

TEST_F(SoundHandles, DeleteAllEmptiesTheTable) {
  for (int i = 0; i < 5; ++i) LoadTone(2);
  rt::GetSoundState().playSoundFileHandle = 12345;
  EXPECT_EQ(rt::DeleteAllSounds(), 0);
  EXPECT_EQ(rt::GetSoundState().sounds.count(), 0);
  EXPECT_EQ(rt::GetSoundState().sounds.highWaterMark(), 0);
  EXPECT_EQ(rt::GetSoundState().playSoundFileHandle, -1);
  EXPECT_EQ(rt::GetSoundState().device->BufferCount(), 1);  // only the silent buffer
}

}  // namespace
