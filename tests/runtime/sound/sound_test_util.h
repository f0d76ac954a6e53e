// Helpers of the sound tests: a started sound system over a recording sink, and Ogg Vorbis
// and MP3 encoders for making test files.
#pragma once
#include <gtest/gtest.h>
#include <lame/lame.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_state.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wave_fixture.h"

namespace sound_test {

// The sound system started on a recording sink in a fresh working directory.
class SoundTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetAudioSinkOverride(&sink_);
    ASSERT_EQ(rt::InitSound(), 0);
  }
  void TearDown() override {
    rt::EndSound();
    platform::SetAudioSinkOverride(nullptr);
  }
  // Writes a file into the working directory and returns its name.
  std::string Write(const std::string& name, const std::string& bytes) {
    testing_support::WriteFileBytes(dir_.File(name), bytes);
    return name;
  }
  // Plays frames through the mixer, doing the message pump's sound work after each block:
  // the stream-sound refill and the music poll.
  void Render(int frames, bool pump = true, int block = 1024) {
    for (int done = 0; done < frames; done += block) {
      sink_.Render(std::min(block, frames - done));
      if (pump) {
        rt::RefillAllStreamSounds();
        rt::PollMusicPlayState();
      }
    }
  }
  std::vector<int16_t> Recorded() const {
    return testing_support::BytesToSamples(sink_.Recorded().data(), sink_.Recorded().size());
  }
  int Rate() const { return int(sink_.Format().samplesPerSec); }

  testing_support::ScopedTempDir dir_;
  platform::RecordingAudioSink sink_;
};

inline double Rms(const std::vector<int16_t>& s, size_t from, size_t to) {
  to = std::min(to, s.size());
  if (from >= to) return 0;
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += double(s[i]) * s[i];
  return std::sqrt(sum / double(to - from)) / 32768.0;
}

// A Standard MIDI File of one track: middle C on a piano for half a second.
inline std::string ShortMidiSong() {
  const std::string track = std::string("\x00\xC0\x00", 3) + std::string("\x00\x90\x3C\x64", 4) +
                            std::string("\x60\x80\x3C\x40", 4) + std::string("\x00\xFF\x2F\x00", 4);
  std::string song = std::string("MThd\0\0\0\x06\0\0\0\x01\0\x60", 14);
  song += "MTrk";
  song += std::string("\0\0\0", 3) + char(track.size());
  return song + track;
}

inline std::string EncodeOgg(const std::vector<int16_t>& pcm, int channels, int rate) {
  std::string out;
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, channels, rate, 0.4f) != 0) return out;
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block vb;
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 1234);
  ogg_packet header, comments, codebooks;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &codebooks);
  ogg_page page;
  auto append = [&] {
    out.append(reinterpret_cast<const char*>(page.header), size_t(page.header_len));
    out.append(reinterpret_cast<const char*>(page.body), size_t(page.body_len));
  };
  while (ogg_stream_flush(&os, &page)) append();
  const size_t frames = pcm.size() / size_t(channels);
  const size_t chunk = 4096;
  for (size_t at = 0;; at += chunk) {
    const size_t n = at < frames ? std::min(chunk, frames - at) : 0;
    if (n > 0) {
      float** buffer = vorbis_analysis_buffer(&vd, int(n));
      for (size_t i = 0; i < n; ++i)
        for (int c = 0; c < channels; ++c) buffer[c][i] = pcm[(at + i) * channels + c] / 32768.0f;
    }
    vorbis_analysis_wrote(&vd, int(n));
    ogg_packet packet;
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      while (vorbis_bitrate_flushpacket(&vd, &packet)) {
        ogg_stream_packetin(&os, &packet);
        while (ogg_stream_pageout(&os, &page)) append();
      }
    }
    if (n == 0) break;
  }
  while (ogg_stream_flush(&os, &page)) append();
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

struct Mp3 {
  std::string bytes;
  int frames = 0;  // MPEG frames written (no information frame)
};

inline Mp3 EncodeMp3(const std::vector<int16_t>& pcm, int channels, int rate, int kbps) {
  Mp3 out;
  lame_global_flags* gf = lame_init();
  lame_set_num_channels(gf, channels);
  lame_set_in_samplerate(gf, rate);
  lame_set_out_samplerate(gf, rate);
  lame_set_brate(gf, kbps);
  lame_set_mode(gf, channels == 1 ? MONO : JOINT_STEREO);
  lame_set_bWriteVbrTag(gf, 0);
  lame_set_quality(gf, 7);
  if (lame_init_params(gf) < 0) {
    lame_close(gf);
    return out;
  }
  const int frames = int(pcm.size()) / channels;
  std::vector<unsigned char> buffer(size_t(frames) * 5 / 4 + 7200 + 16384);
  std::vector<int16_t> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    left[size_t(i)] = pcm[size_t(i) * channels];
    right[size_t(i)] = pcm[size_t(i) * channels + (channels - 1)];
  }
  int n = lame_encode_buffer(gf, left.data(), right.data(), frames, buffer.data(), int(buffer.size()));
  out.bytes.append(reinterpret_cast<char*>(buffer.data()), size_t(std::max(n, 0)));
  n = lame_encode_flush(gf, buffer.data(), int(buffer.size()));
  out.bytes.append(reinterpret_cast<char*>(buffer.data()), size_t(std::max(n, 0)));
  out.frames = lame_get_frameNum(gf);
  lame_close(gf);
  return out;
}

}  // namespace sound_test
