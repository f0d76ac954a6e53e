// The software mixer behind the sound-buffer device.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "platform/audio.h"

namespace platform {

namespace {

constexpr uint32_t kFractionBits = 16;
constexpr uint32_t kFractionOne = 1u << kFractionBits;
// How far the write cursor runs ahead of the play cursor, as a driver's would.
constexpr uint32_t kWriteLeadDivisor = 100;

AudioSink* g_sinkOverride = nullptr;

// Hundredths of a decibel to an amplitude factor.
float Attenuation(int32_t hundredthsDb) {
  if (hundredthsDb <= kVolumeMin) return 0.0f;
  return std::pow(10.0f, static_cast<float>(hundredthsDb) / 2000.0f);
}

float ReadSample(const uint8_t* p, uint16_t bits) {
  if (bits == 8) return (static_cast<int>(p[0]) - 128) / 128.0f;
  const int16_t v = static_cast<int16_t>(p[0] | (p[1] << 8));
  return v / 32768.0f;
}

}  // namespace

bool operator==(const PcmFormat& a, const PcmFormat& b) {
  return a.formatTag == b.formatTag && a.channels == b.channels &&
         a.samplesPerSec == b.samplesPerSec && a.avgBytesPerSec == b.avgBytesPerSec &&
         a.blockAlign == b.blockAlign && a.bitsPerSample == b.bitsPerSample &&
         a.extraSize == b.extraSize;
}

AudioCaps EveryFormatCaps(uint32_t maxRate) {
  AudioCaps caps;
  caps.flags = kCapsPrimaryMono | kCapsPrimaryStereo | kCapsPrimary8Bit | kCapsPrimary16Bit |
               kCapsSecondaryMono | kCapsSecondaryStereo | kCapsSecondary8Bit | kCapsSecondary16Bit;
  caps.minSecondaryRate = kFrequencyMin;
  caps.maxSecondaryRate = maxRate;
  return caps;
}

PcmFormat MakePcmFormat(uint16_t channels, uint32_t rate, uint16_t bits) {
  PcmFormat f;
  f.formatTag = kPcmFormatTag;
  f.channels = channels;
  f.samplesPerSec = rate;
  f.bitsPerSample = bits;
  f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
  f.avgBytesPerSec = f.blockAlign * rate;
  return f;
}

bool IsPlayablePcmFormat(const PcmFormat& f) {
  return f.formatTag == kPcmFormatTag && (f.channels == 1 || f.channels == 2) &&
         (f.bitsPerSample == 8 || f.bitsPerSample == 16) &&
         f.blockAlign == f.channels * f.bitsPerSample / 8 && f.samplesPerSec >= kFrequencyMin &&
         f.samplesPerSec <= kFrequencyMax && f.avgBytesPerSec == f.blockAlign * f.samplesPerSec;
}

// ---- SoundBuffer ------------------------------------------------------------------------

int SoundBuffer::Play(uint32_t flags) {
  std::lock_guard lock(mixer_->mutex_);
  playing_ = true;
  looping_ = (flags & kPlayLooping) != 0;
  return 0;
}

int SoundBuffer::Stop() {
  std::lock_guard lock(mixer_->mutex_);
  playing_ = false;
  return 0;
}

int SoundBuffer::GetStatus(uint32_t* status) {
  if (!status) return -1;
  std::lock_guard lock(mixer_->mutex_);
  *status = 0;
  if (playing_) *status |= kStatusPlaying | (looping_ ? kStatusLooping : 0);
  return 0;
}

int SoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** first, uint32_t* firstBytes,
                      void** second, uint32_t* secondBytes) {
  if (!first || !firstBytes || bytes == 0 || bytes > bytes_ || offset >= bytes_) return -1;
  uint8_t* base = data_->data();
  const uint32_t head = std::min(bytes, bytes_ - offset);
  *first = base + offset;
  *firstBytes = head;
  if (second) *second = head < bytes ? base : nullptr;
  if (secondBytes) *secondBytes = bytes - head;
  return 0;
}

int SoundBuffer::Unlock(void* first, uint32_t firstBytes, void* second, uint32_t secondBytes) {
  const uint8_t* base = data_->data();
  auto inside = [&](void* p, uint32_t n) {
    if (!p) return n == 0;
    const auto* b = static_cast<const uint8_t*>(p);
    return b >= base && b + n <= base + bytes_;
  };
  return inside(first, firstBytes) && inside(second, secondBytes) ? 0 : -1;
}

int SoundBuffer::SetVolume(int32_t volume) {
  if (!(flags_ & kBufferCtrlVolume) || volume > kVolumeMax || volume < kVolumeMin) return -1;
  std::lock_guard lock(mixer_->mutex_);
  volume_ = volume;
  return 0;
}

int SoundBuffer::GetVolume(int32_t* volume) {
  if (!volume || !(flags_ & kBufferCtrlVolume)) return -1;
  std::lock_guard lock(mixer_->mutex_);
  *volume = volume_;
  return 0;
}

