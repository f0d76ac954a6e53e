// The decoder behind movie graphs: the one-frame mailbox and the movie clock (on the
// scripted double), and FFmpeg's backend over movies made in the test.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/movie.h"
#include "tests/support/image_fixture.h"
#include "tests/support/movie_fixture.h"

namespace {

using platform::MovieDecoder;
using Take = platform::MovieDecoder::Take;
using testing_support::MakeMovie;
using testing_support::MovieColours;
using testing_support::MovieOptions;
using testing_support::NearColour;

constexpr int64_t kFrameUs = 100000;

class MovieDecoderTest : public testing::Test {
 protected:
  void SetUp() override { platform::SetClock(&clock_); }
  void TearDown() override { platform::SetClock(nullptr); }

  // Takes a frame (waiting for the decoder) and gives the colour at its centre.
  Take TakeColour(MovieDecoder& movie, uint32_t* colour) {
    const auto& info = movie.info();
    const int pitch = info.width * 4;
    std::vector<uint8_t> pixels(static_cast<size_t>(pitch) * info.height);
    const Take take = movie.TakeFrame(pixels.data(), pitch, true);
    const uint8_t* p = pixels.data() + static_cast<size_t>(pitch) * (info.height / 2) + (info.width / 2) * 4;
    *colour = uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    return take;
  }

  std::unique_ptr<MovieDecoder> OpenBytes(const std::string& bytes, platform::AudioMixer* mixer = nullptr,
                                          platform::MovieOpenError* error = nullptr,
                                          platform::MovieLayout layout = platform::MovieLayout::kXrgb8888) {
    held_.push_back(bytes);
    const std::string& kept = held_.back();
    return platform::OpenMovie(
        std::make_unique<platform::MemoryByteSource>(reinterpret_cast<const uint8_t*>(kept.data()), kept.size()),
        layout, mixer, error);
  }

