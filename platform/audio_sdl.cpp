// The system's audio output through SDL: a device whose callback thread pulls mixed frames.
#include <SDL.h>

#include "platform/audio.h"

namespace platform {

namespace {

// Frames per callback: about 23 ms at 44.1 kHz, the granularity of the play cursors.
constexpr Uint16 kCallbackFrames = 1024;

struct DeviceContext {
  AudioMixer* mixer = nullptr;
  PcmFormat format;
};

void SDLCALL FillAudio(void* userdata, Uint8* stream, int len) {
  auto* context = static_cast<DeviceContext*>(userdata);
  const int frames = len / context->format.blockAlign;
  context->mixer->Mix(stream, frames, context->format);
}

class SdlAudioSink final : public AudioSink {
 public:
  ~SdlAudioSink() override { Disconnect(); }

  bool Connect() override {
    if (connected_) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    connected_ = true;
    return true;
  }

  void Disconnect() override {
    Stop();
    if (connected_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    connected_ = false;
  }

  AudioCaps Caps() const override {
    // SDL converts any format the mixer asks for, so everything is offered.
    return EveryFormatCaps(kFrequencyMax);
  }

  std::vector<AudioDeviceInfo> Devices() const override {
    std::vector<AudioDeviceInfo> list;
    const char* driver = SDL_GetCurrentAudioDriver();
    const std::string module = driver ? driver : "";
    const int count = SDL_GetNumAudioDevices(0);
    for (int i = 0; i < count; ++i) {
      const char* name = SDL_GetAudioDeviceName(i, 0);
      list.push_back({module, name ? name : ""});
    }
    if (list.empty()) list.push_back({module, "default"});
    return list;
  }

  bool Start(const PcmFormat& format, AudioMixer* mixer) override {
    if (!connected_) return false;
    auto context = std::make_unique<DeviceContext>();
    context->mixer = mixer;
    context->format = format;
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(format.samplesPerSec);
    want.format = format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    want.channels = static_cast<Uint8>(format.channels);
    want.samples = kCallbackFrames;
    want.callback = FillAudio;
    want.userdata = context.get();
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (device == 0) return false;
    // The new device runs before the old one closes, so the output never falls silent
    // for want of a device.
    Stop();
    device_ = device;
    context_ = std::move(context);
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  void Stop() override {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    device_ = 0;
    context_.reset();
  }

 private:
  bool connected_ = false;
  SDL_AudioDeviceID device_ = 0;
  std::unique_ptr<DeviceContext> context_;
};

}  // namespace

std::unique_ptr<AudioSink> CreateSystemAudioSink() { return std::make_unique<SdlAudioSink>(); }

}  // namespace platform
