// Movies played into graphs: opened by the graph loader, frames handed into the graph's
// store at the movie clock's times, play, pause, end, the window's activation, a display
// change, deletion, and movies inside archives.
#include "runtime/movie/movie.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <future>
#include <mutex>
#include <string>
#include <thread>

#include "platform/clock.h"
#include "runtime/api.h"
#include "runtime/core/library_lock.h"
#include "runtime/display/display_state.h"
#include "runtime/image/graph_load.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/surface_2d.h"
#include "runtime/image/surface_data.h"
#include "runtime/sound/sound_state.h"
#include "tests/support/archive_fixture.h"
#include "tests/support/display_fixture.h"
#include "tests/support/movie_fixture.h"

namespace {

using testing_support::MakeMovie;
using testing_support::MovieColours;
using testing_support::MovieOptions;
using testing_support::NearColour;
using testing_support::RunningDisplay;
using testing_support::WriteFileBytes;

constexpr uint32_t kFrameMs = 100;

class MovieGraphTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(display_.started());
    platform::SetClock(&clock_);
  }
  void TearDown() override { platform::SetClock(&display_.runtime().clock()); }

  std::string Write(const std::string& name, const std::string& bytes) {
    WriteFileBytes(display_.runtime().dir().File(name), bytes);
    return name;
  }

  // The colour at the centre of the graph's store (0x00RRGGBB).
  static uint32_t GraphColour(int graph) {
    const rt::GraphRecord* record = rt::GetGraphRecord(graph);
    if (!record || record->surfaceCount < 1) return 0xDEAD;
    const rt::Surface2D* surface = rt::GetSurface2D(static_cast<int>(record->surfaceHandles[0]));
    const rt::SurfaceData* data = surface ? rt::GetSurfaceData(surface->surfaceData) : nullptr;
    if (!data) return 0xDEAD;
    const rt::MEMIMG& image = data->image;
    uint32_t v = 0;
    std::memcpy(&v, image.pixels + static_cast<ptrdiff_t>(image.pitch) * (surface->storeY + record->height / 2) +
                        (surface->storeX + record->width / 2) * 4, 4);
    return v & 0xFFFFFF;
  }

  // A forced update: the graph shows what is due at the clock's time.
  uint32_t ShownAt(int graph) {
    EXPECT_EQ(rt::UpdateMovieToGraph(graph, 1), 0);
    return GraphColour(graph);
  }

  rt::MovieRecord* MovieOf(int graph) {
    const rt::GraphRecord* record = rt::GetGraphRecord(graph);
    return record ? rt::GetMovieRecord(record->movieHandle) : nullptr;
  }

  RunningDisplay display_;
  platform::VirtualClock clock_;
};

TEST_F(MovieGraphTest, GraphLoaderOpensMoviesOfBothContainers) {
  struct Case {
    const char* file;
    platform::MovieContainer container;
    int audioRate;
    int width, height;
  };
  // Widths off the converters' block sizes: their vector stores run past the row's end.
  const Case cases[] = {
      {"clip.avi", platform::MovieContainer::kAvi, 0, 40, 30},
      {"clip_sound.avi", platform::MovieContainer::kAvi, 22050, 50, 22},
      {"clip.mkv", platform::MovieContainer::kMatroska, 0, 36, 30},
      {"clip_sound.mkv", platform::MovieContainer::kMatroska, 44100, 40, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    MovieOptions options;
    options.container = c.container;
    options.audioRate = c.audioRate;
    options.width = c.width;
    options.height = c.height;
    const int graph = LoadGraph(Write(c.file, MakeMovie(options)).c_str());
    ASSERT_NE(graph, -1);
    int w = 0, h = 0;
    EXPECT_EQ(rt::GetGraphSize(graph, &w, &h), 0);
    EXPECT_EQ(w, c.width);
    EXPECT_EQ(h, c.height);
    const rt::MovieRecord* movie = MovieOf(graph);
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->width, c.width);
    EXPECT_EQ(movie->height, c.height);
    EXPECT_EQ(movie->running, 0);
    EXPECT_EQ(movie->timePerFrame, 100000);
    // The first picture is there before the movie runs.
    EXPECT_TRUE(NearColour(ShownAt(graph), MovieColours()[0]));
    EXPECT_EQ(DeleteGraph(graph), 0);
  }
  EXPECT_EQ(rt::GetMovieState().table.count(), 0);
}