  platform::VirtualClock clock_;
  std::vector<std::string> held_;
};

TEST_F(MovieDecoderTest, MailboxHoldsOnlyTheNewestDueFrame) {
  platform::MovieScript script;
  script.colours = {0x100000, 0x200000, 0x300000, 0x400000};
  platform::ScriptedMovie movie(script, platform::MovieLayout::kXrgb8888, nullptr);
  uint32_t colour = 0;
  // Not playing yet: the first picture is there, the clock stands.
  ASSERT_EQ(TakeColour(movie, &colour), Take::kFrame);
  EXPECT_EQ(colour, 0x100000u);
  clock_.AdvanceMs(500);
  EXPECT_EQ(TakeColour(movie, &colour), Take::kNone);

  movie.Play();
  clock_.AdvanceUs(2 * kFrameUs + kFrameUs / 2);
  // Frames 1 and 2 came due together: only frame 2 is handed over, once.
  ASSERT_EQ(TakeColour(movie, &colour), Take::kFrame);
  EXPECT_EQ(colour, 0x300000u);
  EXPECT_EQ(TakeColour(movie, &colour), Take::kNone);
  EXPECT_EQ(movie.Position(), 2 * kFrameUs + kFrameUs / 2);
}

TEST_F(MovieDecoderTest, PauseStopsTheClockAndSeekShowsTheFrameThen) {
  platform::MovieScript script;
  script.colours = {0x010101, 0x020202, 0x030303, 0x040404};
  platform::ScriptedMovie movie(script, platform::MovieLayout::kXrgb8888, nullptr);
  uint32_t colour = 0;
  movie.Play();
  clock_.AdvanceUs(kFrameUs + 10);
  ASSERT_EQ(TakeColour(movie, &colour), Take::kFrame);
  EXPECT_EQ(colour, 0x020202u);
  movie.Pause();
  clock_.AdvanceMs(1000);
  EXPECT_EQ(movie.Position(), kFrameUs + 10);
  EXPECT_EQ(TakeColour(movie, &colour), Take::kNone);

  movie.Seek(3 * kFrameUs);
  ASSERT_EQ(TakeColour(movie, &colour), Take::kFrame);
  EXPECT_EQ(colour, 0x040404u);
  movie.Seek(0);
  ASSERT_EQ(TakeColour(movie, &colour), Take::kFrame);
  EXPECT_EQ(colour, 0x010101u);
  EXPECT_FALSE(movie.Playing());
}

TEST_F(MovieDecoderTest, EndAndBreakAreReportedOnceThePicturesAreShown) {
  struct Case {
    const char* what;
    int failAfter;
    uint32_t last;
  };
  for (const Case& c : {Case{"plays to its end", -1, 0x030303}, Case{"breaks after two frames", 2, 0x020202}}) {
    SCOPED_TRACE(c.what);
    platform::MovieScript script;
    script.colours = {0x010101, 0x020202, 0x030303};
    script.failAfterFrames = c.failAfter;
    platform::ScriptedMovie movie(script, platform::MovieLayout::kXrgb8888, nullptr);
    movie.Play();
    clock_.AdvanceMs(5000);
    uint32_t colour = 0;
    ASSERT_EQ(TakeColour(movie, &colour), Take::kFrame);
    EXPECT_EQ(colour, c.last);
    EXPECT_EQ(TakeColour(movie, &colour), Take::kEnded);
  }
}

TEST_F(MovieDecoderTest, SoundIsMixedAndIsTheClock) {
  platform::RecordingAudioSink sink;
  platform::AudioMixer mixer(&sink);
  ASSERT_EQ(mixer.Connect(), 0);
  ASSERT_EQ(mixer.Initialize(), 0);
  const int rate = static_cast<int>(mixer.PrimaryFormat().samplesPerSec);
  platform::MovieScript script;
  script.colours = {0x010101, 0x020202, 0x030303, 0x040404};
  script.audioRate = rate;
  platform::ScriptedMovie movie(script, platform::MovieLayout::kXrgb8888, &mixer);
  uint32_t colour = 0;
  ASSERT_EQ(TakeColour(movie, &colour), Take::kFrame);
  movie.Play();
  // The platform clock does not move a movie with sound.
  clock_.AdvanceMs(1000);
  EXPECT_EQ(TakeColour(movie, &colour), Take::kNone);
  ASSERT_TRUE(sink.Render(rate * 25 / 100));
  EXPECT_EQ(movie.Position(), 250000);
  ASSERT_EQ(TakeColour(movie, &colour), Take::kFrame);
  EXPECT_EQ(colour, 0x030303u);
  EXPECT_GT(platform::MeasurePcm16(sink.Recorded().data(), sink.Recorded().size()).peak, 0.1);

  // Paused, nothing is mixed.
  movie.Pause();
  sink.ClearRecording();
  ASSERT_TRUE(sink.Render(rate / 10));
  EXPECT_EQ(platform::MeasurePcm16(sink.Recorded().data(), sink.Recorded().size()).peak, 0.0);
  EXPECT_EQ(movie.Position(), 250000);
}

struct ContainerCase {
  const char* what;
  platform::MovieContainer container;
  int audioRate;
};

const ContainerCase kContainers[] = {
    {"AVI", platform::MovieContainer::kAvi, 0},
    {"AVI with sound", platform::MovieContainer::kAvi, 22050},
    {"Matroska", platform::MovieContainer::kMatroska, 0},
    {"Matroska with sound", platform::MovieContainer::kMatroska, 44100},
};

TEST_F(MovieDecoderTest, EncodedMoviesShowTheirFramesAtTheirTimes) {
  for (const ContainerCase& c : kContainers) {
    SCOPED_TRACE(c.what);
    MovieOptions options;
    options.container = c.container;
    options.audioRate = c.audioRate;
    const std::string bytes = MakeMovie(options);
    ASSERT_FALSE(bytes.empty());
    // No mixer: the sound is left out and the platform clock times the pictures.
    auto movie = OpenBytes(bytes);
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->info().width, 32);
    EXPECT_EQ(movie->info().height, 24);
    EXPECT_EQ(movie->info().hasAudio, c.audioRate > 0);
    EXPECT_EQ(movie->info().frameTimeUs, kFrameUs);
    movie->Play();
    const int64_t times[] = {0, 50000, 150000, 399000};
    int64_t at = 0;
    for (int64_t t : times) {
      SCOPED_TRACE(t);
      clock_.AdvanceUs(static_cast<uint64_t>(t - at));
      at = t;
      uint32_t colour = 0;
      const Take take = TakeColour(*movie, &colour);
      if (t == 50000) {
        EXPECT_EQ(take, Take::kNone);  // still frame 0, already taken
        continue;
      }
      ASSERT_EQ(take, Take::kFrame);
      EXPECT_TRUE(NearColour(colour, MovieColours()[static_cast<size_t>(t / kFrameUs)])) << std::hex << colour;
    }
    clock_.AdvanceMs(1000);
    uint32_t colour = 0;
    EXPECT_EQ(TakeColour(*movie, &colour), Take::kEnded);
  }
}

