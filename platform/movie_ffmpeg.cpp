// Movies through FFmpeg: the container read with an AVIOContext over the caller's byte
// source, video converted by libswscale, sound resampled by libswresample to the mixer's
// rate as float stereo.
//
// The libraries are loaded when the first movie opens, not with the program: they bring in
// well over a hundred shared libraries of codecs, whose loading and start-up code cost a
// program that plays no movie a quarter of a second at every start.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/movie.h"

namespace platform {
namespace {

// The FFmpeg calls of this file: the library each comes from, and its name.
#define MOVIE_FFMPEG_FUNCTIONS(X)          \
  X(avutil, av_channel_layout_copy)        \
  X(avutil, av_channel_layout_default)     \
  X(avutil, av_channel_layout_uninit)      \
  X(avutil, av_frame_alloc)                \
  X(avutil, av_frame_free)                 \
  X(avutil, av_frame_move_ref)             \
  X(avutil, av_frame_unref)                \
  X(avutil, av_free)                       \
  X(avutil, av_freep)                      \
  X(avutil, av_log_set_level)              \
  X(avutil, av_malloc)                     \
  X(avutil, av_rescale)                    \
  X(avutil, av_rescale_q)                  \
  X(avutil, av_strdup)                     \
  X(avcodec, av_packet_alloc)              \
  X(avcodec, av_packet_free)               \
  X(avcodec, av_packet_unref)              \
  X(avcodec, avcodec_alloc_context3)       \
  X(avcodec, avcodec_flush_buffers)        \
  X(avcodec, avcodec_free_context)         \
  X(avcodec, avcodec_open2)                \
  X(avcodec, avcodec_parameters_to_context) \
  X(avcodec, avcodec_receive_frame)        \
  X(avcodec, avcodec_send_packet)          \
  X(avformat, av_find_best_stream)         \
  X(avformat, av_read_frame)               \
  X(avformat, av_seek_frame)               \
  X(avformat, avformat_alloc_context)      \
  X(avformat, avformat_close_input)        \
  X(avformat, avformat_find_stream_info)   \
  X(avformat, avformat_open_input)         \
  X(avformat, avformat_seek_file)          \
  X(avformat, avio_alloc_context)          \
  X(avformat, avio_context_free)           \
  X(swscale, sws_getCachedContext)         \
  X(swscale, sws_scale)                    \
  X(swscale, sws_freeContext)              \
  X(swresample, swr_alloc_set_opts2)       \
  X(swresample, swr_close)                 \
  X(swresample, swr_convert)               \
  X(swresample, swr_free)                  \
  X(swresample, swr_get_out_samples)       \
  X(swresample, swr_init)

struct FfmpegApi {
#define MOVIE_FFMPEG_POINTER(lib, name) decltype(&::name) name = nullptr;
  MOVIE_FFMPEG_FUNCTIONS(MOVIE_FFMPEG_POINTER)
#undef MOVIE_FFMPEG_POINTER
};

// The libraries by the major versions of the headers this file was built with.
#define MOVIE_SONAME(lib, major) "lib" #lib ".so." AV_STRINGIFY(major)
enum FfmpegLibrary { avutil, avcodec, avformat, swscale, swresample, kFfmpegLibraries };
constexpr const char* kFfmpegSonames[kFfmpegLibraries] = {
    MOVIE_SONAME(avutil, LIBAVUTIL_VERSION_MAJOR), MOVIE_SONAME(avcodec, LIBAVCODEC_VERSION_MAJOR),
    MOVIE_SONAME(avformat, LIBAVFORMAT_VERSION_MAJOR), MOVIE_SONAME(swscale, LIBSWSCALE_VERSION_MAJOR),
    MOVIE_SONAME(swresample, LIBSWRESAMPLE_VERSION_MAJOR)};
#undef MOVIE_SONAME

FfmpegApi g_ffmpeg;

// Loads the libraries and finds every call, once for the program; false (with the reason
// printed once) when any is missing. The libraries stay loaded until the program ends.
bool LoadFfmpeg() {
  static std::once_flag once;
  static bool loaded = false;
  std::call_once(once, [] {
    void* handles[kFfmpegLibraries] = {};
    for (int i = 0; i < kFfmpegLibraries; ++i) {
      handles[i] = dlopen(kFfmpegSonames[i], RTLD_NOW | RTLD_LOCAL);
      if (!handles[i]) {
        std::fprintf(stderr, "movie: cannot load %s: %s\n", kFfmpegSonames[i], dlerror());
        return;
      }
    }
    FfmpegApi api;
#define MOVIE_FFMPEG_FIND(lib, name)                                                         \
  api.name = reinterpret_cast<decltype(api.name)>(dlsym(handles[lib], #name));             \
  if (!api.name) {                                                                          \
    std::fprintf(stderr, "movie: %s lacks %s\n", kFfmpegSonames[lib], #name);               \
    return;                                                                                 \
  }
    MOVIE_FFMPEG_FUNCTIONS(MOVIE_FFMPEG_FIND)
#undef MOVIE_FFMPEG_FIND
    api.av_log_set_level(AV_LOG_QUIET);
    g_ffmpeg = api;
    loaded = true;
  });
  return loaded;
}

// The calls, for code that runs only once LoadFfmpeg succeeded.
const FfmpegApi& Ff() { return g_ffmpeg; }

constexpr int kIoBufferBytes = 32768;
// Demuxers allowed to open a movie. libavformat also reads still images and many other
// things; a file the image loaders refused must not come back as a one-frame "movie".
constexpr const char* kMovieDemuxers = "avi,mpeg,matroska,webm,mov,mp4,ogg";
// Pictures beyond this side are refused: their frames would not fit a graph's surface.
constexpr int kMaxPictureSide = 4096;

AVPixelFormat PixelFormatOf(MovieLayout layout) {
  switch (layout) {
    case MovieLayout::kRgb565: return AV_PIX_FMT_RGB565LE;
    case MovieLayout::kRgb888: return AV_PIX_FMT_BGR24;
    default: return AV_PIX_FMT_BGRA;
  }
}

int ReadPacket(void* opaque, uint8_t* buffer, int size) {
  const int n = static_cast<MovieByteSource*>(opaque)->Read(buffer, size);
  if (n < 0) return AVERROR(EIO);
  return n == 0 ? AVERROR_EOF : n;
}

int64_t SeekSource(void* opaque, int64_t offset, int whence) {
  auto* source = static_cast<MovieByteSource*>(opaque);
  if (whence & AVSEEK_SIZE) return source->Size();
  const int origin = whence & ~AVSEEK_FORCE;
  if (origin != SEEK_SET && origin != SEEK_CUR && origin != SEEK_END) return -1;
  return source->Seek(offset, origin == SEEK_SET ? 0 : origin == SEEK_CUR ? 1 : 2);
}

int64_t ToUs(int64_t value, AVRational base) { return Ff().av_rescale_q(value, base, AVRational{1, 1000000}); }

class FfmpegMovie final : public MovieDecoder {
 public:
  FfmpegMovie(std::unique_ptr<MovieByteSource> source, MovieLayout layout, AudioMixer* mixer)
      : MovieDecoder(layout, mixer), owned_(std::move(source)) {
    source_ = owned_.get();
  }

  ~FfmpegMovie() override {
    Stop();
    Ff().sws_freeContext(scaler_);
    Ff().swr_free(&resampler_);
    Ff().av_frame_free(&frame_);
    Ff().av_packet_free(&packet_);
    Ff().avcodec_free_context(&video_);
    Ff().avcodec_free_context(&audio_);
    if (format_) Ff().avformat_close_input(&format_);
    if (io_) {
      Ff().av_freep(&io_->buffer);
      Ff().avio_context_free(&io_);
    }
  }

  MovieOpenError Open() {
    auto* buffer = static_cast<uint8_t*>(Ff().av_malloc(kIoBufferBytes));
    if (!buffer) return MovieOpenError::kUnreadable;
    io_ = Ff().avio_alloc_context(buffer, kIoBufferBytes, 0, source_, &ReadPacket, nullptr, &SeekSource);
    if (!io_) {
      Ff().av_free(buffer);
      return MovieOpenError::kUnreadable;
    }
    format_ = Ff().avformat_alloc_context();
    if (!format_) return MovieOpenError::kUnreadable;
    format_->pb = io_;
    format_->flags |= AVFMT_FLAG_CUSTOM_IO;
    format_->format_whitelist = Ff().av_strdup(kMovieDemuxers);
    // On failure avformat_open_input frees the context itself.
    if (Ff().avformat_open_input(&format_, nullptr, nullptr, nullptr) < 0) {
      format_ = nullptr;
      return MovieOpenError::kUnreadable;
    }
    if (Ff().avformat_find_stream_info(format_, nullptr) < 0) return MovieOpenError::kUnreadable;

    const AVCodec* videoCodec = nullptr;
    videoIndex_ = Ff().av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, &videoCodec, 0);
    if (videoIndex_ == AVERROR_DECODER_NOT_FOUND) return MovieOpenError::kDecoder;
    if (videoIndex_ < 0) return MovieOpenError::kNoPicture;
    const AVStream* vs = format_->streams[videoIndex_];
    if (vs->codecpar->width <= 0 || vs->codecpar->height <= 0 || vs->codecpar->width > kMaxPictureSide ||
        vs->codecpar->height > kMaxPictureSide) {
      return MovieOpenError::kNoPicture;
    }
    if (!OpenDecoder(videoCodec, vs, &video_)) return MovieOpenError::kDecoder;

    const AVCodec* audioCodec = nullptr;
    audioIndex_ = Ff().av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, videoIndex_, &audioCodec, 0);
    info_.hasAudio = audioIndex_ >= 0;
    if (audioIndex_ >= 0 && mixer_ && !OpenSound(audioCodec)) {
      // A movie whose sound cannot be decoded still plays its pictures.
      Ff().avcodec_free_context(&audio_);
      Ff().swr_free(&resampler_);
    }
    if (!audio_) audioIndex_ = -1;

    info_.width = video_->width;
    info_.height = video_->height;
    if (vs->avg_frame_rate.num > 0 && vs->avg_frame_rate.den > 0) {
      info_.frameTimeUs = Ff().av_rescale(1000000, vs->avg_frame_rate.den, vs->avg_frame_rate.num);
    }
    if (format_->duration > 0) info_.durationUs = format_->duration;
    startUs_ = format_->start_time != AV_NOPTS_VALUE ? format_->start_time : 0;
    frame_ = Ff().av_frame_alloc();
    packet_ = Ff().av_packet_alloc();
    if (!frame_ || !packet_) return MovieOpenError::kUnreadable;
    Start();
    return MovieOpenError::kNone;
  }

 protected:
  MovieItem DecodeNext() override {
    MovieItem item;
    for (;;) {
      if (video_ && !videoDone_) {
        const int r = Ff().avcodec_receive_frame(video_, frame_);
        if (r == 0) return TakeVideo();
        if (r == AVERROR_EOF) {
          videoDone_ = true;
        } else if (r != AVERROR(EAGAIN)) {
          item.kind = MovieItem::kError;
          return item;
        }
      }
      if (audio_ && !audioDone_) {
        const int r = Ff().avcodec_receive_frame(audio_, frame_);
        if (r == 0) {
          if (TakeAudio(&item)) return item;
          continue;
        }
        if (r == AVERROR_EOF) {
          audioDone_ = true;
        } else if (r != AVERROR(EAGAIN)) {
          // Broken sound ends the sound, not the pictures.
          audioDone_ = true;
        }
      }
      if (inputDone_) {
        if (videoDone_ && (audioDone_ || !audio_)) {
          item.kind = MovieItem::kEnd;
          return item;
        }
        continue;
      }
      const int r = Ff().av_read_frame(format_, packet_);
      if (r < 0) {
        // The end, or data too damaged to go on: what the decoders hold still plays.
        inputDone_ = true;
        Ff().avcodec_send_packet(video_, nullptr);
        if (audio_) Ff().avcodec_send_packet(audio_, nullptr);
        continue;
      }
      if (packet_->stream_index == videoIndex_) {
        const int s = Ff().avcodec_send_packet(video_, packet_);
        // A damaged packet is skipped; the decoder conceals what it can.
        if (s < 0 && s != AVERROR_INVALIDDATA && s != AVERROR(EAGAIN)) {
          Ff().av_packet_unref(packet_);
          item.kind = MovieItem::kError;
          return item;
        }
      } else if (audio_ && packet_->stream_index == audioIndex_) {
        Ff().avcodec_send_packet(audio_, packet_);
      }
      Ff().av_packet_unref(packet_);
    }
  }

  bool SeekTo(int64_t timeUs) override {
    const int64_t target = timeUs + startUs_;
    if (Ff().av_seek_frame(format_, -1, target, AVSEEK_FLAG_BACKWARD) < 0 &&
        Ff().avformat_seek_file(format_, -1, INT64_MIN, target, target, 0) < 0) {
      return false;
    }
    Ff().avcodec_flush_buffers(video_);
    if (audio_) Ff().avcodec_flush_buffers(audio_);
    if (resampler_) {
      Ff().swr_close(resampler_);
      Ff().swr_init(resampler_);
    }
    inputDone_ = videoDone_ = audioDone_ = false;
    lastVideoUs_ = -1;
    soundFrames_ = -1;
    return true;
  }

 private:
  bool OpenDecoder(const AVCodec* codec, const AVStream* stream, AVCodecContext** context) {
    if (!codec) return false;
    *context = Ff().avcodec_alloc_context3(codec);
    if (!*context) return false;
    if (Ff().avcodec_parameters_to_context(*context, stream->codecpar) < 0) return false;
    (*context)->pkt_timebase = stream->time_base;
    // One thread: the movie already has its own, and frames come out in a fixed order.
    (*context)->thread_count = 1;
    return Ff().avcodec_open2(*context, codec, nullptr) == 0;
  }

  bool OpenSound(const AVCodec* codec) {
    const AVStream* as = format_->streams[audioIndex_];
    if (!OpenDecoder(codec, as, &audio_)) return false;
    const PcmFormat primary = mixer_->PrimaryFormat();
    const int rate = primary.samplesPerSec > 0 ? static_cast<int>(primary.samplesPerSec) : 44100;
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    AVChannelLayout in{};
    if (audio_->ch_layout.nb_channels > 0) {
      Ff().av_channel_layout_copy(&in, &audio_->ch_layout);
    } else {
      Ff().av_channel_layout_default(&in, 2);
    }
    if (in.order == AV_CHANNEL_ORDER_UNSPEC) {
      const int channels = in.nb_channels;
      Ff().av_channel_layout_uninit(&in);
      Ff().av_channel_layout_default(&in, channels);
    }
    const int made = Ff().swr_alloc_set_opts2(&resampler_, &stereo, AV_SAMPLE_FMT_FLT, rate, &in, audio_->sample_fmt,
                                         audio_->sample_rate, 0, nullptr);
    Ff().av_channel_layout_uninit(&in);
    if (made < 0 || audio_->sample_rate <= 0 || Ff().swr_init(resampler_) < 0) return false;
    audioRate_ = rate;
    return true;
  }

  // A decoded picture kept as the decoder made it, converted by its movie's scaler when
  // taken. Straight into the taker's rows where the scaler's block stores cannot pass a
  // row's end, else through a padded buffer of the movie's.
  class Picture final : public PendingPicture {
   public:
    Picture(FfmpegMovie* movie, AVFrame* frame) : movie_(movie), frame_(frame) {}
    ~Picture() override { Ff().av_frame_free(&frame_); }
    size_t Bytes() const override {
      return static_cast<size_t>(std::max(frame_->linesize[0], 0)) * static_cast<size_t>(frame_->height) * 2;
    }
    void WriteTo(uint8_t* dest, int pitch) override { movie_->Convert(frame_, dest, pitch); }

   private:
    FfmpegMovie* movie_;
    AVFrame* frame_;
  };

  void Convert(const AVFrame* frame, uint8_t* dest, int pitch) {
    const int width = info_.width, height = info_.height;
    // A stream that changes its picture size midway is scaled to the size it opened with.
    scaler_ = Ff().sws_getCachedContext(scaler_, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                   width, height, PixelFormatOf(layout_), SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!scaler_ || frame->width <= 0 || frame->height <= 0) return;
    const int row = width * MovieLayoutBytes(layout_);
    const bool direct = row % static_cast<int>(FramePixels::kAlign) == 0 && pitch % 16 == 0 &&
                        reinterpret_cast<uintptr_t>(dest) % 16 == 0;
    if (direct) {
      uint8_t* planes[4] = {dest, nullptr, nullptr, nullptr};
      int pitches[4] = {pitch, 0, 0, 0};
      Ff().sws_scale(scaler_, frame->data, frame->linesize, 0, frame->height, planes, pitches);
      return;
    }
    const int padded = MovieFramePitch(width, layout_);
    if (!scratch_.Resize(static_cast<size_t>(padded) * static_cast<size_t>(height))) return;
    uint8_t* planes[4] = {scratch_.data(), nullptr, nullptr, nullptr};
    int pitches[4] = {padded, 0, 0, 0};
    Ff().sws_scale(scaler_, frame->data, frame->linesize, 0, frame->height, planes, pitches);
    for (int y = 0; y < height; ++y) {
      std::memcpy(dest + static_cast<ptrdiff_t>(pitch) * y, scratch_.data() + static_cast<ptrdiff_t>(padded) * y,
                  static_cast<size_t>(row));
    }
  }

  MovieItem TakeVideo() {
    MovieItem item;
    item.kind = MovieItem::kVideo;
    MovieFrame& f = item.frame;
    const AVStream* vs = format_->streams[videoIndex_];
    const int64_t stamp = frame_->best_effort_timestamp;
    if (stamp != AV_NOPTS_VALUE) {
      f.timeUs = ToUs(stamp, vs->time_base) - startUs_;
    } else {
      f.timeUs = lastVideoUs_ < 0 ? 0 : lastVideoUs_ + std::max<int64_t>(info_.frameTimeUs, 1);
    }
    lastVideoUs_ = f.timeUs;
    f.width = info_.width;
    f.height = info_.height;
    AVFrame* kept = Ff().av_frame_alloc();
    if (!kept) {
      Ff().av_frame_unref(frame_);
      item.kind = MovieItem::kError;
      return item;
    }
    Ff().av_frame_move_ref(kept, frame_);
    f.picture = std::make_unique<Picture>(this, kept);
    return item;
  }

  // False when the frame gave no samples.
  bool TakeAudio(MovieItem* item) {
    const AVStream* as = format_->streams[audioIndex_];
    if (soundFrames_ < 0) {
      const int64_t stamp = frame_->best_effort_timestamp;
      const int64_t us = stamp != AV_NOPTS_VALUE ? ToUs(stamp, as->time_base) - startUs_ : 0;
      soundStartUs_ = std::max<int64_t>(us, 0);
      soundFrames_ = 0;
    }
    const int room = Ff().swr_get_out_samples(resampler_, frame_->nb_samples);
    if (room <= 0) {
      Ff().av_frame_unref(frame_);
      return false;
    }
    item->samples.resize(static_cast<size_t>(room) * 2);
    uint8_t* out[1] = {reinterpret_cast<uint8_t*>(item->samples.data())};
    const int n = Ff().swr_convert(resampler_, out, room, const_cast<const uint8_t**>(frame_->extended_data),
                              frame_->nb_samples);
    Ff().av_frame_unref(frame_);
    if (n <= 0) return false;
    item->samples.resize(static_cast<size_t>(n) * 2);
    item->kind = MovieItem::kAudio;
    item->timeUs = soundStartUs_ + soundFrames_ * 1000000 / audioRate_;
    soundFrames_ += n;
    return true;
  }

  std::unique_ptr<MovieByteSource> owned_;
  AVIOContext* io_ = nullptr;
  AVFormatContext* format_ = nullptr;
  AVCodecContext* video_ = nullptr;
  AVCodecContext* audio_ = nullptr;
  // Used by Convert only, which runs under the conversion's lock on the taking thread.
  SwsContext* scaler_ = nullptr;
  FramePixels scratch_;
  SwrContext* resampler_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  int videoIndex_ = -1;
  int audioIndex_ = -1;
  int64_t startUs_ = 0;
  bool inputDone_ = false;
  bool videoDone_ = false;
  bool audioDone_ = false;
  int64_t lastVideoUs_ = -1;
  // Sound time runs from the first frame's stamp by the samples made since.
  int64_t soundStartUs_ = 0;
  int64_t soundFrames_ = -1;
};

}  // namespace

std::unique_ptr<MovieDecoder> OpenMovie(std::unique_ptr<MovieByteSource> source, MovieLayout layout,
                                        AudioMixer* mixer, MovieOpenError* error) {
  MovieOpenError failure = MovieOpenError::kUnreadable;
  if (source && LoadFfmpeg()) {
    auto movie = std::make_unique<FfmpegMovie>(std::move(source), layout, mixer);
    failure = movie->Open();
    if (failure == MovieOpenError::kNone) {
      if (error) *error = failure;
      return movie;
    }
  }
  if (error) *error = failure;
  return nullptr;
}

}  // namespace platform
