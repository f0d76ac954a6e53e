// Sound start-up and shut-down: the sound device, its output format, a silent looping
// buffer, the sound globals and the device log.
#include <algorithm>
#include <cstdio>

#include "runtime/core/log.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_buffer.h"
#include "runtime/sound/sound_state.h"

namespace rt {

namespace {

constexpr uint32_t kMaxPrimaryRate = 44100;
// The silent buffer: 100 frames of 44.1 kHz 16-bit stereo, looping until the end, so
// that the output never idles between sounds.
constexpr uint32_t kSilentBufferBytes = 400;
constexpr uint32_t kSilentBufferFlags = platform::kBufferStatic | platform::kBufferGlobalFocus;

const char* OkNo(uint32_t flags, uint32_t bit) { return (flags & bit) ? "OK" : "NO"; }

void StartSilentBuffer(SoundState& s) {
  platform::BufferDesc desc{kSilentBufferFlags, kSilentBufferBytes,
                            platform::MakePcmFormat(2, 44100, 16)};
  if (s.device->CreateBuffer(desc, &s.silentBuffer) != 0) {
    s.silentBuffer = nullptr;
    LogAdd("無音バッファの作成に失敗しました");
    return;
  }
  void *first = nullptr, *second = nullptr;
  uint32_t firstBytes = 0, secondBytes = 0;
  if (s.silentBuffer->Lock(0, kSilentBufferBytes, &first, &firstBytes, &second, &secondBytes) != 0) {
    LogAdd("無音バッファのロックに失敗しました");
    s.silentBuffer->Release();
    s.silentBuffer = nullptr;
    return;
  }
  std::fill_n(static_cast<uint8_t*>(first), firstBytes, uint8_t{0});
  if (second) std::fill_n(static_cast<uint8_t*>(second), secondBytes, uint8_t{0});
  s.silentBuffer->Unlock(first, firstBytes, second, secondBytes);
  s.silentBuffer->Play(platform::kPlayLooping);
}

void LogDevices(platform::AudioMixer* device) {
  LogAdd("DirectSound デバイスを列挙します\n");
  LogIndentIncrease();
  for (const platform::AudioDeviceInfo& info : device->Devices())
    LogAddFormat("モジュール名:%15s  ドライバ記述:%s ", info.module.c_str(), info.description.c_str());
  LogIndentDecrease();
  platform::AudioCaps caps;
  device->GetCaps(&caps);
  LogAddFormat("最大サンプリングレート:%.2fKHz 最小サンプリングレート:%.2fKHz ",
               caps.maxSecondaryRate / 1000.0, caps.minSecondaryRate / 1000.0);
  LogAddFormat("総サウンドメモリ領域:%.2fKB 空きサウンドメモリ領域:%.2fKB \n",
               caps.totalHardwareMemory / 1024.0, caps.freeHardwareMemory / 1024.0);
  LogAdd("利用可能サンプリング精度\n");
  LogAddFormat("  プライマリ １６bit = %s  ８bit = %s ", OkNo(caps.flags, platform::kCapsPrimary16Bit),
               OkNo(caps.flags, platform::kCapsPrimary8Bit));
  LogAddFormat("  セカンダリ １６bit = %s  ８bit = %s \n",
               OkNo(caps.flags, platform::kCapsSecondary16Bit),
               OkNo(caps.flags, platform::kCapsSecondary8Bit));
  LogAdd("利用可能チャンネル\n");
  LogAddFormat("  プライマリ MONO = %s  STEREO = %s ", OkNo(caps.flags, platform::kCapsPrimaryMono),
               OkNo(caps.flags, platform::kCapsPrimaryStereo));
  LogAddFormat("  セカンダリ MONO = %s  STEREO = %s \n",
               OkNo(caps.flags, platform::kCapsSecondaryMono),
               OkNo(caps.flags, platform::kCapsSecondaryStereo));
  LogIndentDecrease();
}

// No audio device opened: the device runs on a sink that keeps time without a sound, so
// that everything waiting for a sound or a piece of music to end goes on as with sound.
std::unique_ptr<platform::AudioMixer> StartSilentOutput(SoundState& s) {
  auto sink = std::make_unique<platform::SilentAudioSink>();
  s.silentOutput = sink.get();
  s.ownedSink = std::move(sink);
  auto device = std::make_unique<platform::AudioMixer>(s.ownedSink.get());
  device->Connect();
  device->Initialize();
  LogAdd("サウンドデバイスが開けないため、音を出さずに続けます\n");
  return device;
}

}  // namespace

void KeepSilentOutputTime() {
  SoundState& s = GetSoundState();
  if (s.device && s.silentOutput) s.silentOutput->Advance();
}

int InitSound() {
  SoundState& s = GetSoundState();
  if (s.device) return -1;
  LogAdd("DirectSound の初期化を行います\n");
  LogAdd("DirectSound インターフェースの取得を行います....  ");
  platform::AudioSink* sink = platform::GetAudioSinkOverride();
  if (!sink) {
    s.ownedSink = platform::CreateSystemAudioSink();
    sink = s.ownedSink.get();
  }
  auto device = std::make_unique<platform::AudioMixer>(sink);
  const char* failure = nullptr;
  if (device->Connect() != 0) {
    failure = "DirectSoundインターフェースの作成に失敗しました\n";
  } else {
    LogAdd("成功\n");
    LogAdd("引き続きインターフェースの初期化処理...  ");
    if (device->Initialize() != 0) failure = "初期化に失敗しました\n";
    else LogAdd("成功\n");
  }
  if (failure) {
    LogAdd(failure);
    device.reset();
    device = StartSilentOutput(s);
  }

  // The output format from what the device offers.
  platform::AudioCaps caps;
  device->GetCaps(&caps);
  const uint16_t channels = (caps.flags & platform::kCapsPrimaryStereo) ? 2 : 1;
  const uint16_t bits = (caps.flags & platform::kCapsPrimary16Bit) ? 16 : 8;
  const uint32_t rate = std::min(caps.maxSecondaryRate, kMaxPrimaryRate);
  if (device->SetPrimaryFormat(platform::MakePcmFormat(channels, rate, bits)) != 0)
    LogAdd("DirectSoundのプライマリサウンドバッファのフォーマット設定に失敗しました\n");

  s.ownedDevice = std::move(device);
  s.device = s.ownedDevice.get();
  StartSilentBuffer(s);

  s.soundDataType = 0;
  s.oggBytesPerSample = 2;
  ListInit(&s.streamHead, &s.streamTail);
  LogDevices(s.device);
  LogAdd("DirectSound の初期化は正常に終了しました\n");
  DeleteAllSounds();
  return 0;
}

int EndSound() {
  SoundState& s = GetSoundState();
  if (!s.device) return -1;
  DeleteAllSounds();
  DeleteAllMusic();
  if (!s.tempMidiPath.empty()) std::remove(s.tempMidiPath.c_str());
  s.tempMidiExists = 0;
  s.playSoundFileHandle = -1;
  s.currentMusic = 0;
  s.musicIsStream = 0;
  s.midiPlayingHandle = -1;
  s.midiDevicePlaying = 0;
  s.midiLoop = 0;
  s.sequencer.reset();
  if (s.silentBuffer) {
    s.silentBuffer->Stop();
    s.silentBuffer->Release();
    s.silentBuffer = nullptr;
  }
  s.device->Shutdown();
  s.device = nullptr;
  s.ownedDevice.reset();
  s.silentOutput = nullptr;
  s.ownedSink.reset();
  LogAdd("DirectSound の終了処理は正常に終了しました\n");
  return 0;
}

}  // namespace rt
