// Music: MIDI through the synthesiser, other files as stream sounds.
#include <gtest/gtest.h>

#include "runtime/api.h"
#include "tests/runtime/sound/sound_test_util.h"

namespace {

using sound_test::Rms;
using sound_test::SoundTest;

constexpr int kRate = 44100;

class Music : public SoundTest {
 protected:
  // RMS of the frames played from here on.
  double LevelOf(int frames) {
    const size_t from = sink_.Recorded().size() / 2;
    Render(frames);
    return Rms(Recorded(), from, sink_.Recorded().size() / 2);
  }
};

TEST_F(Music, MidiPlaysThroughTheSynthesiserAndEnds) {
  Write("song.mid", sound_test::ShortMidiSong());
  ASSERT_EQ(rt::PlayMusicFileImpl("song.mid", rt::kPlayBack), 0);
  rt::SoundState& s = rt::GetSoundState();
  EXPECT_EQ(s.musicIsStream, 0);
  EXPECT_EQ(rt::CheckMusicPlayingImpl(), 1);
  EXPECT_GT(LevelOf(kRate / 4), 0.01) << "the note sounds";
  // Play type 1: the end notice closes the sequencer.
  int frames = 0;
  while (rt::CheckMusicPlayingImpl() == 1 && frames < 5 * kRate) {
    Render(1024);
    frames += 1024;
  }
  EXPECT_EQ(rt::CheckMusicPlayingImpl(), 0);
  EXPECT_LT(frames, 2 * kRate);
  EXPECT_LT(LevelOf(kRate), 0.001) << "silent once closed";
  EXPECT_EQ(rt::StopMusicImpl(), 0);
  EXPECT_EQ(s.music.count(), 0);
  EXPECT_FALSE(testing_support::FileExists(s.tempMidiPath));
}

TEST_F(Music, LoopingMidiStartsAgainAtEachEnd) {
  Write("song.mid", sound_test::ShortMidiSong());
  ASSERT_EQ(rt::PlayMusicFileImpl("song.mid", rt::kPlayLoop), 0);
  Render(3 * kRate);
  EXPECT_EQ(rt::CheckMusicPlayingImpl(), 1);
  EXPECT_GT(LevelOf(kRate / 4), 0.01) << "a later round sounds too";
  // The sequencer's volume is its own.
  rt::SetMusicVolumeImpl(0);
  Render(kRate);
  EXPECT_GT(LevelOf(kRate / 4), 0.01);
  EXPECT_EQ(rt::StopMusicImpl(), 0);
  EXPECT_EQ(rt::CheckMusicPlayingImpl(), 0);
  EXPECT_LT(LevelOf(kRate / 2), 0.001);
}

TEST_F(Music, OggFallsBackToALoopingStreamSound) {
  const std::vector<int16_t> tone = testing_support::SineTone(2, kRate, 1.0, 440);
  Write("bgm.ogg", sound_test::EncodeOgg(tone, 2, kRate));
  ASSERT_EQ(rt::PlayMusicFileImpl("bgm.ogg", rt::kPlayLoop), 0);
  rt::SoundState& s = rt::GetSoundState();
  EXPECT_EQ(s.musicIsStream, 1);
  EXPECT_EQ(s.music.count(), 0) << "the music handle went with the failed MIDI try";
  EXPECT_EQ(s.tempMidiExists, 0);
  EXPECT_FALSE(testing_support::FileExists(s.tempMidiPath));
  EXPECT_EQ(rt::CheckMusicPlayingImpl(), 1);
  EXPECT_NEAR(LevelOf(3 * kRate), 0.35, 0.03) << "looping past its one second";
  EXPECT_EQ(rt::SetMusicVolumeImpl(0), 0);
  Render(kRate / 2);
  EXPECT_LT(LevelOf(kRate / 2), 0.001);
  EXPECT_EQ(rt::StopMusicImpl(), 0);
  EXPECT_EQ(rt::CheckMusicPlayingImpl(), 0);
  EXPECT_EQ(s.sounds.count(), 0);
}

TEST_F(Music, ANewPieceEndsThePreviousOne) {
  Write("song.mid", sound_test::ShortMidiSong());
  Write("bgm.wav", testing_support::PcmWav(testing_support::SineTone(1, kRate, 1.0, 440), 1, kRate));
  rt::SoundState& s = rt::GetSoundState();
  ASSERT_EQ(rt::PlayMusicFileImpl("song.mid", rt::kPlayLoop), 0);
  ASSERT_EQ(rt::PlayMusicFileImpl("bgm.wav", rt::kPlayLoop), 0);
  EXPECT_EQ(s.music.count(), 0);
  EXPECT_EQ(s.sounds.count(), 1);
  ASSERT_EQ(rt::PlayMusicFileImpl("song.mid", rt::kPlayBack), 0);
  EXPECT_EQ(s.music.count(), 1);
  EXPECT_EQ(s.sounds.count(), 0);
}

TEST_F(Music, FilesThatPlayNeitherWayLeaveNoMusic) {
  Write("text.ogg", "nothing to hear");
  EXPECT_EQ(rt::PlayMusicFileImpl("missing.mid", rt::kPlayLoop), -1);
  EXPECT_EQ(rt::PlayMusicFileImpl("text.ogg", rt::kPlayLoop), -1);
  rt::SoundState& s = rt::GetSoundState();
  EXPECT_EQ(s.currentMusic, 0);
  EXPECT_EQ(s.music.count() + s.sounds.count(), 0);
  EXPECT_EQ(rt::CheckMusicPlayingImpl(), 0);
  EXPECT_EQ(rt::StopMusicImpl(), 0);
}

TEST_F(Music, ThroughTheFacade) {
  Write("bgm.wav", testing_support::PcmWav(testing_support::SineTone(1, kRate, 0.5, 440), 1, kRate));
  EXPECT_EQ(PlayMusicFile("bgm.wav", 3), 0);
  EXPECT_EQ(CheckMusicPlaying(), 1);
  EXPECT_EQ(SetMusicVolume(100), 0);
  EXPECT_EQ(StopMusic(), 0);
  EXPECT_EQ(CheckMusicPlaying(), 0);
}

}  // namespace
