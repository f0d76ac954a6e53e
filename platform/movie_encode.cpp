// Small movies made with FFmpeg's encoders, for tests and demos: solid-colour frames (MPEG-4
// part 2 in AVI, FFV1 in Matroska) and a 16-bit PCM tone.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswscale/swscale.h>
}

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/movie.h"

namespace platform {
namespace {

constexpr double kToneHz = 440.0;
constexpr double kToneLevel = 0.3;
constexpr double kTwoPi = 6.283185307179586;

struct Encoder {
  AVFormatContext* format = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* audio = nullptr;
  AVStream* videoStream = nullptr;
  AVStream* audioStream = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* scaler = nullptr;
  std::string path;  // the file written, removed at the end

  ~Encoder() {
    sws_freeContext(scaler);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&video);
    avcodec_free_context(&audio);
    if (format) {
      if (format->pb) avio_closep(&format->pb);
      avformat_free_context(format);
    }
    if (!path.empty()) std::remove(path.c_str());
  }

  // Sends a frame (null: flush) and writes every packet that comes out.
  bool Send(AVCodecContext* codec, AVStream* stream, AVFrame* in) {
    if (avcodec_send_frame(codec, in) < 0) return false;
    for (;;) {
      const int r = avcodec_receive_packet(codec, packet);
      if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
      if (r < 0) return false;
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      if (av_interleaved_write_frame(format, packet) < 0) return false;
    }
  }
};

}  // namespace

std::vector<uint8_t> EncodeTestMovie(const MovieRecipe& recipe) {
  av_log_set_level(AV_LOG_QUIET);
  Encoder e;
  const bool avi = recipe.container == MovieContainer::kAvi;
  if (avformat_alloc_output_context2(&e.format, nullptr, avi ? "avi" : "matroska", nullptr) < 0) return {};
  const AVCodec* videoCodec = avcodec_find_encoder(avi ? AV_CODEC_ID_MPEG4 : AV_CODEC_ID_FFV1);
  if (!videoCodec) return {};
  e.video = avcodec_alloc_context3(videoCodec);
  e.videoStream = avformat_new_stream(e.format, nullptr);
  if (!e.video || !e.videoStream) return {};
  e.video->width = recipe.width;
  e.video->height = recipe.height;
  e.video->pix_fmt = AV_PIX_FMT_YUV420P;
  e.video->time_base = AVRational{1, recipe.framesPerSecond};
  e.video->framerate = AVRational{recipe.framesPerSecond, 1};
  e.video->gop_size = 4;
  e.video->max_b_frames = 0;
  // Near-lossless quantiser, so that the colours come back close to what was written.
  e.video->flags |= AV_CODEC_FLAG_QSCALE;
  e.video->global_quality = FF_QP2LAMBDA * 2;
  if (e.format->oformat->flags & AVFMT_GLOBALHEADER) e.video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(e.video, videoCodec, nullptr) < 0) return {};
  avcodec_parameters_from_context(e.videoStream->codecpar, e.video);
  e.videoStream->time_base = e.video->time_base;
  e.videoStream->avg_frame_rate = e.video->framerate;

  if (recipe.audioRate > 0) {
    const AVCodec* audioCodec = avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
    if (!audioCodec) return {};
    e.audio = avcodec_alloc_context3(audioCodec);
    e.audioStream = avformat_new_stream(e.format, nullptr);
    if (!e.audio || !e.audioStream) return {};
    e.audio->sample_fmt = AV_SAMPLE_FMT_S16;
    e.audio->sample_rate = recipe.audioRate;
    const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    av_channel_layout_copy(&e.audio->ch_layout, &stereo);
    e.audio->time_base = AVRational{1, recipe.audioRate};
    if (avcodec_open2(e.audio, audioCodec, nullptr) < 0) return {};
    avcodec_parameters_from_context(e.audioStream->codecpar, e.audio);
    e.audioStream->time_base = e.audio->time_base;
  }

  // A file, not a memory buffer: the muxers go back to fill in sizes and indexes.
  char name[] = "/tmp/movieXXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) return {};
  close(fd);
  e.path = name;
  if (avio_open(&e.format->pb, name, AVIO_FLAG_WRITE) < 0) return {};
  if (avformat_write_header(e.format, nullptr) < 0) return {};
  e.frame = av_frame_alloc();
  e.packet = av_packet_alloc();
  if (!e.frame || !e.packet) return {};

  const int samplesPerFrame = recipe.audioRate / recipe.framesPerSecond;
  int64_t samplesDone = 0;
  std::vector<uint8_t> bgr(static_cast<size_t>(recipe.width) * recipe.height * 4);
  e.scaler = sws_getContext(recipe.width, recipe.height, AV_PIX_FMT_BGR0, recipe.width, recipe.height,
                            AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!e.scaler) return {};
  for (size_t i = 0; i < recipe.colours.size(); ++i) {
    if (e.audio) {
      av_frame_unref(e.frame);
      e.frame->format = AV_SAMPLE_FMT_S16;
      e.frame->sample_rate = recipe.audioRate;
      av_channel_layout_copy(&e.frame->ch_layout, &e.audio->ch_layout);
      e.frame->nb_samples = samplesPerFrame;
      if (av_frame_get_buffer(e.frame, 0) < 0) return {};
      auto* s = reinterpret_cast<int16_t*>(e.frame->data[0]);
      for (int n = 0; n < samplesPerFrame; ++n) {
        const double t = static_cast<double>(samplesDone + n) / recipe.audioRate;
        const auto v = static_cast<int16_t>(std::lround(std::sin(kTwoPi * kToneHz * t) * kToneLevel * 32767));
        s[2 * n] = v;
        s[2 * n + 1] = v;
      }
      e.frame->pts = samplesDone;
      samplesDone += samplesPerFrame;
      if (!e.Send(e.audio, e.audioStream, e.frame)) return {};
    }
    const uint32_t c = recipe.colours[i];
    for (size_t p = 0; p < bgr.size(); p += 4) {
      bgr[p] = c & 0xFF;
      bgr[p + 1] = c >> 8 & 0xFF;
      bgr[p + 2] = c >> 16 & 0xFF;
      bgr[p + 3] = 0;
    }
    av_frame_unref(e.frame);
    e.frame->format = AV_PIX_FMT_YUV420P;
    e.frame->width = recipe.width;
    e.frame->height = recipe.height;
    if (av_frame_get_buffer(e.frame, 0) < 0) return {};
    const uint8_t* planes[1] = {bgr.data()};
    const int pitches[1] = {recipe.width * 4};
    sws_scale(e.scaler, planes, pitches, 0, recipe.height, e.frame->data, e.frame->linesize);
    e.frame->pts = static_cast<int64_t>(i);
    if (!e.Send(e.video, e.videoStream, e.frame)) return {};
  }
  if (!e.Send(e.video, e.videoStream, nullptr)) return {};
  if (e.audio && !e.Send(e.audio, e.audioStream, nullptr)) return {};
  if (av_write_trailer(e.format) < 0) return {};
  avio_closep(&e.format->pb);
  std::ifstream in(e.path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace platform
