// Playing the test movies at 640 x 480 through the movie player (decoder thread, read-ahead,
// mailbox, the frame taken into a graph-sized buffer), beside a plain loop that decodes
// and converts the same file with the same libraries on one thread; the ratios are printed
// at the end. Both are measured in the process's CPU time: the player's work is spread over
// two threads, and a shared machine's wall time says more about its load than about them.
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
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/movie.h"
#include "bench/runtime/ratio_reporter.h"
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
      options.colours.push_back(static_cast<uint32_t>(i * 10 & 255) << 16 | static_cast<uint32_t>(255 - i * 9 & 255) << 8 |
                                static_cast<uint32_t>(i * 37 & 255));
    }
    file = testing_support::MakeMovie(options);
  }
  return file;
}

void PlayThroughPlayer(benchmark::State& state, platform::MovieContainer container) {
  const std::string& file = TestMovie(container);
  if (file.empty()) return state.SkipWithError("no encoder");
  platform::VirtualClock clock;
  platform::SetClock(&clock);
  const int pitch = kWidth * 4;
  std::vector<uint8_t> dest(static_cast<size_t>(pitch) * kHeight);
  for (auto _ : state) {
    auto movie = platform::OpenMovie(
        std::make_unique<platform::MemoryByteSource>(reinterpret_cast<const uint8_t*>(file.data()), file.size()),
        platform::MovieLayout::kXrgb8888, nullptr, nullptr);
    if (!movie) return state.SkipWithError("open failed");
    movie->Play();
    int taken = 0;
    for (;;) {
      const platform::MovieDecoder::Take take = movie->TakeFrame(dest.data(), pitch, true);
      if (take == platform::MovieDecoder::Take::kEnded) break;
      if (take == platform::MovieDecoder::Take::kFrame) ++taken;
      clock.AdvanceUs(static_cast<uint64_t>(movie->info().frameTimeUs));
    }
    if (taken != kFrames) return state.SkipWithError("frames lost");
    benchmark::DoNotOptimize(dest.data());
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

// The peer: open, decode every frame and convert it into one reused buffer.
void PlainDecodeAndConvert(benchmark::State& state, platform::MovieContainer container) {
  const std::string& file = TestMovie(container);
  if (file.empty()) return state.SkipWithError("no encoder");
  uint8_t* planes[4] = {};
  int pitches[4] = {};
  if (av_image_alloc(planes, pitches, kWidth, kHeight, AV_PIX_FMT_BGRA, 64) < 0) return state.SkipWithError("alloc");
  for (auto _ : state) {
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
    if (converted != kFrames) return state.SkipWithError("frames lost");
    benchmark::DoNotOptimize(planes[0]);
  }
  av_freep(&planes[0]);
  state.SetItemsProcessed(state.iterations() * kFrames);
}

void BM_PlayerAvi(benchmark::State& state) { PlayThroughPlayer(state, platform::MovieContainer::kAvi); }
void BM_PlainLoopAvi(benchmark::State& state) { PlainDecodeAndConvert(state, platform::MovieContainer::kAvi); }
void BM_PlayerMatroska(benchmark::State& state) { PlayThroughPlayer(state, platform::MovieContainer::kMatroska); }
void BM_PlainLoopMatroska(benchmark::State& state) {
  PlainDecodeAndConvert(state, platform::MovieContainer::kMatroska);
}

BENCHMARK(BM_PlayerAvi)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PlainLoopAvi)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PlayerMatroska)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PlainLoopMatroska)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench_support::RatioReporter reporter(bench_support::RatioReporter::Clock::kCpu);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // Speed against the peer's, by CPU time: 1.0 is as fast, above is faster.
  const char* const pairs[][3] = {{"AVI 640x480", "BM_PlayerAvi", "BM_PlainLoopAvi"},
                                  {"Matroska 640x480", "BM_PlayerMatroska", "BM_PlainLoopMatroska"}};
  for (const auto& p : pairs) {
    const double ratio = reporter.TimeRatio(p[1], p[2]);
    if (ratio > 0) std::printf("%s: player speed / plain loop = %.2f\n", p[0], 1 / ratio);
  }
  benchmark::Shutdown();
  return 0;
}
