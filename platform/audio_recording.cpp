// The recording audio sink: the test double of the system's audio output.
#include <cstdio>

#include "platform/audio.h"

namespace platform {

namespace {

void PutU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}
void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

RecordingAudioSink::RecordingAudioSink() : caps_(EveryFormatCaps(48000)) {}

bool RecordingAudioSink::Connect() { return !failConnect_; }

void RecordingAudioSink::Disconnect() {}

std::vector<AudioDeviceInfo> RecordingAudioSink::Devices() const {
  return {{"recording", "test recorder"}};
}

bool RecordingAudioSink::Start(const PcmFormat& format, AudioMixer* mixer) {
  if (failStart_) return false;
  std::lock_guard lock(renderMutex_);
  mixer_ = mixer;
  format_ = format;
  ++startCount_;
  return true;
}

void RecordingAudioSink::Stop() {
  std::lock_guard lock(renderMutex_);
  mixer_ = nullptr;
}

bool RecordingAudioSink::Render(int frames) {
  std::lock_guard lock(renderMutex_);
  if (!mixer_ || frames <= 0) return false;
  const size_t start = recorded_.size();
  recorded_.resize(start + size_t(frames) * format_.blockAlign);
  mixer_->Mix(recorded_.data() + start, frames, format_);
  return true;
}

bool RecordingAudioSink::WriteWav(const std::string& path) const {
  std::vector<uint8_t> file;
  PutTag(file, "RIFF");
  PutU32(file, uint32_t(36 + recorded_.size()));
  PutTag(file, "WAVE");
  PutTag(file, "fmt ");
  PutU32(file, 16);
  PutU16(file, format_.formatTag);
  PutU16(file, format_.channels);
  PutU32(file, format_.samplesPerSec);
  PutU32(file, format_.avgBytesPerSec);
  PutU16(file, format_.blockAlign);
  PutU16(file, format_.bitsPerSample);
  PutTag(file, "data");
  PutU32(file, uint32_t(recorded_.size()));
  file.insert(file.end(), recorded_.begin(), recorded_.end());
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace platform
