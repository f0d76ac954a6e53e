#include "tools/dataset/sound_encode.h"

#include <lame/lame.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace dataset {
namespace {

constexpr int kMp3BitrateKbps = 64;
constexpr int kMp3Quality = 5;  // lame's 0 (best) .. 9 (fastest)
constexpr float kVorbisQuality = 0.2f;
constexpr int kVorbisBlockFrames = 1024;

void PutLe16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void PutLe32(std::string& out, uint32_t v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}

void AppendPage(std::string& out, const ogg_page& page) {
  out.append(reinterpret_cast<const char*>(page.header), static_cast<size_t>(page.header_len));
  out.append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
}

}  // namespace

std::string EncodeWav(const Pcm& pcm) {
  const uint32_t dataBytes = static_cast<uint32_t>(pcm.samples.size() * 2);
  const uint32_t blockAlign = static_cast<uint32_t>(pcm.channels) * 2;
  std::string out = "RIFF";
  PutLe32(out, 36 + dataBytes);
  out += "WAVEfmt ";
  PutLe32(out, 16);
  PutLe16(out, 1);  // PCM
  PutLe16(out, static_cast<uint32_t>(pcm.channels));
  PutLe32(out, static_cast<uint32_t>(pcm.rate));
  PutLe32(out, static_cast<uint32_t>(pcm.rate) * blockAlign);
  PutLe16(out, blockAlign);
  PutLe16(out, 16);
  out += "data";
  PutLe32(out, dataBytes);
  for (int16_t s : pcm.samples) PutLe16(out, static_cast<uint16_t>(s));
  return out;
}

std::string EncodeMp3(const Pcm& pcm) {
  lame_global_flags* lame = lame_init();
  if (lame == nullptr) throw std::runtime_error("lame could not start");
  lame_set_in_samplerate(lame, pcm.rate);
  lame_set_out_samplerate(lame, pcm.rate);
  lame_set_num_channels(lame, pcm.channels);
  lame_set_mode(lame, pcm.channels == 1 ? MONO : JOINT_STEREO);
  lame_set_brate(lame, kMp3BitrateKbps);
  lame_set_quality(lame, kMp3Quality);
  // No information frame: the file is plain MPEG frames from its first byte.
  lame_set_bWriteVbrTag(lame, 0);
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    throw std::runtime_error("lame refused its settings");
  }
  const int frames = pcm.Frames();
  std::vector<unsigned char> buffer(static_cast<size_t>(frames) * 5 / 4 + 7200 * 2);
  std::vector<short> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    left[static_cast<size_t>(i)] = pcm.samples[static_cast<size_t>(i) * pcm.channels];
    right[static_cast<size_t>(i)] = pcm.samples[static_cast<size_t>(i) * pcm.channels + (pcm.channels - 1)];
  }
  int n = lame_encode_buffer(lame, left.data(), right.data(), frames, buffer.data(), static_cast<int>(buffer.size()));
  if (n < 0) {
    lame_close(lame);
    throw std::runtime_error("lame failed to encode");
  }
  std::string out(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(n));
  n = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
  lame_close(lame);
  if (n < 0) throw std::runtime_error("lame failed to finish");
  out.append(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(n));
  return out;
}

std::string EncodeOgg(const Pcm& pcm, uint32_t serial) {
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, pcm.channels, pcm.rate, kVorbisQuality) != 0) {
    vorbis_info_clear(&info);
    throw std::runtime_error("vorbis refused its settings");
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, static_cast<int>(serial));

  std::string out;
  ogg_packet header, commentHeader, codeHeader;
  vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &commentHeader);
  ogg_stream_packetin(&stream, &codeHeader);
  ogg_page page;
  while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);

  const int frames = pcm.Frames();
  for (int done = 0; done <= frames;) {
    const int count = std::min(kVorbisBlockFrames, frames - done);
    if (count > 0) {
      float** channels = vorbis_analysis_buffer(&dsp, count);
      for (int i = 0; i < count; ++i) {
        for (int c = 0; c < pcm.channels; ++c) {
          channels[c][i] = pcm.samples[static_cast<size_t>(done + i) * pcm.channels + c] / 32768.0f;
        }
      }
      vorbis_analysis_wrote(&dsp, count);
      done += count;
    } else {
      vorbis_analysis_wrote(&dsp, 0);  // the end of the stream
      done = frames + 1;
    }
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) AppendPage(out, page);
      }
    }
  }
  while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

}  // namespace dataset