TEST_F(MovieGraphTest, FramesFollowTheClockWithPauseAndEnd) {
  const int graph = LoadGraph(Write("clip.avi", MakeMovie({platform::MovieContainer::kAvi})).c_str());
  ASSERT_NE(graph, -1);
  ASSERT_EQ(PlayMovieToGraph(graph), 0);
  EXPECT_EQ(MovieOf(graph)->running, 1);
  EXPECT_TRUE(NearColour(ShownAt(graph), MovieColours()[0]));
  clock_.AdvanceMs(kFrameMs + 20);
  EXPECT_TRUE(NearColour(ShownAt(graph), MovieColours()[1]));

  ASSERT_EQ(PauseMovieToGraph(graph), 0);
  EXPECT_EQ(MovieOf(graph)->running, 0);
  clock_.AdvanceMs(5 * kFrameMs);
  EXPECT_TRUE(NearColour(ShownAt(graph), MovieColours()[1]));
  ASSERT_EQ(PlayMovieToGraph(graph), 0);
  clock_.AdvanceMs(kFrameMs);
  EXPECT_TRUE(NearColour(ShownAt(graph), MovieColours()[2]));

  // Past the end: the last picture stays and the movie stops.
  clock_.AdvanceMs(10 * kFrameMs);
  EXPECT_TRUE(NearColour(ShownAt(graph), MovieColours()[3]));
  ShownAt(graph);
  EXPECT_EQ(MovieOf(graph)->running, 0);
  EXPECT_TRUE(NearColour(GraphColour(graph), MovieColours()[3]));
  // Played again, it starts over: a caller loops a movie this way.
  ASSERT_EQ(PlayMovieToGraph(graph), 0);
  EXPECT_TRUE(NearColour(ShownAt(graph), MovieColours()[0]));
  clock_.AdvanceMs(kFrameMs);
  EXPECT_TRUE(NearColour(ShownAt(graph), MovieColours()[1]));
  EXPECT_EQ(DeleteGraph(graph), 0);
}

TEST_F(MovieGraphTest, SoundGoesToTheMixerAndTimesThePictures) {
  ASSERT_NE(rt::GetSoundState().device, nullptr);
  platform::RecordingAudioSink& sink = display_.runtime().audio();
  const int rate = static_cast<int>(sink.Format().samplesPerSec);
  MovieOptions options;
  options.audioRate = 44100;
  const int graph = LoadGraph(Write("sound.mkv", MakeMovie(options)).c_str());
  ASSERT_NE(graph, -1);
  ASSERT_EQ(PlayMovieToGraph(graph), 0);
  EXPECT_TRUE(NearColour(ShownAt(graph), MovieColours()[0]));
  sink.ClearRecording();
  ASSERT_TRUE(sink.Render(rate * 3 / 10 + rate / 50));
  EXPECT_TRUE(NearColour(ShownAt(graph), MovieColours()[3]));
  EXPECT_GT(platform::MeasurePcm16(sink.Recorded().data(), sink.Recorded().size()).peak, 0.2);
  // Deleting the graph takes its voice out of the mixer.
  EXPECT_EQ(DeleteGraph(graph), 0);
  sink.ClearRecording();
  ASSERT_TRUE(sink.Render(rate / 10));
  EXPECT_EQ(platform::MeasurePcm16(sink.Recorded().data(), sink.Recorded().size()).peak, 0.0);
}

