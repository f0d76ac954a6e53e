// The mixer: CPU time to mix one second of audio.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/audio.h"

namespace {

// Looping voices of one second each, half of them at a rate that needs resampling, with
// volume and pan set as a game sets them.
static void BM_MixOneSecond(benchmark::State& state) {
  const int voices = int(state.range(0));
  platform::RecordingAudioSink sink;
  platform::AudioMixer mixer(&sink);
  mixer.Connect();
  mixer.Initialize();
  mixer.SetPrimaryFormat(platform::MakePcmFormat(2, 44100, 16));
  for (int v = 0; v < voices; ++v) {
    const uint32_t rate = v % 2 ? 22050 : 44100;
    const uint16_t channels = v % 3 ? 1 : 2;
    const platform::PcmFormat format = platform::MakePcmFormat(channels, rate, 16);
    platform::SoundBuffer* b = nullptr;
    const uint32_t bytes = format.avgBytesPerSec;
    mixer.CreateBuffer({platform::kBufferStatic | platform::kBufferCtrlVolume | platform::kBufferCtrlPan, bytes, format}, &b);
    void *first, *second;
    uint32_t firstBytes, secondBytes;
    b->Lock(0, bytes, &first, &firstBytes, &second, &secondBytes);
    auto* samples = static_cast<int16_t*>(first);
    for (uint32_t i = 0; i < firstBytes / 2; ++i) samples[i] = int16_t(3000 * std::sin(i * 0.05 * (v + 1)));
    b->Unlock(first, firstBytes, second, secondBytes);
    b->SetVolume(-300 * (v % 4));
    b->SetPan(-2000 + 500 * (v % 9));
    b->Play(platform::kPlayLooping);
  }
  std::vector<uint8_t> out(44100 * 4);
  const platform::PcmFormat output = mixer.PrimaryFormat();
  for (auto _ : state) {
    for (int block = 0; block < 44100; block += 1024)
      mixer.Mix(out.data(), std::min(1024, 44100 - block), output);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetLabel("per second of audio");
}
BENCHMARK(BM_MixOneSecond)->Arg(1)->Arg(32)->Unit(benchmark::kMillisecond);

}  // namespace
