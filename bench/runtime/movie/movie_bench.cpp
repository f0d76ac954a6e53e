// Playing the test movies at 640 x 480 through the movie player (decoder thread, read-ahead,
// mailbox, the frame taken into a graph-sized buffer), beside a plain loop that decodes
// and converts the same file with the same libraries on one thread. Both are measured in the
// process's CPU time: the player's work is spread over two threads, and a shared machine's
// wall time says more about its load than about them.
//
// The ratio printed at the end comes from BM_Interleaved*: each of its iterations plays the
// movie once through each (in turns, so a change of the machine's load falls on both alike)
// and keeps each one's least CPU time per frame, the run disturbed least.
#include <benchmark/benchmark.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/movie.h"
#include "tests/support/movie_fixture.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrames = 96;

const std::string& TestMovie(platform::MovieContainer container) {
  static std::map<platform::MovieContainer, std::string> files;
  std::string& file = files[container];
  if (file.empty()) {
    testing_support::MovieOptions options;
    options.container = container;
    options.width = kWidth;
    options.height = kHeight;
    options.colours.clear();
    for (int i = 0; i < kFrames; ++i) {
      options.colours.push_back(static_cast<uint32_t>((i * 10) & 255) << 16 |
                                static_cast<uint32_t>((255 - i * 9) & 255) << 8 | static_cast<uint32_t>((i * 37) & 255));
    }
    file = testing_support::MakeMovie(options);
  }
  return file;
}

// Plays the movie through the player into dest; false when it did not open or lost frames.
bool PlayOnce(const std::string& file, platform::VirtualClock& clock, std::vector<uint8_t>& dest) {
  const int pitch = kWidth * 4;
  auto movie = platform::OpenMovie(
      std::make_unique<platform::MemoryByteSource>(reinterpret_cast<const uint8_t*>(file.data()), file.size()),
      platform::MovieLayout::kXrgb8888, nullptr, nullptr);
  if (!movie) return false;
  movie->Play();
  int taken = 0;
  for (;;) {
    const platform::MovieDecoder::Take take = movie->TakeFrame(dest.data(), pitch, true);
    if (take == platform::MovieDecoder::Take::kEnded) break;
    if (take == platform::MovieDecoder::Take::kFrame) ++taken;
    clock.AdvanceUs(static_cast<uint64_t>(movie->info().frameTimeUs));
  }
  benchmark::DoNotOptimize(dest.data());
  return taken == kFrames;
}

void PlayThroughPlayer(benchmark::State& state, platform::MovieContainer container) {
  const std::string& file = TestMovie(container);
  if (file.empty()) return state.SkipWithError("no encoder");
  platform::VirtualClock clock;
  platform::SetClock(&clock);
  std::vector<uint8_t> dest(static_cast<size_t>(kWidth) * 4 * kHeight);
  for (auto _ : state) {
    if (!PlayOnce(file, clock, dest)) {
      platform::SetClock(nullptr);
      return state.SkipWithError("open failed or frames lost");
    }
  }
  platform::SetClock(nullptr);
  state.SetItemsProcessed(state.iterations() * kFrames);
}

struct MemoryInput {
  const std::string* file;
  size_t position = 0;
};

int ReadMemory(void* opaque, uint8_t* buffer, int size) {
  auto* in = static_cast<MemoryInput*>(opaque);
  const size_t n = std::min(static_cast<size_t>(size), in->file->size() - in->position);
  if (n == 0) return AVERROR_EOF;
  std::memcpy(buffer, in->file->data() + in->position, n);
  in->position += n;
  return static_cast<int>(n);
}

int64_t SeekMemory(void* opaque, int64_t offset, int whence) {
  auto* in = static_cast<MemoryInput*>(opaque);
  if (whence & AVSEEK_SIZE) return static_cast<int64_t>(in->file->size());
  const int64_t base = (whence & 3) == SEEK_CUR ? static_cast<int64_t>(in->position)
                       : (whence & 3) == SEEK_END ? static_cast<int64_t>(in->file->size())
                                                  : 0;
  in->position = static_cast<size_t>(base + offset);
  return static_cast<int64_t>(in->position);
}

// The peer: open, decode every frame and convert it into one reused buffer (planes, made by
// av_image_alloc). false when frames were lost.
bool DecodeOnce(const std::string& file, uint8_t* planes[4], int pitches[4]) {
  MemoryInput input{&file};
  auto* buffer = static_cast<uint8_t*>(av_malloc(32768));
  AVIOContext* io = avio_alloc_context(buffer, 32768, 0, &input, &ReadMemory, nullptr, &SeekMemory);
  AVFormatContext* format = avformat_alloc_context();
  format->pb = io;
  avformat_open_input(&format, nullptr, nullptr, nullptr);
  avformat_find_stream_info(format, nullptr);
  const AVCodec* codec = nullptr;
  const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  AVCodecContext* video = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(video, format->streams[index]->codecpar);
  video->thread_count = 1;
  avcodec_open2(video, codec, nullptr);
  AVFrame* frame = av_frame_alloc();
  AVPacket* packet = av_packet_alloc();
  SwsContext* scaler = nullptr;
  int converted = 0;
  auto drain = [&] {
    while (avcodec_receive_frame(video, frame) == 0) {
      scaler = sws_getCachedContext(scaler, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                    kWidth, kHeight, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
      sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, pitches);
      av_frame_unref(frame);
      ++converted;
    }
  };
  while (av_read_frame(format, packet) >= 0) {
    if (packet->stream_index == index) avcodec_send_packet(video, packet);
    av_packet_unref(packet);
    drain();
  }
  avcodec_send_packet(video, nullptr);
  drain();
  sws_freeContext(scaler);
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&video);
  avformat_close_input(&format);
  av_freep(&io->buffer);
  avio_context_free(&io);
  benchmark::DoNotOptimize(planes[0]);
  return converted == kFrames;
}