TEST_F(MovieGraphTest, DrawingTheGraphShowsTheNewestFrame) {
  const int graph = LoadGraph(Write("clip.mkv", MakeMovie()).c_str());
  ASSERT_NE(graph, -1);
  ASSERT_EQ(PlayMovieToGraph(graph), 0);
  clock_.AdvanceMs(2 * kFrameMs + 10);
  // Draws never wait for the decoder: the picture arrives within a few frames.
  bool shown = false;
  for (int i = 0; i < 2000 && !shown; ++i) {
    ASSERT_EQ(DrawGraph(100, 100, graph, 0), 0);
    shown = NearColour(display_.BackPixel(110, 110) & 0xFFFFFF, MovieColours()[2]);
    if (!shown) {
      // The next draw asks again once the screen has flipped.
      FlipScreen();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  EXPECT_TRUE(shown);
  EXPECT_EQ(DeleteGraph(graph), 0);
}

TEST_F(MovieGraphTest, ActivationAndDisplayChangeKeepTheMoviesPlace) {
  const int graph = LoadGraph(Write("clip.avi", MakeMovie({platform::MovieContainer::kAvi})).c_str());
  const int never = LoadGraph(Write("other.mkv", MakeMovie()).c_str());
  ASSERT_NE(graph, -1);
  ASSERT_NE(never, -1);
  ASSERT_EQ(PlayMovieToGraph(graph), 0);
  clock_.AdvanceMs(kFrameMs + 10);
  EXPECT_TRUE(NearColour(ShownAt(graph), MovieColours()[1]));

  EXPECT_EQ(rt::PauseAllMovies(), 0);
  EXPECT_EQ(MovieOf(graph)->running, 0);
  clock_.AdvanceMs(10 * kFrameMs);
  EXPECT_EQ(rt::ResumeAllMovies(), 0);
  // Also the movie that was never started runs now.
  EXPECT_EQ(MovieOf(graph)->running, 1);
  EXPECT_EQ(MovieOf(never)->running, 1);

  // Around a display change each movie goes on from where it was.
  EXPECT_EQ(rt::ReleaseAllMovieStreams(), 0);
  EXPECT_EQ(MovieOf(graph)->stream, nullptr);
  EXPECT_EQ(rt::UpdateMovieToGraph(graph, 1), 0);
  EXPECT_EQ(PlayMovieToGraph(graph), 0);
  clock_.AdvanceMs(5 * kFrameMs);
  EXPECT_EQ(rt::ReopenAllMovies(), 0);
  ASSERT_NE(MovieOf(graph)->stream, nullptr);
  EXPECT_EQ(MovieOf(graph)->stream->Position(), (kFrameMs + 10) * 1000);
  EXPECT_TRUE(NearColour(ShownAt(graph), MovieColours()[1]));
  clock_.AdvanceMs(kFrameMs);
  EXPECT_TRUE(NearColour(ShownAt(graph), MovieColours()[2]));
  EXPECT_EQ(DeleteGraph(graph), 0);
  EXPECT_EQ(DeleteGraph(never), 0);
}

TEST_F(MovieGraphTest, DeletingTheGraphClosesTheMovie) {
  const int graph = LoadGraph(Write("clip.mkv", MakeMovie()).c_str());
  ASSERT_NE(graph, -1);
  const int movie = rt::GetGraphRecord(graph)->movieHandle;
  ASSERT_NE(rt::GetMovieRecord(movie), nullptr);
  EXPECT_EQ(DeleteGraph(graph), 0);
  EXPECT_EQ(rt::GetMovieRecord(movie), nullptr);
  EXPECT_EQ(rt::GetMovieState().table.count(), 0);
  // The dead graph and its dead movie are refused.
  EXPECT_EQ(rt::UpdateMovieToGraph(graph, 0), -1);
  EXPECT_EQ(PlayMovieToGraph(graph), -1);
  EXPECT_EQ(rt::CloseMovieToGraph(graph), -1);
}

TEST_F(MovieGraphTest, MovieInsideAnArchivePlaysInPlace) {
  SetArchiveExtension("akn");
  SetArchiveKeyString("pela_vix");
  testing_support::WriteArchive(display_.runtime().dir().File("mov.akn"),
                                {{"clip.avi", MakeMovie({platform::MovieContainer::kAvi})}},
                                testing_support::ArchiveOptions("pela_vix"));
  const int graph = LoadGraph("mov/clip.avi");
  ASSERT_NE(graph, -1);
  EXPECT_EQ(MovieOf(graph)->tempCopy, 0);
  ASSERT_EQ(PlayMovieToGraph(graph), 0);
  EXPECT_TRUE(NearColour(ShownAt(graph), MovieColours()[0]));
  clock_.AdvanceMs(3 * kFrameMs + 10);
  EXPECT_TRUE(NearColour(ShownAt(graph), MovieColours()[3]));
  EXPECT_EQ(DeleteGraph(graph), 0);
}

TEST_F(MovieGraphTest, FilesThatAreNoMovieFailWithTheLoadersMessages) {
  const std::string movie = MakeMovie();
  struct Case {
    const char* file;
    std::string bytes;
  };
  std::string broken("\x89PNG\r\n\x1a\n", 8);
  broken.append(200, '\0');
  const Case cases[] = {
      {"text.png", std::string(3000, 'q')},
      {"broken.png", broken},
      {"short.mkv", movie.substr(0, 60)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(LoadGraph(Write(c.file, c.bytes).c_str()), -1);
    const std::string log = display_.runtime().Log();
    EXPECT_NE(log.find(std::string("右記のグラフィックファイルのロードに失敗しました：") + c.file), std::string::npos);
  }
  EXPECT_NE(display_.runtime().Log().find("ムービーファイルオープン処理時にエラーが発生しました"), std::string::npos);
  EXPECT_EQ(LoadGraph("missing.avi"), -1);
  EXPECT_NE(display_.runtime().Log().find("グラフィックファイル missing.avi がありません"), std::string::npos);
  EXPECT_EQ(rt::GetMovieState().table.count(), 0);
}

TEST_F(MovieGraphTest, DerivedGraphGetsOnlyWhatFitsItsRectangle) {
  const int graph = LoadGraph(Write("clip.mkv", MakeMovie()).c_str());
  ASSERT_NE(graph, -1);
  const int corner = rt::DeriveGraph(20, 14, 12, 10, graph);
  ASSERT_NE(corner, -1);
  EXPECT_TRUE(NearColour(ShownAt(graph), MovieColours()[0]));
  ASSERT_EQ(PlayMovieToGraph(graph), 0);
  clock_.AdvanceMs(kFrameMs + 10);
  // The derived graph's update writes the frame's top-left corner into its own rectangle
  // of the shared store, not whole frame rows past it.
  EXPECT_TRUE(NearColour(ShownAt(corner), MovieColours()[1]));
  const rt::GraphRecord* record = rt::GetGraphRecord(graph);
  const rt::SurfaceData* data =
      rt::GetSurfaceData(rt::GetSurface2D(static_cast<int>(record->surfaceHandles[0]))->surfaceData);
  uint32_t topLeft = 0;
  std::memcpy(&topLeft, data->image.pixels + data->image.pitch * 2 + 2 * 4, 4);
  EXPECT_TRUE(NearColour(topLeft & 0xFFFFFF, MovieColours()[0]));
  EXPECT_EQ(DeleteGraph(graph), 0);
}

// A graph whose store keeps the screen's format gets each frame written straight into its
// rows: the movie's own frame buffer stays as it was made (zeroed), and the store's bytes
// past the graph's rows stay as they were. A graph derived from it gets its part through
// that buffer. Widths in whole and in broken blocks of the converter.
TEST_F(MovieGraphTest, FramesGoStraightIntoTheGraphsStore) {
  for (int width : {64, 40}) {
    SCOPED_TRACE(width);
    MovieOptions options;
    options.width = width;
    options.height = 24;
    const int graph = LoadGraph(Write("clip.mkv", MakeMovie(options)).c_str());
    ASSERT_NE(graph, -1);
    const rt::MovieRecord* movie = MovieOf(graph);
    ASSERT_NE(movie, nullptr);
    const auto bufferUnused = [movie] {
      const size_t bytes = static_cast<size_t>(movie->frame.pitch) * movie->frame.height;
      return std::all_of(movie->frame.pixels, movie->frame.pixels + bytes, [](uint8_t b) { return b == 0; });
    };
    const rt::GraphRecord* record = rt::GetGraphRecord(graph);
    const rt::Surface2D* surface = rt::GetSurface2D(static_cast<int>(record->surfaceHandles[0]));
    const rt::MEMIMG& image = rt::GetSurfaceData(surface->surfaceData)->image;
    // Everything of the store outside the graph's rectangle.
    const auto outside = [&] {
      std::string bytes;
      for (int y = 0; y < image.height; ++y) {
        const char* line = reinterpret_cast<const char*>(image.pixels) + static_cast<ptrdiff_t>(image.pitch) * y;
        if (y < surface->storeY || y >= surface->storeY + options.height) {
          bytes.append(line, static_cast<size_t>(image.pitch));
          continue;
        }
        bytes.append(line, static_cast<size_t>(surface->storeX) * 4);
        bytes.append(line + (surface->storeX + width) * 4, static_cast<size_t>(image.pitch - (surface->storeX + width) * 4));
      }
      return bytes;
    };
    const std::string before = outside();
    EXPECT_TRUE(NearColour(ShownAt(graph), MovieColours()[0]));
    ASSERT_EQ(PlayMovieToGraph(graph), 0);
    clock_.AdvanceMs(kFrameMs + 10);
    EXPECT_TRUE(NearColour(ShownAt(graph), MovieColours()[1]));
    EXPECT_TRUE(bufferUnused());
    EXPECT_EQ(outside(), before);

    const int corner = rt::DeriveGraph(4, 4, 8, 8, graph);
    ASSERT_NE(corner, -1);
    clock_.AdvanceMs(kFrameMs);
    EXPECT_TRUE(NearColour(ShownAt(corner), MovieColours()[2]));
    EXPECT_FALSE(bufferUnused());
    EXPECT_EQ(DeleteGraph(corner), 0);
    EXPECT_EQ(DeleteGraph(graph), 0);
  }
}

TEST_F(MovieGraphTest, HundredMoviesAtMost) {
  platform::SetMovieOpenerOverride([](std::unique_ptr<platform::MovieByteSource>, platform::MovieLayout layout,
                                      platform::AudioMixer*, platform::MovieOpenError*)
                                       -> std::unique_ptr<platform::MovieDecoder> {
    platform::MovieScript script;
    script.colours = {0x123456};
    return std::make_unique<platform::ScriptedMovie>(script, layout, nullptr);
  });
  Write("scripted.mov", "any bytes that no image loader takes");
  int first = -1, last = -1;
  for (int i = 0; i < rt::kMovieSlots; ++i) {
    last = rt::OpenMovieToGraph("scripted.mov", nullptr, nullptr, 0);
    ASSERT_NE(last, -1) << i;
    if (i == 0) first = last;
  }
  EXPECT_EQ(rt::OpenMovieToGraph("scripted.mov", nullptr, nullptr, 0), -1);
  // A freed slot is taken again first.
  ASSERT_EQ(rt::CloseMovie(first), 0);
  const int again = rt::OpenMovieToGraph("scripted.mov", nullptr, nullptr, 0);
  EXPECT_EQ(rt::HandleSlot(again), 0);
  EXPECT_NE(again, first);
  rt::CloseAllMovies();
  platform::SetMovieOpenerOverride(nullptr);
  EXPECT_EQ(rt::GetMovieState().table.count(), 0);
}

// A decoder whose first item waits until the test opens its gate (or two seconds pass), then
// ends the movie; it counts its destructions.
class GatedMovie final : public platform::MovieDecoder {
 public:
  struct Gate {
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    int destroyed = 0;
  };
  GatedMovie(platform::MovieLayout layout, Gate* gate) : MovieDecoder(layout, nullptr), gate_(gate) {
    info_.width = 4;
    info_.height = 4;
    info_.frameTimeUs = 100000;
    info_.durationUs = 100000;
    Start();
  }
  ~GatedMovie() override {
    Stop();
    std::lock_guard<std::mutex> lock(gate_->mutex);
    ++gate_->destroyed;
  }

 protected:
  platform::MovieItem DecodeNext() override {
    std::unique_lock<std::mutex> lock(gate_->mutex);
    gate_->opened.wait_for(lock, std::chrono::seconds(2), [&] { return gate_->open; });
    return platform::MovieItem{};
  }
  bool SeekTo(int64_t) override { return false; }

 private:
  Gate* gate_;
};

GatedMovie::Gate* g_gate = nullptr;

// A forced update lets the library lock go while the decoder catches up. A movie closed by
// another thread in that time is destroyed only when the update is done with its decoder.
TEST_F(MovieGraphTest, MovieClosedWhileAForcedUpdateWaitsForItsDecoder) {
  GatedMovie::Gate gate;
  g_gate = &gate;
  platform::SetMovieOpenerOverride([](std::unique_ptr<platform::MovieByteSource>, platform::MovieLayout layout,
                                      platform::AudioMixer*, platform::MovieOpenError*)
                                       -> std::unique_ptr<platform::MovieDecoder> {
    return std::make_unique<GatedMovie>(layout, g_gate);
  });
  Write("gated.mov", "any bytes that no image loader takes");
  const int graph = LoadGraph("gated.mov");
  ASSERT_GE(graph, 0);
  ASSERT_EQ(PlayMovieToGraph(graph), 0);
  clock_.AdvanceMs(50);

  std::promise<void> locked;
  int result = -2;
  std::thread updater([&] {
    rt::LockLibrary();
    locked.set_value();
    result = rt::UpdateMovieToGraph(graph, 1);
    rt::UnlockLibrary();
  });
  locked.get_future().wait();
  // The lock is ours only once the update has let it go to wait for the decoder.
  rt::LockLibrary();
  EXPECT_EQ(rt::CloseMovieToGraph(graph), 0);
  {
    std::lock_guard<std::mutex> lock(gate.mutex);
    EXPECT_EQ(gate.destroyed, 0) << "the decoder went while an update was still waiting on it";
    gate.open = true;
  }
  gate.opened.notify_all();
  rt::UnlockLibrary();
  updater.join();

  EXPECT_EQ(result, 0);
  EXPECT_EQ(gate.destroyed, 1);
  EXPECT_EQ(rt::GetMovieState().table.count(), 0);
  platform::SetMovieOpenerOverride(nullptr);
  g_gate = nullptr;
  DeleteGraph(graph);
}

// On a 16-bit screen: mode 1 (no overlay here) and mode 2 keep 24-bit frames that go
// through the conversion blitter; mode 0 keeps the screen's 5-6-5 format.
TEST(MovieSixteenBitTest, SurfaceModesAndTheirFrames) {
  testing_support::HeadlessRuntime runtime;
  runtime.windows().desktop.colorBits = 16;  // a window takes the desktop's depth
  ChangeWindowMode(1);
  SetScreenMode(800, 600, 16, 60);
  ASSERT_EQ(InitLibrary(), 0);
  ASSERT_EQ(rt::GetScreenStateRecord().screenBits, 16);
  platform::VirtualClock clock;
  platform::SetClock(&clock);
  testing_support::WriteFileBytes(runtime.dir().File("clip.mkv"), MakeMovie());
  struct Case {
    int option;
    int mode;
    int frameBits;
  };
  for (const Case& c : {Case{0, rt::kMovieModePlain, 16}, Case{1, rt::kMovieModeRgb24, 24},
                        Case{2, rt::kMovieModeRgb24, 24}}) {
    SCOPED_TRACE(c.option);
    const int graph = rt::LoadGraphFromFile("clip.mkv", 0, 0, c.option);
    ASSERT_NE(graph, -1);
    const rt::GraphRecord* record = rt::GetGraphRecord(graph);
    const rt::MovieRecord* movie = rt::GetMovieRecord(record->movieHandle);
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->surfaceMode, c.mode);
    EXPECT_EQ(movie->frame.format.colorBitDepth, c.frameBits);
    EXPECT_EQ(movie->overlay, 0);
    ASSERT_EQ(rt::UpdateMovieToGraph(graph, 1), 0);
    const rt::Surface2D* surface = rt::GetSurface2D(static_cast<int>(record->surfaceHandles[0]));
    const rt::MEMIMG& image = rt::GetSurfaceData(surface->surfaceData)->image;
    uint16_t v = 0;
    std::memcpy(&v, image.pixels + image.pitch * 12 + 16 * 2, 2);
    const uint32_t rgb = uint32_t{(v >> 11 & 0x1Fu) << 3} << 16 | uint32_t{(v >> 5 & 0x3Fu) << 2} << 8 |
                         uint32_t{(v & 0x1Fu) << 3};
    EXPECT_TRUE(NearColour(rgb, MovieColours()[0], 16)) << std::hex << rgb;
    EXPECT_EQ(DeleteGraph(graph), 0);
  }
  platform::SetClock(&runtime.clock());
}

}  // namespace
