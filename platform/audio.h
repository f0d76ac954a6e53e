// The sound-buffer device: a software mixer of PCM buffers feeding one audio output.
// Buffers behave like the secondary buffers of a sound card driver: a format and rate of
// their own, duplicates sharing one PCM block with their own cursor, play once or looping,
// stop keeping the position, two-region locks, volume in hundredths of a decibel, pan and
// frequency. The output (an AudioSink) pulls mixed frames from the mixer on its own thread;
// that thread takes only the mixer's lock.
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// A wave format record (tag, channels, rate, bytes per second, block align, bits, extra).
struct PcmFormat {
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  uint16_t extraSize = 0;
};
bool operator==(const PcmFormat& a, const PcmFormat& b);

constexpr uint16_t kPcmFormatTag = 1;

// A PCM format of 1 or 2 channels and 8 or 16 bits.
PcmFormat MakePcmFormat(uint16_t channels, uint32_t rate, uint16_t bits);
// True when buffers can hold data of this format.
bool IsPlayablePcmFormat(const PcmFormat& format);

// Creation flags of a buffer.
constexpr uint32_t kBufferPrimary = 0x1;
constexpr uint32_t kBufferStatic = 0x2;
constexpr uint32_t kBufferCtrlFrequency = 0x20;
constexpr uint32_t kBufferCtrlPan = 0x40;
constexpr uint32_t kBufferCtrlVolume = 0x80;
constexpr uint32_t kBufferGlobalFocus = 0x8000;
constexpr uint32_t kBufferPrecisePosition = 0x10000;

// Play flag and status bits.
constexpr uint32_t kPlayLooping = 0x1;
constexpr uint32_t kStatusPlaying = 0x1;
constexpr uint32_t kStatusLooping = 0x4;

// Volume and pan in hundredths of a decibel; frequency in Hz (0 = the format's rate).
constexpr int32_t kVolumeMax = 0;
constexpr int32_t kVolumeMin = -10000;
constexpr int32_t kPanLeft = -10000;
constexpr int32_t kPanRight = 10000;
constexpr uint32_t kFrequencyMin = 100;
constexpr uint32_t kFrequencyMax = 200000;

// What the output supports, as a driver reports it.
constexpr uint32_t kCapsPrimaryMono = 0x1;
constexpr uint32_t kCapsPrimaryStereo = 0x2;
constexpr uint32_t kCapsPrimary8Bit = 0x4;
constexpr uint32_t kCapsPrimary16Bit = 0x8;
constexpr uint32_t kCapsSecondaryMono = 0x100;
constexpr uint32_t kCapsSecondaryStereo = 0x200;
constexpr uint32_t kCapsSecondary8Bit = 0x400;
constexpr uint32_t kCapsSecondary16Bit = 0x800;

struct AudioCaps {
  uint32_t flags = 0;
  uint32_t minSecondaryRate = 0;
  uint32_t maxSecondaryRate = 0;
  uint32_t totalHardwareMemory = 0;
  uint32_t freeHardwareMemory = 0;
};

// Caps offering every format the mixer plays, at rates up to maxRate.
AudioCaps EveryFormatCaps(uint32_t maxRate);

// One output device as listed for the log.
struct AudioDeviceInfo {
  std::string module;       // the driver
  std::string description;  // the device
};

struct BufferDesc {
  uint32_t flags = 0;
  uint32_t bytes = 0;
  PcmFormat format;
};

class AudioMixer;

// Something that sounds through the mixer without being a PCM buffer (the MIDI
// synthesiser). Render runs on the output thread under the mixer's lock.
class RenderSource {
 public:
  virtual ~RenderSource() = default;
  // Adds frames of interleaved stereo at the given rate into out (already holding the
  // other voices).
  virtual void Render(float* out, int frames, int rate) = 0;
};

// Where mixed audio goes. Its thread calls AudioMixer::Mix.
class AudioSink {
 public:
  virtual ~AudioSink() = default;
  // Reaches the audio system; false when there is none.
  virtual bool Connect() = 0;
  virtual void Disconnect() = 0;
  virtual AudioCaps Caps() const = 0;
  virtual std::vector<AudioDeviceInfo> Devices() const = 0;
  // Starts, or restarts in a new format, pulling from the mixer. On failure the previous
  // output keeps running.
  virtual bool Start(const PcmFormat& format, AudioMixer* mixer) = 0;
  // Stops pulling; returns once no Mix call is running. Never called under the mixer lock.
  virtual void Stop() = 0;
};

// A secondary buffer. Every operation returns 0 on success and -1 on failure.
class SoundBuffer {
 public:
  int Play(uint32_t flags);
  int Stop();
  int GetStatus(uint32_t* status);
  // Two regions of the circular buffer from offset; the second is null when the first
  // reaches far enough. The pointers are into the buffer's PCM block.
  int Lock(uint32_t offset, uint32_t bytes, void** first, uint32_t* firstBytes, void** second,
           uint32_t* secondBytes);
  int Unlock(void* first, uint32_t firstBytes, void* second, uint32_t secondBytes);
  int SetVolume(int32_t volume);
  int GetVolume(int32_t* volume);
  int SetPan(int32_t pan);
  int SetFrequency(uint32_t frequency);
  int SetCurrentPosition(uint32_t offset);
  int GetCurrentPosition(uint32_t* play, uint32_t* write);
  const PcmFormat& Format() const { return format_; }
  uint32_t Bytes() const { return bytes_; }
  // Unlinks the buffer from the mixer and frees it (and its PCM block with the last user).
  void Release();

