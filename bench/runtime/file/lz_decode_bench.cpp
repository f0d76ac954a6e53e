// LZ decoding throughput over a 50 MB archive, beside memcpy and zlib's inflate of the same
// bytes. Sanitizer builds (where this runs only as a smoke test) use 4 MB; BENCH_LZ_MB
// sets the size.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "runtime/file/archive_reader.h"
#include "runtime/file/lz_decode.h"
#include "tools/archive/archive_writer.h"
#include "tools/archive/lz_encode.h"

namespace {

size_t DataSize() {
  if (const char* mb = std::getenv("BENCH_LZ_MB")) return size_t(std::atoi(mb)) << 20;
#if defined(__SANITIZE_ADDRESS__)
  return size_t{4} << 20;
#else
  return size_t{50} << 20;
#endif
}

// Game-like data: script and table text with binary stretches (pixel rows, noise).
std::string MakeData(size_t size) {
  static const char* const kWords[] = {"enemy ", "alert ", "stage ", "door ",  "radar ",
                                       "shot ",  "\r\n",   "0123 ",  "cargo ", "ship "};
  std::mt19937 random(42);
  std::string data;
  data.reserve(size);
  while (data.size() < size) {
    const unsigned kind = random() % 8;
    if (kind < 5) {
      for (int i = 0; i < 64; ++i) data += kWords[random() % 10];
    } else if (kind < 7) {
      const char pixel[4] = {char(random()), char(random()), char(random()), char(0xFF)};
      for (int i = 0; i < 256; ++i) data.append(pixel, 4);
    } else {
      for (int i = 0; i < 256; ++i) data += char(random());
    }
  }
  data.resize(size);
  return data;
}

struct Corpus {
  std::string raw;
  std::string lz;
  std::string deflated;
  std::string archivePath;

  Corpus() {
    raw = MakeData(DataSize());
    lz = archive_tool::LzEncode(reinterpret_cast<const unsigned char*>(raw.data()), raw.size());
    uLongf bound = compressBound(raw.size());
    deflated.resize(bound);
    compress2(reinterpret_cast<Bytef*>(deflated.data()), &bound,
              reinterpret_cast<const Bytef*>(raw.data()), raw.size(), Z_DEFAULT_COMPRESSION);
    deflated.resize(bound);

    archive_tool::WriterEntry root;
    root.directory = true;
    archive_tool::AddWriterFile(&root, "data/big.bin", raw);
    archive_tool::WriteOptions options;
    options.keyString = "pela_vix";
    options.compression = archive_tool::Compression::kAlways;
    std::string bytes;
    std::string error;
    archive_tool::BuildArchive(root, options, &bytes, &error);
    archivePath = "/tmp/lz_bench_" + std::to_string(getpid()) + ".akn";
    std::ofstream(archivePath, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
  }
  ~Corpus() { std::remove(archivePath.c_str()); }
};

const Corpus& GetCorpus() {
  static const Corpus corpus;
  return corpus;
}

void Label(benchmark::State& state, const Corpus& c, size_t packed) {
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(c.raw.size()));
  state.SetLabel(std::to_string(c.raw.size() >> 20) + " MB, packed to " +
                 std::to_string(packed * 100 / c.raw.size()) + "%");
}

void BM_LzDecode(benchmark::State& state) {
  const Corpus& c = GetCorpus();
  std::string out(c.raw.size(), '\0');
  for (auto _ : state) {
    benchmark::DoNotOptimize(rt::ArchiveDecompress(c.lz.data(), c.lz.size(), out.data(), out.size()));
    benchmark::ClobberMemory();
  }
  if (out != c.raw) state.SkipWithError("decoded bytes differ");
  Label(state, c, c.lz.size());
}
BENCHMARK(BM_LzDecode)->Unit(benchmark::kMillisecond);

// Opening the archive streamed and reading the file: reading, XOR and decoding together.
void BM_ArchiveRead(benchmark::State& state) {
  const Corpus& c = GetCorpus();
  std::string out(c.raw.size(), '\0');
  for (auto _ : state) {
    rt::Archive archive{};
    rt::OpenArchiveStream(&archive, c.archivePath.c_str(), "pela_vix");
    rt::ArchiveFile file{};
    rt::ArchiveFileOpen(&file, &archive, "data/big.bin", 0);
    benchmark::DoNotOptimize(rt::ArchiveFileRead(&file, out.data(), out.size()));
    rt::ArchiveFileClose(&file);
    rt::CloseArchive(&archive);
  }
  if (out != c.raw) state.SkipWithError("archive bytes differ");
  Label(state, c, c.lz.size());
}
BENCHMARK(BM_ArchiveRead)->Unit(benchmark::kMillisecond);

void BM_Memcpy(benchmark::State& state) {
  const Corpus& c = GetCorpus();
  std::string out(c.raw.size(), '\0');
  for (auto _ : state) {
    std::memcpy(out.data(), c.raw.data(), c.raw.size());
    benchmark::ClobberMemory();
  }
  Label(state, c, c.raw.size());
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

void BM_ZlibInflate(benchmark::State& state) {
  const Corpus& c = GetCorpus();
  std::string out(c.raw.size(), '\0');
  for (auto _ : state) {
    uLongf size = out.size();
    benchmark::DoNotOptimize(uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                                        reinterpret_cast<const Bytef*>(c.deflated.data()),
                                        c.deflated.size()));
    benchmark::ClobberMemory();
  }
  if (out != c.raw) state.SkipWithError("inflated bytes differ");
  Label(state, c, c.deflated.size());
}
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond);

}  // namespace