TEST_F(MovieDecoderTest, EncodedMovieSeeksBackAndForth) {
  MovieOptions options;
  options.container = platform::MovieContainer::kAvi;
  options.colours = {0x101010, 0x303030, 0x505050, 0x707070, 0x909090, 0xB0B0B0, 0xD0D0D0, 0xF0F0F0};
  auto movie = OpenBytes(MakeMovie(options));
  ASSERT_NE(movie, nullptr);
  // Frame 6 lies past the key frame at 4; frame 1 before it.
  for (int frame : {6, 1, 7, 0}) {
    SCOPED_TRACE(frame);
    movie->Seek(frame * kFrameUs + 5000);
    uint32_t colour = 0;
    ASSERT_EQ(TakeColour(*movie, &colour), Take::kFrame);
    EXPECT_TRUE(NearColour(colour, options.colours[static_cast<size_t>(frame)])) << std::hex << colour;
  }
}

// A pixel of a frame in the given layout as 0x00RRGGBB.
uint32_t PixelColour(const uint8_t* p, platform::MovieLayout layout) {
  switch (layout) {
    case platform::MovieLayout::kRgb565: {
      const uint32_t v = uint32_t{p[0]} | uint32_t{p[1]} << 8;
      const uint32_t r = (v >> 11 & 31) * 255 / 31, g = (v >> 5 & 63) * 255 / 63, b = (v & 31) * 255 / 31;
      return r << 16 | g << 8 | b;
    }
    default: return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
  }
}

// Sizes off the converters' block widths, in every layout: each row of the frame is filled
// to its last pixel and nothing is written past it.
TEST_F(MovieDecoderTest, FramesOfAnyWidthFillTheirRowsInEveryLayout) {
  constexpr uint8_t kGuard = 0xA5;
  // 64 pixels of 4 bytes fill whole blocks: that frame is converted straight into the rows.
  const int sizes[][2] = {{40, 30}, {50, 18}, {66, 24}, {64, 16}};
  const platform::MovieLayout layouts[] = {platform::MovieLayout::kXrgb8888, platform::MovieLayout::kRgb565,
                                           platform::MovieLayout::kRgb888};
  for (const auto& size : sizes) {
    MovieOptions options;
    options.container = platform::MovieContainer::kAvi;
    options.width = size[0];
    options.height = size[1];
    const std::string bytes = MakeMovie(options);
    ASSERT_FALSE(bytes.empty());
    for (platform::MovieLayout layout : layouts) {
      SCOPED_TRACE(testing::Message() << size[0] << "x" << size[1] << " layout " << static_cast<int>(layout));
      auto movie = OpenBytes(bytes, nullptr, nullptr, layout);
      ASSERT_NE(movie, nullptr);
      const int pixel = platform::MovieLayoutBytes(layout);
      const int row = size[0] * pixel;
      const int pitch = row + 16;
      std::vector<uint8_t> pixels(static_cast<size_t>(pitch) * size[1], kGuard);
      ASSERT_EQ(movie->TakeFrame(pixels.data(), pitch, true), Take::kFrame);
      for (int y = 0; y < size[1]; ++y) {
        const uint8_t* line = pixels.data() + static_cast<ptrdiff_t>(pitch) * y;
        for (int x : {0, size[0] - 1}) {
          const uint32_t colour = PixelColour(line + x * pixel, layout);
          ASSERT_TRUE(NearColour(colour, MovieColours()[0], 16)) << "row " << y << " x " << x << std::hex << " " << colour;
        }
        for (int i = row; i < pitch; ++i) ASSERT_EQ(line[i], kGuard) << "row " << y;
      }
    }
  }
}

