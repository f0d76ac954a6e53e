// Sound start-up and shut-down.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <thread>

#include "platform/clock.h"
#include "runtime/api.h"
#include "runtime/core/log.h"
#include "runtime/sound/sound_state.h"
#include "tests/runtime/sound/sound_test_util.h"

namespace {

class SoundStartup : public testing::Test {
 protected:
  void SetUp() override { platform::SetAudioSinkOverride(&sink_); }
  void TearDown() override {
    rt::EndSound();
    platform::SetAudioSinkOverride(nullptr);
  }
  testing_support::ScopedTempDir dir_;
  platform::RecordingAudioSink sink_;
};

TEST_F(SoundStartup, OutputFormatFollowsWhatTheDeviceOffers) {
  using platform::AudioCaps;
  const uint32_t all = platform::kCapsPrimaryMono | platform::kCapsPrimaryStereo |
                       platform::kCapsPrimary8Bit | platform::kCapsPrimary16Bit;
  const struct {
    const char* name;
    uint32_t flags;
    uint32_t maxRate;
    platform::PcmFormat expected;
  } cases[] = {
      {"stereo 16-bit, fast", all, 192000, platform::MakePcmFormat(2, 44100, 16)},
      {"mono only", platform::kCapsPrimaryMono | platform::kCapsPrimary16Bit, 48000,
       platform::MakePcmFormat(1, 44100, 16)},
      {"8-bit only, slow", platform::kCapsPrimaryStereo | platform::kCapsPrimary8Bit, 22050,
       platform::MakePcmFormat(2, 22050, 8)},
  };
  for (const auto& c : cases) {
    AudioCaps caps;
    caps.flags = c.flags;
    caps.minSecondaryRate = 100;
    caps.maxSecondaryRate = c.maxRate;
    sink_.SetCaps(caps);
    ASSERT_EQ(rt::InitSound(), 0) << c.name;
    EXPECT_EQ(sink_.Format(), c.expected) << c.name;
    EXPECT_EQ(rt::GetSoundState().device->PrimaryFormat(), c.expected) << c.name;
    ASSERT_EQ(rt::EndSound(), 0) << c.name;
  }
}

TEST_F(SoundStartup, StartsOnceWithALoopingSilentBuffer) {
  ASSERT_EQ(rt::InitSound(), 0);
  rt::SoundState& s = rt::GetSoundState();
  platform::AudioMixer* device = s.device;
  EXPECT_EQ(rt::InitSound(), -1);
  EXPECT_EQ(s.device, device);
  ASSERT_NE(s.silentBuffer, nullptr);
  uint32_t status = 0;
  s.silentBuffer->GetStatus(&status);
  EXPECT_EQ(status, platform::kStatusPlaying | platform::kStatusLooping);
  sink_.Render(1000);
  EXPECT_EQ(platform::MeasurePcm16(sink_.Recorded().data(), sink_.Recorded().size()).peak, 0.0);
}

TEST_F(SoundStartup, EndFreesEverythingAndAllowsAnotherStart) {
  ASSERT_EQ(rt::InitSound(), 0);
  testing_support::WriteFileBytes(dir_.File("a.wav"),
                                  testing_support::PcmWav(testing_support::SineTone(1, 22050, 0.5, 440), 1, 22050));
  testing_support::WriteFileBytes(dir_.File("song.mid"), sound_test::ShortMidiSong());
  ASSERT_NE(rt::LoadSoundImpl("a.wav", 3, -1), -1);
  ASSERT_EQ(rt::PlayMusicFileImpl("song.mid", rt::kPlayLoop), 0);
  const std::string midiFile = rt::GetSoundState().tempMidiPath;
  EXPECT_TRUE(testing_support::FileExists(midiFile));
  ASSERT_EQ(rt::EndSound(), 0);
  rt::SoundState& s = rt::GetSoundState();
  EXPECT_EQ(s.device, nullptr);
  EXPECT_EQ(s.sounds.count(), 0);
  EXPECT_EQ(s.music.count(), 0);
  EXPECT_FALSE(testing_support::FileExists(midiFile));
  EXPECT_FALSE(sink_.Started());
  EXPECT_EQ(rt::EndSound(), -1);
  ASSERT_EQ(rt::InitSound(), 0);
  EXPECT_NE(rt::LoadSoundImpl("a.wav", 1, -1), -1);
}

// With no device the game must play as with one: sounds and music end in their own time
// on the clock, and the log says once that nothing is heard.
TEST_F(SoundStartup, WithoutADeviceTheSilentOutputKeepsTime) {
  const struct {
    const char* name;
    bool failConnect, failStart;
  } cases[] = {{"no audio system", true, false}, {"no device", false, true}};
  const int rate = 22050;
  testing_support::WriteFileBytes(dir_.File("a.wav"),
                                  testing_support::PcmWav(testing_support::SineTone(1, rate, 0.5, 440), 1, rate));
  // Longer than a stream sound's buffer, so it ends only when the refills went on.
  testing_support::WriteFileBytes(dir_.File("bgm.ogg"),
                                  sound_test::EncodeOgg(testing_support::SineTone(2, rate, 4.0, 440), 2, rate));
  testing_support::WriteFileBytes(dir_.File("song.mid"), sound_test::ShortMidiSong());
  platform::VirtualClock clock(1000000);
  platform::SetClock(&clock);
  // Steps of a frame of the game, with the message pump's sound work after each.
  const auto playFor = [&](int ms) {
    for (int t = 0; t < ms; t += 16) {
      clock.AdvanceMs(16);
      rt::RefillAllStreamSounds();
      rt::PollMusicPlayState();
    }
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    rt::GetLogState() = rt::LogState{};
    rt::SetLogDirectory(dir_.path());
    rt::LogStart();
    sink_.SetFailConnect(c.failConnect);
    sink_.SetFailStart(c.failStart);
    ASSERT_EQ(rt::InitSound(), 0);
    ASSERT_NE(rt::GetSoundState().silentOutput, nullptr);

    const int sound = LoadSound("a.wav", 1, -1);
    ASSERT_NE(sound, -1);
    ASSERT_EQ(PlaySoundHandle(sound, 1, 1), 0);
    playFor(400);
    EXPECT_EQ(CheckSoundPlaying(sound), 1);
    playFor(200);
    EXPECT_EQ(CheckSoundPlaying(sound), 0) << "ended once its half second had played";

    ASSERT_EQ(PlayMusicFile("bgm.ogg", 1), 0);
    ASSERT_EQ(rt::GetSoundState().musicIsStream, 1);
    playFor(3800);
    EXPECT_EQ(CheckMusicPlaying(), 1);
    playFor(400);
    EXPECT_EQ(CheckMusicPlaying(), 0) << "the stream moved on to its end";

    ASSERT_EQ(PlayMusicFile("song.mid", 1), 0);
    if (rt::GetSoundState().musicIsStream == 0) {
      EXPECT_EQ(CheckMusicPlaying(), 1);
      playFor(2000);
      EXPECT_EQ(CheckMusicPlaying(), 0) << "the song ended";
    }
    ASSERT_EQ(rt::EndSound(), 0);
    EXPECT_EQ(rt::GetSoundState().silentOutput, nullptr);
    const std::string log = testing_support::ReadFileBytes(dir_.File("Log.txt"));
    const std::string notice = "サウンドデバイスが開けないため、音を出さずに続けます";
    const size_t at = log.find(notice);
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(log.find(notice, at + 1), std::string::npos) << "said once";
  }
  platform::SetClock(nullptr);
  rt::GetLogState() = rt::LogState{};
}

// At exit() the sound state is destroyed without EndSound: the running device is shut down
// while its sink still exists (the sanitizers report a use after free otherwise).
TEST(SoundStateTeardown, ARunningDeviceStopsBeforeItsSinkIsFreed) {
  auto state = std::make_unique<rt::SoundState>();
  state->ownedSink = std::make_unique<platform::RecordingAudioSink>();
  state->ownedDevice = std::make_unique<platform::AudioMixer>(state->ownedSink.get());
  ASSERT_EQ(state->ownedDevice->Connect(), 0);
  ASSERT_EQ(state->ownedDevice->Initialize(), 0);
  ASSERT_EQ(state->ownedDevice->SetPrimaryFormat(platform::MakePcmFormat(2, 44100, 16)), 0);
  state.reset();
}

TEST(SoundOnTheSystemOutput, PlaysThroughSdlsSilentDriver) {
  // The dummy driver pulls frames in real time and discards them: no sound card needed.
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  testing_support::ScopedTempDir dir;
  testing_support::WriteFileBytes(dir.File("blip.wav"),
                                  testing_support::PcmWav(testing_support::SineTone(1, 22050, 0.05, 440), 1, 22050));
  ASSERT_EQ(rt::InitSound(), 0);
  const int h = rt::LoadSoundImpl("blip.wav", 1, -1);
  ASSERT_EQ(rt::PlaySoundHandleImpl(h, rt::kPlayBack, 1), 0);
  for (int waited = 0; waited < 5000 && rt::CheckSoundPlayingImpl(h) == 1; waited += 10)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(rt::CheckSoundPlayingImpl(h), 0) << "the output thread played it to the end";
  EXPECT_EQ(rt::EndSound(), 0);
}

}  // namespace