 private:
  friend class AudioMixer;
  SoundBuffer() = default;
  ~SoundBuffer() = default;

  AudioMixer* mixer_ = nullptr;
  std::shared_ptr<std::vector<uint8_t>> data_;
  PcmFormat format_;
  uint32_t bytes_ = 0;
  uint32_t flags_ = 0;
  uint32_t frames_ = 0;
  // Play position in frames plus a fraction (16 bits) while resampling.
  uint32_t frame_ = 0;
  uint32_t fraction_ = 0;
  bool playing_ = false;
  bool looping_ = false;
  int32_t volume_ = kVolumeMax;
  int32_t pan_ = 0;
  uint32_t frequency_ = 0;
};

class AudioMixer {
 public:
  // The sink must outlive the mixer.
  explicit AudioMixer(AudioSink* sink);
  ~AudioMixer();
  AudioMixer(const AudioMixer&) = delete;
  AudioMixer& operator=(const AudioMixer&) = delete;

  // Reaches the audio system.
  int Connect();
  // Opens the default output in the default format and starts it.
  int Initialize();
  int GetCaps(AudioCaps* caps) const;
  std::vector<AudioDeviceInfo> Devices() const;
  // The format everything is mixed into; the output restarts in it.
  int SetPrimaryFormat(const PcmFormat& format);
  PcmFormat PrimaryFormat() const;
  // Stops the output and leaves the audio system. Buffers stay usable but silent.
  void Shutdown();

  int CreateBuffer(const BufferDesc& desc, SoundBuffer** buffer);
  int DuplicateBuffer(SoundBuffer* original, SoundBuffer** duplicate);
  int BufferCount() const;

  void AddSource(RenderSource* source);
  void RemoveSource(RenderSource* source);

  // Mixes frames into out in the output's format (the output thread's call).
  void Mix(void* out, int frames, const PcmFormat& format);

 private:
  friend class SoundBuffer;
  void MixVoice(SoundBuffer* voice, float* out, int frames, uint32_t rate);
  void Unlink(SoundBuffer* buffer);

  AudioSink* sink_;
  bool connected_ = false;
  bool started_ = false;
  PcmFormat primary_;
  mutable std::mutex mutex_;
  std::vector<SoundBuffer*> buffers_;
  std::vector<RenderSource*> sources_;
  std::vector<float> scratch_;
};

// The output the runtime opens: the system's audio device, unless a test installed
// another (the caller keeps ownership; nullptr goes back to the device).
std::unique_ptr<AudioSink> CreateSystemAudioSink();
void SetAudioSinkOverride(AudioSink* sink);
AudioSink* GetAudioSinkOverride();

// A sink that plays nothing by itself: a test pulls frames with Render and reads back what
// the mixer produced. Its caps and its failures are set by the test.
class RecordingAudioSink final : public AudioSink {
 public:
  RecordingAudioSink();
  bool Connect() override;
  void Disconnect() override;
  AudioCaps Caps() const override { return caps_; }
  std::vector<AudioDeviceInfo> Devices() const override;
  bool Start(const PcmFormat& format, AudioMixer* mixer) override;
  void Stop() override;

  // Mixes frames and appends them to the recording; false when nothing is started.
  bool Render(int frames);
  const std::vector<uint8_t>& Recorded() const { return recorded_; }
  void ClearRecording() { recorded_.clear(); }
  const PcmFormat& Format() const { return format_; }
  bool Started() const { return mixer_ != nullptr; }
  // Writes the recording as a RIFF/WAVE file.
  bool WriteWav(const std::string& path) const;

  void SetCaps(const AudioCaps& caps) { caps_ = caps; }
  void SetFailConnect(bool fail) { failConnect_ = fail; }
  void SetFailStart(bool fail) { failStart_ = fail; }
  int StartCount() const { return startCount_; }

 private:
  AudioCaps caps_;
  bool failConnect_ = false;
  bool failStart_ = false;
  int startCount_ = 0;
  std::mutex renderMutex_;
  AudioMixer* mixer_ = nullptr;
  PcmFormat format_;
  std::vector<uint8_t> recorded_;
};

// The output when no audio device opens: nothing is heard, but each Advance mixes the
// frames a device would have pulled since the last one by the clock in force, so sounds
// end, streams move on and music runs out in their own time.
class SilentAudioSink final : public AudioSink {
 public:
  SilentAudioSink();
  bool Connect() override { return true; }
  void Disconnect() override {}
  AudioCaps Caps() const override { return caps_; }
  std::vector<AudioDeviceInfo> Devices() const override;
  bool Start(const PcmFormat& format, AudioMixer* mixer) override;
  void Stop() override;
  // Mixes the frames due by now; returns how many.
  uint64_t Advance();

 private:
  AudioCaps caps_;
  std::mutex mutex_;
  AudioMixer* mixer_ = nullptr;
  PcmFormat format_;
  uint64_t startUs_ = 0;
  uint64_t lastUs_ = 0;
  uint64_t pulled_ = 0;
  std::vector<uint8_t> scratch_;
};

// Peak and root-mean-square level (0..1) of 16-bit PCM, for checks of what played.
struct PcmLevel {
  double peak = 0;
  double rms = 0;
};
PcmLevel MeasurePcm16(const uint8_t* data, size_t bytes);

}  // namespace platform
