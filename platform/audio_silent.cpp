// The silent audio sink: the output when no audio device opens. Nothing is heard, but the
// mixer is pulled for as many frames as a device would have taken by the clock in force.
#include <algorithm>

#include "platform/audio.h"
#include "platform/clock.h"

namespace platform {

namespace {

// Frames mixed per pull, as a device's callback would take them.
constexpr uint64_t kPullFrames = 1024;

}  // namespace

SilentAudioSink::SilentAudioSink() : caps_(EveryFormatCaps(kFrequencyMax)) {}

std::vector<AudioDeviceInfo> SilentAudioSink::Devices() const { return {{"silent", "no output"}}; }

bool SilentAudioSink::Start(const PcmFormat& format, AudioMixer* mixer) {
  std::lock_guard lock(mutex_);
  // A restart in a new format goes on from the time already played.
  if (!mixer_) startUs_ = GetClock().Microseconds();
  else startUs_ = lastUs_;
  lastUs_ = startUs_;
  pulled_ = 0;
  mixer_ = mixer;
  format_ = format;
  return true;
}

void SilentAudioSink::Stop() {
  std::lock_guard lock(mutex_);
  mixer_ = nullptr;
}

uint64_t SilentAudioSink::Advance() {
  std::lock_guard lock(mutex_);
  if (!mixer_ || format_.blockAlign == 0) return 0;
  const uint64_t now = GetClock().Microseconds();
  if (now <= lastUs_) return 0;
  lastUs_ = now;
  const uint64_t due = (now - startUs_) * format_.samplesPerSec / 1000000;
  uint64_t mixed = 0;
  while (pulled_ < due) {
    const uint64_t frames = std::min(kPullFrames, due - pulled_);
    scratch_.resize(frames * format_.blockAlign);
    mixer_->Mix(scratch_.data(), static_cast<int>(frames), format_);
    pulled_ += frames;
    mixed += frames;
  }
  return mixed;
}

}  // namespace platform