int SoundBuffer::SetPan(int32_t pan) {
  if (!(flags_ & kBufferCtrlPan) || pan < kPanLeft || pan > kPanRight) return -1;
  std::lock_guard lock(mixer_->mutex_);
  pan_ = pan;
  return 0;
}

int SoundBuffer::SetFrequency(uint32_t frequency) {
  if (!(flags_ & kBufferCtrlFrequency)) return -1;
  if (frequency != 0 && (frequency < kFrequencyMin || frequency > kFrequencyMax)) return -1;
  std::lock_guard lock(mixer_->mutex_);
  frequency_ = frequency;
  return 0;
}

int SoundBuffer::SetCurrentPosition(uint32_t offset) {
  if (offset >= bytes_) return -1;
  std::lock_guard lock(mixer_->mutex_);
  frame_ = offset / format_.blockAlign;
  fraction_ = 0;
  return 0;
}

int SoundBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write) {
  std::lock_guard lock(mixer_->mutex_);
  const uint32_t position = frame_ * format_.blockAlign;
  if (play) *play = position;
  if (write) {
    uint32_t lead = 0;
    if (playing_) {
      lead = format_.avgBytesPerSec / kWriteLeadDivisor;
      lead -= lead % format_.blockAlign;
    }
    *write = (position + lead) % bytes_;
  }
  return 0;
}

void SoundBuffer::Release() {
  mixer_->Unlink(this);
  delete this;
}

// ---- AudioMixer -------------------------------------------------------------------------

AudioMixer::AudioMixer(AudioSink* sink) : sink_(sink) {
  primary_ = MakePcmFormat(2, 44100, 16);
}

AudioMixer::~AudioMixer() {
  Shutdown();
  for (SoundBuffer* b : buffers_) delete b;
}

int AudioMixer::Connect() {
  if (connected_) return 0;
  if (!sink_ || !sink_->Connect()) return -1;
  connected_ = true;
  return 0;
}

int AudioMixer::Initialize() {
  if (!connected_) return -1;
  if (!sink_->Start(primary_, this)) return -1;
  started_ = true;
  return 0;
}

int AudioMixer::GetCaps(AudioCaps* caps) const {
  if (!caps || !connected_) return -1;
  *caps = sink_->Caps();
  return 0;
}

std::vector<AudioDeviceInfo> AudioMixer::Devices() const {
  return connected_ ? sink_->Devices() : std::vector<AudioDeviceInfo>{};
}

int AudioMixer::SetPrimaryFormat(const PcmFormat& format) {
  if (!started_ || !IsPlayablePcmFormat(format)) return -1;
  // The sink waits for its running Mix call, so the mixer's lock must not be held here.
  if (!sink_->Start(format, this)) return -1;
  std::lock_guard lock(mutex_);
  primary_ = format;
  return 0;
}

PcmFormat AudioMixer::PrimaryFormat() const {
  std::lock_guard lock(mutex_);
  return primary_;
}

void AudioMixer::Shutdown() {
  if (started_) sink_->Stop();
  started_ = false;
  if (connected_) sink_->Disconnect();
  connected_ = false;
}

int AudioMixer::CreateBuffer(const BufferDesc& desc, SoundBuffer** buffer) {
  if (!buffer) return -1;
  *buffer = nullptr;
  if (desc.flags & kBufferPrimary) return -1;
  if (!IsPlayablePcmFormat(desc.format)) return -1;
  const uint32_t frames = desc.bytes / desc.format.blockAlign;
  if (frames == 0) return -1;
  auto* b = new (std::nothrow) SoundBuffer;
  if (!b) return -1;
  try {
    b->data_ = std::make_shared<std::vector<uint8_t>>(desc.bytes, uint8_t{0});
  } catch (const std::bad_alloc&) {
    delete b;
    return -1;
  }
  b->mixer_ = this;
  b->format_ = desc.format;
  b->bytes_ = desc.bytes;
  b->flags_ = desc.flags;
  b->frames_ = frames;
  std::lock_guard lock(mutex_);
  buffers_.push_back(b);
  *buffer = b;
  return 0;
}

int AudioMixer::DuplicateBuffer(SoundBuffer* original, SoundBuffer** duplicate) {
  if (!original || !duplicate || original->mixer_ != this) return -1;
  *duplicate = nullptr;
  auto* b = new (std::nothrow) SoundBuffer;
  if (!b) return -1;
  std::lock_guard lock(mutex_);
  b->mixer_ = this;
  b->data_ = original->data_;
  b->format_ = original->format_;
  b->bytes_ = original->bytes_;
  b->flags_ = original->flags_;
  b->frames_ = original->frames_;
  b->volume_ = original->volume_;
  b->pan_ = original->pan_;
  b->frequency_ = original->frequency_;
  buffers_.push_back(b);
  *duplicate = b;
  return 0;
}