void PlainDecodeAndConvert(benchmark::State& state, platform::MovieContainer container) {
  const std::string& file = TestMovie(container);
  if (file.empty()) return state.SkipWithError("no encoder");
  uint8_t* planes[4] = {};
  int pitches[4] = {};
  if (av_image_alloc(planes, pitches, kWidth, kHeight, AV_PIX_FMT_BGRA, 64) < 0) return state.SkipWithError("alloc");
  for (auto _ : state) {
    if (!DecodeOnce(file, planes, pitches)) {
      av_freep(&planes[0]);
      return state.SkipWithError("frames lost");
    }
  }
  av_freep(&planes[0]);
  state.SetItemsProcessed(state.iterations() * kFrames);
}

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The least CPU time per frame each side took in the interleaved runs, by container name.
struct Least {
  double player = 0;
  double plain = 0;
};
std::map<std::string, Least>& LeastTimes() {
  static std::map<std::string, Least> times;
  return times;
}

void KeepLeast(double* least, double value) {
  if (*least <= 0 || value < *least) *least = value;
}

// Each iteration plays the movie through the player and through the plain loop, the two in
// turns first, each timed by the process's CPU clock.
void Interleaved(benchmark::State& state, platform::MovieContainer container, const char* name) {
  const std::string& file = TestMovie(container);
  if (file.empty()) return state.SkipWithError("no encoder");
  uint8_t* planes[4] = {};
  int pitches[4] = {};
  if (av_image_alloc(planes, pitches, kWidth, kHeight, AV_PIX_FMT_BGRA, 64) < 0) return state.SkipWithError("alloc");
  platform::VirtualClock clock;
  platform::SetClock(&clock);
  std::vector<uint8_t> dest(static_cast<size_t>(kWidth) * 4 * kHeight);
  Least& least = LeastTimes()[name];
  bool playerFirst = false;
  bool ok = true;
  for (auto _ : state) {
    playerFirst = !playerFirst;
    for (int turn = 0; turn < 2 && ok; ++turn) {
      const bool player = (turn == 0) == playerFirst;
      const double start = ProcessCpuSeconds();
      ok = player ? PlayOnce(file, clock, dest) : DecodeOnce(file, planes, pitches);
      KeepLeast(player ? &least.player : &least.plain, (ProcessCpuSeconds() - start) / kFrames);
    }
    if (!ok) break;
  }
  platform::SetClock(nullptr);
  av_freep(&planes[0]);
  if (!ok) return state.SkipWithError("open failed or frames lost");
  state.counters["player_us_per_frame"] = least.player * 1e6;
  state.counters["plain_us_per_frame"] = least.plain * 1e6;
  state.counters["speed_ratio"] = least.player > 0 ? least.plain / least.player : 0;
  state.SetItemsProcessed(state.iterations() * 2 * kFrames);
}

void BM_PlayerAvi(benchmark::State& state) { PlayThroughPlayer(state, platform::MovieContainer::kAvi); }
void BM_PlainLoopAvi(benchmark::State& state) { PlainDecodeAndConvert(state, platform::MovieContainer::kAvi); }
void BM_PlayerMatroska(benchmark::State& state) { PlayThroughPlayer(state, platform::MovieContainer::kMatroska); }
void BM_PlainLoopMatroska(benchmark::State& state) {
  PlainDecodeAndConvert(state, platform::MovieContainer::kMatroska);
}
void BM_InterleavedAvi(benchmark::State& state) { Interleaved(state, platform::MovieContainer::kAvi, "AVI 640x480"); }
void BM_InterleavedMatroska(benchmark::State& state) {
  Interleaved(state, platform::MovieContainer::kMatroska, "Matroska 640x480");
}

BENCHMARK(BM_PlayerAvi)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PlainLoopAvi)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PlayerMatroska)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PlainLoopMatroska)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
// Enough turns that each side has a run the machine's load left alone.
BENCHMARK(BM_InterleavedAvi)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(24);
BENCHMARK(BM_InterleavedMatroska)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(24);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  // Speed against the peer's by the least CPU time per frame of the interleaved runs: 1.0
  // is as fast, above is faster.
  for (const auto& [name, least] : LeastTimes()) {
    if (least.player <= 0 || least.plain <= 0) continue;
    std::printf("%s: player speed / plain loop = %.2f (CPU per frame: player %.0f us, plain loop %.0f us)\n",
                name.c_str(), least.plain / least.player, least.player * 1e6, least.plain * 1e6);
  }
  benchmark::Shutdown();
  return 0;
}
