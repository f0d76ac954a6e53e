// Decoding an 800 x 600 PNG and JPEG into an image record, beside the libraries' own
// simplest whole-image decode of the same file; the ratios are printed at the end.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>
// The library's header needs FILE and size_t declared first.
#include <jpeglib.h>

#include "runtime/file/stream.h"
#include "runtime/image/image_loader.h"
#include "bench/runtime/ratio_reporter.h"
#include "tests/support/image_fixture.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// A picture with the texture of game art: gradients crossed by flat areas and edges.
testing_support::Picture ScenePicture() {
  testing_support::Picture p = testing_support::MakeGradient(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if ((x / 40 + y / 30) % 3 == 0) p.At(x, y) = {40, 90, 200, 255};
      if ((x * 7 + y * 3) % 97 == 0) p.At(x, y) = {255, 255, 255, 255};
    }
  }
  return p;
}

const std::string& PngFile() {
  static const std::string file = testing_support::MakePng(ScenePicture());
  return file;
}

const std::string& JpegFile() {
  static const std::string file = testing_support::MakeJpeg(ScenePicture(), false, 90);
  return file;
}

void DecodeWithLoader(benchmark::State& state, const std::string& file) {
  for (auto _ : state) {
    rt::MemStream* mem = rt::MemStreamOpen(file.data(), static_cast<int32_t>(file.size()));
    rt::ImageStream stream = rt::MakeImageStream(rt::GetMemoryStreamAccess(), rt::MemStreamHandle(mem));
    rt::GraphImage image{};
    if (rt::LoadImageFromStream(&stream, &image) != 0) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(image.pixels);
    rt::ReleaseGraphImage(&image);
    rt::MemStreamClose(mem);
  }
}

void BM_LoadPngImage(benchmark::State& state) { DecodeWithLoader(state, PngFile()); }
void BM_LoadJpegImage(benchmark::State& state) { DecodeWithLoader(state, JpegFile()); }

void BM_LibpngSimplifiedRead(benchmark::State& state) {
  const std::string& file = PngFile();
  std::vector<uint8_t> pixels(size_t{kWidth} * kHeight * 3);
  for (auto _ : state) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) state.SkipWithError("begin failed");
    image.format = PNG_FORMAT_BGR;
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(pixels.data());
  }
}

void BM_LibjpegMemoryRead(benchmark::State& state) {
  const std::string& file = JpegFile();
  std::vector<uint8_t> pixels(size_t{kWidth} * kHeight * 3);
  for (auto _ : state) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(file.data()), file.size());
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row = pixels.data() + size_t{cinfo.output_scanline} * kWidth * 3;
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    benchmark::DoNotOptimize(pixels.data());
  }
}

BENCHMARK(BM_LoadPngImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibpngSimplifiedRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadJpegImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibjpegMemoryRead)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench_support::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const char* const pairs[][3] = {{"PNG 800x600", "BM_LoadPngImage", "BM_LibpngSimplifiedRead"},
                                  {"JPEG 800x600", "BM_LoadJpegImage", "BM_LibjpegMemoryRead"}};
  for (const auto& p : pairs) {
    const double ratio = reporter.TimeRatio(p[1], p[2]);
    if (ratio > 0) std::printf("%s: loader / library = %.2f\n", p[0], ratio);
  }
  benchmark::Shutdown();
  return 0;
}