int AudioMixer::BufferCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(buffers_.size());
}

void AudioMixer::Unlink(SoundBuffer* buffer) {
  std::lock_guard lock(mutex_);
  buffers_.erase(std::remove(buffers_.begin(), buffers_.end(), buffer), buffers_.end());
}

void AudioMixer::AddSource(RenderSource* source) {
  std::lock_guard lock(mutex_);
  if (std::find(sources_.begin(), sources_.end(), source) == sources_.end())
    sources_.push_back(source);
}

void AudioMixer::RemoveSource(RenderSource* source) {
  std::lock_guard lock(mutex_);
  sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void AudioMixer::MixVoice(SoundBuffer* v, float* out, int frames, uint32_t rate) {
  const uint32_t sourceRate = v->frequency_ ? v->frequency_ : v->format_.samplesPerSec;
  const uint32_t step = static_cast<uint32_t>((uint64_t{sourceRate} << kFractionBits) / rate);
  const float amplitude = Attenuation(v->volume_);
  const float left = amplitude * (v->pan_ > 0 ? Attenuation(-v->pan_) : 1.0f);
  const float right = amplitude * (v->pan_ < 0 ? Attenuation(v->pan_) : 1.0f);
  const uint8_t* data = v->data_->data();
  const uint16_t bits = v->format_.bitsPerSample;
  const uint16_t align = v->format_.blockAlign;
  const int channelBytes = bits / 8;
  const bool stereo = v->format_.channels == 2;
  const bool audible = amplitude > 0.0f;

  for (int i = 0; i < frames; ++i) {
    if (audible) {
      uint32_t next = v->frame_ + 1;
      if (next >= v->frames_) next = v->looping_ ? 0 : v->frame_;
      const uint8_t* a = data + size_t{v->frame_} * align;
      const uint8_t* b = data + size_t{next} * align;
      const float t = static_cast<float>(v->fraction_) / kFractionOne;
      const float la = ReadSample(a, bits), lb = ReadSample(b, bits);
      const float l = la + (lb - la) * t;
      float r = l;
      if (stereo) {
        const float ra = ReadSample(a + channelBytes, bits), rb = ReadSample(b + channelBytes, bits);
        r = ra + (rb - ra) * t;
      }
      out[2 * i] += l * left;
      out[2 * i + 1] += r * right;
    }
    v->fraction_ += step;
    v->frame_ += v->fraction_ >> kFractionBits;
    v->fraction_ &= kFractionOne - 1;
    if (v->frame_ >= v->frames_) {
      if (v->looping_) {
        v->frame_ %= v->frames_;
      } else {
        // A buffer played once stops at its end and starts from the beginning next time.
        v->playing_ = false;
        v->frame_ = 0;
        v->fraction_ = 0;
        return;
      }
    }
  }
}

void AudioMixer::Mix(void* out, int frames, const PcmFormat& format) {
  std::lock_guard lock(mutex_);
  scratch_.assign(size_t(frames) * 2, 0.0f);
  float* mix = scratch_.data();
  for (SoundBuffer* v : buffers_)
    if (v->playing_) MixVoice(v, mix, frames, format.samplesPerSec);
  for (RenderSource* s : sources_) s->Render(mix, frames, int(format.samplesPerSec));

  auto* bytes = static_cast<uint8_t*>(out);
  for (int i = 0; i < frames; ++i) {
    float values[2] = {mix[2 * i], mix[2 * i + 1]};
    int count = 2;
    if (format.channels == 1) {
      values[0] = (values[0] + values[1]) * 0.5f;
      count = 1;
    }
    for (int c = 0; c < count; ++c) {
      // The inverse of ReadSample, so that a sound at full volume and its own rate comes
      // out exactly as stored.
      if (format.bitsPerSample == 8) {
        *bytes++ = static_cast<uint8_t>(std::clamp(std::lround(values[c] * 128.0f) + 128, 0L, 255L));
      } else {
        const auto s = static_cast<int16_t>(std::clamp(std::lround(values[c] * 32768.0f), -32768L, 32767L));
        *bytes++ = static_cast<uint8_t>(s & 0xFF);
        *bytes++ = static_cast<uint8_t>((s >> 8) & 0xFF);
      }
    }
  }
}

void SetAudioSinkOverride(AudioSink* sink) { g_sinkOverride = sink; }
AudioSink* GetAudioSinkOverride() { return g_sinkOverride; }

PcmLevel MeasurePcm16(const uint8_t* data, size_t bytes) {
  PcmLevel level;
  const size_t n = bytes / 2;
  if (n == 0) return level;
  double sum = 0;
  for (size_t i = 0; i < n; ++i) {
    const double v = static_cast<int16_t>(data[2 * i] | (data[2 * i + 1] << 8)) / 32768.0;
    level.peak = std::max(level.peak, std::fabs(v));
    sum += v * v;
  }
  level.rms = std::sqrt(sum / double(n));
  return level;
}

}  // namespace platform