TEST_F(MovieDecoderTest, EncodedSoundPlaysThroughTheMixer) {
  platform::RecordingAudioSink sink;
  platform::AudioMixer mixer(&sink);
  ASSERT_EQ(mixer.Connect(), 0);
  ASSERT_EQ(mixer.Initialize(), 0);
  const int rate = static_cast<int>(mixer.PrimaryFormat().samplesPerSec);
  MovieOptions options;
  options.audioRate = 22050;  // resampled to the mixer's rate
  auto movie = OpenBytes(MakeMovie(options), &mixer);
  ASSERT_NE(movie, nullptr);
  uint32_t colour = 0;
  ASSERT_EQ(TakeColour(*movie, &colour), Take::kFrame);
  movie->Play();
  ASSERT_TRUE(sink.Render(rate * 2 / 10 + rate / 20));
  EXPECT_EQ(movie->Position(), 250000);
  ASSERT_EQ(TakeColour(*movie, &colour), Take::kFrame);
  EXPECT_TRUE(NearColour(colour, MovieColours()[2])) << std::hex << colour;
  const platform::PcmLevel level = platform::MeasurePcm16(sink.Recorded().data(), sink.Recorded().size());
  EXPECT_GT(level.peak, 0.2);
  EXPECT_LT(level.peak, 0.4);
  // When the sound runs out the platform clock carries the movie to its end.
  ASSERT_TRUE(sink.Render(rate));
  clock_.AdvanceMs(1000);
  Take take = TakeColour(*movie, &colour);
  if (take == Take::kFrame) take = TakeColour(*movie, &colour);
  EXPECT_EQ(take, Take::kEnded);
}

TEST_F(MovieDecoderTest, WhatIsNoMovieIsRefused) {
  testing_support::Picture picture;
  picture.width = 8;
  picture.height = 8;
  picture.pixels.assign(64, testing_support::Rgba{200, 10, 10, 255});
  const std::string movie = MakeMovie();
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", ""},
      {"a PNG picture", testing_support::MakePng(picture)},
      {"text", std::string(4000, 'x')},
      {"the first 100 bytes of a movie", movie.substr(0, 100)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::MovieOpenError error = platform::MovieOpenError::kNone;
    EXPECT_EQ(OpenBytes(c.bytes, nullptr, &error), nullptr);
    EXPECT_NE(error, platform::MovieOpenError::kNone);
  }
}

TEST_F(MovieDecoderTest, DamagedMoviesStopCleanly) {
  for (const ContainerCase& c : kContainers) {
    SCOPED_TRACE(c.what);
    MovieOptions options;
    options.container = c.container;
    options.audioRate = c.audioRate;
    const std::string bytes = MakeMovie(options);
    std::string cut = bytes.substr(0, bytes.size() * 2 / 3);
    std::string scrambled = bytes;
    for (size_t i = scrambled.size() / 2; i < scrambled.size(); i += 7) scrambled[i] = static_cast<char>(i * 31);
    for (const std::string* damaged : {&cut, &scrambled}) {
      auto movie = OpenBytes(*damaged);
      if (!movie) continue;  // refused at open: fine too
      movie->Play();
      clock_.AdvanceMs(2000);
      uint32_t colour = 0;
      Take take = TakeColour(*movie, &colour);
      if (take == Take::kFrame) take = TakeColour(*movie, &colour);
      EXPECT_EQ(take, Take::kEnded);
    }
  }
}

}  // namespace
